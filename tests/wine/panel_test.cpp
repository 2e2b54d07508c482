// The real panel with real button windows: layout, the collection against the table,
// pruning, hover, menus, placement and stacking.
#include <cstdio>
#include <filesystem>

#include "buttons/menu_rules.h"
#include "dialogs/ghost_win.h"
#include "dialogs/tooltip_win.h"
#include "panel/ring_layout.h"
#include "panel_fixture.h"

namespace quorlin::testing {
namespace {

RECT ClientRectInPanel(HWND panel, HWND child) {
    RECT r{};
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

class PanelCollectionTest : public PanelTest {
protected:
    // Adds n web-address rows straight into the table (as another session would have).
    void SeedRows(int n) {
        for (int i = 0; i < n; ++i)
            ASSERT_EQ(theApp().store.ExecuteSql(L"insert into tb_Btns (iType, Title, PathName, sort) values (4, 't" +
                                                std::to_wstring(i) + L"', 'http://h/" + std::to_wstring(i) + L"', " +
                                                std::to_wstring(10 + i) + L")"),
                      1);
    }

    // The windows the panel shows, in ring order, agree with the stored rows.
    void ExpectWindowsMatchTable() {
        std::string ids;
        for (size_t i = 0; i < panel->Buttons().Count(); ++i) {
            CButtonEx* b = panel->Buttons().At(i);
            ASSERT_TRUE(::IsWindow(b->hwnd()));
            ASSERT_EQ(::GetParent(b->hwnd()), panel->hwnd());
            ids += (i ? "\n" : "") + std::to_string(b->ID);
        }
        EXPECT_EQ(ids, Query("select ID from tb_Btns where ID <> 2 order by sort"));
        // No stray button windows are left behind.
        int children = 0;
        for (HWND c = ::GetWindow(panel->hwnd(), GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) ++children;
        EXPECT_EQ(children, static_cast<int>(panel->Buttons().Count()));
    }

    void ExpectLayout() {
        RingLayout layout = LayoutRings(panel->Buttons().Count());
        EXPECT_EQ(panel->Layout().buttonHalf, layout.buttonHalf);
        for (size_t i = 0; i < panel->Buttons().Count(); ++i) {
            CButtonEx* b = panel->Buttons().At(i);
            RECT r = ClientRectInPanel(panel->hwnd(), b->hwnd());
            const Rect& want = layout.slots[i].window;
            EXPECT_EQ((Rect{r.left, r.top, r.right, r.bottom}), want) << "button " << i;
            EXPECT_EQ(b->centerX, layout.slots[i].centerX);
            EXPECT_TRUE(::IsWindowVisible(b->hwnd()));
        }
    }
};

TEST_F(PanelCollectionTest, EveryCountGetsItsRingsAndWindowRectangles) {
    ASSERT_TRUE(StartApp());
    OpenPanel();
    ExpectLayout();  // row 1 alone: (108, 30, 24, 24)
    RECT one = ClientRectInPanel(panel->hwnd(), panel->Buttons().At(0)->hwnd());
    EXPECT_EQ(one.left, 108);
    EXPECT_EQ(one.top, 30);
    for (int total : {4, 13, 14, 33, 34, 66}) {
        SeedRows(total - static_cast<int>(panel->Buttons().Count()));
        ASSERT_TRUE(panel->Buttons().LoadButtons());
        ASSERT_EQ(panel->Buttons().Count(), static_cast<size_t>(total));
        ExpectLayout();
        ExpectWindowsMatchTable();
    }
}

TEST_F(PanelCollectionTest, AddDeleteClearAndSwapKeepWindowsAndTableInStep) {
    OpenPanel();
    ASSERT_TRUE(panel->Buttons().AddButton(L"a", L"http://a/", ItemKind::Url, L""));
    ASSERT_TRUE(panel->Buttons().AddButton(L"b", L"http://b/", ItemKind::Url, L"-p"));
    ASSERT_TRUE(panel->Buttons().AddButton(L"c", L"http://c/", ItemKind::Url, L""));
    panel->LayoutButtons();
    ExpectWindowsMatchTable();
    ExpectLayout();
    EXPECT_EQ(sound.Played(), (std::vector<int>{152, 152, 152}));

    const int a = panel->Buttons().At(1)->ID, b = panel->Buttons().At(2)->ID, c = panel->Buttons().At(3)->ID;
    HWND aWindow = panel->Buttons().At(1)->hwnd();
    ASSERT_TRUE(panel->DeleteButton(a));
    EXPECT_FALSE(::IsWindow(aWindow));
    ExpectWindowsMatchTable();
    ExpectLayout();

    // Drag c over b: the ghost rectangle centred on b's window.
    RECT rb{};
    ::GetWindowRect(panel->Buttons().Find(b)->hwnd(), &rb);
    const int gx = (rb.left + rb.right) / 2, gy = (rb.top + rb.bottom) / 2;
    ASSERT_TRUE(panel->SwapWhileDragging(RECT{gx - 11, gy - 11, gx + 11, gy + 11}, c));
    EXPECT_EQ(panel->Buttons().At(1)->ID, c);
    ExpectWindowsMatchTable();
    ExpectLayout();

    ASSERT_TRUE(panel->Buttons().ClearAllButtons());
    ASSERT_EQ(panel->Buttons().Count(), 1u);
    EXPECT_EQ(panel->Buttons().At(0)->ID, 1);
    ExpectWindowsMatchTable();
    EXPECT_EQ(Query("select ID from tb_Btns order by ID"), "1\n2");
}

TEST_F(PanelCollectionTest, FileWhoseTargetWasDeletedDisappearsAtTheNextLoad) {
    dir.WriteFile("note.txt", "x");
    const std::wstring path = dir.WPath() + L"\\note.txt";
    OpenPanel();
    ASSERT_TRUE(panel->Buttons().AddButton(L"note", path, ItemKind::File, L""));
    const int id = panel->Buttons().At(1)->ID;
    std::filesystem::remove(dir.File("note.txt"));
    sound.Clear();
    ASSERT_TRUE(panel->Buttons().LoadButtons());
    EXPECT_EQ(panel->Buttons().Find(id), nullptr);
    EXPECT_EQ(Query("select count(*) from tb_Btns where ID = " + std::to_string(id)), "0");
    EXPECT_EQ(sound.Played(), std::vector<int>{148});
    ExpectWindowsMatchTable();
}

TEST_F(PanelCollectionTest, HoverEnlargesTheIconInTheComposedPicture) {
    OpenPanel();
    CButtonEx* b = panel->Buttons().At(0);
    const int h = panel->Layout().buttonHalf;
    // Just outside the icon's square, inside the square 3 px larger: count opaque pixels on the ring there.
    auto ringOfPixels = [&] {
        int opaque = 0;
        fw::LayeredCanvas canvas(panel->hwnd(), panel->Layout().width, panel->Layout().height);
        panel->Renderer().ComposeInto(canvas);
        for (int x = b->centerX - h - 3; x < b->centerX + h + 3; ++x)
            for (int y = b->centerY - h - 3; y < b->centerY + h + 3; ++y) {
                const bool inside = x >= b->centerX - h && x < b->centerX + h && y >= b->centerY - h && y < b->centerY + h;
                if (!inside && (canvas.Pixel(x, y) >> 24) > 100) ++opaque;
            }
        return opaque;
    };
    const int before = ringOfPixels();
    // A real mouse move over the button window arms hover and asks for a new composition.
    ::SendMessageW(b->hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(h, h));
    EXPECT_NE(b->hovered, 0);
    const int after = ringOfPixels();
    EXPECT_GT(after, before + 10);
    ::SendMessageW(b->hwnd(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(b->hovered, 0);
    EXPECT_EQ(ringOfPixels(), before);
}

TEST_F(PanelCollectionTest, DraggedButtonIsLeftOutOfThePicture) {
    OpenPanel();
    CButtonEx* b = panel->Buttons().At(0);
    auto centreAlpha = [&] {
        fw::LayeredCanvas canvas(panel->hwnd(), panel->Layout().width, panel->Layout().height);
        panel->Renderer().ComposeInto(canvas);
        return canvas.Pixel(b->centerX, b->centerY) >> 24;
    };
    EXPECT_GT(centreAlpha(), 100u);
    Probe::SetDraggedId(*panel->Popups().Ghost(), b->ID);
    EXPECT_LT(centreAlpha(), 60u);  // only the faint ring band is left there
    Probe::SetDraggedId(*panel->Popups().Ghost(), -1);
    EXPECT_GT(centreAlpha(), 100u);
}

HMENU SubMenuWithItem(HMENU menu, UINT id) {
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        HMENU sub = ::GetSubMenu(menu, i);
        if (sub && ::GetMenuState(sub, id, MF_BYCOMMAND) != static_cast<UINT>(-1)) return sub;
    }
    return nullptr;
}

std::vector<UINT> Ids(HMENU menu) {
    std::vector<UINT> ids;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) ids.push_back(::GetMenuItemID(menu, i));
    return ids;
}

TEST_F(PanelCollectionTest, ContextMenusArePrunedByIdAndKind) {
    OpenPanel();
    ASSERT_TRUE(panel->Buttons().AddButton(L"f", L"C:\\windows\\notepad.exe", ItemKind::File, L""));
    ASSERT_TRUE(panel->Buttons().AddButton(L"u", L"http://u/", ItemKind::Url, L""));
    ASSERT_TRUE(panel->Buttons().AddButton(L"s", L"::{645FF040-5081-101B-9F08-00AA002F954E}", ItemKind::ShellEntry, L""));
    theApp().state.fixed = true;

    HMENU m = panel->Buttons().At(0)->BuildContextMenu();  // row 1
    HMENU thisButton = ::GetSubMenu(m, 0);
    EXPECT_EQ(Ids(thisButton), std::vector<UINT>{ID_OPEN});
    EXPECT_EQ(::GetMenuState(m, ID_FIXED, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    EXPECT_EQ(::GetMenuState(m, ID_TOPMOST, MF_BYCOMMAND) & MF_CHECKED, 0u);
    EXPECT_NE(SubMenuWithItem(m, ID_ADD_URL), nullptr);
    ::DestroyMenu(m);

    m = panel->Buttons().At(1)->BuildContextMenu();  // File: all five
    EXPECT_EQ(Ids(::GetSubMenu(m, 0)), (std::vector<UINT>{ID_EDIT, ID_DELETE, ID_OPEN, ID_OPEN_FOLDER, ID_PROPERTIES}));
    ::DestroyMenu(m);
    m = panel->Buttons().At(2)->BuildContextMenu();  // Url: no folder, no properties
    EXPECT_EQ(Ids(::GetSubMenu(m, 0)), (std::vector<UINT>{ID_EDIT, ID_DELETE, ID_OPEN}));
    ::DestroyMenu(m);
    m = panel->Buttons().At(3)->BuildContextMenu();  // ShellEntry: properties kept
    EXPECT_EQ(Ids(::GetSubMenu(m, 0)), (std::vector<UINT>{ID_EDIT, ID_DELETE, ID_OPEN, ID_PROPERTIES}));
    ::DestroyMenu(m);

    // The panel's own menu starts with "置顶": no "此按钮", no leading separator.
    m = panel->CommandSet().BuildPanelMenu();
    EXPECT_EQ(::GetMenuItemID(m, 0), static_cast<UINT>(ID_TOPMOST));
    EXPECT_EQ(::GetMenuState(m, ID_EDIT, MF_BYCOMMAND), static_cast<UINT>(-1));
    EXPECT_EQ(::GetMenuState(m, ID_FIXED, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
    wchar_t text[64] = {};
    ::GetMenuStringW(m, ID_CLEAR_ALL, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"清除所有图标");
    ::DestroyMenu(m);
}

TEST_F(PanelCollectionTest, PanelWideCommandsFromAButtonReachThePanel) {
    OpenPanel();
    ASSERT_FALSE(theApp().state.fixed);
    ::SendMessageW(panel->Buttons().At(0)->hwnd(), WM_COMMAND, MAKEWPARAM(ID_FIXED, 0), 0);
    Pump(20);
    EXPECT_TRUE(theApp().state.fixed);
    EXPECT_EQ(ReadSetting("LOCK"), "1");
    ::SendMessageW(panel->Buttons().At(0)->hwnd(), WM_COMMAND, MAKEWPARAM(ID_ADD_COMPUTER, 0), 0);
    Pump(20);
    EXPECT_EQ(panel->Buttons().Count(), 1u);  // row 1 already is My Computer: nothing added
}

class PanelWindowTest : public PanelTest {};

TEST_F(PanelWindowTest, FirstStartPlacesThePanelFromTheScreenWidth) {
    OpenPanel();
    RECT r{};
    ::GetWindowRect(panel->hwnd(), &r);
    EXPECT_EQ(r.left, ::GetSystemMetrics(SM_CXFULLSCREEN) - 600);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, 240);
    const LONG ex = ::GetWindowLongW(panel->hwnd(), GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(ex & WS_EX_APPWINDOW);
    EXPECT_NE(panel->Phase(), StartPhase::Composing);
    EXPECT_EQ(::GetPropW(panel->hwnd(), L"qiv_zembrick"), reinterpret_cast<HANDLE>(1));
}

TEST_F(PanelWindowTest, SavedPositionsOffTheScreenAreCorrected) {
    WriteSetting("DeskX", "5000");
    WriteSetting("DeskY", "-40");
    OpenPanel();
    RECT r{};
    ::GetWindowRect(panel->hwnd(), &r);
    EXPECT_EQ(r.left, ::GetSystemMetrics(SM_CXFULLSCREEN) - 240 - 30);
    EXPECT_EQ(r.top, 30);
}

TEST_F(PanelWindowTest, EndOfAMoveSnapsBackAndSavesThePosition) {
    OpenPanel();
    ::MoveWindow(panel->hwnd(), -50, 200, 240, 240, TRUE);
    ::SendMessageW(panel->hwnd(), WM_EXITSIZEMOVE, 0, 0);
    RECT r{};
    ::GetWindowRect(panel->hwnd(), &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(ReadSetting("DeskX"), "0");
    EXPECT_EQ(ReadSetting("DeskY"), "200");
    RECT work{};  // the bottom of the monitor's work area
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int cy = work.bottom;
    ::MoveWindow(panel->hwnd(), 300, -20, 240, 240, TRUE);  // above the top: left as it is
    ::SendMessageW(panel->hwnd(), WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(ReadSetting("DeskY"), "-20");
    ::MoveWindow(panel->hwnd(), 300, cy, 240, 240, TRUE);
    ::SendMessageW(panel->hwnd(), WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(ReadSetting("DeskY"), std::to_string(cy - 240));
}

TEST_F(PanelWindowTest, FixedPanelStopsAnsweringCaptionToHitTests) {
    OpenPanel();
    RECT r{};
    ::GetWindowRect(panel->hwnd(), &r);
    const LPARAM at = MAKELPARAM(r.left + 120, r.top + 120);
    EXPECT_EQ(::SendMessageW(panel->hwnd(), WM_NCHITTEST, 0, at), HTCAPTION);
    Command(ID_FIXED);
    EXPECT_NE(::SendMessageW(panel->hwnd(), WM_NCHITTEST, 0, at), HTCAPTION);
    EXPECT_EQ(ReadSetting("LOCK"), "1");
    Command(ID_FIXED);
    EXPECT_EQ(ReadSetting("LOCK"), "0");
}

TEST_F(PanelWindowTest, TopMostTwiceReturnsToTheDesktopLayer) {
    OpenPanel();
    Command(ID_TOPMOST);
    EXPECT_TRUE(theApp().state.topMost);
    EXPECT_TRUE(::GetWindowLongW(panel->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(ReadSetting("TOPMOST"), "1");
    Command(ID_TOPMOST);
    EXPECT_FALSE(theApp().state.topMost);
    EXPECT_FALSE(::GetWindowLongW(panel->hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(ReadSetting("TOPMOST"), "0");
}

TEST_F(PanelWindowTest, LostDesktopOwnerIsDroppedAndTaskbarCreatedReattaches) {
    OpenPanel();
    // The desktop view the panel was attached to goes away, as it does when the shell ends.
    HWND gone = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ::DestroyWindow(gone);
    panel->Summons().SetTopMost(false, false);
    Probe::SetDesktopOwner(panel->Summons(), gone);
    ::PostMessageW(panel->hwnd(), WM_NULL, 0, 0);
    Pump(20);
    EXPECT_EQ(panel->Summons().DesktopOwner(), nullptr);
    EXPECT_EQ(::GetWindow(panel->hwnd(), GW_OWNER), nullptr);
    // "TaskbarCreated": the tray icon comes back 2.5 s later.
    tray.calls.clear();
    ::SendMessageW(panel->hwnd(), TaskbarCreatedMessage(), 0, 0);
    Pump(3000);
    EXPECT_EQ(tray.calls, std::vector<DWORD>{NIM_ADD});
}

// Esc and Enter belong to the keyboard session now; the dialog manager never closes the panel on them.
TEST_F(PanelWindowTest, EscapeAndEnterNeverCloseThePanel) {
    OpenPanel();
    for (WPARAM key : {VK_ESCAPE, VK_RETURN}) {
        MSG msg{panel->hwnd(), WM_KEYDOWN, key, 0, 0, {}};
        EXPECT_TRUE(panel->PreTranslateMessage(&msg));
    }
    ::PostMessageW(panel->hwnd(), WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageW(panel->hwnd(), WM_KEYDOWN, VK_RETURN, 0);
    Pump(20);
    EXPECT_TRUE(::IsWindow(panel->hwnd()));
    EXPECT_TRUE(::IsWindowVisible(panel->hwnd()));
}

// Every pixel of two canvases; the first difference is reported.
::testing::AssertionResult SamePixels(const fw::LayeredCanvas& a, const fw::LayeredCanvas& b) {
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y)) {
                char text[80];
                std::snprintf(text, sizeof text, "first difference at (%d, %d): %08x against %08x", x, y, a.Pixel(x, y),
                              b.Pixel(x, y));
                return ::testing::AssertionFailure() << text;
            }
    return ::testing::AssertionSuccess();
}

class ClockTickTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        OpenPanel();
        ASSERT_TRUE(panel->Buttons().AddButton(L"f", L"C:\\windows\\notepad.exe", ItemKind::File, L""));
        ASSERT_TRUE(panel->Buttons().AddButton(L"u", L"http://u/", ItemKind::Url, L""));
        ASSERT_TRUE(panel->Buttons().AddButton(L"s", L"::{645FF040-5081-101B-9F08-00AA002F954E}", ItemKind::ShellEntry, L""));
        panel->LayoutButtons();
        panel->RenderPanel();
    }

    // What a tick composes now, checked against the whole picture composed from scratch.
    void ExpectTickShowsTheWholePicture(const char* when) {
        fw::LayeredCanvas tick(panel->hwnd(), 240, 240), whole(panel->hwnd(), 240, 240);
        panel->Renderer().ComposeTickInto(tick);
        panel->Renderer().ComposeInto(whole);
        EXPECT_TRUE(SamePixels(tick, whole)) << when;
    }
};

TEST_F(ClockTickTest, WithinAMinuteTheStillPartIsComposedOnce) {
    clock.time = LocalTime{10, 10, 15};
    ExpectTickShowsTheWholePicture("first tick of the minute");
    const int composed = panel->Renderer().StillCompositions();
    for (int second : {16, 17, 30, 59}) {
        clock.time = LocalTime{10, 10, second};
        ExpectTickShowsTheWholePicture("a later second");
    }
    EXPECT_EQ(panel->Renderer().StillCompositions(), composed);
    // The second hand did move: 15 s and 45 s differ where it points at 15 s.
    fw::LayeredCanvas at59(panel->hwnd(), 240, 240);
    panel->Renderer().ComposeTickInto(at59);
    clock.time = LocalTime{10, 10, 15};
    fw::LayeredCanvas at15(panel->hwnd(), 240, 240);
    panel->Renderer().ComposeTickInto(at15);
    EXPECT_NE(at15.Pixel(160, 120), at59.Pixel(160, 120));
    EXPECT_EQ(panel->Renderer().StillCompositions(), composed);
}

TEST_F(ClockTickTest, NewMinuteOrHourComposesTheStillPartAgain) {
    clock.time = LocalTime{10, 10, 59};
    ExpectTickShowsTheWholePicture("10:10:59");
    const int composed = panel->Renderer().StillCompositions();
    clock.time = LocalTime{10, 11, 0};
    ExpectTickShowsTheWholePicture("10:11:00");
    EXPECT_EQ(panel->Renderer().StillCompositions(), composed + 1);
    clock.time = LocalTime{11, 11, 0};  // the clock was set an hour on
    ExpectTickShowsTheWholePicture("11:11:00");
    EXPECT_EQ(panel->Renderer().StillCompositions(), composed + 2);
}

TEST_F(ClockTickTest, ButtonChangesNotRenderedYetAreNotHiddenByTheKeptPicture) {
    clock.time = LocalTime{10, 10, 15};
    ExpectTickShowsTheWholePicture("start");
    int composed = panel->Renderer().StillCompositions();
    // Hovered, then the tick comes before the render request.
    panel->Buttons().At(1)->hovered = 1;
    ExpectTickShowsTheWholePicture("hovered");
    EXPECT_EQ(panel->Renderer().StillCompositions(), ++composed);
    panel->Buttons().At(1)->hovered = 0;
    ExpectTickShowsTheWholePicture("left");
    EXPECT_EQ(panel->Renderer().StillCompositions(), ++composed);
    // Two buttons trade their pictures: the drawing steps are the same, the pictures are not.
    Probe::SwapPictures(*panel->Buttons().At(0), *panel->Buttons().At(2));
    ExpectTickShowsTheWholePicture("pictures traded");
    EXPECT_EQ(panel->Renderer().StillCompositions(), ++composed);
    // Being dragged leaves a button out.
    panel->Popups().Ensure(panel->Dpi());
    Probe::SetDraggedId(*panel->Popups().Ghost(), panel->Buttons().At(2)->ID);
    ExpectTickShowsTheWholePicture("dragged");
    Probe::SetDraggedId(*panel->Popups().Ghost(), -1);
    EXPECT_EQ(panel->Renderer().StillCompositions(), ++composed);
}

TEST_F(ClockTickTest, ButtonsFilteredOutByTypingAreFainterAndTheTickKeepsThem) {
    clock.time = LocalTime{10, 10, 15};
    CButtonEx& f = *panel->Buttons().At(panel->Buttons().Count() - 3);
    fw::LayeredCanvas before(panel->hwnd(), 240, 240);
    panel->Renderer().ComposeInto(before);
    const int composed = panel->Renderer().StillCompositions();
    ::PostMessageW(panel->hwnd(), WM_CHAR, L'u', 1);  // "u" matches only the web address
    Pump(10);
    EXPECT_EQ(panel->Renderer().StillCompositions(), composed + 1);
    ExpectTickShowsTheWholePicture("filtered");
    fw::LayeredCanvas after(panel->hwnd(), 240, 240);
    panel->Renderer().ComposeInto(after);
    const unsigned alphaBefore = before.Pixel(f.centerX, f.centerY) >> 24;
    EXPECT_GT(alphaBefore, 0u);
    EXPECT_LT(after.Pixel(f.centerX, f.centerY) >> 24, alphaBefore);
    ::PostMessageW(panel->hwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
    Pump(10);
    ExpectTickShowsTheWholePicture("filter cleared");
    fw::LayeredCanvas cleared(panel->hwnd(), 240, 240);
    panel->Renderer().ComposeInto(cleared);
    EXPECT_TRUE(SamePixels(cleared, before));
}

TEST_F(ClockTickTest, ClockTimerTicksAndRenderPanelRecomposes) {
    clock.time = LocalTime{10, 10, 15};
    panel->RenderPanel();
    const int composed = panel->Renderer().StillCompositions();
    clock.time = LocalTime{10, 10, 16};
    ::SendMessageW(panel->hwnd(), WM_TIMER, TIMER_CLOCK, 0);
    EXPECT_EQ(panel->Renderer().StillCompositions(), composed) << "a tick within the minute keeps the still part";
    clock.time = LocalTime{10, 11, 0};
    ::SendMessageW(panel->hwnd(), WM_TIMER, TIMER_CLOCK, 0);
    EXPECT_EQ(panel->Renderer().StillCompositions(), composed + 1);
    panel->RenderPanel();  // anything may have changed (a picture edited in place)
    EXPECT_EQ(panel->Renderer().StillCompositions(), composed + 2);
    // A deleted button: RenderPanel through the collection, and the tick after it agrees.
    ASSERT_TRUE(panel->DeleteButton(panel->Buttons().At(panel->Buttons().Count() - 1)->ID));
    EXPECT_EQ(panel->Renderer().StillCompositions(), composed + 3);
    ExpectTickShowsTheWholePicture("after a delete");
    EXPECT_EQ(panel->Renderer().StillCompositions(), composed + 3);
}

TEST_F(PanelWindowTest, HelperWindowsAreMadeRightAfterTheFirstFrame) {
    ASSERT_TRUE(StartApp());
    panel = std::make_unique<CQuorlinDlg>(theApp().state, theApp().store);
    theApp().mainWnd = panel.get();
    ASSERT_TRUE(panel->Create(nullptr));
    ASSERT_NE(panel->Phase(), StartPhase::Running);
    EXPECT_EQ(panel->Popups().ToolTip(), nullptr);
    EXPECT_TRUE(::IsWindowVisible(panel->hwnd()));
    for (int i = 0; i < 200 && panel->Phase() != StartPhase::Running; ++i) Pump(5);
    EXPECT_EQ(panel->Phase(), StartPhase::Running) << "the panel's timer makes them once it is up";
    for (WPARAM which : {ICON_BIG, ICON_SMALL})
        EXPECT_NE(::SendMessageW(panel->hwnd(), WM_GETICON, which, 0), 0) << "the window's icons, " << which;
    ASSERT_NE(panel->Popups().ToolTip(), nullptr);
    ASSERT_NE(panel->Popups().Ghost(), nullptr);
    EXPECT_TRUE(::IsWindow(panel->Popups().ToolTip()->hwnd()));
    EXPECT_TRUE(::IsWindow(panel->Popups().Ghost()->hwnd()));
    CToolTipDlg* tip = panel->Popups().ToolTip();
    panel->Popups().Ensure(panel->Dpi());  // made once per process
    EXPECT_EQ(panel->Popups().ToolTip(), tip);
}

}  // namespace
}  // namespace quorlin::testing
