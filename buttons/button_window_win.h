// A launcher button on the ring: an invisible child window of the panel over the spot
// where the panel draws its icon. It catches the mouse, holds the row's fields and the
// picture, carries the button's context menu and runs the item actions.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>
#include <memory>
#include <string>

#include "app/app_state.h"
#include "buttons/button_input.h"
#include "buttons/launcher_button.h"
#include "framework/gdiplus_win.h"
#include "framework/window_win.h"
#include "res/resource.h"

namespace quorlin::testing {
struct Probe;
}

// What a button asks of the window that owns it (the panel), handed to it when it is made.
class ButtonWindowHost {
public:
    virtual ~ButtonWindowHost() = default;
    // The switches: the drag lock and the menu's check marks.
    virtual const quorlin::AppState& State() const = 0;
    // Asks for a new composition of the owner's picture (posted, done later).
    virtual void RequestRender() = 0;
    // A panel-wide command chosen in the button's menu, handed on unchanged.
    virtual void ForwardCommand(WPARAM wp, LPARAM lp) = 0;
    // The tooltip bubble: the text below (x, y) in screen pixels, shown for `owner` (the
    // button asking).
    virtual void ShowTip(const void* owner, const std::wstring& text, int x, int y) = 0;
    // Hides the bubble: whatever it shows when `leaving` is null (a press, a drag), else only
    // while it is still that button's (the mouse left it, maybe after a neighbour showed its own).
    virtual void HideTip(const void* leaving) = 0;
    // Lifts the button onto the drag ghost at the cursor (screen x, y).
    virtual void StartDrag(std::int64_t id, int x, int y) = 0;
    // The add/edit dialog on this row, beside anchor (screen), run modally.
    virtual void EditButton(std::int64_t id, const RECT& anchor) = 0;
    // Deletes the button (row, window, ring, picture); true when it is gone.
    virtual bool DeleteButton(std::int64_t id) = 0;
    // The DPI the owner is shown at: the button's picture and drag threshold follow it.
    virtual int Dpi() const { return quorlin::kBaseDpi; }
    // The picture for a row (null when there is none yet).
    virtual std::unique_ptr<Gdiplus::Image> PictureFor(const quorlin::ButtonRecord& record) = 0;
};

class CButtonEx : public quorlin::fw::SubclassedWindow<CButtonEx>, public quorlin::LauncherButton {
public:
    static const quorlin::fw::MessageMap<CButtonEx>& Messages() {
        static const quorlin::fw::MessageMap<CButtonEx> map = {
            {WM_MOUSEMOVE, &CButtonEx::OnMouseMove},
            {WM_MOUSELEAVE, &CButtonEx::OnMouseLeave},
            {WM_LBUTTONDOWN, &CButtonEx::OnLButtonDown},
            {WM_LBUTTONDBLCLK, &CButtonEx::OnLButtonDown},
            {WM_LBUTTONUP, &CButtonEx::OnLButtonUp},
            {WM_RBUTTONUP, &CButtonEx::OnRButtonUp},
            {WM_PAINT, &CButtonEx::OnPaint},
            {WM_ERASEBKGND, &CButtonEx::OnEraseBackground},
        };
        return map;
    }
    static const quorlin::fw::CommandMap<CButtonEx>& Commands() {
        static const quorlin::fw::CommandMap<CButtonEx> map = {
            {ID_EDIT, &CButtonEx::EditItem},
            {ID_DELETE, &CButtonEx::DeleteItem},
            {ID_OPEN, &CButtonEx::OpenItem},
            {ID_OPEN_FOLDER, &CButtonEx::OpenContainingFolder},
            {ID_PROPERTIES, &CButtonEx::ShowProperties},
        };
        return map;
    }

    // `opened`, when given, is told the row's ID each time the button's item is started
    // (a click, Enter, a digit, a screen reader's default action, the menu's open).
    explicit CButtonEx(ButtonWindowHost& host, std::function<void(std::int64_t id)> opened = nullptr)
        : host_(host), opened_(std::move(opened)) {}
    ~CButtonEx() override;

    // Creates the window: BUTTON class, no text, WS_CHILD | WS_VISIBLE, empty rectangle,
    // control id IDC_LAUNCH_BUTTON. The title becomes its window text once the row is loaded
    // (screen readers and UI automation name the button by it; the window never paints it).
    bool CreateIn(HWND panel);
    // The window of a button loaded before it had one (the panel's first frame needs none):
    // made now, with its title, unless it exists.
    void EnsureWindowIn(HWND panel);

    // Forwards the panel-wide commands of the context menu to the panel.
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;

    // LauncherButton
    bool HasImage() const override { return image_ != nullptr || !pendingPng_.empty(); }
    quorlin::Rect ScreenRect() const override;
    void Place(const quorlin::Rect& clientRect) override;

    // Item actions.
    void OpenItem();
    void OpenContainingFolder();
    void ShowProperties();
    void EditItem();
    void DeleteItem();
    // The open-failure prompt; Yes deletes the button's row if it is still there (the
    // caller must not touch the button after).
    void OfferRemoval();

    // The context menu as it would be shown (pruned and checked); the caller destroys it.
    HMENU BuildContextMenu() const;

    // The picture the panel draws for this button: ARGB, owned; 48 x 48 at 96 DPI, at
    // other DPIs as large as the largest size it is drawn at.
    // A picture handed over as PNG bytes (the icon cache's, at start) is decoded here, when
    // first asked for: a start whose background comes from its file decodes none.
    Gdiplus::Image* Image() const;
    // The kept picture's PNG bytes while they are not decoded yet, else null.
    const std::vector<std::uint8_t>* PendingPicture() const { return pendingPng_.empty() ? nullptr : &pendingPng_; }
    void SetPendingPicture(std::vector<std::uint8_t> png) {
        image_.reset();
        pendingPng_ = std::move(png);
    }
    // Makes the picture again, at the host's DPI (after a change of DPI).
    void RefreshImage() { RebuildImage(); }
    // Takes a picture made anew for the same row.
    void ReplacePicture(std::unique_ptr<Gdiplus::Image> picture) {
        pendingPng_.clear();
        image_ = std::move(picture);
    }

protected:
    void RebuildImage() override;

private:
    friend struct quorlin::testing::Probe;  // the tests' way to set state the mouse would
    ButtonWindowHost& host_;
    std::function<void(std::int64_t id)> opened_;
    mutable std::unique_ptr<Gdiplus::Image> image_;
    mutable std::vector<std::uint8_t> pendingPng_;
    quorlin::ButtonInput input_;

    LRESULT OnMouseMove(WPARAM, LPARAM, bool& handled);
    LRESULT OnMouseLeave(WPARAM, LPARAM, bool& handled);
    LRESULT OnLButtonDown(WPARAM, LPARAM, bool& handled);
    LRESULT OnLButtonUp(WPARAM, LPARAM, bool& handled);
    LRESULT OnRButtonUp(WPARAM, LPARAM, bool& handled);
    LRESULT OnPaint(WPARAM, LPARAM, bool& handled);
    LRESULT OnEraseBackground(WPARAM, LPARAM, bool& handled);
};
