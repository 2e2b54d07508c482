#include "buttons/builtin_entries.h"

#include "framework/texts.h"
#include "store/button_table.h"

namespace quorlin {

unsigned BuiltInEntryTextId(int kind, const std::wstring& title) {
    if (kind == ItemKind::ShellEntry) {
        if (title == kComputerTitle) return IDS_ENTRY_COMPUTER;
        if (title == kControlPanelTitle) return IDS_ENTRY_CONTROL;
        if (title == kRecycleBinTitle) return IDS_ENTRY_RECYCLE;
        if (title == kBrowserTitle) return IDS_ENTRY_BROWSER;
    } else if (kind == ItemKind::Folder && title == kDocumentsTitle) {
        return IDS_ENTRY_DOCUMENTS;
    }
    return 0;
}

std::wstring ShownTitle(int kind, const std::wstring& title) {
    const unsigned id = BuiltInEntryTextId(kind, title);
    if (!id) return title;
    const std::wstring shown = Text(id);
    return shown.empty() ? title : shown;
}

}  // namespace quorlin
