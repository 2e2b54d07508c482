#include "panel/drop_rules.h"

#include <cstdint>

#include "buttons/builtin_entries.h"
#include "framework/text.h"
#include "framework/texts.h"
#include "store/button_table.h"

namespace quorlin {

namespace {

// Length in UTF-16 units, so that the short-name rule behaves the same on Windows and Linux.
size_t Utf16Length(const std::wstring& text) {
    size_t n = 0;
    for (wchar_t c : text) n += (static_cast<std::uint32_t>(c) >> 16) != 0 ? 2 : 1;  // never true where wchar_t is 16-bit
    return n;
}


}  // namespace

std::wstring TitleFromPath(const std::wstring& name) {
    // A drive root such as C:\ has no usable last part; keep it whole.
    if (Utf16Length(name) < 5) return name;
    std::wstring title = name;
    const size_t slash = title.rfind(L'\\');
    if (slash != std::wstring::npos) title.erase(0, slash + 1);
    const size_t dot = title.rfind(L'.');
    if (dot != std::wstring::npos) title.erase(dot);
    return title;
}

bool IsShortcutPath(const std::wstring& path) {
    static const std::wstring kExt = L".lnk";
    return path.size() >= kExt.size() && path.compare(path.size() - kExt.size(), kExt.size(), kExt) == 0;
}

int DropKindFor(bool isDirectory) {
    return isDirectory ? ItemKind::Folder : ItemKind::File;
}

bool CanDropMore(int count) {
    return count < kMaxButtons;
}

std::wstring DropLimitMessage() {
    return FillIn(Text(IDS_DROP_LIMIT), {IntToText(kMaxButtons)});
}

std::optional<CommonEntry> CommonEntryFor(int commandId, const std::wstring& documentsFolder) {
    // The shell entries are those an import accepts (store/entry_rules.h), in the menu's order.
    auto shell = [](const CommonShellEntry& e) { return CommonEntry{e.title, e.path, ItemKind::ShellEntry, e.parameter}; };
    switch (commandId) {
        case ID_ADD_COMPUTER:
            return shell(kCommonShellEntries[0]);
        case ID_ADD_CONTROL:
            return shell(kCommonShellEntries[1]);
        case ID_ADD_DOCUMENTS:
            return CommonEntry{kDocumentsTitle, documentsFolder, ItemKind::Folder, L""};
        case ID_ADD_RECYCLE:
            return shell(kCommonShellEntries[2]);
        case ID_ADD_IE:
            return shell(kCommonShellEntries[3]);
        default:
            return std::nullopt;
    }
}

}  // namespace quorlin
