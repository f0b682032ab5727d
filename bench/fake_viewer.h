// The message-only control window through which the bench has the stand-in viewer open and close
// its window: shared by the stand-in and the bench.
#pragma once

#include <windows.h>

const char kFakeViewerControl[] = "QmFakeViewerControl";
const UINT kOpenViewer = WM_APP + 1;
const UINT kShutViewer = WM_APP + 2;
