// The import preview: every entry of the file listed, refused ones marked, and Import only
// for a file that may be imported, only when the user agrees.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "dialogs/import_preview_win.h"
#include "framework/window_win.h"

namespace quorlin::testing {
namespace {

std::wstring Cell(HWND list, int item, int column) {
    wchar_t text[512] = {};
    ListView_GetItemText(list, item, column, text, 512);
    return text;
}

TEST(ImportPreviewTest, ListsEveryEntryMarksTheRefusedAndImportsOnlyWhenTheUserAgrees) {
    const std::string head = R"({"format":"quorlin-buttons","version":1,"buttons":[{"title":"ed","path":"C:\\ed.exe","kind":0,"parameter":"-n"})";
    const ImportPreview refused = ParseTransferJson(
        head + R"(,{"title":"我的电脑","path":"C:\\Windows\\System32\\cmd.exe","kind":3,"parameter":"/c x"}]})", L"");
    CImportPreviewDlg dialog(refused);
    ASSERT_TRUE(dialog.Create(::GetDesktopWindow()));
    HWND list = ::GetDlgItem(dialog.hwnd(), IDC_IMPORT_LIST);
    ASSERT_EQ(ListView_GetItemCount(list), 2);
    const wchar_t* first[] = {L"ed", L"文件", L"C:\\ed.exe", L"-n", L""};
    for (int c = 0; c < 5; ++c) EXPECT_EQ(Cell(list, 0, c), first[c]) << c;
    EXPECT_EQ(Cell(list, 1, 0) + L"|" + Cell(list, 1, 1) + L"|" + Cell(list, 1, 2) + L"|" + Cell(list, 1, 3),
              L"我的电脑|系统项目|C:\\Windows\\System32\\cmd.exe|/c x");
    EXPECT_EQ(Cell(list, 1, 4).substr(0, 9), L"系统项目只能是本程");
    wchar_t summary[256] = {};
    ::GetDlgItemTextW(dialog.hwnd(), IDC_IMPORT_SUMMARY, summary, 256);
    EXPECT_EQ(std::wstring(summary).substr(0, 18), L"文件中有 2 项，其中 1 项被拒绝");
    EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog.hwnd(), IDOK)));
    ::SendMessageW(dialog.hwnd(), WM_COMMAND, IDOK, 0);  // Enter
    EXPECT_FALSE(dialog.Agreed());
    ::SendMessageW(dialog.hwnd(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_FALSE(dialog.IsWindow());

    const ImportPreview fine = ParseTransferJson(head + "]}", L"");
    CImportPreviewDlg agreeing(fine);
    ASSERT_TRUE(agreeing.Create(::GetDesktopWindow()));
    HWND import = ::GetDlgItem(agreeing.hwnd(), IDOK);
    EXPECT_TRUE(::IsWindowEnabled(import));
    EXPECT_FALSE(agreeing.Agreed());
    ::SendMessageW(agreeing.hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(import));
    EXPECT_TRUE(agreeing.Agreed());
}

}  // namespace
}  // namespace quorlin::testing
