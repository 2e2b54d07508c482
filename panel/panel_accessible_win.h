// Screen readers and high contrast. It owns the panel's accessible object (IAccessible,
// handed out on WM_GETOBJECT for OBJID_CLIENT): the panel, its buttons in ring order and the
// clock as its children, and the program selected in the list of programs found by typing
// while there is one; the events that tell a screen reader what changed (the keyboard's
// selection took the focus, a title changed, buttons were added, deleted or moved, the panel
// was summoned); and the colours the panel is drawn in: the system's high-contrast colours
// while that mode is on (read at start and on WM_SETTINGCHANGE and WM_SYSCOLORCHANGE, the
// switch through the seam HighContrast()).
// Handed: the panel's window, the panel's buttons, and the panel's ways to know the
// keyboard's selection, the selected program and the ring geometry, to hide the bubble before a button opens, to
// colour the bubble and to render.
// oleacc.dll is not an import: it is loaded by the first WM_GETOBJECT, from the system folder.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "buttons/button_window_win.h"
#include "framework/window_win.h"
#include "panel/button_collection.h"
#include "panel/composition.h"
#include "panel/ring_layout.h"

// Posted by the accessible object's default action: open the button whose ID is the lParam,
// as a click does, once the client's call has returned.
constexpr UINT WM_ACCESSIBLE_OPEN = WM_APP + 5;

namespace quorlin {
// IAccessible's interface ID, our own copy (mingw-w64's oleacc library carries it as code).
extern const IID kIidAccessible;
}  // namespace quorlin

class PanelAccessible {
public:
    struct PanelCalls {
        std::function<int()> selected;  // the keyboard's selection (ring index), or -1
        // The program selected in the list beside the panel, as the list shows it, and
        // where it is on the screen; "" while none is.
        std::function<std::wstring(RECT& where)> program;
        std::function<quorlin::PanelGeometry()> geometry;
        std::function<void()> hideTip;  // before a button opens, as a click hides it
        std::function<void(std::uint32_t bubbleArgb, std::uint32_t textArgb)> tipColours;
        std::function<void()> render;
    };
    PanelAccessible(const quorlin::fw::WindowBase& window, quorlin::ButtonCollectionOf<CButtonEx>& buttons,
                    PanelCalls calls);
    ~PanelAccessible() { Release(); }

    LRESULT OnGetObject(WPARAM, LPARAM, bool&);
    LRESULT OnOpenRequest(WPARAM, LPARAM, bool&);
    // WM_SETTINGCHANGE and WM_SYSCOLORCHANGE: when high contrast was switched on or off, or
    // its colours changed, the panel and the bubble are drawn again at once.
    LRESULT OnSettingChange(WPARAM, LPARAM, bool&);

    // The colours of the panel's frame.
    const quorlin::Palette& Colours() const { return palette_; }
    // Reads the high-contrast switch and the system's colours (the bubble is told); true when
    // anything changed.
    bool ReadColours();

    // The keyboard's selection moved (index in ring order, -1 for none; a selected program
    // goes before it): focus and selection events for it, or focus on the panel while it
    // has the keyboard.
    void SelectionMoved(int index);
    // The hotkey brought the panel forward: focus on the selected button, else on the panel.
    void Summoned();
    // After the ring changed (laid out anew, a title edited): a reorder event when buttons came,
    // went or moved, else a name-change event for each button whose shown title changed.
    void FollowButtons();
    // The object is cut off from the panel (the window is going); clients holding it get errors.
    void Release();

private:
    class Object;  // the COM object; it answers from the state below
    // The buttons, the clock, then the selected program while there is one.
    int ChildCount() const { return static_cast<int>(buttons_.Count()) + (ProgramText().empty() ? 1 : 2); }
    bool ProgramChild(long child) const { return child == static_cast<long>(buttons_.Count()) + 2; }
    std::wstring ProgramText(RECT* where = nullptr) const;
    // The child that has the focus while the panel has the keyboard (0: the panel).
    long FocusChild() const;
    bool ButtonChild(long child) const { return child >= 1 && child <= static_cast<long>(buttons_.Count()); }
    bool ClockChild(long child) const { return child == static_cast<long>(buttons_.Count()) + 1; }
    // The screen rectangle of a child (0: the panel); false for none.
    bool Location(long child, RECT& r) const;
    std::wstring Name(long child) const;
    std::wstring Description(long child) const;
    long State(long child) const;
    long HitTest(POINT screen) const;  // the child at a screen point, 0 the panel, -1 none
    bool HasKeyboard() const;
    void Notify(DWORD event, long child) const;

    const quorlin::fw::WindowBase& window_;
    quorlin::ButtonCollectionOf<CButtonEx>& buttons_;
    PanelCalls calls_;
    Object* object_ = nullptr;
    quorlin::Palette palette_;
    std::uint32_t tipBubble_ = 0, tipText_ = 0;
    long lastFocus_ = CHILDID_SELF;
    std::wstring lastProgram_;
    std::vector<std::pair<std::int64_t, std::wstring>> seen_;  // IDs and shown titles, ring order
};
