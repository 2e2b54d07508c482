#include "panel/program_index.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <system_error>
#include <utility>

#include "framework/text.h"

namespace quorlin {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
fs::path Fs(const std::wstring& p) { return fs::path(p); }
std::wstring Wide(const fs::path& p) { return p.wstring(); }
#else
fs::path Fs(const std::wstring& p) { return fs::path(ToUtf8(p)); }
std::wstring Wide(const fs::path& p) { return FromUtf8(p.string()); }
#endif

const wchar_t* const kShortcutExtensions[] = {L".lnk", L".url", L".appref-ms"};

std::size_t ExtensionAt(const std::wstring& name) {
    const std::wstring folded = FoldText(name);
    for (const wchar_t* ext : kShortcutExtensions) {
        const std::wstring e(ext);
        if (folded.size() > e.size() && folded.compare(folded.size() - e.size(), e.size(), e) == 0)
            return folded.size() - e.size();
    }
    return std::wstring::npos;
}

}  // namespace

bool IsProgramShortcut(const std::wstring& fileName) { return ExtensionAt(fileName) != std::wstring::npos; }

// Folder by folder, depth first. Only an entry whose name is not a shortcut's is looked at
// more closely (it may be a folder to read): 5,000 shortcuts cost no file-system call
// beyond the listing of their folders (under Wine each such call goes through its server).
std::vector<ProgramEntry> ScanPrograms(const std::vector<std::wstring>& roots, const std::atomic<bool>* stop) {
    std::vector<ProgramEntry> out;
    std::set<std::pair<std::wstring, std::wstring>> seen;  // (from, name), folded
    std::size_t visited = 0;
    for (const std::wstring& root : roots) {
        const auto shared = std::make_shared<const std::wstring>(root);
        const fs::path top = Fs(root);
        std::vector<std::pair<fs::path, int>> pending{{top, 0}};  // folders to read, and how deep
        while (!pending.empty()) {
            const fs::path folder = std::move(pending.back().first);
            const int depth = pending.back().second;
            pending.pop_back();
            std::wstring from = Wide(folder.lexically_relative(top));
            if (from == L".") from.clear();
            std::vector<std::pair<fs::path, int>> inner;
            std::error_code ec;
            fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec), end;
            for (; !ec && it != end; it.increment(ec)) {
                if (++visited > kMaxProgramEntriesVisited || out.size() >= kMaxPrograms || (stop && *stop)) return out;
                const std::wstring file = Wide(it->path().filename());
                const std::size_t cut = ExtensionAt(file);
                if (cut == std::wstring::npos || cut == 0) {
                    std::error_code kindError;  // links to folders are never followed
                    const fs::file_status status = it->symlink_status(kindError);
                    if (!kindError && fs::is_directory(status) && depth + 1 < kMaxProgramDepth)
                        inner.emplace_back(it->path(), depth + 1);
                    continue;
                }
                ProgramEntry e;
                e.name = file.substr(0, cut);
                e.path = Wide(it->path());
                if (e.path.size() > root.size() + 1 && e.path.compare(0, root.size(), root) == 0 &&
                    (e.path[root.size()] == L'\\' || e.path[root.size()] == L'/')) {
                    e.path = e.path.substr(root.size());  // a string of its own size; the separator stays
                    e.root = shared;
                }
                e.from = from;
                if (!seen.insert({FoldText(e.from), FoldText(e.name)}).second) continue;
                out.push_back(std::move(e));
            }
            for (auto sub = inner.rbegin(); sub != inner.rend(); ++sub) pending.push_back(std::move(*sub));
        }
    }
    return out;
}

void ProgramIndex::Set(std::vector<ProgramEntry> entries) {
    entries_ = std::move(entries);
    entries_.shrink_to_fit();  // kept as long as the index
    names_.clear();
    names_.reserve(entries_.size());
    for (const ProgramEntry& e : entries_) names_.emplace_back(e.name);
}

std::vector<ProgramIndex::Hit> ProgramIndex::Find(const std::wstring& filter, std::size_t limit,
                                                  const UsageOf& usageOf) const {
    std::vector<Hit> hits;
    const std::wstring folded = FoldText(filter);
    if (folded.empty()) return hits;
    for (std::size_t i = 0; i < names_.size(); ++i) {
        const MatchKind kind = names_[i].Match(folded);
        if (kind != MatchKind::None) hits.push_back({i, kind, usageOf ? usageOf(entries_[i]) : Usage{}});
    }
    const auto better = [this](const Hit& a, const Hit& b) {
        if (a.kind != b.kind || a.usage != b.usage) return RanksBefore(a.kind, a.usage, b.kind, b.usage);
        return entries_[a.index].name < entries_[b.index].name;
    };
    if (hits.size() > limit) {
        std::partial_sort(hits.begin(), hits.begin() + static_cast<std::ptrdiff_t>(limit), hits.end(), better);
        hits.resize(limit);
    } else {
        std::sort(hits.begin(), hits.end(), better);
    }
    return hits;
}

}  // namespace quorlin
