// The tooltip bubble: one disabled, top-most, layered window that shows a button's
// title in a dark rounded bubble 25 px below the cursor.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/gdiplus_win.h"
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
    // Width of the text in the bubble's font, in pixels.
    double MeasureText(const std::wstring& text);
    void RenderTip(const std::wstring& text);

    std::wstring text;  // the text last rendered
    std::unique_ptr<Gdiplus::StringFormat> format;
    std::unique_ptr<Gdiplus::FontFamily> fontFamily;
    std::unique_ptr<Gdiplus::Font> font;
    std::wstring fontName;  // the family actually used
    int renderCount = 0;    // how often the picture was drawn (for tests)
};
