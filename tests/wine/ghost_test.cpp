// The drag ghost on the real panel: a press and a move on a launcher button lift it onto
// the ghost, the ghost reorders the ring over the band, deletes off the ring with the
// explosion, and cancels on a right press or a lost capture.
#include <windows.h>

#include <chrono>
#include <filesystem>

#include "dialogs/ghost_logic.h"
#include "dialogs/ghost_win.h"
#include "framework/gdiplus_win.h"
#include "panel_fixture.h"
#include "store/button_table.h"

namespace quorlin::testing {
namespace {

unsigned Alpha(unsigned argb) { return argb >> 24; }
unsigned Red(unsigned argb) { return (argb >> 16) & 0xFF; }
unsigned Green(unsigned argb) { return (argb >> 8) & 0xFF; }
unsigned Blue(unsigned argb) { return argb & 0xFF; }

LPARAM ClientPoint(int x, int y) { return MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y))); }

POINT CentreOf(HWND w) {
    RECT r{};
    ::GetWindowRect(w, &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

// The explosion frames the build put beside the test program (build/appdir/Img).
std::filesystem::path BuiltFramesDir() {
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    return std::filesystem::path(exe).parent_path() / L"appdir" / L"Img";
}

// Ghost picture layout with an icon half-size of 11 on the 60 x 70 ghost (centre 30, 35).
constexpr int kLabelProbeX = 14, kLabelProbeY = 15;  // left part of a label plate, outside the badge
constexpr int kBadgeProbeX = 30, kBadgeProbeY = 7;   // red rim of the badge, above its white bar

class GhostTest : public PanelTest {
protected:
    // The panel at (100, 100) - (340, 340), centre (220, 220), with the reserved button 1
    // and `count` web-address buttons (IDs 3, 4, ...).
    CQuorlinDlg& OpenWithButtons(int count) {
        CQuorlinDlg& p = OpenPanel();
        EXPECT_NE(panel->Popups().Ghost(), nullptr) << "the panel makes the ghost";
        for (int i = 0; i < count; ++i) {
            const std::wstring n = std::to_wstring(i);
            EXPECT_TRUE(p.Buttons().AddButton(L"Site " + n, L"http://site" + n + L".example/", ItemKind::Url, L""));
        }
        p.LayoutButtons();
        ::MoveWindow(p.hwnd(), 100, 100, 240, 240, TRUE);
        p.RenderPanel();
        Pump(20);
        sound.Clear();
        return p;
    }

    CDelDlg& Ghost() const { return *panel->Popups().Ghost(); }

    // Hover, press in the middle of the button, then move; returns the cursor position.
    POINT PressAndMove(CButtonEx& b, int dx, int dy) {
        RECT r{};
        ::GetWindowRect(b.hwnd(), &r);
        const int cx = (r.right - r.left) / 2, cy = (r.bottom - r.top) / 2;
        ::SetCursorPos(r.left + cx, r.top + cy);
        ::SendMessageW(b.hwnd(), WM_MOUSEMOVE, 0, ClientPoint(cx, cy));
        ::SendMessageW(b.hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(cx, cy));
        return MoveOnButton(b, cx + dx, cy + dy);
    }
    POINT MoveOnButton(CButtonEx& b, int x, int y) {
        RECT r{};
        ::GetWindowRect(b.hwnd(), &r);
        ::SetCursorPos(r.left + x, r.top + y);
        ::SendMessageW(b.hwnd(), WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(x, y));
        return POINT{r.left + x, r.top + y};
    }
    // The usual start of a drag: press, then 2 px diagonally.
    POINT Lift(CButtonEx& b) {
        const POINT at = PressAndMove(b, 2, 2);
        Pump(10);
        return at;
    }

    // Moves the mouse so that the ghost's centre lands on screen (x, y), the way the
    // system reports it to the window holding the capture.
    void MoveGhostTo(int x, int y) {
        RECT g{};
        ::GetWindowRect(Ghost().hwnd(), &g);
        ::SetCursorPos(x, y);
        ::SendMessageW(Ghost().hwnd(), WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(x - g.left, y - g.top));
        Pump(5);
    }
    void Release() {
        ::SendMessageW(Ghost().hwnd(), WM_LBUTTONUP, 0, ClientPoint(30, 35));
        Pump(20);
    }

    // The ghost picture as it is now.
    unsigned GhostPixel(int x, int y) {
        fw::LayeredCanvas canvas(Ghost().hwnd(), kGhostWidth, kGhostHeight);
        Ghost().ComposeGhost(canvas, -1);
        return canvas.Pixel(x, y);
    }

    // Strongly opaque pixels of the panel's picture within 8 px of a button's centre.
    int OpaquePixelsAt(CQuorlinDlg& p, const CButtonEx& b) {
        fw::LayeredCanvas canvas(p.hwnd(), p.Layout().width, p.Layout().height);
        p.Renderer().ComposeInto(canvas);
        int n = 0;
        for (int y = b.centerY - 8; y <= b.centerY + 8; ++y)
            for (int x = b.centerX - 8; x <= b.centerX + 8; ++x)
                if (Alpha(canvas.Pixel(x, y)) > 200) ++n;
        return n;
    }

    std::vector<int> RingOrder(CQuorlinDlg& p) {
        std::vector<int> ids;
        for (size_t i = 0; i < p.Buttons().Count(); ++i) ids.push_back(p.Buttons().At(i)->ID);
        return ids;
    }

    void CopyExplosionFrames() {
        std::filesystem::create_directories(dir.Path() / "Img");
        for (int i = 0; i < kExplosionFrameCount; ++i) {
            const std::string name = "bomb" + std::to_string(i) + ".png";
            std::filesystem::copy_file(BuiltFramesDir() / name, dir.Path() / "Img" / name,
                                       std::filesystem::copy_options::overwrite_existing);
        }
    }

    void ExpectIdle() {
        EXPECT_EQ(Ghost().DraggedId(), -1);
        EXPECT_FALSE(Ghost().Dragging());
        EXPECT_FALSE(Ghost().Outside());
        EXPECT_EQ(Ghost().Image(), nullptr);
        EXPECT_FALSE(::IsWindowVisible(Ghost().hwnd()));
        EXPECT_NE(::GetCapture(), Ghost().hwnd());
    }
};

TEST_F(GhostTest, GhostWindowIsAHiddenLayeredTopMostToolWindowThatSwallowsEscapeAndEnter) {
    OpenWithButtons(1);
    HWND g = Ghost().hwnd();
    ASSERT_TRUE(::IsWindow(g));
    EXPECT_FALSE(::IsWindowVisible(g));
    const LONG_PTR ex = ::GetWindowLongPtrW(g, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    EXPECT_FALSE(ex & WS_EX_APPWINDOW);
    EXPECT_EQ(Ghost().IconHalfSize(), 11);
    EXPECT_TRUE(Ghost().DeleteLabel() && Ghost().MoveLabel() && Ghost().LockedBadge());
    EXPECT_EQ(Ghost().DeleteLabel()->GetWidth(), 35u);
    EXPECT_EQ(Ghost().LockedBadge()->GetHeight(), 20u);
    for (WPARAM key : {WPARAM(VK_ESCAPE), WPARAM(VK_RETURN)}) {
        MSG m{g, WM_KEYDOWN, key, 0, 0, {0, 0}};
        EXPECT_TRUE(Ghost().PreTranslateMessage(&m)) << key;
    }
    MSG other{g, WM_KEYDOWN, 'A', 0, 0, {0, 0}};
    EXPECT_FALSE(Ghost().PreTranslateMessage(&other));
    ExpectIdle();
}

TEST_F(GhostTest, OnePixelMoveKeepsTheButtonButTwoDiagonalLiftItOntoTheGhost) {
    CQuorlinDlg& p = OpenWithButtons(2);
    CButtonEx& b = *p.Buttons().Find(3);
    const int opaqueBefore = OpaquePixelsAt(p, b);
    EXPECT_GT(opaqueBefore, 50) << "the icon is on the ring";

    RECT r{};
    ::GetWindowRect(b.hwnd(), &r);
    const int cx = (r.right - r.left) / 2, cy = (r.bottom - r.top) / 2;
    PressAndMove(b, 1, 0);
    Pump(10);
    EXPECT_EQ(Ghost().DraggedId(), -1) << "one pixel is not a drag";
    EXPECT_FALSE(::IsWindowVisible(Ghost().hwnd()));

    const int before = Ghost().RenderCount();
    const POINT cursor = MoveOnButton(b, cx + 2, cy + 2);
    Pump(20);
    EXPECT_EQ(Ghost().DraggedId(), 3);
    EXPECT_TRUE(Ghost().Dragging());
    EXPECT_FALSE(Ghost().Outside());
    EXPECT_EQ(Ghost().Image(), b.Image()) << "borrowed, not copied";
    EXPECT_EQ(::GetCapture(), Ghost().hwnd());
    EXPECT_EQ(Ghost().GrabPoint().x, 30);
    EXPECT_EQ(Ghost().GrabPoint().y, 35);
    EXPECT_EQ(Ghost().RenderCount(), before + 1);
    EXPECT_EQ(Ghost().LastFrame(), -1);
    EXPECT_TRUE(::IsWindowVisible(Ghost().hwnd()));
    RECT g{};
    ::GetWindowRect(Ghost().hwnd(), &g);
    EXPECT_EQ(g.left, cursor.x - 30);
    EXPECT_EQ(g.top, cursor.y - 35);
    EXPECT_EQ(g.right - g.left, 60);
    EXPECT_EQ(g.bottom - g.top, 70);

    // The panel leaves the lifted button out of its picture.
    EXPECT_EQ(OpaquePixelsAt(p, b), 0);
    // The ghost shows the move label above the icon, and the icon itself.
    const unsigned label = GhostPixel(kLabelProbeX, kLabelProbeY);
    EXPECT_EQ(Alpha(label), 255u);
    EXPECT_GT(Blue(label), Red(label) + 100) << std::hex << label;
    EXPECT_GT(Alpha(GhostPixel(30, 35)), 200u) << "icon at the centre";

    Release();
    ExpectIdle();
    EXPECT_GT(OpaquePixelsAt(p, b), 50) << "back on the ring";
}

TEST_F(GhostTest, GhostFollowsTheCursorWithTheGrabOffsetAfterARealPress) {
    OpenWithButtons(1);
    Lift(*theApp().mainWnd->Buttons().Find(3));
    ASSERT_EQ(Ghost().DraggedId(), 3);
    // A real press on the ghost (10, 20) becomes the grab point.
    ::SendMessageW(Ghost().hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, ClientPoint(10, 20));
    EXPECT_TRUE(Ghost().Dragging());
    EXPECT_EQ(::GetCapture(), Ghost().hwnd());
    EXPECT_EQ(Ghost().GrabPoint().x, 10);
    EXPECT_EQ(Ghost().GrabPoint().y, 20);
    RECT before{}, after{};
    ::GetWindowRect(Ghost().hwnd(), &before);
    ::SetCursorPos(before.left + 15, before.top + 27);
    ::SendMessageW(Ghost().hwnd(), WM_MOUSEMOVE, MK_LBUTTON, ClientPoint(15, 27));
    ::GetWindowRect(Ghost().hwnd(), &after);
    EXPECT_EQ(after.left, before.left + 5);
    EXPECT_EQ(after.top, before.top + 7);
    EXPECT_EQ(after.right - after.left, 60);
    Release();
    ExpectIdle();
}

TEST_F(GhostTest, ZonesRedrawOnlyOnACrossingWithTheBordersAtFiftyAndHalfThePanel) {
    OpenWithButtons(1);
    Lift(*theApp().mainWnd->Buttons().Find(3));
    ASSERT_EQ(Ghost().DraggedId(), 3);
    const int base = Ghost().RenderCount();

    // Panel centre (220, 220), half its width 120. Only the reserved button and the dragged
    // one are on the ring, so nothing swaps on the way.
    MoveGhostTo(220, 280);  // d = 60
    MoveGhostTo(220, 270);  // d = 50: still the band
    EXPECT_FALSE(Ghost().Outside());
    EXPECT_EQ(Ghost().RenderCount(), base);
    const unsigned move = GhostPixel(kLabelProbeX, kLabelProbeY);
    EXPECT_GT(Blue(move), Red(move) + 100) << "move label";

    MoveGhostTo(220, 269);  // d = 49: the clock disc
    EXPECT_TRUE(Ghost().Outside());
    EXPECT_EQ(Ghost().RenderCount(), base + 1);
    const unsigned del = GhostPixel(kLabelProbeX, kLabelProbeY);
    EXPECT_EQ(Alpha(del), 255u);
    EXPECT_GT(Red(del), Blue(del) + 100) << "delete label";

    MoveGhostTo(220, 230);  // still on the disc
    MoveGhostTo(220, 340);  // d = 120: off the ring, the same zone
    EXPECT_TRUE(Ghost().Outside());
    EXPECT_EQ(Ghost().RenderCount(), base + 1);

    MoveGhostTo(220, 339);  // d = 119: back in the band
    EXPECT_FALSE(Ghost().Outside());
    EXPECT_EQ(Ghost().RenderCount(), base + 2);
    MoveGhostTo(220, 335);
    MoveGhostTo(220, 400);  // out
    MoveGhostTo(220, 330);  // in
    EXPECT_EQ(Ghost().RenderCount(), base + 4);
    EXPECT_EQ(Ghost().LastFrame(), -1);

    Release();  // in the band: nothing deleted
    ExpectIdle();
    EXPECT_EQ(Query("select count(*) from tb_Btns where ID = 3"), "1");
    EXPECT_TRUE(sound.Played().empty());
}

TEST_F(GhostTest, PassingOverAnotherButtonSwapsTheTwoOnTheRingAndInTheTable) {
    CQuorlinDlg& p = OpenWithButtons(3);  // ring: 1, 3, 4, 5
    ASSERT_EQ(RingOrder(p), (std::vector<int>{1, 3, 4, 5}));
    const POINT place3 = CentreOf(p.Buttons().Find(3)->hwnd());
    const POINT place5 = CentreOf(p.Buttons().Find(5)->hwnd());

    Lift(*p.Buttons().Find(3));
    ASSERT_EQ(Ghost().DraggedId(), 3);
    MoveGhostTo(place5.x, place5.y);
    EXPECT_FALSE(Ghost().Outside());
    EXPECT_EQ(RingOrder(p), (std::vector<int>{1, 5, 4, 3}));
    EXPECT_EQ(Query("select ID from tb_Btns where ID <> 2 order by sort"), "1\n5\n4\n3");
    // The windows changed places too: 5 sits where 3 was, and 3 under the ghost.
    const POINT now5 = CentreOf(p.Buttons().Find(5)->hwnd());
    const POINT now3 = CentreOf(p.Buttons().Find(3)->hwnd());
    EXPECT_EQ(now5.x, place3.x);
    EXPECT_EQ(now5.y, place3.y);
    EXPECT_EQ(now3.x, place5.x);
    EXPECT_EQ(now3.y, place5.y);

    // More moves over its own new place change nothing.
    MoveGhostTo(place5.x + 1, place5.y);
    EXPECT_EQ(RingOrder(p), (std::vector<int>{1, 5, 4, 3}));

    // The reserved button never changes place.
    const POINT place1 = CentreOf(p.Buttons().Find(1)->hwnd());
    MoveGhostTo(place1.x, place1.y);
    EXPECT_EQ(RingOrder(p), (std::vector<int>{1, 5, 4, 3}));

    Release();  // dropped in the band
    ExpectIdle();
    EXPECT_EQ(Query("select ID from tb_Btns where ID <> 2 order by sort"), "1\n5\n4\n3");
    EXPECT_EQ(p.Buttons().Count(), 4u);
    EXPECT_TRUE(sound.Played().empty());
}

TEST_F(GhostTest, DropOffTheRingDeletesTheButtonAndPlaysSixFramesWhereItWasDropped) {
    CopyExplosionFrames();
    CQuorlinDlg& p = OpenWithButtons(2);
    Lift(*p.Buttons().Find(4));
    ASSERT_EQ(Ghost().DraggedId(), 4);
    MoveGhostTo(220, 400);  // 180 px below the centre
    ASSERT_TRUE(Ghost().Outside());

    const int renders = Ghost().RenderCount();
    const int drawn = Ghost().ExplosionFramesDrawn();
    const auto start = std::chrono::steady_clock::now();
    Release();
    const auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(Query("select count(*) from tb_Btns where ID = 4"), "0");
    EXPECT_EQ(p.Buttons().Find(4), nullptr);
    EXPECT_EQ(RingOrder(p), (std::vector<int>{1, 3}));
    EXPECT_EQ(sound.Played(), std::vector<int>{148});
    EXPECT_EQ(Ghost().RenderCount(), renders + 6);
    EXPECT_EQ(Ghost().ExplosionFramesDrawn(), drawn + 6);
    EXPECT_EQ(Ghost().LastFrame(), 5);
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 6 * 60 - 20);
    const POINT at = CentreOf(Ghost().hwnd());
    EXPECT_EQ(at.x, 220);
    EXPECT_EQ(at.y, 400);
    ExpectIdle();

    // A frame is drawn centred on the ghost at its natural size.
    fw::LayeredCanvas canvas(Ghost().hwnd(), kGhostWidth, kGhostHeight);
    EXPECT_TRUE(Ghost().ComposeGhost(canvas, 0));
    EXPECT_EQ(Alpha(canvas.Pixel(30, 35)), 255u);
    EXPECT_EQ(Alpha(canvas.Pixel(2, 2)), 0u);
}

TEST_F(GhostTest, DropOnTheClockDeletesTooAndMissingFramesKeepTheTiming) {
    // No Img folder in this application directory.
    CQuorlinDlg& p = OpenWithButtons(2);
    Lift(*p.Buttons().Find(3));
    MoveGhostTo(220, 220);  // the centre of the clock
    ASSERT_TRUE(Ghost().Outside());
    const int renders = Ghost().RenderCount();
    const int drawn = Ghost().ExplosionFramesDrawn();
    const auto start = std::chrono::steady_clock::now();
    Release();
    const auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(Query("select count(*) from tb_Btns where ID = 3"), "0");
    EXPECT_EQ(RingOrder(p), (std::vector<int>{1, 4}));
    EXPECT_EQ(sound.Played(), std::vector<int>{148});
    EXPECT_EQ(Ghost().RenderCount(), renders + 6);
    EXPECT_EQ(Ghost().ExplosionFramesDrawn(), drawn) << "nothing to draw";
    EXPECT_GE(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 6 * 60 - 20);
    fw::LayeredCanvas canvas(Ghost().hwnd(), kGhostWidth, kGhostHeight);
    EXPECT_FALSE(Ghost().ComposeGhost(canvas, 3));
    EXPECT_EQ(Alpha(canvas.Pixel(30, 35)), 0u) << "an empty frame";
    ExpectIdle();
}

TEST_F(GhostTest, RightPressOrALostCaptureCancelsAndKeepsTheButton) {
    CQuorlinDlg& p = OpenWithButtons(2);
    Lift(*p.Buttons().Find(3));
    MoveGhostTo(220, 400);
    ASSERT_TRUE(Ghost().Outside());
    const int renders = Ghost().RenderCount();
    ::SendMessageW(Ghost().hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, ClientPoint(30, 35));
    Pump(20);
    ExpectIdle();
    EXPECT_EQ(Ghost().RenderCount(), renders) << "no explosion";
    EXPECT_EQ(p.Buttons().Count(), 3u);
    EXPECT_EQ(Query("select count(*) from tb_Btns"), "4");
    EXPECT_TRUE(sound.Played().empty());
    // A release after the cancel does nothing either.
    Release();
    EXPECT_EQ(p.Buttons().Count(), 3u);

    // Another window takes the mouse in the middle of a drag.
    Lift(*p.Buttons().Find(4));
    ASSERT_EQ(Ghost().DraggedId(), 4);
    MoveGhostTo(220, 400);
    ::SetCapture(p.hwnd());
    EXPECT_FALSE(Ghost().Dragging());
    ::ReleaseCapture();
    Pump(20);
    ExpectIdle();
    EXPECT_EQ(p.Buttons().Count(), 3u);
    EXPECT_TRUE(sound.Played().empty());
}

TEST_F(GhostTest, ReservedButtonShowsTheBadgeReordersNothingAndDeletesNothing) {
    CQuorlinDlg& p = OpenWithButtons(2);  // ring: 1, 3, 4
    const POINT place3 = CentreOf(p.Buttons().Find(3)->hwnd());
    Lift(*p.Buttons().Find(1));
    ASSERT_EQ(Ghost().DraggedId(), 1);
    EXPECT_EQ(::GetCapture(), Ghost().hwnd());

    const unsigned badgeIn = GhostPixel(kBadgeProbeX, kBadgeProbeY);
    EXPECT_EQ(Alpha(badgeIn), 255u);
    EXPECT_GT(Red(badgeIn), 180u);
    EXPECT_LT(Green(badgeIn), 100u);
    EXPECT_EQ(Alpha(GhostPixel(kLabelProbeX, kLabelProbeY)), 0u) << "no label, only the badge";

    MoveGhostTo(place3.x, place3.y);
    EXPECT_EQ(RingOrder(p), (std::vector<int>{1, 3, 4}));
    EXPECT_EQ(Query("select ID from tb_Btns where ID <> 2 order by sort"), "1\n3\n4");

    const int before = Ghost().RenderCount();
    MoveGhostTo(220, 400);
    ASSERT_TRUE(Ghost().Outside());
    EXPECT_EQ(Ghost().RenderCount(), before + 1);
    const unsigned badgeOut = GhostPixel(kBadgeProbeX, kBadgeProbeY);
    EXPECT_GT(Red(badgeOut), 180u);
    EXPECT_LT(Green(badgeOut), 100u);
    EXPECT_EQ(Alpha(GhostPixel(kLabelProbeX, kLabelProbeY)), 0u) << "never the delete label";

    Release();
    ExpectIdle();
    EXPECT_EQ(Ghost().RenderCount(), before + 1) << "no explosion";
    EXPECT_EQ(Query("select count(*) from tb_Btns where ID = 1"), "1");
    EXPECT_NE(p.Buttons().Find(1), nullptr);
    EXPECT_TRUE(sound.Played().empty());
}

TEST_F(GhostTest, ButtonWithoutPictureShowsOnlyItsLabelOverTheHitDisc) {
    Probe::DropPicture(*OpenWithButtons(1).Buttons().Find(3));
    POINT cursor{};
    ::GetCursorPos(&cursor);
    Ghost().StartDrag(3, cursor.x, cursor.y);
    Pump(10);
    EXPECT_EQ(Ghost().DraggedId(), 3);
    // The nearly invisible disc under the icon still catches the mouse.
    EXPECT_EQ(Alpha(GhostPixel(30, 35)), 1u);
    EXPECT_EQ(Alpha(GhostPixel(30, 60)), 0u);
    EXPECT_EQ(Alpha(GhostPixel(kLabelProbeX, kLabelProbeY)), 255u);
    ::SendMessageW(Ghost().hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, ClientPoint(30, 35));
    Pump(10);
    ExpectIdle();
}

// Another window deletes the carried button (its own menu, a prompt's loop): the ghost
// never draws the freed picture, the drag ends at the next move, and the drop off the
// ring that follows deletes nothing and shows no explosion.
TEST_F(GhostTest, ButtonDeletedWhileCarriedEndsTheDrag) {
    CopyExplosionFrames();
    CQuorlinDlg& p = OpenWithButtons(2);
    Lift(*p.Buttons().Find(4));
    ASSERT_EQ(Ghost().DraggedId(), 4);
    ASSERT_TRUE(p.DeleteButton(4));
    sound.Clear();
    EXPECT_EQ(Ghost().Image(), nullptr);
    MoveGhostTo(220, 400);
    Release();
    ExpectIdle();
    EXPECT_EQ(Ghost().ExplosionFramesDrawn(), 0);
    EXPECT_EQ(RingOrder(p), (std::vector<int>{1, 3}));
    EXPECT_EQ(Query("select count(*) from tb_Btns"), "3");
    EXPECT_TRUE(sound.Played().empty());
}

// Ctrl+Z as the panel receives it: the key state says Ctrl is down while the key arrives.
void PressCtrlZ(HWND target, bool ctrl) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    const BYTE before = keys[VK_CONTROL];
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    ::SetKeyboardState(keys);
    ::PostMessageW(target, WM_KEYDOWN, 'Z', 1);
    Pump(20);
    keys[VK_CONTROL] = before;
    ::SetKeyboardState(keys);
}

TEST_F(GhostTest, ButtonDraggedOffTheRingComesBackWithCtrlZInItsOldPlace) {
    CQuorlinDlg& p = OpenWithButtons(3);
    const std::string before = Query("select iType, Title, PathName, ifnull(Para, '-'), sort from tb_Btns where ID = 4");
    Lift(*p.Buttons().Find(4));
    MoveGhostTo(220, 400);
    Release();
    ASSERT_EQ(RingOrder(p), (std::vector<int>{1, 3, 5}));

    PressCtrlZ(p.hwnd(), false);  // Z alone does nothing
    EXPECT_EQ(RingOrder(p), (std::vector<int>{1, 3, 5}));
    PressCtrlZ(p.Buttons().Find(3)->hwnd(), true);  // a button of the panel has the keyboard
    ASSERT_EQ(p.Buttons().Count(), 4u);
    const int back = p.Buttons().At(2)->ID;
    EXPECT_GT(back, 5);
    EXPECT_EQ(RingOrder(p), (std::vector<int>{1, 3, back, 5}));
    EXPECT_EQ(Query("select iType, Title, PathName, ifnull(Para, '-'), sort from tb_Btns where ID = " +
                    std::to_string(back)),
              before);
    PressCtrlZ(p.hwnd(), true);  // nothing left to undo
    EXPECT_EQ(p.Buttons().Count(), 4u);
}

}  // namespace
}  // namespace quorlin::testing
