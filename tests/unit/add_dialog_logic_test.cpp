#include "dialogs/add_dialog_logic.h"

#include <gtest/gtest.h>

namespace quorlin {
namespace {

TEST(AddDialogFields, PerKind) {
    const AddDialogFields file = FieldsForKind(0);
    EXPECT_TRUE(file.titleEnabled && file.targetVisible && file.browseVisible && file.paramsVisible);
    EXPECT_EQ(file.targetLabelText, std::optional<std::wstring>(L"文件："));

    const AddDialogFields browserUrl = FieldsForKind(1);
    EXPECT_EQ(browserUrl.targetLabelText, std::optional<std::wstring>(L"网址："));
    EXPECT_TRUE(browserUrl.targetVisible);
    EXPECT_FALSE(browserUrl.browseVisible);
    EXPECT_FALSE(browserUrl.paramsVisible);
    EXPECT_TRUE(browserUrl.paramsEnabled);

    const AddDialogFields folder = FieldsForKind(2);
    EXPECT_EQ(folder.targetLabelText, std::optional<std::wstring>(L"路径："));
    EXPECT_TRUE(folder.browseVisible);
    EXPECT_FALSE(folder.paramsVisible);
    EXPECT_FALSE(folder.paramsEnabled);

    const AddDialogFields shell = FieldsForKind(3);
    EXPECT_TRUE(shell.titleVisible);
    EXPECT_FALSE(shell.titleEnabled);
    EXPECT_FALSE(shell.targetLabelVisible || shell.targetVisible || shell.browseVisible || shell.paramsVisible);

    const AddDialogFields url = FieldsForKind(4);
    EXPECT_EQ(url.targetLabelText, std::optional<std::wstring>(L"网址："));
    EXPECT_FALSE(url.browseVisible);
    EXPECT_FALSE(url.paramsVisible);
    EXPECT_FALSE(url.paramsEnabled);

    for (int other : {-1, 5, 99}) {
        SCOPED_TRACE(other);
        const AddDialogFields f = FieldsForKind(other);
        EXPECT_FALSE(f.targetLabelText.has_value());  // label left as in the template
        EXPECT_TRUE(f.titleEnabled && f.targetVisible && f.browseVisible && f.paramsVisible && f.paramsEnabled);
        EXPECT_EQ(BrowseActionFor(other), BrowseAction::None);  // shown, but does nothing
    }
}

TEST(AddDialogFields, BrowseCaptionAndPreview) {
    EXPECT_EQ(BrowseActionFor(0), BrowseAction::FileChooser);
    EXPECT_EQ(BrowseActionFor(2), BrowseAction::FolderChooser);
    EXPECT_EQ(BrowseActionFor(4), BrowseAction::None);
    EXPECT_EQ(AddDialogCaption(true), L"修改");
    EXPECT_EQ(AddDialogCaption(false), L"添加");

    EXPECT_TRUE(TargetChangeRefreshesPreview(true, 0));
    EXPECT_TRUE(TargetChangeRefreshesPreview(true, 2));
    EXPECT_TRUE(TargetChangeRefreshesPreview(true, 3));
    EXPECT_FALSE(TargetChangeRefreshesPreview(true, 1));
    EXPECT_FALSE(TargetChangeRefreshesPreview(true, 4));
    EXPECT_FALSE(TargetChangeRefreshesPreview(false, 0));
    EXPECT_FALSE(TargetChangeRefreshesPreview(false, 4));

    EXPECT_EQ(ConfirmActionFor(false, 4), ConfirmAction::AddButton);
    EXPECT_EQ(ConfirmActionFor(true, 3), ConfirmAction::CloseOnly);
    EXPECT_EQ(ConfirmActionFor(true, 0), ConfirmAction::WriteRecord);
    EXPECT_EQ(ConfirmActionFor(true, 4), ConfirmAction::WriteRecord);
}

TEST(AddDialogValidate, MissingTitleOrTarget) {
    AddEditCheck c = ValidateAddEditInput(0, L"   ", L"C:\\x.exe", L"");
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.message, L"请输入标题");
    EXPECT_EQ(c.focusControl, kTitleEditId);

    c = ValidateAddEditInput(0, L"\t\u3000 ", L"C:\\x.exe", L"");  // ideographic space is blank too
    EXPECT_EQ(c.message, L"请输入标题");

    c = ValidateAddEditInput(0, L"", L"", L"");  // the title is checked first
    EXPECT_EQ(c.message, L"请输入标题");

    c = ValidateAddEditInput(4, L"Site", L"  \r\n", L"");
    EXPECT_FALSE(c.ok);
    EXPECT_EQ(c.message, L"请输入目标地址");
    EXPECT_EQ(c.focusControl, kTargetEditId);
}

TEST(AddDialogValidate, UrlPrefixIsExactAndOnlyForUrl) {
    const std::wstring bad = L"请输入正确的网址，必须以http://或https://开头";
    for (const wchar_t* target : {L"HTTP://x", L"Https://x", L"ftp://x", L"http:/x", L"https:", L"www.x.com", L"xhttp://y"}) {
        SCOPED_TRACE(target);
        const AddEditCheck c = ValidateAddEditInput(4, L"Site", target, L"");
        EXPECT_FALSE(c.ok);
        EXPECT_EQ(c.message, bad);
        EXPECT_EQ(c.focusControl, 0);
    }
    for (const wchar_t* target : {L"http://", L"https://", L"https://x.example/a?b=1", L"  http://x  "}) {
        SCOPED_TRACE(target);
        EXPECT_TRUE(ValidateAddEditInput(4, L"Site", target, L"").ok);
    }
    // No other kind checks the address, not even BrowserUrl.
    EXPECT_TRUE(ValidateAddEditInput(1, L"Site", L"HTTP://x", L"").ok);
    EXPECT_TRUE(ValidateAddEditInput(0, L"Tool", L"www.x.com", L"").ok);
}

TEST(AddDialogValidate, TrimsAllThreeFields) {
    const AddEditCheck c = ValidateAddEditInput(0, L"  Editor \t", L"\u3000C:\\Tools\\ed.exe  ", L"  -n  file.txt \r\n");
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.title, L"Editor");
    EXPECT_EQ(c.target, L"C:\\Tools\\ed.exe");
    EXPECT_EQ(c.params, L"-n  file.txt");  // inner blanks stay
    EXPECT_TRUE(c.message.empty());

    const AddEditCheck empty = ValidateAddEditInput(2, L"Docs", L"D:\\Docs", L"   ");
    ASSERT_TRUE(empty.ok);
    EXPECT_EQ(empty.params, L"");
}

TEST(AddDialogValidate, TextsUpToTheirLimitsAcceptedLongerOnesRefused) {
    const std::wstring title(260, L'标'), path(32767, L'p');
    const AddEditCheck c = ValidateAddEditInput(4, L" " + title + L" ", L"http://x", L"");
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.title, title);
    EXPECT_EQ(ValidateAddEditInput(4, title + L"标", L"http://x", L"").message, L"标题太长，最多 260 个字符");
    EXPECT_EQ(ValidateAddEditInput(0, title, path + L"p", L"").focusControl, kTargetEditId);
    EXPECT_EQ(ValidateAddEditInput(0, title, path, std::wstring(2049, L'x')).focusControl, kParamsEditId);
    EXPECT_EQ(ValidateAddEditInput(0, title, path, L"", L" vs 编 ").aliases, L"vs 编");
    EXPECT_EQ(ValidateAddEditInput(0, title, path, L"", std::wstring(101, L'a')).message, L"别名太长，最多 100 个字符");
}

}  // namespace
}  // namespace quorlin
