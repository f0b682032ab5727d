// Waiting for a condition with a deadline, never for a time.
#pragma once

#include <windows.h>

#include <functional>

// Polls `condition` until it holds or `timeoutMs` has passed, handling this thread's messages
// meanwhile so that windows it owns keep answering. Returns whether the condition held.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);
