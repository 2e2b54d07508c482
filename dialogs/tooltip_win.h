// The tooltip bubble: one disabled, top-most, layered window that shows a button's
// title in a dark rounded bubble 25 px below the cursor.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/gdiplus_win.h"
#include "framework/geometry.h"
#include "dialogs/tooltip_logic.h"
#include "framework/window_win.h"
#include "res/resource.h"

class CToolTipDlg : public quorlin::fw::Dialog<CToolTipDlg> {
public:
    enum { IDD = IDD_TOOLTIP };

    CToolTipDlg();
    ~CToolTipDlg() override;

    // Creates the window from its template with the desktop as parent, hidden.
    bool CreateHidden();
    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* msg) override;

    // show false hides the bubble; show true places it below (x, y) (screen pixels),
    // and draws it again only when the text changed.
    void ShowTip(bool show, const std::wstring& text, int x, int y);
    // The DPI to draw at (the panel's): the bubble, its font and its offsets follow it.
    void SetDpi(int dpi);
    int Dpi() const { return dpi_; }
    // The bubble's and its text's colours (ARGB; high contrast gives the system's info
    // colours); a shown bubble is drawn again at once.
    void SetColours(std::uint32_t bubbleArgb, std::uint32_t textArgb);
    // Width of the text in the bubble's font, in pixels.
    double MeasureText(const std::wstring& text);
    // Keeps a bubble of width w on the work area of the monitor it is on (or the nearest).
    static void ClampToScreen(RECT& r, int w);
    void RenderTip(const std::wstring& text);
    // Draws the bubble with the text onto a canvas of the bubble's size (what RenderTip pushes).
    void ComposeTip(quorlin::fw::LayeredCanvas& canvas, const std::wstring& text);
    // Fills the rounded bubble shape of W x H with one colour.
    static void FillBubble(Gdiplus::Graphics& g, int width, int height, Gdiplus::ARGB colour,
                           int dpi = quorlin::kBaseDpi);

    // The families tried for the bubble's text, in order, before any installed family.
    static const std::vector<std::wstring>& PreferredFontFamilies();

    // The text last rendered.
    const std::wstring& Text() const { return text_; }
    // The font, its family's name and the text layout actually used (null before creation).
    const Gdiplus::Font* Font() const { return font_.get(); }
    const std::wstring& FontName() const { return fontName_; }
    const Gdiplus::StringFormat* Format() const { return format_.get(); }
    // How often the picture was drawn.
    int RenderCount() const { return renderCount_; }

private:
    void ChooseFont();

    std::wstring text_;
    std::unique_ptr<Gdiplus::StringFormat> format_;
    std::unique_ptr<Gdiplus::FontFamily> fontFamily_;
    std::unique_ptr<Gdiplus::Font> font_;
    std::wstring fontName_;
    int renderCount_ = 0;
    int dpi_ = quorlin::kBaseDpi;
    std::uint32_t bubbleArgb_ = quorlin::kBubbleArgb;
    std::uint32_t textArgb_ = quorlin::kBubbleTextArgb;
};
