// A launcher button on the ring: an invisible child window of the panel over the spot
// where the panel draws its icon. It catches the mouse, holds the row's fields and the
// picture, carries the button's context menu and runs the item actions.
#pragma once

#include <windows.h>

#include <memory>

#include "buttons/button_input.h"
#include "buttons/launcher_button.h"
#include "framework/gdiplus_win.h"
#include "framework/window_win.h"
#include "res/resource.h"

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

    CButtonEx() = default;
    ~CButtonEx() override;

    // Creates the window: BUTTON class, no text, WS_CHILD | WS_VISIBLE, empty rectangle,
    // control id IDC_LAUNCH_BUTTON.
    bool CreateIn(HWND panel);

    // Forwards the panel-wide commands of the context menu to the panel.
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;

    // LauncherButton
    bool HasImage() const override { return image != nullptr; }
    quorlin::Rect ScreenRect() const override;
    void Place(const quorlin::Rect& clientRect) override;

    // Item actions.
    void OpenItem();
    void OpenContainingFolder();
    void ShowProperties();
    void EditItem();
    void DeleteItem();
    // The open-failure prompt; Yes deletes the button (the caller must not touch it after).
    void OfferRemoval();

    // The context menu as it would be shown (pruned and checked); the caller destroys it.
    HMENU BuildContextMenu() const;

    std::unique_ptr<Gdiplus::Image> image;  // 48 x 48 ARGB, owned
    quorlin::ButtonInput input;

protected:
    void RebuildImage() override;

private:
    LRESULT OnMouseMove(WPARAM, LPARAM, bool& handled);
    LRESULT OnMouseLeave(WPARAM, LPARAM, bool& handled);
    LRESULT OnLButtonDown(WPARAM, LPARAM, bool& handled);
    LRESULT OnLButtonUp(WPARAM, LPARAM, bool& handled);
    LRESULT OnRButtonUp(WPARAM, LPARAM, bool& handled);
    LRESULT OnPaint(WPARAM, LPARAM, bool& handled);
    LRESULT OnEraseBackground(WPARAM, LPARAM, bool& handled);
};
