// The stand-in viewer's window, and the message-only control window through which the bench has
// it opened and closed: shared by the stand-in and the bench.
#pragma once

#include <windows.h>

const char kViewerClass[] = "Quillomatic BS MainWindow";
const char kViewerTitle[] = "Quillomatic";
const char kFakeViewerControl[] = "QmFakeViewerControl";
const UINT kOpenViewer = WM_APP + 1;
const UINT kShutViewer = WM_APP + 2;
