// The panel's pop-ups: the tooltip bubble and the drag ghost. It owns both windows (made
// right after the first frame, or by whoever needs one first), who the bubble shows the
// title of (a button, the panel for the keyboard's selection, or nobody), and the first
// start's hint the bubble shows below the panel.
// Handed: the ghost's host (the panel), the application folder (the explosion's pictures)
// and the DPI the bubble is drawn at.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "dialogs/ghost_win.h"
#include "dialogs/tooltip_logic.h"
#include "dialogs/tooltip_win.h"
#include "panel/hotkey_text.h"

namespace quorlin {
struct AppState;
}

class PanelPopups {
public:
    PanelPopups(GhostHost& ghostHost, std::wstring appDir) : ghostHost_(ghostHost), appDir_(std::move(appDir)) {}
    ~PanelPopups() { Release(); }

    // Makes both windows unless they exist.
    void Ensure(int dpi);
    void SetDpi(int dpi);
    // The bubble's colours (ARGB), for the bubble made now or later.
    void SetTipColours(std::uint32_t bubbleArgb, std::uint32_t textArgb);
    // Shows `text` at (x, y) in screen pixels for `owner`; Hide hides it when `leaving` is
    // still the owner, or whoever's when `leaving` is null.
    void ShowTip(const void* owner, const std::wstring& text, int x, int y, int dpi);
    void HideTip(const void* leaving);
    const void* TipShownFor() const { return tipOwner_.owner(); }
    // The ghost starts carrying the button with this ID.
    void StartDrag(std::int64_t id, int x, int y, int dpi);
    // The ID of the button the ghost carries, or -1.
    std::int64_t DraggedId() const { return ghost_ ? ghost_->DraggedId() : -1; }
    // Both windows go (before the buttons whose pictures the ghost may borrow).
    void Release();

    // The first start's hint, in the bubble below the panel: what to do, where the menu is
    // and the hotkey. Shown while the ring holds only built-in entries and the user never
    // added a button (state.hintDone, set and written to setting.ini here the first time
    // the ring holds another; cleared by "remove all buttons", which shows it again);
    // a button's title shown meanwhile takes its place for as long as it is shown.
    void FollowRing(bool onlyBuiltIns, quorlin::AppState& state, const std::optional<quorlin::Hotkey>& hotkey, int dpi);
    // A click or a drop: the hint goes for this session.
    void EndHint();
    bool HintShown() const { return tipOwner_.owner() == &hint_; }

    // Null before they are made.
    CToolTipDlg* ToolTip() const { return toolTip_.get(); }
    CDelDlg* Ghost() const { return ghost_.get(); }

private:
    GhostHost& ghostHost_;
    std::wstring appDir_;
    std::unique_ptr<CToolTipDlg> toolTip_;
    std::unique_ptr<CDelDlg> ghost_;
    quorlin::TipOwner tipOwner_;
    std::uint32_t tipBubble_ = quorlin::kBubbleArgb;
    std::uint32_t tipText_ = quorlin::kBubbleTextArgb;
    struct Hint {
        std::wstring text;  // "" while none is wanted
        int x = 0, y = 0, dpi = quorlin::kBaseDpi;
        bool ended = false;     // by a click or a drop, until "remove all buttons"
        bool lastDone = false;  // state.hintDone at the last look
    } hint_;
    void ShowHint();
    void HideHint();  // until the ring is looked at again
};
