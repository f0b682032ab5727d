// ListView against a real list-view control: the messages each operation sends, and what the
// control then does with them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "list_view.h"
#include "message_log.h"

namespace {

// A plain, hidden top-level window to hold the controls, destroyed with the object.
class ParentWindow {
public:
    ParentWindow() {
        static const char kClass[] = "QmListViewTestParent";
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kClass;
        RegisterClassA(&windowClass);  // fails harmlessly once the class exists
        handle = CreateWindowExA(0, kClass, "parent", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    ~ParentWindow() { DestroyWindow(handle); }
    ParentWindow(const ParentWindow&) = delete;
    ParentWindow& operator=(const ParentWindow&) = delete;

    HWND Handle() const { return handle; }

private:
    HWND handle;
};

// Keeps a copy of the item record that comes with each message of the given kinds: the records
// the wrapper builds itself are gone once the call returns.
class ItemRecordCopier {
public:
    ItemRecordCopier(HWND window, std::vector<UINT> kinds) : window(window), kinds(kinds) {
        SetPropA(window, kProperty, this);
        original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Procedure)));
    }
    ~ItemRecordCopier() {
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        RemovePropA(window, kProperty);
    }
    ItemRecordCopier(const ItemRecordCopier&) = delete;
    ItemRecordCopier& operator=(const ItemRecordCopier&) = delete;

    const std::vector<LVITEMA>& Records() const { return records; }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = static_cast<ItemRecordCopier*>(GetPropA(window, kProperty));
        if (lParam &&
            std::find(self->kinds.begin(), self->kinds.end(), message) != self->kinds.end())
            self->records.push_back(*reinterpret_cast<const LVITEMA*>(lParam));
        return CallWindowProcA(self->original, window, message, wParam, lParam);
    }

    static constexpr const char* kProperty = "qm.ItemRecordCopier";
    HWND window;
    std::vector<UINT> kinds;
    WNDPROC original;
    std::vector<LVITEMA> records;
};

LPARAM Address(const void* record) { return reinterpret_cast<LPARAM>(record); }

// The list-view messages the operations send, but LVM_GETITEMTEXTA, with which the tests read.
const std::vector<UINT> kListViewMessages = {LVM_SETIMAGELIST,
                                             LVM_GETITEMA,
                                             LVM_SETITEMA,
                                             LVM_INSERTITEMA,
                                             LVM_DELETEITEM,
                                             LVM_DELETEALLITEMS,
                                             LVM_GETNEXTITEM,
                                             LVM_FINDITEMA,
                                             LVM_SCROLL,
                                             LVM_INSERTCOLUMNA,
                                             LVM_DELETECOLUMN,
                                             LVM_GETCOLUMNWIDTH,
                                             LVM_SETITEMSTATE,
                                             LVM_SORTITEMS,
                                             LVM_SETEXTENDEDLISTVIEWSTYLE,
                                             LVM_GETEXTENDEDLISTVIEWSTYLE};

class ListViewTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.Handle());
        ASSERT_TRUE(list.Create(0, WS_CHILD | LVS_REPORT | LVS_SHAREIMAGELISTS, 0, 0, 400, 300, "",
                                parent.Handle()));
    }

    void AddColumn(const char* title, int subItem, int width) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = const_cast<char*>(title);
        column.cx = width;
        column.iSubItem = subItem;
        ASSERT_EQ(subItem,
                  SendMessageA(list.GetHandle(), LVM_INSERTCOLUMNA, subItem, Address(&column)));
    }
    // Rows in this order, the first text in column 0, the second (if any) in column 1.
    void AddRow(const char* first, const char* second = nullptr, LPARAM value = 0) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = Rows();
        item.pszText = const_cast<char*>(first);
        item.lParam = value;
        int row =
            static_cast<int>(SendMessageA(list.GetHandle(), LVM_INSERTITEMA, 0, Address(&item)));
        ASSERT_GE(row, 0);
        if (!second) return;
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.iSubItem = 1;
        item.pszText = const_cast<char*>(second);
        ASSERT_TRUE(SendMessageA(list.GetHandle(), LVM_SETITEMA, 0, Address(&item)));
    }
    int Rows() const {
        return static_cast<int>(SendMessageA(list.GetHandle(), LVM_GETITEMCOUNT, 0, 0));
    }
    std::string Cell(int row, int subItem) const {
        char text[64] = "";
        LVITEMA item = {};
        item.iSubItem = subItem;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list.GetHandle(), LVM_GETITEMTEXTA, row, Address(&item));
        return text;
    }
    std::string ColumnTitle(int column) const {
        char text[64] = "";
        LVCOLUMNA record = {};
        record.mask = LVCF_TEXT;
        record.pszText = text;
        record.cchTextMax = sizeof text;
        if (!SendMessageA(list.GetHandle(), LVM_GETCOLUMNA, column, Address(&record))) return "-";
        return text;
    }

    ParentWindow parent;
    ListView list;
};

LPARAM sortValueSeen = 0;

int CALLBACK ByValue(LPARAM a, LPARAM b, LPARAM sortValue) {
    sortValueSeen = sortValue;
    return a < b ? -1 : a > b ? 1 : 0;
}

}  // namespace

TEST(ListViewLifetime, ConstructorsWrapOnlyWhatTheyAreGiven) {
    ListView empty;
    EXPECT_EQ(nullptr, empty.GetHandle());
    EXPECT_EQ(nullptr, empty.GetOwner());
    EXPECT_EQ(nullptr, empty.GetInstance());
    EXPECT_EQ(0, empty.GetControlId());

    ParentWindow parent;
    ListView wrapped(parent.Handle());
    EXPECT_EQ(parent.Handle(), wrapped.GetHandle());
    EXPECT_EQ(nullptr, wrapped.GetOwner());
    EXPECT_EQ(nullptr, wrapped.GetInstance());
    EXPECT_EQ(0, wrapped.GetControlId());
}

TEST(ListViewLifetime, DestroyingTheWrapperLeavesItsControl) {
    ParentWindow parent;
    ShowWindow(parent.Handle(), SW_SHOWNOACTIVATE);
    HWND created;
    HWND attached = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE, 0, 0, 50, 50,
                                    parent.Handle(), nullptr, nullptr, nullptr);
    {
        ListView made;
        created = made.Create(0, WS_CHILD | LVS_REPORT, 60, 0, 50, 50, "", parent.Handle());
        ListView attaching;
        attaching.Attach(parent.Handle(), attached);
    }
    EXPECT_TRUE(IsWindow(created));
    EXPECT_TRUE(IsWindowVisible(created));
    EXPECT_TRUE(IsWindow(attached));
    EXPECT_TRUE(IsWindowVisible(attached));
}

TEST_F(ListViewTest, CreateMakesAVisibleChildWithId0AndLeavesControlIdAndInstance) {
    ListView made;
    made.AttachDlgItem(parent.Handle(), 1234);  // no such control: an empty wrapper with an ID
    EXPECT_EQ(nullptr, made.GetHandle());
    EXPECT_EQ(nullptr, made.GetInstance());
    EXPECT_EQ(1234, made.GetControlId());

    HWND handle = made.Create(0, WS_CHILD | LVS_REPORT, 10, 20, 200, 100, "name", parent.Handle());
    ASSERT_TRUE(handle);
    EXPECT_EQ(handle, made.GetHandle());
    char className[64] = "";
    GetClassNameA(handle, className, sizeof className);
    EXPECT_STREQ("SysListView32", className);
    EXPECT_TRUE(GetWindowLongA(handle, GWL_STYLE) & WS_VISIBLE) << "shown though not asked to be";
    EXPECT_EQ(0, GetDlgCtrlID(handle));
    EXPECT_EQ(parent.Handle(), GetParent(handle));
    EXPECT_EQ(parent.Handle(), made.GetOwner());
    EXPECT_EQ(1234, made.GetControlId());
    EXPECT_EQ(nullptr, made.GetInstance());
    char name[16] = "";
    GetWindowTextA(handle, name, sizeof name);
    EXPECT_STREQ("name", name);
    RECT rect;
    GetWindowRect(handle, &rect);
    EXPECT_EQ(200, rect.right - rect.left);
    EXPECT_EQ(100, rect.bottom - rect.top);
}

TEST_F(ListViewTest, CreateThatFailsReturnsNullAndWrapsNothing) {
    ListView made;
    // A child without a parent cannot be made.
    EXPECT_EQ(nullptr, made.Create(0, WS_CHILD, 0, 0, 10, 10, "", nullptr));
    EXPECT_EQ(nullptr, made.GetHandle());
    EXPECT_EQ(nullptr, made.GetOwner());
}

TEST_F(ListViewTest, AttachDlgItemStoresTheIdTheOwnerAndTheControlsOwnInstance) {
    // An instance that is neither the program's nor the class's, so it can only come from the
    // control itself.
    HINSTANCE user32 = GetModuleHandleA("user32.dll");
    HWND control = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD, 0, 0, 50, 50, parent.Handle(),
                                   reinterpret_cast<HMENU>(1000), user32, nullptr);
    ASSERT_TRUE(control);
    ASSERT_EQ(reinterpret_cast<LONG_PTR>(user32), GetWindowLongPtrA(control, GWLP_HINSTANCE));

    ListView attached;
    attached.AttachDlgItem(parent.Handle(), 1000);
    EXPECT_EQ(1000, attached.GetControlId());
    EXPECT_EQ(control, attached.GetHandle());
    EXPECT_EQ(parent.Handle(), attached.GetOwner());
    EXPECT_EQ(user32, attached.GetInstance());

    // Attach takes the owner it is given, whatever the control's parent.
    ListView other;
    EXPECT_EQ(user32, other.Attach(list.GetHandle(), control));
    EXPECT_EQ(list.GetHandle(), other.GetOwner());
    EXPECT_EQ(control, other.GetHandle());
    EXPECT_EQ(0, other.GetControlId());
}

TEST_F(ListViewTest, AddExtendedStyleKeepsTheBitsAlreadySetAndAddsTheNewOnes) {
    SendMessageA(list.GetHandle(), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_CHECKBOXES);
    MessageRecorder recorder(list.GetHandle());
    list.AddExtendedStyle(0x0421);
    std::vector<Message> expected = {{0x1037, 0, 0}, {0x1036, 0, 0x0425}};
    EXPECT_EQ(expected, recorder.Only(kListViewMessages));
    EXPECT_EQ(0x0425, SendMessageA(list.GetHandle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

TEST_F(ListViewTest, InsertColumnPutsTheColumnWhereTheRecordsSubItemSays) {
    AddColumn("a", 0, 60);
    AddColumn("b", 1, 60);
    MessageRecorder recorder(list.GetHandle());
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;  // the sub-item is used even where the mask omits it
    column.pszText = const_cast<char*>("c");
    column.cx = 70;
    column.iSubItem = 1;
    EXPECT_EQ(1, list.InsertColumn(&column));
    EXPECT_EQ(-1, list.InsertColumn(nullptr));
    std::vector<Message> expected = {{0x101B, 1, Address(&column)}, {0x101B, 0, 0}};
    EXPECT_EQ(expected, recorder.Only(kListViewMessages));
    EXPECT_EQ("a", ColumnTitle(0));
    EXPECT_EQ("c", ColumnTitle(1));
    EXPECT_EQ("b", ColumnTitle(2));
    EXPECT_EQ("-", ColumnTitle(3));
}

TEST_F(ListViewTest, RecordAndIndexOperationsSendTheirArgumentsAsGiven) {
    AddColumn("a", 0, 60);
    AddColumn("b", 1, 80);
    AddRow("a0", "a1");
    AddRow("b0", "b1");
    AddRow("c0", "c1");
    MessageRecorder recorder(list.GetHandle());

    LVITEMA added = {};
    added.mask = LVIF_TEXT;
    added.iItem = 5;
    added.pszText = const_cast<char*>("d0");
    EXPECT_EQ(3, list.InsertItem(&added));
    char text[16] = "";
    LVITEMA read = {};
    read.mask = LVIF_TEXT;
    read.iItem = 3;
    read.pszText = text;
    read.cchTextMax = sizeof text;
    EXPECT_TRUE(list.GetItem(&read));
    EXPECT_STREQ("d0", text);
    LVITEMA changed = {};
    changed.mask = LVIF_TEXT;
    changed.iItem = 3;
    changed.iSubItem = 1;
    changed.pszText = const_cast<char*>("d1");
    EXPECT_TRUE(list.SetItem(&changed));
    EXPECT_EQ("d1", Cell(3, 1));
    LVFINDINFOA find = {};
    find.flags = LVFI_STRING;
    find.psz = "b0";
    EXPECT_EQ(1, list.FindItem(-1, &find));
    EXPECT_EQ(-1, list.FindItem(1, &find)) << "the search starts after the start index";
    EXPECT_EQ(80, list.GetColumnWidth(1));
    list.Scroll(-3, 4);
    EXPECT_TRUE(list.DeleteItem(1));
    EXPECT_FALSE(list.DeleteItem(9));
    EXPECT_TRUE(list.DeleteColumn(1));
    EXPECT_EQ(3, Rows());
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(0, Rows());

    std::vector<Message> expected = {
        {0x1007, 0, Address(&added)},
        {0x1005, 0, Address(&read)},
        {0x1006, 0, Address(&changed)},
        {0x100D, static_cast<WPARAM>(-1), Address(&find)},
        {0x100D, 1, Address(&find)},
        {0x101D, 1, 0},
        {0x1014, static_cast<WPARAM>(-3), 4},
        {0x1008, 1, 0},
        {0x1008, 9, 0},
        {0x101C, 1, 0},
        {0x1009, 0, 0},
    };
    EXPECT_EQ(expected, recorder.Only(kListViewMessages));
}

TEST_F(ListViewTest, SortItemsAndSetImageListPutTheirFirstArgumentInLParam) {
    AddColumn("a", 0, 60);
    AddRow("three", nullptr, 3);
    AddRow("one", nullptr, 1);
    AddRow("two", nullptr, 2);
    HIMAGELIST first = ImageList_Create(16, 16, ILC_COLOR, 1, 1);
    HIMAGELIST second = ImageList_Create(16, 16, ILC_COLOR, 1, 1);
    MessageRecorder recorder(list.GetHandle());

    EXPECT_TRUE(list.SortItems(ByValue, 5));
    EXPECT_EQ(5, sortValueSeen) << "the comparison got the sort value";
    EXPECT_EQ("one", Cell(0, 0));
    EXPECT_EQ("two", Cell(1, 0));
    EXPECT_EQ("three", Cell(2, 0));
    EXPECT_EQ(nullptr, list.SetImageList(first, LVSIL_SMALL));
    EXPECT_EQ(first, list.SetImageList(second, LVSIL_SMALL)) << "the list held before";

    std::vector<Message> expected = {
        {0x1030, 5, reinterpret_cast<LPARAM>(ByValue)},
        {0x1003, LVSIL_SMALL, reinterpret_cast<LPARAM>(first)},
        {0x1003, LVSIL_SMALL, reinterpret_cast<LPARAM>(second)},
    };
    EXPECT_EQ(expected, recorder.Only(kListViewMessages));
    list.SetImageList(nullptr, LVSIL_SMALL);
    ImageList_Destroy(first);
    ImageList_Destroy(second);
}

TEST_F(ListViewTest, GetItemTextTellsTheControlTheLow16BitsOfTheCapacity) {
    AddColumn("a", 0, 60);
    AddColumn("b", 1, 60);
    AddRow("a0", "abcdef");
    MessageRecorder recorder(list.GetHandle());
    ItemRecordCopier copier(list.GetHandle(), {LVM_GETITEMTEXTA});

    std::vector<char> buffer(70000, 'x');
    EXPECT_EQ(6, list.GetItemText(0, 1, buffer.data(), 70000));
    EXPECT_STREQ("abcdef", buffer.data());
    list.GetItemText(0, 1, buffer.data(), 65539);

    auto messages = recorder.Only({LVM_GETITEMTEXTA});
    ASSERT_EQ(2u, messages.size());
    EXPECT_EQ(0x102Du, messages[0].message);
    EXPECT_EQ(0u, messages[0].wParam);
    ASSERT_EQ(2u, copier.Records().size());
    const LVITEMA& told = copier.Records()[0];
    EXPECT_EQ(4464, told.cchTextMax);
    EXPECT_EQ(1, told.iSubItem);
    EXPECT_EQ(buffer.data(), told.pszText);
    EXPECT_EQ(3, copier.Records()[1].cchTextMax) << "65539 is told as 3";
}

TEST_F(ListViewTest, SelectionSendsItsOwnRecordAndAlwaysAnswers1) {
    AddColumn("a", 0, 60);
    AddRow("a");
    AddRow("b");
    AddRow("c");
    MessageRecorder recorder(list.GetHandle());
    ItemRecordCopier copier(list.GetHandle(), {LVM_SETITEMSTATE});

    EXPECT_EQ(-1, list.GetNextItem(-1, LVNI_SELECTED));
    EXPECT_EQ(1, list.SelectItem(1));
    EXPECT_EQ(1, list.GetNextItem(-1, LVNI_SELECTED));
    EXPECT_EQ(1, list.GetNextItem(-1, 0xABCD0000 | LVNI_SELECTED)) << "high bits dropped";
    EXPECT_EQ(1, list.DeselectItem(1));
    EXPECT_EQ(-1, list.GetNextItem(-1, LVNI_SELECTED));
    EXPECT_EQ(1, list.SelectItem(99)) << "no such item";
    EXPECT_EQ(1, list.DeselectItem(99));
    EXPECT_EQ(1, list.SelectItem(-1)) << "every item";
    EXPECT_EQ(0, list.GetNextItem(-1, LVNI_SELECTED));
    EXPECT_EQ(2, list.GetNextItem(1, LVNI_SELECTED));

    const WPARAM all = static_cast<WPARAM>(-1);
    std::vector<UINT> kinds = {LVM_GETNEXTITEM, LVM_SETITEMSTATE};
    auto actual = recorder.Only(kinds);
    ASSERT_EQ(11u, actual.size());
    for (Message& message : actual)
        if (message.message == LVM_SETITEMSTATE) message.lParam = message.lParam != 0;
    std::vector<Message> expected = {
        {0x100C, all, 2}, {0x102B, 1, 1},   {0x100C, all, 2}, {0x100C, all, 2},
        {0x102B, 1, 1},   {0x100C, all, 2}, {0x102B, 99, 1},  {0x102B, 99, 1},
        {0x102B, all, 1}, {0x100C, all, 2}, {0x100C, 1, 2},
    };
    EXPECT_EQ(expected, actual);
    const UINT states[] = {LVIS_SELECTED, 0, LVIS_SELECTED, 0, LVIS_SELECTED};
    ASSERT_EQ(5u, copier.Records().size());
    for (size_t i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(static_cast<UINT>(LVIS_SELECTED), copier.Records()[i].stateMask);
        EXPECT_EQ(states[i], copier.Records()[i].state);
    }
}

TEST_F(ListViewTest, ResultsComeFromTheControlUnchangedExceptForSelection) {
    MessageRecorder recorder(list.GetHandle());
    LVCOLUMNA column = {};
    LVITEMA item = {};
    LVFINDINFOA find = {};
    char text[8];
    const struct {
        UINT message;
        LRESULT answer;
    } answers[] = {
        {LVM_DELETECOLUMN, 0x71},   {LVM_INSERTCOLUMNA, 0x72},  {LVM_INSERTITEMA, 0x73},
        {LVM_DELETEALLITEMS, 0x74}, {LVM_GETITEMA, 0x75},       {LVM_SETITEMA, 0x76},
        {LVM_SORTITEMS, 0x77},      {LVM_FINDITEMA, 0x78},      {LVM_GETITEMTEXTA, 0x79},
        {LVM_GETNEXTITEM, 0x7A},    {LVM_GETCOLUMNWIDTH, 0x7B}, {LVM_DELETEITEM, 0x7C},
        {LVM_SETIMAGELIST, 0x7D},   {LVM_SCROLL, 0x7E},         {LVM_SETITEMSTATE, 0},
    };
    for (const auto& answer : answers)
        recorder.Answer(answer.message, answer.answer);

    EXPECT_EQ(0x71, list.DeleteColumn(0));
    EXPECT_EQ(0x72, list.InsertColumn(&column));
    EXPECT_EQ(0x73, list.InsertItem(&item));
    EXPECT_EQ(0x74, list.DeleteAllItems());
    EXPECT_EQ(0x75, list.GetItem(&item));
    EXPECT_EQ(0x76, list.SetItem(&item));
    EXPECT_EQ(0x77, list.SortItems(ByValue, 0));
    EXPECT_EQ(0x78, list.FindItem(0, &find));
    EXPECT_EQ(0x79, list.GetItemText(0, 0, text, sizeof text));
    EXPECT_EQ(0x7A, list.GetNextItem(0, 0));
    EXPECT_EQ(0x7B, list.GetColumnWidth(0));
    EXPECT_EQ(0x7C, list.DeleteItem(0));
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(0x7D), list.SetImageList(nullptr, 0));
    EXPECT_EQ(0x7E, list.Scroll(0, 0));
    EXPECT_EQ(1, list.SelectItem(0)) << "the control answered 0";
    EXPECT_EQ(1, list.DeselectItem(0)) << "the control answered 0";
}
