// The add/edit dialog on the real panel: fields per kind, the OK checks, what is written
// to bts.db, the preview, and a button deleted through the panel while its dialog is open.
#include <sqlite3.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "buttons/icon_imaging_win.h"
#include "dialogs/add_dialog_logic.h"
#include "dialogs/add_dialog_win.h"
#include "framework/gdiplus_win.h"
#include "framework/text.h"
#include "panel_fixture.h"

namespace quorlin::testing {
namespace {

const wchar_t kMsgTitle[] = L"请输入标题";
const wchar_t kMsgTarget[] = L"请输入目标地址";
const wchar_t kMsgPrefix[] = L"请输入正确的网址，必须以http://或https://开头";

// Every pixel of a picture as 0xAARRGGBB, row by row (empty for none).
std::vector<Gdiplus::ARGB> PixelsOf(Gdiplus::Image* image) {
    std::vector<Gdiplus::ARGB> out;
    std::unique_ptr<Gdiplus::Image> copy = CopyImage(image);
    if (!copy) return out;
    auto* bitmap = static_cast<Gdiplus::Bitmap*>(copy.get());
    for (UINT y = 0; y < bitmap->GetHeight(); ++y) {
        for (UINT x = 0; x < bitmap->GetWidth(); ++x) {
            Gdiplus::Color c;
            bitmap->GetPixel(static_cast<INT>(x), static_cast<INT>(y), &c);
            out.push_back(c.GetValue());
        }
    }
    return out;
}

std::wstring TextOf(HWND dialog, int id) { return fw::GetWindowTextString(::GetDlgItem(dialog, id)); }
bool Visible(HWND dialog, int id) { return ::IsWindowVisible(::GetDlgItem(dialog, id)) != FALSE; }
bool Enabled(HWND dialog, int id) { return ::IsWindowEnabled(::GetDlgItem(dialog, id)) != FALSE; }

// The add/edit dialog currently open on this thread, found through its window.
HWND FindAddDialog() {
    struct Search {
        HWND found = nullptr;
    } search;
    ::EnumThreadWindows(
        ::GetCurrentThreadId(),
        [](HWND h, LPARAM lp) -> BOOL {
            if (dynamic_cast<CAddDlg*>(fw::WindowBase::FromHandle(h)) && ::IsWindowVisible(h)) {
                reinterpret_cast<Search*>(lp)->found = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The visible dialog window owned by `owner` (a common dialog it opened), or null.
HWND FindOwnedDialog(HWND owner) {
    struct Search {
        HWND owner;
        HWND found = nullptr;
    } search{owner};
    ::EnumWindows(
        [](HWND h, LPARAM lp) -> BOOL {
            auto* s = reinterpret_cast<Search*>(lp);
            wchar_t cls[16] = {};
            ::GetClassNameW(h, cls, 16);
            if (::GetWindow(h, GW_OWNER) == s->owner && ::IsWindowVisible(h) && std::wstring(cls) == L"#32770") {
                s->found = h;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Text of a control of a window on another thread.
std::wstring ControlText(HWND window, int id) {
    wchar_t buf[1024] = {};
    ::SendDlgItemMessageW(window, id, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf));
    return buf;
}

std::wstring Folded(std::wstring s) {
    while (!s.empty() && s.back() == L'\\') s.pop_back();
    for (auto& c : s) c = static_cast<wchar_t>(::towlower(c));
    return s;
}

// Plays the user in front of a common dialog that `owner` opens: waits for it on a thread
// of its own (the test's thread is inside the dialog's modal loop), lets `act` look at it
// and answer, and closes whatever is still open after a few seconds.
class CommonDialogUser {
public:
    CommonDialogUser(HWND owner, std::function<void(HWND)> act)
        : thread_([this, owner, act] {
              for (int i = 0; i < 400 && !stop_; ++i) {
                  if (HWND d = FindOwnedDialog(owner)) {
                      std::this_thread::sleep_for(std::chrono::milliseconds(100));  // let it initialise
                      act(d);
                      seen = true;
                      return;
                  }
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
              }
              if (HWND d = FindOwnedDialog(owner)) ::PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
          }) {}
    ~CommonDialogUser() {
        stop_ = true;
        thread_.join();
    }
    std::atomic<bool> seen{false};

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class AddDialogTest : public PanelTest {
protected:
    void TearDown() override {
        dialog.reset();
        PanelTest::TearDown();
    }

    // A row written straight into the file before the panel opens (null para = NULL).
    int InsertRow(int kind, const std::wstring& title, const std::wstring& path, const wchar_t* para, int sort) {
        sqlite3* h = nullptr;
        EXPECT_EQ(sqlite3_open_v2(db.u8string().c_str(), &h, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(h, "insert into tb_Btns (iType, Title, PathName, Para, sort) values (?, ?, ?, ?, ?)", -1,
                           &st, nullptr);
        const std::string t = ToUtf8(title), p = ToUtf8(path), a = para ? ToUtf8(para) : std::string();
        sqlite3_bind_int(st, 1, kind);
        sqlite3_bind_text(st, 2, t.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, p.c_str(), -1, SQLITE_TRANSIENT);
        if (para) sqlite3_bind_text(st, 4, a.c_str(), -1, SQLITE_TRANSIENT);
        else sqlite3_bind_null(st, 4);
        sqlite3_bind_int(st, 5, sort);
        EXPECT_EQ(sqlite3_step(st), SQLITE_DONE);
        sqlite3_finalize(st);
        const int id = static_cast<int>(sqlite3_last_insert_rowid(h));
        sqlite3_close(h);
        return id;
    }

    // A row added through the open panel (as a drop or a common entry would add it).
    int InsertRowLive(int kind, const std::wstring& title, const std::wstring& path, const std::wstring& para = L"") {
        EXPECT_TRUE(panel->Buttons().AddButton(title, path, kind, para));
        return std::stoi(Query("select max(ID) from tb_Btns"));
    }

    // A statement run by another connection (another program changing the table).
    void ExecElsewhere(const std::string& sql) {
        sqlite3* h = nullptr;
        ASSERT_EQ(sqlite3_open_v2(db.u8string().c_str(), &h, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        char* err = nullptr;
        EXPECT_EQ(sqlite3_exec(h, sql.c_str(), nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
        sqlite3_free(err);
        sqlite3_close(h);
    }

    std::wstring MakeFile(const std::string& name) {
        dir.WriteFile(name, "quorlin");
        return dir.File(name).wstring();
    }
    std::wstring MakeFolder(const std::string& name) {
        std::filesystem::create_directory(dir.File(name));
        return dir.File(name).wstring();
    }

    // Opens the dialog modeless, as the button's edit command would open it modally.
    HWND OpenEdit(int id) {
        CButtonEx* button = panel->Buttons().Find(id);
        EXPECT_NE(button, nullptr) << "no button " << id;
        RECT r{};
        if (button) ::GetWindowRect(button->hwnd(), &r);
        dialog = std::make_unique<CAddDlg>(panel->CommandSet(), r, -1, button ? button->ID : 0);
        return Show();
    }
    // Opens the dialog modeless, as the panel's web-address command would open it modally.
    HWND OpenAdd() {
        RECT r{};
        ::GetWindowRect(panel->hwnd(), &r);
        dialog = std::make_unique<CAddDlg>(panel->CommandSet(), r, ItemKind::Url);
        return Show();
    }
    HWND Show() {
        EXPECT_TRUE(dialog->Create(::GetDesktopWindow()));
        ::ShowWindow(dialog->hwnd(), SW_SHOW);
        Pump(10);
        return dialog->hwnd();
    }

    void Set(int id, const std::wstring& text) { ::SetDlgItemTextW(dialog->hwnd(), id, text.c_str()); }

    // Clicks OK as the button would, and lets everything run. Returns the number of
    // render requests that reached the panel's queue meanwhile.
    int ClickOk(HWND d) {
        ::PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(d, IDOK)));
        int renders = 0;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(40);
        do {
            MSG msg;
            while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (msg.message == WM_RENDER_REQUEST && msg.hwnd == panel->hwnd())
                    ++renders;
                fw::MessageLoop::Dispatch(msg);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        } while (std::chrono::steady_clock::now() < end);
        return renders;
    }

    // The last message box, checked to be one of the dialog's own notices.
    std::wstring LastNotice(HWND owner) {
        auto shown = boxes.Shown();
        if (shown.empty()) return L"<none>";
        const ShownMessage& m = shown.back();
        EXPECT_EQ(m.owner, reinterpret_cast<std::uintptr_t>(owner));
        EXPECT_EQ(m.caption, CQuorlinApp::AppName());
        EXPECT_EQ(m.flags, static_cast<unsigned>(kMbOk));
        return m.text;
    }

    std::string Row(int id) {
        return Query("select iType, Title, PathName, ifnull(Para, '<null>'), sort from tb_Btns where ID = " +
                     std::to_string(id));
    }

    std::unique_ptr<CAddDlg> dialog;
};

using AddDialogFieldsTest = AddDialogTest;
using AddDialogConfirmTest = AddDialogTest;
using AddDialogPreviewTest = AddDialogTest;
using AddDialogSafetyTest = AddDialogTest;
using AddDialogModalTest = AddDialogTest;

// ---------------------------------------------------------------- opening

TEST_F(AddDialogFieldsTest, AddModeShowsTheWebAddressFieldsCaptionFocusAndIconOfAnEmptyAddress) {
    OpenPanel();
    HWND d = OpenAdd();
    ASSERT_TRUE(::IsWindow(d));
    EXPECT_EQ(fw::GetWindowTextString(d), L"添加");
    EXPECT_EQ(TextOf(d, IDC_PATH_LABEL), L"网址：");
    EXPECT_TRUE(Visible(d, IDC_TITLE) && Enabled(d, IDC_TITLE));
    EXPECT_TRUE(Visible(d, IDC_PATH) && Enabled(d, IDC_PATH));
    EXPECT_FALSE(Visible(d, IDC_BROWSE));
    EXPECT_FALSE(Visible(d, IDC_PARA_LABEL));
    EXPECT_FALSE(Visible(d, IDC_PARA));
    EXPECT_FALSE(Enabled(d, IDC_PARA));
    EXPECT_EQ(TextOf(d, IDC_TITLE), L"");
    EXPECT_EQ(TextOf(d, IDC_PATH), L"");
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(d, IDC_TITLE));
    // The template's own texts.
    EXPECT_EQ(TextOf(d, IDOK), L"确定");
    EXPECT_EQ(TextOf(d, IDCANCEL), L"取消");
    EXPECT_EQ(TextOf(d, IDC_BROWSE), L"浏览");
    EXPECT_EQ(TextOf(d, IDC_PARA_LABEL), L"参数：");
    // The preview is the icon for (Url, "", "").
    auto expected = IconForItem(ItemKind::Url, L"", L"");
    ASSERT_TRUE(dialog->Preview());
    EXPECT_EQ(PixelsOf(dialog->Preview()), PixelsOf(expected.get()));
    // Style of the template: pop-up, thin border, no caption bar, above all windows.
    const LONG_PTR style = ::GetWindowLongPtrW(d, GWL_STYLE), ex = ::GetWindowLongPtrW(d, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(style & WS_BORDER);
    EXPECT_FALSE((style & WS_CAPTION) == WS_CAPTION);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
}

TEST_F(AddDialogFieldsTest, EditModeTakesTheRecordAndAdaptsTheFieldsToEachKind) {
    const std::wstring file = MakeFile("a.txt"), folder = MakeFolder("docs");
    const int fileId = InsertRow(ItemKind::File, L"文件一", file, L"-p", 10);
    const int browserId = InsertRow(ItemKind::BrowserUrl, L"浏览", L"www.a.example", L"bp", 11);
    const int folderId = InsertRow(ItemKind::Folder, L"目录", folder, L"fp", 12);
    const int urlId = InsertRow(ItemKind::Url, L"网站", L"http://u.example/", nullptr, 13);
    const int oddId = InsertRow(7, L"奇怪", file, L"op", 14);
    OpenPanel();

    struct Expect {
        int id;
        int kind;
        const wchar_t* label;
        bool browse, params, paramsEnabled;
    };
    const Expect cases[] = {
        {fileId, ItemKind::File, L"文件：", true, true, true},
        {browserId, ItemKind::BrowserUrl, L"网址：", false, false, true},
        {folderId, ItemKind::Folder, L"路径：", true, false, false},
        {urlId, ItemKind::Url, L"网址：", false, false, false},
        {oddId, 7, L"文件：", true, true, true},  // unknown code: everything shown, label unchanged
    };
    for (const Expect& c : cases) {
        SCOPED_TRACE(c.kind);
        CButtonEx* button = panel->Buttons().Find(c.id);
        ASSERT_NE(button, nullptr);
        HWND d = OpenEdit(c.id);
        EXPECT_EQ(dialog->Kind(), c.kind);
        EXPECT_EQ(fw::GetWindowTextString(d), L"修改");
        EXPECT_EQ(TextOf(d, IDC_TITLE), button->Title);
        EXPECT_EQ(TextOf(d, IDC_PATH), button->PathName);
        EXPECT_EQ(TextOf(d, IDC_PARA), button->Para);
        EXPECT_EQ(TextOf(d, IDC_PATH_LABEL), c.label);
        EXPECT_TRUE(Visible(d, IDC_TITLE) && Enabled(d, IDC_TITLE));
        EXPECT_TRUE(Visible(d, IDC_PATH_LABEL));
        EXPECT_TRUE(Visible(d, IDC_PATH) && Enabled(d, IDC_PATH));
        EXPECT_EQ(Visible(d, IDC_BROWSE), c.browse);
        EXPECT_EQ(Visible(d, IDC_PARA_LABEL), c.params);
        EXPECT_EQ(Visible(d, IDC_PARA), c.params);
        EXPECT_EQ(Enabled(d, IDC_PARA), c.paramsEnabled);
        // Focus on the whole title, selected.
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(d, IDC_TITLE));
        DWORD from = 1, to = 0;
        ::SendDlgItemMessageW(d, IDC_TITLE, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(from, 0u);
        EXPECT_EQ(to, button->Title.size());
        // The preview is a copy of the button's own picture, not the picture itself.
        ASSERT_TRUE(dialog->Preview());
        EXPECT_NE(dialog->Preview(), button->Image());
        EXPECT_EQ(PixelsOf(dialog->Preview()), PixelsOf(button->Image()));
        if (c.kind == ItemKind::File) {
            // Tab order of the template: OK, Cancel, title, parameters, target, browse.
            std::vector<int> order;
            HWND h = ::GetDlgItem(d, IDOK);
            for (int i = 0; i < 6; ++i, h = ::GetNextDlgTabItem(d, h, FALSE))
                order.push_back(::GetDlgCtrlID(h));
            EXPECT_EQ(order, (std::vector<int>{IDOK, IDCANCEL, IDC_TITLE, IDC_PARA, IDC_PATH, IDC_BROWSE}));
        }
        dialog.reset();
    }

    // The reserved "我的电脑" row is a ShellEntry: only its greyed title is left.
    HWND d = OpenEdit(1);
    EXPECT_EQ(dialog->Kind(), ItemKind::ShellEntry);
    EXPECT_EQ(TextOf(d, IDC_TITLE), L"我的电脑");
    EXPECT_TRUE(Visible(d, IDC_TITLE));
    EXPECT_FALSE(Enabled(d, IDC_TITLE));
    for (int id : {IDC_PATH_LABEL, IDC_PATH, IDC_BROWSE, IDC_PARA_LABEL, IDC_PARA}) EXPECT_FALSE(Visible(d, id)) << id;
}

TEST_F(AddDialogFieldsTest, WindowIsRoundedDraggableByItsFaceAndShowsThePreviewInsideIt) {
    OpenPanel();
    HWND d = OpenAdd();
    // The template in pixels at its font here: the preview (300, 20) + 48 must fit.
    RECT units{0, 0, 294, 117};
    ASSERT_TRUE(::MapDialogRect(d, &units));
    RECT client{};
    ::GetClientRect(d, &client);
    std::printf("[ add dialog ] template 294 x 117 units = %ld x %ld px, client %ld x %ld px\n", units.right,
                units.bottom, client.right, client.bottom);
    EXPECT_GE(client.right, kPreviewOrigin.x + 48);
    EXPECT_GE(client.bottom, kPreviewOrigin.y + 48);

    // Region: the rounded rectangle from (1, 1) to the client's size.
    HRGN rgn = ::CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(::GetWindowRgn(d, rgn), ERROR);
    EXPECT_FALSE(::PtInRegion(rgn, 0, 0));
    EXPECT_FALSE(::PtInRegion(rgn, 1, 1));  // cut off by the rounded corner
    EXPECT_TRUE(::PtInRegion(rgn, 10, 10));
    EXPECT_TRUE(::PtInRegion(rgn, client.right / 2, client.bottom - 2));
    EXPECT_FALSE(::PtInRegion(rgn, client.right / 2, client.bottom + 1));
    ::DeleteObject(rgn);

    // Hit test: the face of the dialog answers HTCAPTION, its border and the outside do not.
    RECT w{};
    ::GetWindowRect(d, &w);
    auto hit = [d](int x, int y) { return ::SendMessageW(d, WM_NCHITTEST, 0, MAKELPARAM(x, y)); };
    EXPECT_EQ(hit(w.left + 350, w.top + 150), HTCAPTION);
    EXPECT_EQ(hit(w.left + 5, w.top + 5), HTCAPTION);
    EXPECT_NE(hit(w.left - 20, w.top - 20), HTCAPTION);
    EXPECT_EQ(hit(w.left, w.top + 60), HTBORDER);
    // The controls stay controls: the point over OK belongs to the button window.
    RECT ok{};
    ::GetWindowRect(::GetDlgItem(d, IDOK), &ok);
    EXPECT_EQ(::WindowFromPoint(POINT{(ok.left + ok.right) / 2, (ok.top + ok.bottom) / 2}), ::GetDlgItem(d, IDOK));

    // Painting: the icon appears at client (300, 20), nothing of it elsewhere.
    ::RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Pump(20);
    HDC dc = ::GetDC(d);
    const COLORREF face = ::GetPixel(dc, 420, 60);
    int iconPixels = 0;
    for (int y = 20; y < 68; y += 2)
        for (int x = 300; x < 348; x += 2)
            if (::GetPixel(dc, x, y) != face) ++iconPixels;
    int strayPixels = 0;
    for (int y = 20; y < 68; y += 2)
        for (int x = 350; x < 398; x += 2)
            if (::GetPixel(dc, x, y) != face) ++strayPixels;
    ::ReleaseDC(d, dc);
    EXPECT_GT(iconPixels, 100);
    EXPECT_EQ(strayPixels, 0);
}

// ---------------------------------------------------------------- OK checks and writing

TEST_F(AddDialogConfirmTest, BlankTitleOrTargetIsRefusedWithTheFocusOnThatFieldInBothModes) {
    const int id = InsertRow(ItemKind::File, L"文件", MakeFile("b.txt"), L"x", 10);
    OpenPanel();
    const std::string before = Query("select * from tb_Btns order by ID");
    for (bool edit : {false, true}) {
        SCOPED_TRACE(edit ? "edit" : "add");
        boxes.Clear();
        HWND d = edit ? OpenEdit(id) : OpenAdd();
        Set(IDC_TITLE, L" \t \u3000 ");
        Set(IDC_PATH, L"http://ok.example/");
        ::SetFocus(::GetDlgItem(d, IDC_PATH));
        ClickOk(d);
        EXPECT_EQ(LastNotice(d), kMsgTitle);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(d, IDC_TITLE));
        ASSERT_TRUE(::IsWindow(d));

        Set(IDC_TITLE, L"名称");
        Set(IDC_PATH, L"   \t ");
        ClickOk(d);
        EXPECT_EQ(LastNotice(d), kMsgTarget);
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(d, IDC_PATH));
        EXPECT_EQ(boxes.Count(), 2u);
        ASSERT_TRUE(::IsWindow(d));
        dialog.reset();
    }
    EXPECT_EQ(Query("select * from tb_Btns order by ID"), before);
}

TEST_F(AddDialogConfirmTest, WebAddressPrefixIsCaseSensitiveAndBareHttpIsAccepted) {
    OpenPanel();
    const size_t count = panel->Buttons().Count();
    HWND d = OpenAdd();
    Set(IDC_TITLE, L"大写");
    Set(IDC_PATH, L"HTTP://x");
    ::SetFocus(::GetDlgItem(d, IDC_PATH));
    ClickOk(d);
    EXPECT_EQ(LastNotice(d), kMsgPrefix);
    EXPECT_EQ(::GetFocus(), ::GetDlgItem(d, IDC_PATH));  // left where it was
    ASSERT_TRUE(::IsWindow(d));
    Set(IDC_PATH, L"ftp://x");
    ClickOk(d);
    EXPECT_EQ(LastNotice(d), kMsgPrefix);
    EXPECT_EQ(Query("select count(*) from tb_Btns"), "2");

    Set(IDC_PATH, L"http://");
    const int renders = ClickOk(d);
    EXPECT_FALSE(::IsWindow(d));
    EXPECT_GE(renders, 1);
    EXPECT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(Query("select iType, Title, PathName, ifnull(Para, '<null>') from tb_Btns where ID > 2"),
              ToUtf8(L"4|大写|http://|<null>"));
    EXPECT_EQ(panel->Buttons().Count(), count + 1);

    d = OpenAdd();
    Set(IDC_TITLE, L"安全");
    Set(IDC_PATH, L"https://s.example/");
    ClickOk(d);
    EXPECT_FALSE(::IsWindow(d));
    EXPECT_EQ(Query("select PathName from tb_Btns where ID > 2 order by ID"), "http://\nhttps://s.example/");

    // A BrowserUrl target is not checked for the prefix.
    dialog.reset();
    const int browser = InsertRowLive(ItemKind::BrowserUrl, L"浏览器网址", L"www.b.example");
    d = OpenEdit(browser);
    Set(IDC_PATH, L"ftp://b.example");
    ClickOk(d);
    EXPECT_FALSE(::IsWindow(d));
    EXPECT_EQ(Query("select PathName from tb_Btns where ID = " + std::to_string(browser)), "ftp://b.example");
}

TEST_F(AddDialogConfirmTest, AddModeStoresTrimmedValuesAndClosesAlsoForAnAddressAlreadyThere) {
    OpenPanel();
    HWND d = OpenAdd();
    Set(IDC_TITLE, L" \t 站点\u3000 ");
    Set(IDC_PATH, L"  http://a.example/\t");
    ClickOk(d);
    EXPECT_FALSE(::IsWindow(d));
    EXPECT_EQ(Query("select iType, Title, PathName, ifnull(Para, '<null>') from tb_Btns where ID > 2"),
              ToUtf8(L"4|站点|http://a.example/|<null>"));
    // The same address again: the add is a silent no-op, the dialog still closes.
    d = OpenAdd();
    Set(IDC_TITLE, L"又一个");
    Set(IDC_PATH, L"http://a.example/");
    ClickOk(d);
    EXPECT_FALSE(::IsWindow(d));
    EXPECT_EQ(Query("select count(*) from tb_Btns where ID > 2"), "1");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_F(AddDialogConfirmTest, EditWritesTheTrimmedFieldsAndTheButtonReloadsFromTheRow) {
    const std::wstring file = MakeFile("c.txt"), other = MakeFile("d.txt");
    const int id = InsertRow(ItemKind::File, L"旧标题", file, nullptr, 10);
    OpenPanel();
    const std::string sortBefore = Query("select sort from tb_Btns where ID = " + std::to_string(id));
    HWND d = OpenEdit(id);
    Set(IDC_TITLE, L"  新标题\t");
    Set(IDC_PATH, L"\t " + other + L"  ");
    Set(IDC_PARA, L"   -x  -y \u3000");
    Set(IDC_ALIAS, L" vs 编辑 ");
    const int renders = ClickOk(d);
    EXPECT_FALSE(::IsWindow(d));
    EXPECT_GE(renders, 1);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(Row(id), ToUtf8(L"0|新标题|" + other + L"|-x  -y|") + sortBefore);
    CButtonEx* button = panel->Buttons().Find(id);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->Title, L"新标题");
    EXPECT_EQ(button->PathName, other);
    EXPECT_EQ(button->Para, L"-x  -y");
    ASSERT_TRUE(button->Image());
    EXPECT_EQ(Query("select Alias from tb_Alias where ID = " + std::to_string(id)), ToUtf8(L"vs 编辑"));
    // Typed on the panel, the alias (here by its pinyin) finds its button.
    for (wchar_t c : std::wstring(L"bianji")) ::SendMessageW(panel->hwnd(), WM_CHAR, c, 1);
    const int selected = panel->Summons().Keys().selected();
    EXPECT_EQ(selected >= 0 ? panel->Buttons().At(static_cast<size_t>(selected))->ID : 0, id);
    ::SendMessageW(panel->hwnd(), WM_KEYDOWN, VK_ESCAPE, 1);

    // Para is written even when empty: a NULL becomes an empty text.
    const int bare = InsertRowLive(ItemKind::File, L"无参数", file);
    EXPECT_EQ(Query("select Para is null from tb_Btns where ID = " + std::to_string(bare)), "1");
    d = OpenEdit(bare);
    Set(IDC_PARA, L"  ");
    ClickOk(d);
    EXPECT_FALSE(::IsWindow(d));
    EXPECT_EQ(Query("select Para is null, length(Para) from tb_Btns where ID = " + std::to_string(bare)), "0|0");
}

TEST_F(AddDialogConfirmTest, TitleAsLongAsItsLimitIsAcceptedAndStoredWhole) {
    const int id = InsertRow(ItemKind::File, L"短", MakeFile("e.txt"), nullptr, 10);
    OpenPanel();
    std::wstring title;
    for (size_t i = 0; i < kMaxTitleLength; ++i) title += static_cast<wchar_t>(i % 3 == 0 ? L'长' : L'a' + i % 26);
    HWND d = OpenEdit(id);
    Set(IDC_TITLE, title);
    ASSERT_EQ(TextOf(d, IDC_TITLE).size(), kMaxTitleLength);
    ClickOk(d);
    EXPECT_FALSE(::IsWindow(d));
    EXPECT_EQ(Query("select length(Title) from tb_Btns where ID = " + std::to_string(id)), "260");
    EXPECT_EQ(Query("select Title from tb_Btns where ID = " + std::to_string(id)), ToUtf8(title));
    ASSERT_NE(panel->Buttons().Find(id), nullptr);
    EXPECT_EQ(panel->Buttons().Find(id)->Title, title);
}

TEST_F(AddDialogConfirmTest, EditingAFolderOrBrowserAddressKeepsItsHiddenParameters) {
    const int folder = InsertRow(ItemKind::Folder, L"目录", MakeFolder("f"), L"keep-folder", 10);
    const int browser = InsertRow(ItemKind::BrowserUrl, L"网页", L"www.k.example", L"keep-browser", 11);
    OpenPanel();
    for (int id : {folder, browser}) {
        HWND d = OpenEdit(id);
        Set(IDC_TITLE, L"改过");
        ClickOk(d);
        EXPECT_FALSE(::IsWindow(d));
    }
    EXPECT_EQ(Query("select Title, Para from tb_Btns where ID in (" + std::to_string(folder) + "," +
                    std::to_string(browser) + ") order by ID"),
              ToUtf8(L"改过|keep-folder\n改过|keep-browser"));
}

TEST_F(AddDialogConfirmTest, EditingAShellEntryClosesWithoutWritingOrRepainting) {
    OpenPanel();
    const std::string before = Query("select * from tb_Btns order by ID");
    HWND d = OpenEdit(1);
    Set(IDC_TITLE, L"别的名字");
    const int renders = ClickOk(d);
    EXPECT_FALSE(::IsWindow(d));
    EXPECT_EQ(renders, 0);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(Query("select * from tb_Btns order by ID"), before);
    EXPECT_EQ(panel->Buttons().Find(1)->Title, L"我的电脑");
    // Its aliases are its own to change, and only they are written.
    d = OpenEdit(1);
    Set(IDC_ALIAS, L"pc");
    ClickOk(d);
    EXPECT_EQ(Query("select * from tb_Btns order by ID"), before);
    EXPECT_EQ(Query("select Alias from tb_Alias where ID = 1"), "pc");
    EXPECT_EQ(panel->Buttons().Find(1)->Alias, L"pc");
}

TEST_F(AddDialogConfirmTest, RowRemovedByAnotherProgramShowsRowGoneAndWritesNothing) {
    const int id = InsertRow(ItemKind::File, L"将被删", MakeFile("g.txt"), L"p", 10);
    OpenPanel();
    HWND d = OpenEdit(id);
    Set(IDC_TITLE, L"新名字");
    ExecElsewhere("delete from tb_Btns where ID = " + std::to_string(id));
    const std::string before = Query("select * from tb_Btns order by ID");
    const int renders = ClickOk(d);
    EXPECT_EQ(LastNotice(d), L"不存在或已被删除");
    EXPECT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(renders, 0);
    EXPECT_TRUE(::IsWindow(d));  // stays open; Cancel leaves it
    EXPECT_EQ(Query("select * from tb_Btns order by ID"), before);
    EXPECT_EQ(panel->Buttons().Find(id)->Title, L"将被删");  // the button was not reloaded
    ::PostMessageW(d, WM_COMMAND, IDCANCEL, 0);
    Pump(20);
    EXPECT_FALSE(::IsWindow(d));
    EXPECT_EQ(Query("select * from tb_Btns order by ID"), before);
}

TEST_F(AddDialogConfirmTest, StoreErrorKeepsTheDialogOpenSilentlyUntilTheStoreAnswersAgain) {
    const int id = InsertRow(ItemKind::File, L"锁住", MakeFile("h.txt"), nullptr, 10);
    OpenPanel();
    HWND d = OpenEdit(id);
    Set(IDC_TITLE, L"解锁后");
    // Another program holds the file locked for writing beyond the store's patience.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(db.u8string().c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
    ClickOk(d);
    Pump(50);
    const bool openWhileLocked = ::IsWindow(d) != FALSE;
    sqlite3_exec(other, "rollback", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    EXPECT_TRUE(openWhileLocked);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(Query("select Title from tb_Btns where ID = " + std::to_string(id)), ToUtf8(L"锁住"));
    ClickOk(d);
    EXPECT_FALSE(::IsWindow(d));
    EXPECT_EQ(Query("select Title from tb_Btns where ID = " + std::to_string(id)), ToUtf8(L"解锁后"));
}

// ---------------------------------------------------------------- preview

TEST_F(AddDialogPreviewTest, TypingATargetRefreshesThePreviewOnlyForEditedFilesAndFolders) {
    const std::wstring file = MakeFile("i.txt");
    const int fileId = InsertRow(ItemKind::File, L"文件", file, nullptr, 10);
    const int folderId = InsertRow(ItemKind::Folder, L"目录", MakeFolder("j"), nullptr, 11);
    const int urlId = InsertRow(ItemKind::Url, L"网址", L"http://p.example/", nullptr, 12);
    const int browserId = InsertRow(ItemKind::BrowserUrl, L"浏览", L"www.p.example", nullptr, 13);
    OpenPanel();
    const std::wstring missing = dir.File("nothing-here.exe").wstring();

    for (int id : {fileId, folderId}) {
        SCOPED_TRACE(id);
        OpenEdit(id);
        const auto before = PixelsOf(dialog->Preview());
        ASSERT_FALSE(before.empty());
        Set(IDC_PATH, missing);
        const auto after = PixelsOf(dialog->Preview());
        EXPECT_NE(after, before);
        const int kind = panel->Buttons().Find(id)->iType;
        auto expected = IconForItem(kind, panel->Buttons().Find(id)->Title, missing);
        EXPECT_EQ(after, PixelsOf(expected.get()));
        // Back to a real file: the shell's icon of that file again.
        Set(IDC_PATH, file);
        auto fileIcon = IconForItem(kind, L"", file);
        EXPECT_EQ(PixelsOf(dialog->Preview()), PixelsOf(fileIcon.get()));
        // The button itself is untouched until OK.
        EXPECT_EQ(PixelsOf(panel->Buttons().Find(id)->Image()), before);
        dialog.reset();
    }

    for (int id : {urlId, browserId}) {
        SCOPED_TRACE(id);
        OpenEdit(id);
        Gdiplus::Image* shown = dialog->Preview();
        const auto before = PixelsOf(shown);
        Set(IDC_PATH, file);
        EXPECT_EQ(dialog->Preview(), shown);
        EXPECT_EQ(PixelsOf(dialog->Preview()), before);
        dialog.reset();
    }

    OpenAdd();
    Gdiplus::Image* shown = dialog->Preview();
    const auto before = PixelsOf(shown);
    Set(IDC_PATH, file);
    Set(IDC_PATH, L"http://changed.example/");
    EXPECT_EQ(dialog->Preview(), shown);
    EXPECT_EQ(PixelsOf(dialog->Preview()), before);
}

TEST_F(AddDialogPreviewTest, BrowseFillsTheTargetFromTheFileChooserOrTheFolderBrowser) {
    const std::wstring file = MakeFile("n.txt"), chosen = MakeFile("chosen.bin");
    const std::wstring folder = MakeFolder("o"), start = MakeFolder("start");
    const int fileId = InsertRow(ItemKind::File, L"挑文件", file, nullptr, 10);
    const int folderId = InsertRow(ItemKind::Folder, L"挑目录", folder, nullptr, 11);
    OpenPanel();

    {
        HWND d = OpenEdit(fileId);
        std::wstring filterShown;
        {
            CommonDialogUser user(d, [&](HWND fd) {
                filterShown = ControlText(fd, 0x470);  // the file-type box
                ::SetDlgItemTextW(fd, 0x47c, chosen.c_str());  // the file-name box
                ::PostMessageW(fd, WM_COMMAND, IDOK, 0);
            });
            ::PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED), 0);
            for (int i = 0; i < 100 && !user.seen; ++i) Pump(20);
            Pump(50);
            EXPECT_TRUE(user.seen);
        }
        EXPECT_EQ(filterShown, L"All files(*.*)");
        EXPECT_EQ(Folded(TextOf(d, IDC_PATH)), Folded(chosen));
        auto expected = IconForItem(ItemKind::File, L"挑文件", TextOf(d, IDC_PATH));
        EXPECT_EQ(PixelsOf(dialog->Preview()), PixelsOf(expected.get()));
        dialog.reset();
    }
    {
        HWND d = OpenEdit(folderId);
        Set(IDC_PATH, start);
        std::wstring caption, instruction, status;
        {
            CommonDialogUser user(d, [&](HWND fd) {
                caption = fw::GetWindowTextString(fd);
                instruction = ControlText(fd, 0x3742);
                status = ControlText(fd, 0x3743);
                ::PostMessageW(fd, WM_COMMAND, IDOK, 0);
            });
            ::PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED), 0);
            for (int i = 0; i < 100 && !user.seen; ++i) Pump(20);
            Pump(50);
            EXPECT_TRUE(user.seen);
        }
        EXPECT_EQ(caption, L"选择文件夹目录");
        EXPECT_EQ(instruction, L"请选择文件夹");
        EXPECT_EQ(Folded(status), Folded(start));
        // The browser opened on the folder the field named, and OK put it back.
        EXPECT_EQ(Folded(TextOf(d, IDC_PATH)), Folded(start));
        dialog.reset();
    }
    // For a web address there is nothing to browse.
    HWND d = OpenAdd();
    {
        CommonDialogUser user(d, [](HWND fd) { ::PostMessageW(fd, WM_COMMAND, IDCANCEL, 0); });
        ::PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_BROWSE, BN_CLICKED), 0);
        Pump(300);
        EXPECT_FALSE(user.seen);
    }
    EXPECT_EQ(TextOf(d, IDC_PATH), L"");
}

// ---------------------------------------------------------------- the edited button deleted meanwhile

TEST_F(AddDialogSafetyTest, ButtonDeletedThroughThePanelWhileOpenIsNeverReachedAndOkSaysRowGone) {
    OpenPanel();
    struct Route {
        const char* name;
        std::function<void(int id)> remove;
    };
    const std::vector<Route> routes = {
        // What the ghost's drop off the ring ends in.
        {"DeleteButton", [this](int id) { EXPECT_TRUE(panel->DeleteButton(id)); }},
        {"the button's own delete command", [this](int id) {
             ::PostMessageW(panel->Buttons().Find(id)->hwnd(), WM_COMMAND, ID_DELETE, 0);
             Pump(20);
         }},
        {"clear all", [this](int) { EXPECT_TRUE(panel->Buttons().ClearAllButtons()); }},
        {"prune of a missing target", [this](int id) {
             std::filesystem::remove(std::filesystem::path(panel->Buttons().Find(id)->PathName));
             panel->Buttons().PruneMissingTargets();
         }},
    };
    int n = 0;
    for (const Route& route : routes) {
        SCOPED_TRACE(route.name);
        boxes.Clear();
        const std::wstring file = MakeFile("k" + std::to_string(n++) + ".txt");
        const int id = InsertRowLive(ItemKind::File, L"要删", file);
        HWND d = OpenEdit(id);
        const auto shown = PixelsOf(dialog->Preview());
        ASSERT_FALSE(shown.empty());

        route.remove(id);
        Pump(20);
        ASSERT_EQ(panel->Buttons().Find(id), nullptr);
        EXPECT_EQ(Query("select count(*) from tb_Btns where ID = " + std::to_string(id)), "0");

        // Typing and painting after the deletion: the dialog keeps its own picture.
        Set(IDC_PATH, dir.File("elsewhere.exe").wstring());
        ::RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        EXPECT_EQ(PixelsOf(dialog->Preview()), shown);

        Set(IDC_TITLE, L"还想改");
        const std::string before = Query("select * from tb_Btns order by ID");
        const int renders = ClickOk(d);
        EXPECT_EQ(LastNotice(d), L"不存在或已被删除");
        EXPECT_EQ(renders, 0);
        EXPECT_TRUE(::IsWindow(d));
        EXPECT_EQ(Query("select * from tb_Btns order by ID"), before);
        dialog.reset();
    }
}

TEST_F(AddDialogSafetyTest, ButtonWindowGoneButRowStillThereWritesTheRowWithoutReloading) {
    const int id = InsertRow(ItemKind::File, L"只有行", MakeFile("l.txt"), nullptr, 10);
    OpenPanel();
    HWND d = OpenEdit(id);
    ASSERT_TRUE(panel->Buttons().RemoveButtonById(id));  // the window goes, the row stays
    Set(IDC_TITLE, L"写入了");
    ClickOk(d);
    EXPECT_FALSE(::IsWindow(d));
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(Query("select Title from tb_Btns where ID = " + std::to_string(id)), ToUtf8(L"写入了"));
    EXPECT_EQ(panel->Buttons().Find(id), nullptr);
}

// ---------------------------------------------------------------- modal, as the program runs it

TEST_F(AddDialogModalTest, PanelWebAddressCommandRunsTheModalDialogThatAddsTheRow) {
    OpenPanel();
    HWND seen = nullptr;
    std::wstring caption;
    TimerScript script([&] {
        HWND d = FindAddDialog();
        if (!d) return false;
        seen = d;
        caption = fw::GetWindowTextString(d);
        ::SetDlgItemTextW(d, IDC_TITLE, L"模态");
        ::SetDlgItemTextW(d, IDC_PATH, L"https://modal.example/");
        ::PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        return true;
    });
    ::PostMessageW(panel->hwnd(), WM_COMMAND, ID_ADD_URL, 0);
    for (int i = 0; i < 100 && !(script.done && !::IsWindow(seen)); ++i) Pump(20);
    ASSERT_TRUE(script.done);
    EXPECT_FALSE(::IsWindow(seen));
    EXPECT_EQ(caption, L"添加");
    EXPECT_EQ(Query("select iType, Title, PathName from tb_Btns where ID > 2"),
              ToUtf8(L"4|模态|https://modal.example/"));
}

TEST_F(AddDialogModalTest, DoModalEndsWithOkAfterAnAddAndWithCancelOnEscapeWritingNothing) {
    OpenPanel();
    {
        RECT r{};
        ::GetWindowRect(panel->hwnd(), &r);
        CAddDlg d(panel->CommandSet(), r, ItemKind::Url);
        TimerScript script([&] {
            if (!d.IsWindow() || !::IsWindowVisible(d.hwnd())) return false;
            ::SetDlgItemTextW(d.hwnd(), IDC_TITLE, L"回车");
            ::SetDlgItemTextW(d.hwnd(), IDC_PATH, L"http://enter.example/");
            // Enter in the title field: the framework's default button handling.
            ::PostMessageW(::GetDlgItem(d.hwnd(), IDC_TITLE), WM_KEYDOWN, VK_RETURN, 0);
            return true;
        });
        EXPECT_EQ(d.DoModal(::GetDesktopWindow()), IDOK);
        EXPECT_TRUE(script.done);
    }
    EXPECT_EQ(Query("select PathName from tb_Btns where ID > 2"), "http://enter.example/");
    {
        const int id = std::stoi(Query("select max(ID) from tb_Btns"));
        CAddDlg d(panel->CommandSet(), RECT{}, -1, panel->Buttons().Find(id) ? id : 0);
        TimerScript script([&] {
            if (!d.IsWindow() || !::IsWindowVisible(d.hwnd())) return false;
            ::SetDlgItemTextW(d.hwnd(), IDC_TITLE, L"取消了");
            ::PostMessageW(::GetDlgItem(d.hwnd(), IDC_TITLE), WM_KEYDOWN, VK_ESCAPE, 0);
            return true;
        });
        EXPECT_EQ(d.DoModal(::GetDesktopWindow()), IDCANCEL);
        EXPECT_TRUE(script.done);
    }
    EXPECT_EQ(Query("select Title from tb_Btns where ID > 2"), ToUtf8(L"回车"));
}

TEST_F(AddDialogModalTest, ButtonEditCommandSurvivesTheDeletionOfItsOwnButtonWhileTheDialogRuns) {
    const int id = InsertRow(ItemKind::File, L"自删", MakeFile("m.txt"), nullptr, 10);
    OpenPanel();
    HWND buttonWindow = panel->Buttons().Find(id)->hwnd();
    HWND seen = nullptr;
    int stage = 0, waited = 0;
    bool buttonFoundAfterDelete = true;
    TimerScript script([&] {
        if (stage == 0) {
            HWND d = FindAddDialog();
            if (!d) return false;
            seen = d;
            // The button whose EditItem runs this very dialog goes through the panel.
            EXPECT_TRUE(panel->DeleteButton(id));
            buttonFoundAfterDelete = panel->Buttons().Find(id) != nullptr;
            ::SetDlgItemTextW(d, IDC_PATH, L"C:\\other.exe");
            ::SetDlgItemTextW(d, IDC_TITLE, L"晚了");
            ::RedrawWindow(d, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
            ::PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            stage = 1;
            return false;
        }
        if (boxes.Count() == 0 && ++waited < 100) return false;
        ::PostMessageW(seen, WM_COMMAND, IDCANCEL, 0);
        return true;
    });
    ::PostMessageW(buttonWindow, WM_COMMAND, ID_EDIT, 0);
    for (int i = 0; i < 100 && !(script.done && !::IsWindow(seen)); ++i) Pump(20);
    ASSERT_TRUE(script.done);
    EXPECT_FALSE(buttonFoundAfterDelete);
    EXPECT_FALSE(::IsWindow(buttonWindow));
    EXPECT_FALSE(::IsWindow(seen));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, L"不存在或已被删除");
    EXPECT_EQ(boxes.Shown()[0].owner, reinterpret_cast<std::uintptr_t>(seen));
    EXPECT_EQ(Query("select count(*) from tb_Btns where ID = " + std::to_string(id)), "0");
    EXPECT_TRUE(::IsWindow(panel->hwnd()));
}

}  // namespace
}  // namespace quorlin::testing
