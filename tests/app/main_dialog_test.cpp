// The main dialog: template 101 as built, initialisation, the procedure's results, closing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "main_dialog.h"
#include "monitor.h"
#include "remote_list_view.h"
#include "running_dialog.h"
#include "settings.h"
#include "wait.h"

namespace {

// Reads the dialog template resource field by field, as the dialog manager does.
class TemplateReader {
public:
    explicit TemplateReader(const void* data) : at(static_cast<const BYTE*>(data)) {}
    DWORD Dword() { return Take<DWORD>(); }
    WORD Word() { return Take<WORD>(); }
    short Short() { return Take<short>(); }
    // A string or an 0xFFFF-prefixed ordinal, as "#n".
    std::wstring StringOrOrdinal() {
        if (*reinterpret_cast<const WORD*>(at) == 0xFFFF) {
            Word();
            return L"#" + std::to_wstring(Word());
        }
        std::wstring text;
        while (WORD c = Word())
            text += static_cast<wchar_t>(c);
        return text;
    }
    void AlignDword(const void* base) {
        while ((at - static_cast<const BYTE*>(base)) % 4)
            ++at;
    }

private:
    template <typename T>
    T Take() {
        T value;
        memcpy(&value, at, sizeof value);
        at += sizeof value;
        return value;
    }
    const BYTE* at;
};

struct ControlTemplate {
    DWORD style, exStyle;
    short x, y, cx, cy;
    WORD id;
    std::wstring className, text;
};

std::string Utf16ToCp932(const std::wstring& text) {
    char buffer[256] = "";
    WideCharToMultiByte(932, 0, text.c_str(), -1, buffer, sizeof buffer, nullptr, nullptr);
    return buffer;
}

std::string WindowText(HWND window) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

const char kStartMessage[] = "Quillomatic起動監視を開始しました。";

}  // namespace

TEST(Template101, IsTheJapaneseDialogWithItsThreeControlsInOrder) {
    HRSRC resource = FindResourceExA(nullptr, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(101),
                                     MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_TRUE(resource) << "template 101 in language 1041";
    const void* data = LockResource(LoadResource(nullptr, resource));
    TemplateReader read(data);
    EXPECT_EQ(0x80CA08C0u, read.Dword());
    EXPECT_EQ(0u, read.Dword()) << "extended style";
    WORD count = read.Word();
    EXPECT_EQ(3, count);
    EXPECT_EQ(0, read.Short());
    EXPECT_EQ(0, read.Short());
    EXPECT_EQ(235, read.Short());
    EXPECT_EQ(155, read.Short());
    EXPECT_EQ(L"", read.StringOrOrdinal()) << "menu";
    EXPECT_EQ(L"", read.StringOrOrdinal()) << "the standard dialog class";
    EXPECT_EQ("Quillomaticモニター", Utf16ToCp932(read.StringOrOrdinal()));
    EXPECT_EQ(9, read.Word());
    EXPECT_EQ("ＭＳ Ｐゴシック", Utf16ToCp932(read.StringOrOrdinal()));

    const ControlTemplate expected[] = {
        {0x50814005, 0, 5, 5, 225, 120, 1000, L"SysListView32", L"List1"},
        {0x50010000, 0, 5, 130, 173, 20, 1001, L"#128", L"監視開始"},
        {0x50010000, 0, 183, 130, 47, 20, 1002, L"#128", L"休止状態へ"},
    };
    for (int i = 0; i < count && i < 3; ++i) {
        SCOPED_TRACE(expected[i].id);
        read.AlignDword(data);
        ControlTemplate actual;
        actual.style = read.Dword();
        actual.exStyle = read.Dword();
        actual.x = read.Short();
        actual.y = read.Short();
        actual.cx = read.Short();
        actual.cy = read.Short();
        actual.id = read.Word();
        actual.className = read.StringOrOrdinal();
        actual.text = read.StringOrOrdinal();
        EXPECT_EQ(0, read.Word()) << "no creation data";
        EXPECT_EQ(expected[i].style, actual.style);
        EXPECT_EQ(expected[i].exStyle, actual.exStyle);
        EXPECT_EQ(expected[i].x, actual.x);
        EXPECT_EQ(expected[i].y, actual.y);
        EXPECT_EQ(expected[i].cx, actual.cx);
        EXPECT_EQ(expected[i].cy, actual.cy);
        EXPECT_EQ(expected[i].id, actual.id);
        EXPECT_EQ(Utf16ToCp932(expected[i].className), Utf16ToCp932(actual.className));
        // The expected texts are compiled as wide literals from the same UTF-8 source.
        EXPECT_EQ(Utf16ToCp932(expected[i].text), Utf16ToCp932(actual.text));
    }
}

TEST(Icon102, HoldsA32And16PixelImageOf16ColoursEach) {
    HRSRC group = FindResourceExA(nullptr, MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(102),
                                  MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    ASSERT_TRUE(group);
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, group)));
    WORD count;
    memcpy(&count, data + 4, sizeof count);
    ASSERT_EQ(2, count);
    std::vector<std::pair<int, int>> sizes;  // (pixels, colours)
    for (int i = 0; i < count; ++i) {
        const BYTE* entry = data + 6 + 14 * i;  // GRPICONDIRENTRY
        WORD bits;
        memcpy(&bits, entry + 6, sizeof bits);
        sizes.push_back({entry[0], entry[2]});
        EXPECT_EQ(4, bits);
    }
    EXPECT_EQ((std::vector<std::pair<int, int>>{{32, 16}, {16, 16}}), sizes);
}

class MainDialogRun : public ::testing::Test {
protected:
    void SetUp() override {
        SavedWindowPosition.x = 123;
        SavedWindowPosition.y = 77;
        dialog.reset(new RunningMainDialog);
        ASSERT_TRUE(dialog->Started());
        ASSERT_TRUE(WaitFor([&] { return CountRows(dialog->Log()) == 1; }));
    }
    HWND Window() const { return dialog->Window(); }
    std::unique_ptr<RunningMainDialog> dialog;
};

TEST_F(MainDialogRun, InitialisationSetsIconsCaptionTopmostPositionLogAndMonitoring) {
    EXPECT_EQ(&MainDialog, ActiveDialog);
    EXPECT_EQ(kMainCaption, WindowText(Window()));
    EXPECT_TRUE(SendMessageA(Window(), WM_GETICON, ICON_SMALL, 0));
    EXPECT_TRUE(SendMessageA(Window(), WM_GETICON, ICON_BIG, 0));
    EXPECT_TRUE(GetWindowLongA(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT rect;
    GetWindowRect(Window(), &rect);
    EXPECT_EQ(123, rect.left);
    EXPECT_EQ(77, rect.top);
    EXPECT_EQ("監視中止", dialog->ControlText(1001));
    EXPECT_EQ(1, MonitorState.enabled.load());
    EXPECT_EQ(kStartMessage, ReadRows(dialog->Log())[0].text);
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(dialog->ThreadId(), &gui);
    EXPECT_EQ(dialog->Log(), gui.hwndFocus) << "the first tab stop gets the focus";
}

TEST_F(MainDialogRun, ProcedureHandlesOnlyItsButtonsCloseAndResumes) {
    struct Case {
        UINT message;
        WPARAM wParam;
        INT_PTR result;
    };
    const Case cases[] = {
        {WM_NOTIFY, 1000, 0},
        {WM_COMMAND, IDOK, 0},
        {WM_COMMAND, IDCANCEL, 0},
        {WM_COMMAND, MAKEWPARAM(1000, 0), 0},
        {WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), 1},  // off
        {WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED), 1},  // on again
        {WM_POWERBROADCAST, PBT_APMSUSPEND, 0},
        {WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 1},
        {WM_USER + 5, 0, 0},
        {WM_TIMER, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(c.result, MainDialogProc(nullptr, c.message, c.wParam, 0));
    }
    EXPECT_TRUE(IsWindowVisible(Window()));
}

TEST_F(MainDialogRun, Button1001TogglesMonitoringAndItsCaption) {
    dialog->Click(1001);
    EXPECT_EQ(0, MonitorState.enabled.load());
    EXPECT_EQ("監視開始", dialog->ControlText(1001));
    dialog->Click(1001);
    EXPECT_EQ(1, MonitorState.enabled.load());
    EXPECT_EQ("監視中止", dialog->ControlText(1001));
}

TEST_F(MainDialogRun, EscapeAndEnterDoNotCloseTheDialog) {
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        SCOPED_TRACE(key);
        std::string before = dialog->ControlText(1001);
        PostMessageA(dialog->Log(), WM_KEYDOWN, key, 1);
        PostMessageA(dialog->Log(), WM_KEYUP, key, 0xC0000001);
        // Posted input is handled in order: once the click after the key has been handled,
        // so has the key.
        PostMessageA(Window(), WM_COMMAND, MAKEWPARAM(1001, BN_CLICKED),
                     reinterpret_cast<LPARAM>(dialog->Control(1001)));
        ASSERT_TRUE(WaitFor([&] { return dialog->ControlText(1001) != before; }));
        EXPECT_TRUE(IsWindow(Window()));
        EXPECT_TRUE(IsWindowVisible(Window()));
    }
}

TEST_F(MainDialogRun, CloseStoresTheNormalPositionAndEndsWith2) {
    SetWindowPos(Window(), nullptr, -200, 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(2, dialog->Close());
    EXPECT_EQ(-200, SavedWindowPosition.x);
    EXPECT_EQ(150, SavedWindowPosition.y);
}

TEST_F(MainDialogRun, SystemMenuCloseWhileMinimisedStoresWhereItStoodBefore) {
    SetWindowPos(Window(), nullptr, 310, 220, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(Window(), SW_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(Window()) != FALSE; }));
    PostMessageA(Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(2, dialog->WaitEnd());
    EXPECT_EQ(310, SavedWindowPosition.x);
    EXPECT_EQ(220, SavedWindowPosition.y);
}
