#include "monitor_run.h"

#include "main_dialog.h"
#include "wait.h"

const char kDialogClass[] = "#32770";

MonitorRun::MonitorRun(const std::string& source) {
    exe = directory.File(source.substr(source.find_last_of('\\') + 1));
    CopyFileA(source.c_str(), exe.c_str(), FALSE);
}

ProbeRun::ProbeRun(unsigned scale, unsigned overshootPermille) : MonitorRun(ProbeExePath()) {
    environment = {{"QM_CLOCK_SCALE", std::to_string(scale)},
                   {"QM_OVERSHOOT_PERMILLE", std::to_string(overshootPermille)},
                   {"QM_POWER_LOG", PowerLogPath()}};
}

bool MonitorRun::Start() {
    for (const auto& variable : environment)
        SetEnvironmentVariableA(variable.first.c_str(), variable.second.c_str());
    bool started = process.Start(exe, "", directory.Path());
    for (const auto& variable : environment)
        SetEnvironmentVariableA(variable.first.c_str(), nullptr);
    if (!started) return false;
    // The dialog exists before it is shown: initialisation runs in between.
    WaitFor(
        [this] {
            dialog = FindProcessWindow(process.Id(), kDialogClass, kMainCaption);
            return dialog && IsWindowVisible(dialog);
        },
        15000);
    return dialog && IsWindowVisible(dialog);
}

std::string MonitorRun::ControlText(int id) const {
    char text[256] = "";
    GetWindowTextA(Control(id), text, sizeof text);
    return text;
}

RECT MonitorRun::WindowRect() const {
    RECT rect = {};
    GetWindowRect(dialog, &rect);
    return rect;
}

void MonitorRun::Click(int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Control(id)));
}

DWORD MonitorRun::Close() {
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    return process.Wait();
}
