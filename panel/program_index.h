// The programs of the Start menu, for typing to find what is not on the ring: the shortcuts
// (.lnk, .url, .appref-ms) under the user's and all users' Programs folders, by name, and
// the best of them for what is typed. Only names and paths are read here: a shortcut is
// never opened or resolved, so a broken, cyclic or dangling one is just a name. Portable;
// the walk is meant for a thread of its own (it may wait on a slow or absent drive).
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "panel/pinyin_match.h"

namespace quorlin {

// Caps of the walk: at most this many shortcuts are kept, this many folder entries looked
// at (50,000 files under Programs cost no more than this), this many folders deep.
constexpr std::size_t kMaxPrograms = 5000;
constexpr std::size_t kMaxProgramEntriesVisited = 20000;
constexpr int kMaxProgramDepth = 8;

struct ProgramEntry {
    std::wstring name;  // the file name without its extension, as the Start menu shows it
    std::wstring path;  // the shortcut file itself, within `root` when there is one
    std::wstring from;  // the folder it is in, relative to its Programs folder ("" at the top)
    // The Programs folder, shared by all its entries (5,000 whole paths would take some
    // 700 KB more).
    std::shared_ptr<const std::wstring> root;
    std::wstring FullPath() const { return root ? *root + path : path; }
};

// True for a shortcut the Start menu lists: .lnk, .url or .appref-ms, any letter case.
bool IsProgramShortcut(const std::wstring& fileName);

// Walks each root (missing or unreadable ones and folders are skipped; links to folders
// are not followed) and collects its shortcuts within the caps above, in the roots' order
// (an entry named as a shortcut is taken for one without a look at it); the same name in
// the same place under two roots (the user's and all users') is kept once.
// `stop`, when set, ends the walk early.
std::vector<ProgramEntry> ScanPrograms(const std::vector<std::wstring>& roots,
                                       const std::atomic<bool>* stop = nullptr);

// The entries made ready for matching; Find gives the best `limit` for a typed filter,
// ranked (RanksBefore, panel/pinyin_match.h: the kind of match, then the usage `usageOf`
// tells, when given), then by name.
class ProgramIndex {
public:
    void Set(std::vector<ProgramEntry> entries);
    struct Hit {
        std::size_t index;
        MatchKind kind;
        Usage usage;
    };
    using UsageOf = std::function<Usage(const ProgramEntry&)>;
    std::vector<Hit> Find(const std::wstring& filter, std::size_t limit = 8, const UsageOf& usageOf = nullptr) const;
    const std::vector<ProgramEntry>& Entries() const { return entries_; }

private:
    std::vector<ProgramEntry> entries_;
    std::vector<SearchText> names_;
};

}  // namespace quorlin
