#include "dialogs/import_preview_logic.h"

#include "framework/text.h"
#include "framework/texts.h"

namespace quorlin {

std::wstring PreviewColumnName(int column) {
    static const unsigned kNames[kPreviewColumns] = {IDS_IMPORT_COL_TITLE, IDS_IMPORT_COL_KIND, IDS_IMPORT_COL_PATH,
                                                     IDS_IMPORT_COL_PARAMETER, IDS_IMPORT_COL_REFUSED};
    return column >= 0 && column < kPreviewColumns ? Text(kNames[column]) : std::wstring();
}

std::wstring PreviewCell(const ImportEntry& entry, int column) {
    static const unsigned kKinds[] = {IDS_KIND_FILE, IDS_KIND_BROWSER_URL, IDS_KIND_FOLDER, IDS_KIND_SHELL_ENTRY,
                                      IDS_KIND_URL};
    switch (column) {
        case 0: return Displayable(entry.row.title);
        case 1:
            // The file's kinds are 0 to 4 (ParseTransferJson refuses others).
            return entry.row.kind >= 0 && entry.row.kind <= 4 ? Text(kKinds[entry.row.kind]) : IntToText(entry.row.kind);
        case 2: return Displayable(entry.row.path);
        case 3: return Displayable(entry.row.parameter);
        case kPreviewRefusalColumn: return entry.refusal;
        default: return std::wstring();
    }
}

}  // namespace quorlin
