#include "panel/panel_popups_win.h"

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
}

void PanelPopups::StartDrag(std::int64_t id, int x, int y, int dpi) {
    Ensure(dpi);
    ghost_->StartDrag(id, x, y);
}

void PanelPopups::Release() {
    ghost_.reset();
    toolTip_.reset();
}
