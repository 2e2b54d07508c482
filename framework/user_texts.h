// The texts a user reads about undo, backups, export and import, in one table, so that
// they can move to string resources together. Each has a Chinese and an English form.
// The command line reports both, Chinese first (it runs before any language is chosen);
// the panel shows the one of its language (SetTextLanguage, set with the language of
// its menus and dialogs).
// Placeholders %1, %2, %3 are replaced in order. Portable.
#pragma once

#include <string>
#include <vector>

namespace quorlin {

enum class TextId {
    UndoOneButton,        // tray entry: %1 title
    UndoPrunedButton,     // tray entry: %1 title (removed because its target was gone)
    UndoClearAll,         // tray entry: %1 count
    UndoNothing,          // tray entry, greyed
    RestoreQuestion,      // %1 time of the backup, %2 name the broken file is kept under
    RestoreMissingQuestion,  // %1 time of the backup
    CliUsage,
    CliExported,          // %1 count, %2 file
    CliImported,          // %1 added, %2 file
    CliSkippedDuplicate,  // %1 entry number, %2 title
    CliSkippedLimit,      // %1 entry number, %2 title, %3 limit
    CliCannotRead,        // %1 file
    CliCannotWrite,       // %1 file
    CliStoreFailed,       // bts.db could not be opened or changed
    CliBackupFailed,
    ImportNotJson,        // %1 line, %2 column where the parser stopped
    ImportWrongFormat,
    ImportWrongVersion,   // %1 version found
    ImportNoList,
    ImportTooLarge,
    RowNotObject,         // %1 entry number
    RowNoPath,            // %1 entry number
    RowBadKind,           // %1 entry number
    RowBadText,           // %1 entry number, %2 field name
    ExportChooserTitle,   // the file chooser of the tray's export
    ImportChooserTitle,   // the file chooser of the tray's import
    ChooserFilter,        // the chooser's filter name of the button files
    ImportTooDeep,        // %1 levels
    ListedMore,           // %1 problems or skipped entries not listed
    RowRefused,           // %1 entry number, %2 title or path, %3 one of the Refused... reasons
    RefusedWebAddress,
    RefusedShellEntry,
    RefusedNetworkPath,
    RefusedNotLocalPath,
    RefusedTooLong,
    ImportSummaryOk,      // %1 entries
    ImportSummaryRefused, // %1 entries, %2 refused
};

enum class TextLanguage { Both, Chinese, English };
// The language of Text() and MenuText(); Both until the panel's language is applied.
void SetTextLanguage(TextLanguage language);
TextLanguage CurrentTextLanguage();
// In the current language: Both gives Chinese, then English on the next line.
std::wstring Text(TextId id, const std::vector<std::wstring>& args = {});
// As Text(), with one more argument that is itself a text, put in the same language.
std::wstring Text(TextId id, const std::vector<std::wstring>& args, TextId last);
// For a menu, which has room for one: English when that is the language, else Chinese.
std::wstring MenuText(TextId id, const std::vector<std::wstring>& args = {});

// The Chinese text.
std::wstring Zh(TextId id, const std::vector<std::wstring>& args = {});
// The English text.
std::wstring En(TextId id, const std::vector<std::wstring>& args = {});
// Both, Chinese first, on two lines.
std::wstring ZhEn(TextId id, const std::vector<std::wstring>& args = {});

}  // namespace quorlin
