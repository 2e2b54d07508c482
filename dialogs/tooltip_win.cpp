#include "dialogs/tooltip_win.h"

#include "dialogs/tooltip_logic.h"
#include "framework/display_win.h"

using namespace quorlin;

namespace {

bool FamilyExists(const std::wstring& name, std::unique_ptr<Gdiplus::FontFamily>& out) {
    auto family = std::make_unique<Gdiplus::FontFamily>(name.c_str());
    if (family->GetLastStatus() != Gdiplus::Ok || !family->IsAvailable()) return false;
    out = std::move(family);
    return true;
}

}  // namespace

CToolTipDlg::CToolTipDlg() : format_(std::make_unique<Gdiplus::StringFormat>(0, LANG_NEUTRAL)) {}

CToolTipDlg::~CToolTipDlg() {
    // Font before its family, then the format; the window goes with the base class.
    font_.reset();
    fontFamily_.reset();
    format_.reset();
    text_.clear();
}

bool CToolTipDlg::CreateHidden() {
    if (!Create(::GetDesktopWindow())) return false;
    ::ShowWindow(hwnd_, SW_HIDE);
    return true;
}

BOOL CToolTipDlg::OnInitDialog() {
    // The bubble never takes the mouse or the keyboard.
    ::EnableWindow(hwnd_, FALSE);
    ModifyStyleEx(0, WS_EX_LAYERED);
    ModifyStyleEx(WS_EX_APPWINDOW | WS_EX_DLGMODALFRAME, WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    format_->SetAlignment(Gdiplus::StringAlignmentCenter);
    format_->SetLineAlignment(Gdiplus::StringAlignmentCenter);
    ChooseFont();
    return TRUE;
}

BOOL CToolTipDlg::PreTranslateMessage(MSG* msg) {
    return msg->message == WM_KEYDOWN && (msg->wParam == VK_ESCAPE || msg->wParam == VK_RETURN);
}

const std::vector<std::wstring>& CToolTipDlg::PreferredFontFamilies() {
    // SimSun first, by either of its names; where it is missing (Wine, systems without the
    // Chinese fonts) another family that has the Chinese glyphs.
    static const std::vector<std::wstring> families = {
        L"宋体", L"SimSun", L"Microsoft YaHei", L"WenQuanYi Micro Hei", L"Noto Sans CJK SC",
    };
    return families;
}

void CToolTipDlg::ChooseFont() {
    font_.reset();
    fontFamily_.reset();
    fontName_.clear();
    for (const std::wstring& name : PreferredFontFamilies()) {
        if (FamilyExists(name, fontFamily_)) {
            fontName_ = name;
            break;
        }
    }
    if (!fontFamily_) {
        // Last resort: any installed family, so that the title is at least readable.
        Gdiplus::InstalledFontCollection installed;
        const INT count = installed.GetFamilyCount();
        if (count > 0) {
            std::vector<Gdiplus::FontFamily> all(static_cast<size_t>(count));
            INT found = 0;
            installed.GetFamilies(count, all.data(), &found);
            for (INT i = 0; i < found && !fontFamily_; ++i) {
                WCHAR name[LF_FACESIZE] = {};
                if (all[static_cast<size_t>(i)].GetFamilyName(name) != Gdiplus::Ok) continue;
                if (FamilyExists(name, fontFamily_)) fontName_ = name;
            }
        }
    }
    if (!fontFamily_) return;
    const auto kFontEmPixels = static_cast<Gdiplus::REAL>(BubbleFontPixels(dpi_));
    font_ = std::make_unique<Gdiplus::Font>(fontFamily_.get(), kFontEmPixels, Gdiplus::FontStyleBold,
                                           Gdiplus::UnitPixel);
    if (font_->GetLastStatus() != Gdiplus::Ok) {
        // A family without a bold face: its regular face rather than no text at all.
        font_ = std::make_unique<Gdiplus::Font>(fontFamily_.get(), kFontEmPixels, Gdiplus::FontStyleRegular,
                                               Gdiplus::UnitPixel);
        if (font_->GetLastStatus() != Gdiplus::Ok) font_.reset();
    }
}

// ---------------------------------------------------------------- showing

void CToolTipDlg::SetDpi(int dpi) {
    dpi = UsableDpi(dpi);
    if (dpi == dpi_) return;
    dpi_ = dpi;
    if (hwnd_) ChooseFont();
    text_.clear();  // the next show draws the picture again at the new size
}

void CToolTipDlg::SetColours(std::uint32_t bubbleArgb, std::uint32_t textArgb) {
    if (bubbleArgb == bubbleArgb_ && textArgb == textArgb_) return;
    bubbleArgb_ = bubbleArgb;
    textArgb_ = textArgb;
    if (hwnd_ && ::IsWindowVisible(hwnd_)) RenderTip(text_);
    else text_.clear();  // the next show draws it
}

void CToolTipDlg::ShowTip(bool show, const std::wstring& newText, int x, int y) {
    if (!hwnd_) return;
    if (!show) {
        ::ShowWindow(hwnd_, SW_HIDE);
        return;
    }
    const int w = BubbleWidth(MeasureText(newText), dpi_);
    const Rect at = BubbleRectAt(x, y, w, dpi_);
    RECT r{at.left, at.top, at.right, at.bottom};
    ClampToScreen(r, w);
    ::MoveWindow(hwnd_, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
    ::ShowWindow(hwnd_, SW_SHOWNA);
    // Moving within one button only moves the window; the picture stays.
    if (newText != text_) {
        text_ = newText;
        RenderTip(text_);
    }
}

double CToolTipDlg::MeasureText(const std::wstring& s) {
    if (!hwnd_ || !font_) return 0.0;
    HDC dc = ::GetDC(hwnd_);
    double width = 0.0;
    {
        Gdiplus::Graphics g(dc);
        Gdiplus::RectF layout(0.0f, 0.0f, 0.0f, 0.0f);
        Gdiplus::RectF box;
        if (g.MeasureString(s.c_str(), static_cast<INT>(s.size()), font_.get(), layout, nullptr, &box) ==
            Gdiplus::Ok)
            width = box.Width;
    }
    ::ReleaseDC(hwnd_, dc);
    return width;
}

void CToolTipDlg::ClampToScreen(RECT& r, int w) {
    Rect q{r.left, r.top, r.right, r.bottom};
    quorlin::ClampToWorkArea(q, w, fw::WorkAreaNear(r));
    r = RECT{q.left, q.top, q.right, q.bottom};
}

// ---------------------------------------------------------------- drawing

void CToolTipDlg::FillBubble(Gdiplus::Graphics& g, int width, int height, Gdiplus::ARGB colour, int dpi) {
    Gdiplus::SolidBrush brush{Gdiplus::Color(colour)};
    for (const BubbleShape& s : quorlin::FillBubble(width, height, dpi)) {
        if (s.kind == BubbleShape::Kind::Rectangle)
            g.FillRectangle(&brush, s.x, s.y, s.width, s.height);
        else
            g.FillPie(&brush, s.x, s.y, s.width, s.height, s.startAngle, s.sweepAngle);
    }
}

void CToolTipDlg::ComposeTip(fw::LayeredCanvas& canvas, const std::wstring& s) {
    if (!canvas.Ok()) return;
    Gdiplus::Graphics g(canvas.MemoryDC());
    g.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    // Grey-scale anti-aliasing: sub-pixel colour fringes would show on a see-through bubble.
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    const int w = canvas.Width(), h = canvas.Height();
    FillBubble(g, w, h, bubbleArgb_, dpi_);
    if (!font_ || s.empty()) return;
    Gdiplus::SolidBrush textBrush{Gdiplus::Color(static_cast<Gdiplus::ARGB>(textArgb_))};
    const RectF box = TipTextBox(w, h, dpi_);
    g.DrawString(s.c_str(), static_cast<INT>(s.size()), font_.get(), Gdiplus::RectF(box.x, box.y, box.width, box.height),
                 format_.get(), &textBrush);
}

void CToolTipDlg::RenderTip(const std::wstring& s) {
    if (!hwnd_) return;
    RECT rc{};
    ::GetClientRect(hwnd_, &rc);
    fw::LayeredCanvas canvas(hwnd_, rc.right - rc.left, rc.bottom - rc.top);
    ComposeTip(canvas, s);
    canvas.PushTo(hwnd_);
    ++renderCount_;
}
