// Resource and control IDs of the main dialog.
#pragma once

#define IDD_MAIN 101
#define IDI_MAIN 102
#define IDC_EVENT_LOG 1000
#define IDC_MONITOR_TOGGLE 1001
#define IDC_HIBERNATE 1002
