#include "panel/panel_popups_win.h"

#include "app/app_state.h"
#include "app/settings_win.h"
#include "framework/texts.h"
#include "panel/ring_layout.h"

using namespace quorlin;

void PanelPopups::Ensure(int dpi) {
    if (!toolTip_) {
        toolTip_ = std::make_unique<CToolTipDlg>();
        toolTip_->CreateHidden();
        toolTip_->SetDpi(dpi);
        toolTip_->SetColours(tipBubble_, tipText_);
    }
    if (!ghost_) {
        ghost_ = std::make_unique<CDelDlg>(ghostHost_, kInitialButtonHalf, appDir_);
        ghost_->CreateHidden();
    }
}

void PanelPopups::SetDpi(int dpi) {
    if (toolTip_) toolTip_->SetDpi(dpi);
}

void PanelPopups::SetTipColours(std::uint32_t bubbleArgb, std::uint32_t textArgb) {
    tipBubble_ = bubbleArgb;
    tipText_ = textArgb;
    if (toolTip_) toolTip_->SetColours(bubbleArgb, textArgb);
}

void PanelPopups::ShowTip(const void* owner, const std::wstring& text, int x, int y, int dpi) {
    Ensure(dpi);
    tipOwner_.Shown(owner);
    toolTip_->ShowTip(true, text, x, y);
}

void PanelPopups::HideTip(const void* leaving) {
    if (leaving) {
        if (!tipOwner_.LeaveHides(leaving)) return;
    } else {
        tipOwner_.Hidden();
    }
    if (toolTip_) toolTip_->ShowTip(false, L"", 0, 0);
    ShowHint();  // back in the place of the title that was shown
}

void PanelPopups::FollowRing(bool onlyBuiltIns, AppState& state, const std::optional<Hotkey>& hotkey, int dpi) {
    if (!onlyBuiltIns && !state.hintDone) {
        state.hintDone = true;
        IniSettings(state.SettingsFile()).WriteInt(kKeyHintDone, 1);
    }
    if (hint_.lastDone && !state.hintDone) hint_.ended = false;  // all buttons removed: shown again
    hint_.lastDone = state.hintDone;
    const bool wanted = onlyBuiltIns && !state.hintDone && !hint_.ended;
    RECT panel{};
    if (!wanted || !ghostHost_.PanelScreenRect(panel)) {
        HideHint();
        return;
    }
    hint_.text = Text(IDS_FIRST_HINT) + Text(IDS_FIRST_HINT_MENU);
    if (hotkey) hint_.text += FillIn(Text(IDS_FIRST_HINT_HOTKEY), {FormatHotkey(*hotkey)});
    Ensure(dpi);
    // Centred below the panel (pulled onto its monitor by the bubble).
    const int width = BubbleWidth(toolTip_->MeasureText(hint_.text), dpi);
    hint_.x = (panel.left + panel.right - width) / 2;
    hint_.y = panel.bottom - ScaleByDpi(kBubbleOffsetY - 6, dpi);
    hint_.dpi = dpi;
    ShowHint();
}

void PanelPopups::ShowHint() {
    if (hint_.text.empty() || hint_.ended || tipOwner_.owner()) return;
    ShowTip(&hint_, hint_.text, hint_.x, hint_.y, hint_.dpi);
}

void PanelPopups::EndHint() {
    hint_.ended = true;
    HideHint();
}

void PanelPopups::HideHint() {
    hint_.text.clear();
    if (HintShown()) HideTip(&hint_);
}

void PanelPopups::StartDrag(std::int64_t id, int x, int y, int dpi) {
    Ensure(dpi);
    ghost_->StartDrag(id, x, y);
}

void PanelPopups::Release() {
    ghost_.reset();
    toolTip_.reset();
}
