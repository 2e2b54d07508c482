// Export and import of the ring as a readable, versioned JSON file. Portable.
//
//   {
//     "format": "quorlin-buttons",
//     "version": 1,
//     "buttons": [
//       {"title": "Editor", "path": "%USERPROFILE%\\Desktop\\editor.exe", "kind": 0, "parameter": "",
//        "aliases": "vs edit"},
//       ...
//     ]
//   }
//
// The buttons are listed in ring order (row 2, which the ring never shows, is left out).
// A File or Folder path under the user's profile folder is written with "%USERPROFILE%"
// in place of that folder, and an import puts the importing user's profile folder back.
// "kind" is the iType code (0 to 4); "title" and "parameter" may be left out (empty).
// "aliases" (the button's words of its own, store/alias_table.h) is written only for a
// button that has some and may be left out: a file without it is read as before.
// Unknown members are ignored. A file whose format, version or any entry is wrong, or
// that holds an entry the rules of store/entry_rules.h refuse, is refused as a whole:
// nothing of it is added.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/backups.h"

namespace quorlin {

class DbSession;

inline constexpr char kTransferFormat[] = "quorlin-buttons";
constexpr int kTransferVersion = 1;
// Larger files are refused before they are parsed.
constexpr std::size_t kMaxTransferBytes = 8u << 20;

struct TransferRow {
    std::wstring title;
    std::wstring path;
    std::int32_t kind = 0;
    std::wstring parameter;
    std::wstring aliases = {};  // "aliases", may be left out
    bool operator==(const TransferRow& o) const {
        return title == o.title && path == o.path && kind == o.kind && parameter == o.parameter &&
               aliases == o.aliases;
    }
};

// "%USERPROFILE%" for the profile folder at the start of a path (at a separator), and back.
std::wstring ToProfileRelative(const std::wstring& path, const std::wstring& profileDir);
std::wstring FromProfileRelative(const std::wstring& path, const std::wstring& profileDir);

std::string MakeTransferJson(const std::vector<TransferRow>& rows, const std::wstring& profileDir);

// A file nested deeper than this (arrays and objects) is refused before it is parsed.
constexpr std::size_t kMaxTransferDepth = 32;
// Messages list this many problems (or skipped entries), then say how many more there are.
constexpr std::size_t kMaxListedProblems = 20;

// One entry of an import file as the preview shows it.
struct ImportEntry {
    TransferRow row;       // the path made absolute again
    std::wstring refusal;  // why it may not become a button (store/entry_rules.h), empty when it may
};

// What an import file holds, read before anything is added: the command line imports it
// when `ok`, the tray shows it to the user first.
struct ImportPreview {
    bool ok = false;                     // a button file, every entry well-formed and none refused
    std::vector<ImportEntry> entries;    // every entry in order; empty when the file or an entry is malformed
    std::size_t refused = 0;             // entries with a refusal
    std::vector<std::wstring> problems;  // what is wrong when !ok: at most kMaxListedProblems, then "and N more"
};
ImportPreview ParseTransferJson(const std::string& bytes, const std::wstring& profileDir);
// The file read whole (a file that cannot be read, or larger than kMaxTransferBytes, is a problem).
ImportPreview PreviewImportFile(const std::wstring& file, const std::wstring& profileDir);
// One line for the user: how many entries, and whether the file can be imported.
std::wstring ImportSummary(const ImportPreview& preview);

// The ring's rows in ring order.
bool ReadRingRows(DbSession& store, std::vector<TransferRow>& rows);

// Adds, in one transaction, the rows whose kind and path are not on the ring yet, in
// order, while the ring holds fewer than `limit` buttons; each takes the largest sort
// plus one, as an added button does. A backup is written first (BackupUnlessUnchanged);
// without it nothing is added.
struct ImportSkip {
    enum class Reason { Duplicate, Limit } reason = Reason::Duplicate;
    int entry = 0;  // 1-based position in the file
    std::wstring title;
};
struct ImportReport {
    enum class Result { Done, BackupFailed, StoreFailed } result = Result::StoreFailed;
    std::vector<std::int64_t> added;  // new IDs
    std::vector<ImportSkip> skipped;
    std::wstring backup;              // the backup written first
};
ImportReport ImportRows(DbSession& store, const std::vector<TransferRow>& rows, int limit, const DateTime& now);

// The whole of --export and --import (and their tray entries): files, store, messages.
// Exit codes: 0 done; 2 the FILE is missing, unreadable, unwritable or not a valid
// button file, or holds an entry that is refused; 3 the store could not be read or
// changed (or backed up). The lines are bounded: at most kMaxListedProblems problems or
// skipped entries, then how many more; quoted values are cut.
struct TransferResult {
    int exitCode = 0;
    std::vector<std::wstring> lines;  // for the user, in the text language (Text())
    int added = 0;                    // rows an import added
};
TransferResult ExportToFile(DbSession& store, const std::wstring& file, const std::wstring& profileDir);
TransferResult ImportFromFile(DbSession& store, const std::wstring& file, const std::wstring& profileDir, int limit,
                              const DateTime& now);
// The import of a file already read and shown to the user (PreviewImportFile): its entries
// exactly, as ImportFromFile adds them. A preview that is not ok adds nothing (exit code 2).
TransferResult ImportPreviewed(DbSession& store, const ImportPreview& preview, const std::wstring& file, int limit,
                               const DateTime& now);

// Whole-file read (refusing more than maxBytes) and a write through a temporary file
// beside the target that is then renamed over it.
bool ReadWholeFile(const std::wstring& path, std::string& bytes, std::size_t maxBytes, bool& tooLarge);
bool WriteFileReplacing(const std::wstring& path, const std::string& bytes);

}  // namespace quorlin
