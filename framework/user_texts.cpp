#include "framework/user_texts.h"

namespace quorlin {

namespace {

struct Pair {
    TextId id;
    const wchar_t* zh;
    const wchar_t* en;
};

const Pair kTexts[] = {
    {TextId::UndoOneButton, L"撤销删除“%1”", L"Undo deleting \"%1\""},
    {TextId::UndoPrunedButton, L"恢复“%1”（目标曾不存在）", L"Bring back \"%1\" (its target was missing)"},
    {TextId::UndoClearAll, L"撤销清空（%1 个按钮）", L"Undo clearing (%1 buttons)"},
    {TextId::UndoNothing, L"撤销", L"Undo"},
    {TextId::RestoreQuestion,
     L"打开数据失败！按钮数据已损坏或不存在。\n是否用 %1 的备份恢复？损坏的文件保留为 %2。",
     L"The button data could not be opened: it is damaged or missing.\nRestore the backup of %1? The damaged file is kept as %2."},
    {TextId::RestoreMissingQuestion, L"打开数据失败！按钮数据不存在。\n是否用 %1 的备份恢复？",
     L"The button data could not be opened: it is missing.\nRestore the backup of %1?"},
    {TextId::CliUsage, L"用法：quorlin.exe --export 文件 | --import 文件 | --settings",
     L"usage: quorlin.exe --export FILE | --import FILE | --settings"},
    {TextId::CliExported, L"已导出 %1 个按钮到 %2。", L"Exported %1 buttons to %2."},
    {TextId::CliImported, L"已从 %2 导入 %1 个按钮。", L"Imported %1 buttons from %2."},
    {TextId::CliSkippedDuplicate, L"跳过第 %1 项“%2”：已经有这个按钮。", L"Skipped entry %1 \"%2\": the button is already there."},
    {TextId::CliSkippedLimit, L"跳过第 %1 项“%2”：最多只能添加%3个按钮。",
     L"Skipped entry %1 \"%2\": at most %3 buttons can be added."},
    {TextId::CliCannotRead, L"无法读取文件 %1。", L"Cannot read the file %1."},
    {TextId::CliCannotWrite, L"无法写入文件 %1。", L"Cannot write the file %1."},
    {TextId::CliStoreFailed, L"打开数据失败！", L"Failed to open the data!"},
    {TextId::CliBackupFailed, L"无法备份按钮数据，未导入任何按钮。", L"Could not back up the button data; nothing was imported."},
    {TextId::ImportNotJson, L"导入文件不是有效的 JSON（第 %1 行第 %2 列）。",
     L"The import file is not valid JSON (line %1, column %2)."},
    {TextId::ImportWrongFormat, L"导入文件不是本程序导出的按钮文件（缺少 \"format\": \"quorlin-buttons\"）。",
     L"The import file is not a button file of this program (no \"format\": \"quorlin-buttons\")."},
    {TextId::ImportWrongVersion, L"导入文件的版本 %1 不受支持（支持版本 1）。",
     L"Version %1 of the import file is not supported (version 1 is)."},
    {TextId::ImportNoList, L"导入文件缺少按钮列表 \"buttons\"。", L"The import file has no \"buttons\" list."},
    {TextId::ImportTooLarge, L"导入文件太大。", L"The import file is too large."},
    {TextId::RowNotObject, L"第 %1 项不是按钮对象。", L"Entry %1 is not a button object."},
    {TextId::RowNoPath, L"第 %1 项缺少路径（\"path\"）。", L"Entry %1 has no path (\"path\")."},
    {TextId::RowBadKind, L"第 %1 项的类型（\"kind\"）不是 0 到 4 的整数。",
     L"Entry %1: the kind (\"kind\") is not a whole number from 0 to 4."},
    {TextId::RowBadText, L"第 %1 项的 \"%2\" 不是文本或含有空字符。",
     L"Entry %1: \"%2\" is not a text or holds a zero character."},
    {TextId::ExportChooserTitle, L"导出按钮", L"Export buttons"},
    {TextId::ImportChooserTitle, L"导入按钮", L"Import buttons"},
    {TextId::ChooserFilter, L"按钮文件 (*.json)", L"Button files (*.json)"},
    {TextId::ImportTooDeep, L"导入文件嵌套超过 %1 层，不是按钮文件。",
     L"The import file is nested more than %1 levels deep; it is no button file."},
    {TextId::ListedMore, L"……另有 %1 项未列出。", L"…and %1 more."},
    {TextId::RowRefused, L"第 %1 项“%2”被拒绝：%3", L"Entry %1 \"%2\" is refused: %3"},
    {TextId::RefusedWebAddress, L"网址必须以 http:// 或 https:// 开头。",
     L"a web address must begin with http:// or https://."},
    {TextId::RefusedShellEntry, L"系统项目只能是本程序自己的常用功能（我的电脑、控制面板、回收站、IE浏览器），且不带其他参数。",
     L"a shell entry can only be one of the program's own common entries (My Computer, Control Panel, "
     L"Recycle Bin, Internet Explorer), with no other parameter."},
    {TextId::RefusedNetworkPath, L"网络路径和设备路径（\\\\服务器\\共享、WebDAV、\\\\.\\、\\\\?\\UNC\\）不能导入。",
     L"a network or device path (\\\\server\\share, WebDAV, \\\\.\\, \\\\?\\UNC\\) cannot be imported."},
    {TextId::RefusedNotLocalPath, L"文件或文件夹必须是本机路径（如 C:\\… 或 %USERPROFILE%\\…）。",
     L"a file or folder must be a local path (like C:\\… or %USERPROFILE%\\…)."},
    {TextId::RefusedTooLong, L"标题、路径或参数太长，或别名太长（最多 260、32767、2048 个字符，别名 100 个）。",
     L"the title, path or parameters are too long, or the aliases (at most 260, 32767 and 2048 characters, "
     L"aliases 100)."},
    {TextId::ImportSummaryOk, L"文件中有 %1 项。点“导入”添加还不在面板上的按钮。",
     L"The file holds %1 entries. Import adds those not on the panel yet."},
    {TextId::ImportSummaryRefused, L"文件中有 %1 项，其中 %2 项被拒绝（已标出），整个文件不能导入。",
     L"The file holds %1 entries, %2 of them refused (marked): nothing of it can be imported."},
};

TextLanguage g_language = TextLanguage::Both;

std::wstring Fill(const wchar_t* pattern, const std::vector<std::wstring>& args) {
    std::wstring out;
    for (const wchar_t* p = pattern; *p; ++p) {
        if (p[0] == L'%' && p[1] >= L'1' && p[1] <= L'9') {
            const size_t i = static_cast<size_t>(p[1] - L'1');
            if (i < args.size()) out += args[i];
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

const Pair& Find(TextId id) {
    for (const Pair& p : kTexts)
        if (p.id == id) return p;
    return kTexts[0];
}

}  // namespace

std::wstring Zh(TextId id, const std::vector<std::wstring>& args) { return Fill(Find(id).zh, args); }
std::wstring En(TextId id, const std::vector<std::wstring>& args) { return Fill(Find(id).en, args); }
std::wstring ZhEn(TextId id, const std::vector<std::wstring>& args) { return Zh(id, args) + L"\n" + En(id, args); }

void SetTextLanguage(TextLanguage language) { g_language = language; }
TextLanguage CurrentTextLanguage() { return g_language; }

std::wstring Text(TextId id, const std::vector<std::wstring>& args) {
    switch (g_language) {
        case TextLanguage::Chinese: return Zh(id, args);
        case TextLanguage::English: return En(id, args);
        default: return ZhEn(id, args);
    }
}

std::wstring Text(TextId id, const std::vector<std::wstring>& args, TextId last) {
    auto in = [&](bool zh) {
        std::vector<std::wstring> all = args;
        all.push_back(zh ? Zh(last) : En(last));
        return zh ? Zh(id, all) : En(id, all);
    };
    switch (g_language) {
        case TextLanguage::Chinese: return in(true);
        case TextLanguage::English: return in(false);
        default: return in(true) + L"\n" + in(false);
    }
}

std::wstring MenuText(TextId id, const std::vector<std::wstring>& args) {
    return g_language == TextLanguage::English ? En(id, args) : Zh(id, args);
}

}  // namespace quorlin
