// A start drawn from the icon cache, the clock tick that pushes only what changed, and a
// clock that stops while nobody can see it. The real panel, a real bts.db.
#include <sqlite3.h>

#include <filesystem>
#include <fstream>

#include "buttons/builtin_entries.h"
#include "buttons/icon_imaging_win.h"
#include "panel_fixture.h"

namespace quorlin::testing {
namespace {

bool SameCanvas(const fw::LayeredCanvas& a, const fw::LayeredCanvas& b) {
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
    return true;
}

class StartAndIdleTest : public PanelTest {
protected:
    // Two files and a folder, each with the shell's picture, and a web address.
    void AddButtons() {
        dir.WriteFile("notes.txt", "n");
        dir.WriteFile("tool.exe", "MZ");
        std::filesystem::create_directory(dir.File("stuff"));
        ASSERT_TRUE(panel->Buttons().AddButton(L"notes", dir.File("notes.txt").wstring(), ItemKind::File, L""));
        ASSERT_TRUE(panel->Buttons().AddButton(L"tool", dir.File("tool.exe").wstring(), ItemKind::File, L""));
        ASSERT_TRUE(panel->Buttons().AddButton(L"stuff", dir.File("stuff").wstring(), ItemKind::Folder, L""));
        ASSERT_TRUE(panel->Buttons().AddButton(L"web", L"https://example.org/", ItemKind::Url, L""));
        panel->LayoutButtons();
    }
    // Opens the panel and lets the work after the first frame finish.
    void OpenAndSettle() {
        OpenPanel();
        for (int i = 0; i < 200 && !panel->Pictures().Refreshed(); ++i) Pump(10);
        ASSERT_TRUE(panel->Pictures().Refreshed());
    }
    // The panel as its first frame shows it: nothing posted after it has run yet.
    void OpenWithoutPumping() {
        panel = std::make_unique<CQuorlinDlg>(theApp().state, theApp().store);
        ASSERT_TRUE(panel->Create(nullptr));
    }
    std::vector<unsigned> Picture() {
        fw::LayeredCanvas c(panel->hwnd(), 240, 240);
        panel->Renderer().ComposeInto(c);
        std::vector<unsigned> px;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 240; ++x) px.push_back(c.Pixel(x, y));
        return px;
    }
    void Sql(const std::string& statement) {
        sqlite3* h = nullptr;
        ASSERT_EQ(sqlite3_open(db.u8string().c_str(), &h), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(h, statement.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << statement;
        sqlite3_close(h);
    }
    std::int64_t IdOf(const std::string& title) {
        return std::stoll(Query("select ID from tb_Btns where Title = '" + title + "'"));
    }
};

TEST_F(StartAndIdleTest, CachedStartAsksTheShellForNothingAndLooksTheSame) {
    OpenAndSettle();
    AddButtons();
    panel->RenderPanel();
    const std::vector<unsigned> fromShell = Picture();
    EXPECT_EQ(Query("select count(*) from tb_IconCache"), "5") << "every button's picture, kept with its row";
    ClosePanel();

    const int asked = ShellIconRequests();
    OpenWithoutPumping();
    EXPECT_EQ(ShellIconRequests(), asked) << "the first frame came from the cache";
    EXPECT_EQ(Picture(), fromShell);
    ASSERT_EQ(panel->Buttons().Count(), 5u);
    EXPECT_EQ(::GetWindow(panel->hwnd(), GW_CHILD), nullptr) << "no button window before the first frame";
    ASSERT_NE(panel->Phase(), StartPhase::Running);
    // Input that comes before the timer finds the buttons' windows made first.
    MSG move{panel->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(2, 2)};
    fw::MessageLoop::Dispatch(move);
    EXPECT_EQ(panel->Phase(), StartPhase::Running);
    EXPECT_NE(::GetWindow(panel->hwnd(), GW_CHILD), nullptr);
    for (int i = 0; i < 200 && !panel->Pictures().Refreshed(); ++i) Pump(10);
    EXPECT_EQ(ShellIconRequests(), asked) << "nothing changed on disk: nothing to make anew";
    // Then every button has its window over its spot, named by its title, in ring order.
    HWND w = ::GetWindow(panel->hwnd(), GW_CHILD);
    for (size_t i = 0; i < panel->Buttons().Count(); ++i, w = ::GetWindow(w, GW_HWNDNEXT)) {
        CButtonEx* b = panel->Buttons().At(i);
        ASSERT_EQ(b->hwnd(), w) << i;
        RECT r{};
        ::GetWindowRect(w, &r);
        ::MapWindowPoints(nullptr, panel->hwnd(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ((r.left + r.right) / 2, b->centerX) << i;
        EXPECT_EQ((r.top + r.bottom) / 2, b->centerY) << i;
        wchar_t text[64] = {};
        ::GetWindowTextW(w, text, 64);
        EXPECT_EQ(std::wstring(text), ShownTitle(b->iType, b->Title)) << i;
    }
}

TEST_F(StartAndIdleTest, StaleMissingCorruptAndOrphanedPicturesAreMadeAnewOrDropped) {
    OpenAndSettle();
    AddButtons();
    panel->RenderPanel();
    const std::vector<unsigned> good = Picture();
    ClosePanel();
    const std::int64_t notes = IdOf("notes"), tool = IdOf("tool"), stuff = IdOf("stuff");
    Sql("update tb_IconCache set Png = x'89504e470d0a' where ID = " + std::to_string(notes));  // undecodable
    Sql("delete from tb_IconCache where ID = " + std::to_string(stuff));                        // missing
    Sql("update tb_IconCache set Stamp = '0|1:x|1:y|0|0' where ID = " + std::to_string(tool));  // another row's
    Sql("insert into tb_IconCache (ID, Size, Stamp, Png) select 999999, Size, Stamp, Png from tb_IconCache "
        "where ID = 1");  // no such button
    std::ofstream(dir.File("notes.txt"), std::ios::app) << "longer now";  // and its target changed

    const int asked = ShellIconRequests();
    OpenWithoutPumping();
    EXPECT_EQ(ShellIconRequests(), asked);
    for (std::int64_t id : {notes, tool, stuff}) EXPECT_EQ(panel->Buttons().Find(id)->Image(), nullptr) << id;
    for (int i = 0; i < 200 && !panel->Pictures().Refreshed(); ++i) Pump(10);
    EXPECT_EQ(ShellIconRequests(), asked + 3) << "only those three were made anew";
    EXPECT_EQ(Picture(), good);
    EXPECT_EQ(Query("select count(*) from tb_IconCache where ID = 999999"), "0");
    EXPECT_EQ(Query("select count(*) from tb_IconCache"), "5");
    // Deleting a button or changing its target drops its picture in the same transaction.
    ASSERT_TRUE(panel->DeleteButton(stuff));
    EXPECT_EQ(Query("select count(*) from tb_IconCache where ID = " + std::to_string(stuff)), "0");
    Sql("update tb_Btns set PathName = 'C:\\elsewhere.txt' where ID = " + std::to_string(tool));
    EXPECT_EQ(Query("select count(*) from tb_IconCache where ID = " + std::to_string(tool)), "0");
}

// Targets out of reach (a drive that is not there, the network) survive a start untouched:
// no existence check, no icon asked of the shell; a target missing from a local disk is still
// pruned. The one on the absent drive is drawn faded, and a click says where it lives.
TEST_F(StartAndIdleTest, ButtonsOutOfReachSurviveAStartUntouched) {
    StartApp();
    Sql("insert into tb_Btns (iType, Title, PathName, sort) values (0, 'stick', 'Q:\\apps\\tool.exe', 10), "
        "(0, 'share', '\\\\host\\share\\tool.exe', 11), (0, 'gone', 'C:\\quorlin-gone.txt', 12)");
    const int asked = ShellIconRequests();
    OpenAndSettle();
    EXPECT_EQ(Query("select group_concat(Title) from (select Title from tb_Btns where ID > 2 order by sort)"),
              "stick,share");
    EXPECT_EQ(ShellIconRequests(), asked) << "no icon of a target out of reach is asked for";
    CButtonEx* stick = panel->Buttons().Find(IdOf("stick"));
    ASSERT_NE(stick, nullptr);
    const std::optional<png::Pixels> faded = fw::PicturePixels(stick->Image());
    ASSERT_TRUE(faded);
    int most = 0;
    for (size_t i = 3; i < faded->bgra.size(); i += 4) most = std::max<int>(most, faded->bgra[i]);
    EXPECT_LE(most, 96) << "drawn faded";
    stick->OpenItem();
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Shown()[0].text.find(L"Q 盘"), std::wstring::npos) << "where it lives";
    EXPECT_TRUE(shell.Calls().empty());
    EXPECT_NE(panel->Buttons().Find(IdOf("stick")), nullptr);
}

TEST_F(StartAndIdleTest, AnUnchangedPanelStartsFromItsKeptBackgroundAndAChangedOrDamagedOneNever) {
    OpenAndSettle();
    AddButtons();
    ClosePanel();
    std::wstring file;
    auto start = [&](const char* what, int fromFile, bool settle = true) {
        OpenWithoutPumping();
        EXPECT_EQ(panel->Renderer().BackgroundsFromFile(), fromFile) << what;
        fw::LayeredCanvas whole(panel->hwnd(), 240, 240);
        panel->Renderer().ComposeInto(whole);
        ASSERT_NE(panel->Renderer().PushedFrame(), nullptr);
        EXPECT_TRUE(SameCanvas(*panel->Renderer().PushedFrame(), whole)) << what;
        for (int i = 0; settle && i < 200 && !panel->Pictures().Refreshed(); ++i) Pump(10);  // written then
        file = panel->Renderer().BackgroundFile();
        ClosePanel();
    };
    start("buttons added since the file was written", 0);
    start("nothing changed", 1);
    ASSERT_TRUE(std::filesystem::exists(file));
    {
        std::fstream f(std::filesystem::path(file), std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(200);
        f.put('x');
    }
    start("a damaged file", 0);
    start("written anew", 1);
    Sql("delete from tb_Btns where ID = " + std::to_string(IdOf("tool")));
    start("a button deleted by another program", 0, false);
    start("written as the panel closed before the work after its first frame", 1);
}

TEST_F(StartAndIdleTest, ATickPushesOnlyWhatTheSecondHandSweptAndTheWindowHoldsTheWholePicture) {
    OpenAndSettle();
    AddButtons();
    clock.time = LocalTime{10, 10, 10};
    panel->RenderPanel();
    EXPECT_EQ(panel->Renderer().LastPush().right - panel->Renderer().LastPush().left, 240);
    for (int second = 11; second < 50; second += 7) {
        clock.time = LocalTime{10, 10, second};
        ::SendMessageW(panel->hwnd(), WM_TIMER, TIMER_CLOCK, 0);
        const RECT r = panel->Renderer().LastPush();
        EXPECT_LT((r.right - r.left) * (r.bottom - r.top), 240 * 240 / 4) << second;
        fw::LayeredCanvas whole(panel->hwnd(), 240, 240);
        panel->Renderer().ComposeInto(whole);
        ASSERT_NE(panel->Renderer().PushedFrame(), nullptr);
        EXPECT_TRUE(SameCanvas(*panel->Renderer().PushedFrame(), whole)) << second;
    }
    clock.time = LocalTime{10, 11, 0};  // a new minute moves the minute hand: all of it again
    ::SendMessageW(panel->hwnd(), WM_TIMER, TIMER_CLOCK, 0);
    EXPECT_EQ(panel->Renderer().LastPush().right - panel->Renderer().LastPush().left, 240);
}

TEST_F(StartAndIdleTest, TheClockStopsWhileNobodyCanSeeItAndShowsTheRightTimeWhenBack) {
    OpenAndSettle();
    ASSERT_TRUE(panel->Watch().Running());
    auto expectBackAt = [&](int second, const char* what) {
        EXPECT_TRUE(panel->Watch().Running()) << what;
        fw::LayeredCanvas whole(panel->hwnd(), 240, 240);
        panel->Renderer().ComposeInto(whole);
        ASSERT_NE(panel->Renderer().PushedFrame(), nullptr);
        EXPECT_TRUE(SameCanvas(*panel->Renderer().PushedFrame(), whole)) << what << ": the time shown at once";
        EXPECT_EQ(clock.time.second, second);
    };
    // The session is locked.
    ::SendMessageW(panel->hwnd(), WM_WTSSESSION_CHANGE, 0x7, 0);
    EXPECT_FALSE(panel->Watch().Running());
    clock.time = LocalTime{11, 20, 5};
    ::SendMessageW(panel->hwnd(), WM_WTSSESSION_CHANGE, 0x8, 0);
    expectBackAt(5, "unlocked");
    // The display goes off.
    struct {
        POWERBROADCAST_SETTING s;
        DWORD pad;
    } power{};
    power.s.PowerSetting = GUID_CONSOLE_DISPLAY_STATE;
    power.s.DataLength = sizeof(DWORD);
    ::SendMessageW(panel->hwnd(), WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&power.s));
    EXPECT_FALSE(panel->Watch().Running());
    clock.time = LocalTime{11, 21, 6};
    power.s.Data[0] = 1;
    ::SendMessageW(panel->hwnd(), WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&power.s));
    expectBackAt(6, "display on");
    // A window over the whole panel comes to the front (the panel is on the desktop layer).
    RECT p{};
    ::GetWindowRect(panel->hwnd(), &p);
    HWND cover = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, p.left - 10, p.top - 10,
                                   p.right - p.left + 20, p.bottom - p.top + 20, nullptr, nullptr, nullptr, nullptr);
    ::SetForegroundWindow(cover);
    ::PostMessageW(panel->hwnd(), WM_CHECK_FRONT_WINDOW, 0, 0);
    Pump(20);
    EXPECT_FALSE(panel->Watch().Running());
    // The hotkey brings the panel in front of it: seen again; sent back, hidden again.
    clock.time = LocalTime{11, 21, 30};
    ::SendMessageW(panel->hwnd(), WM_HOTKEY, panel->Summons().HotKeyId(), 0);
    Pump(20);
    expectBackAt(30, "summoned");
    ::SendMessageW(panel->hwnd(), WM_HOTKEY, panel->Summons().HotKeyId(), 0);
    ::PostMessageW(panel->hwnd(), WM_CHECK_FRONT_WINDOW, 0, 0);
    Pump(20);
    EXPECT_FALSE(panel->Watch().Running());
    clock.time = LocalTime{11, 22, 7};
    ::DestroyWindow(cover);
    ::PostMessageW(panel->hwnd(), WM_CHECK_FRONT_WINDOW, 0, 0);
    Pump(20);
    expectBackAt(7, "uncovered");
}

}  // namespace
}  // namespace quorlin::testing
