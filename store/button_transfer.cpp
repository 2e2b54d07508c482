#include "store/button_transfer.h"

#include <nlohmann/json.hpp>
#include <sqlite3.h>

#include <algorithm>
#include <cwctype>
#include <fstream>
#include <limits>
#include <system_error>

#include "framework/text.h"
#include "framework/user_texts.h"
#include "store/alias_table.h"
#include "store/button_table.h"
#include "store/db_session.h"
#include "store/entry_rules.h"
#include "store/sqlite_util.h"

namespace quorlin {

namespace {

using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

const wchar_t kProfileToken[] = L"%USERPROFILE%";

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool StartsWithNoCase(const std::wstring& text, const std::wstring& head) {
    if (text.size() < head.size()) return false;
    for (size_t i = 0; i < head.size(); ++i)
        if (std::towlower(text[i]) != std::towlower(head[i])) return false;
    return true;
}

// A prefix that ends where the text ends or at a separator.
bool HasFolderPrefix(const std::wstring& text, const std::wstring& folder) {
    return !folder.empty() && StartsWithNoCase(text, folder) &&
           (text.size() == folder.size() || IsSeparator(text[folder.size()]));
}

std::wstring WithoutTrailingSeparators(std::wstring folder) {
    while (folder.size() > 1 && IsSeparator(folder.back())) folder.pop_back();
    return folder;
}

bool UsesFilePath(std::int32_t kind) { return kind == ItemKind::File || kind == ItemKind::Folder; }

bool HasZero(const std::wstring& s) { return s.find(L'\0') != std::wstring::npos; }

// A text member: absent or null read as "", any other non-text is wrong.
bool TextMember(const Json& row, const char* name, std::wstring& out) {
    auto it = row.find(name);
    if (it == row.end() || it->is_null()) {
        out.clear();
        return true;
    }
    if (!it->is_string()) return false;
    out = FromUtf8(it->get<std::string>());
    return !HasZero(out);
}

template <class Number>
std::wstring Num(Number v) {
    return std::to_wstring(v);
}

// A value from the file as a message quotes it: at most 60 characters (then "…"), shown
// as plain text (no control or direction-changing character).
std::wstring Shown(const std::wstring& value) {
    constexpr std::size_t kMaxShown = 60;
    const std::wstring plain = Displayable(value.substr(0, kMaxShown + 1));
    return plain.size() > kMaxShown ? plain.substr(0, kMaxShown) + L"…" : plain;
}

// A JSON value in a message: scalars as written (a text cut), never the inside of an array or object.
std::wstring ShownValue(const Json& v) {
    if (v.is_string()) return L"\"" + Shown(FromUtf8(v.get<std::string>())) + L"\"";
    if (v.is_array()) return L"[…]";
    if (v.is_object()) return L"{…}";
    return FromUtf8(v.dump());
}

// Whether arrays and objects nest deeper than `limit` somewhere in the text, found by one
// pass over it (texts skipped) without building anything: the parser never meets a
// deeper file, however many brackets it holds. Text after an unmatched closing bracket is
// never read by the parser either.
bool NestedDeeperThan(const std::string& text, std::size_t limit) {
    std::size_t depth = 0;
    bool inText = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inText) {
            if (c == '\\') ++i;
            else if (c == '"') inText = false;
        } else if (c == '"') {
            inText = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) return true;
        } else if (c == ']' || c == '}') {
            if (depth == 0) return false;
            --depth;
        }
    }
    return false;
}

// Where the parser stopped, as line and column (1-based) of the byte it had read last.
std::wstring ParseErrorAt(const std::string& text, std::size_t byte, bool line) {
    const std::size_t end = std::min(byte > 0 ? byte - 1 : 0, text.size());
    std::size_t lines = 1, lineStart = 0;
    for (std::size_t i = 0; i < end; ++i)
        if (text[i] == '\n') ++lines, lineStart = i + 1;
    return Num(line ? lines : end - lineStart + 1);
}

// Problems listed up to kMaxListedProblems; the rest only counted, then named in one line.
class ProblemList {
public:
    explicit ProblemList(std::vector<std::wstring>& lines) : lines_(lines) {}
    template <class Make>
    void Add(Make make) {
        if (listed_ < kMaxListedProblems) {
            lines_.push_back(make());
            ++listed_;
        } else {
            ++more_;
        }
    }
    void Close() {
        if (more_ > 0) lines_.push_back(Text(TextId::ListedMore, {Num(more_)}));
    }

private:
    std::vector<std::wstring>& lines_;
    std::size_t listed_ = 0;
    std::size_t more_ = 0;
};

TextId RefusalText(EntryRefusal r) {
    switch (r) {
        case EntryRefusal::WebAddress: return TextId::RefusedWebAddress;
        case EntryRefusal::ShellEntry: return TextId::RefusedShellEntry;
        case EntryRefusal::NetworkPath: return TextId::RefusedNetworkPath;
        default: return TextId::RefusedNotLocalPath;
    }
}

}  // namespace

std::wstring ToProfileRelative(const std::wstring& path, const std::wstring& profileDir) {
    const std::wstring profile = WithoutTrailingSeparators(profileDir);
    if (profile.size() < 2 || !HasFolderPrefix(path, profile)) return path;
    return kProfileToken + path.substr(profile.size());
}

std::wstring FromProfileRelative(const std::wstring& path, const std::wstring& profileDir) {
    const std::wstring profile = WithoutTrailingSeparators(profileDir);
    if (profile.empty() || !HasFolderPrefix(path, kProfileToken)) return path;
    return profile + path.substr(std::wstring(kProfileToken).size());
}

std::string MakeTransferJson(const std::vector<TransferRow>& rows, const std::wstring& profileDir) {
    OrderedJson doc;
    doc["format"] = kTransferFormat;
    doc["version"] = kTransferVersion;
    OrderedJson list = OrderedJson::array();
    for (const TransferRow& r : rows) {
        OrderedJson b;
        b["title"] = ToUtf8(r.title);
        b["path"] = ToUtf8(UsesFilePath(r.kind) ? ToProfileRelative(r.path, profileDir) : r.path);
        b["kind"] = r.kind;
        b["parameter"] = ToUtf8(r.parameter);
        if (!r.aliases.empty()) b["aliases"] = ToUtf8(r.aliases);
        list.push_back(std::move(b));
    }
    doc["buttons"] = std::move(list);
    return doc.dump(2, ' ', false, nlohmann::detail::error_handler_t::replace) + "\n";
}

ImportPreview ParseTransferJson(const std::string& bytes, const std::wstring& profileDir) {
    ImportPreview out;
    if (bytes.size() > kMaxTransferBytes) {
        out.problems.push_back(Text(TextId::ImportTooLarge));
        return out;
    }
    if (NestedDeeperThan(bytes, kMaxTransferDepth)) {
        out.problems.push_back(Text(TextId::ImportTooDeep, {Num(kMaxTransferDepth)}));
        return out;
    }
    Json doc;
    try {
        doc = Json::parse(bytes);
    } catch (const Json::parse_error& e) {
        // Where, never what: the failing token may be the whole file.
        out.problems.push_back(Text(TextId::ImportNotJson, {ParseErrorAt(bytes, e.byte, true), ParseErrorAt(bytes, e.byte, false)}));
        return out;
    } catch (const Json::exception&) {
        out.problems.push_back(Text(TextId::ImportNotJson, {L"-", L"-"}));
        return out;
    }
    const auto format = doc.is_object() ? doc.find("format") : doc.end();
    if (!doc.is_object() || format == doc.end() || !format->is_string() || format->get<std::string>() != kTransferFormat) {
        out.problems.push_back(Text(TextId::ImportWrongFormat));
        return out;
    }
    const auto version = doc.find("version");
    if (version == doc.end() || !(version->is_number_integer() && version->get<long long>() == kTransferVersion)) {
        out.problems.push_back(Text(TextId::ImportWrongVersion, {version == doc.end() ? L"-" : ShownValue(*version)}));
        return out;
    }
    const auto list = doc.find("buttons");
    if (list == doc.end() || !list->is_array()) {
        out.problems.push_back(Text(TextId::ImportNoList, {}));
        return out;
    }
    // Every entry is checked, so that one reading tells all that is wrong.
    ProblemList problems(out.problems);
    bool malformed = false;
    long long entry = 0;
    for (const Json& b : *list) {
        ++entry;
        auto wrong = [&](TextId id, std::vector<std::wstring> args) {
            malformed = true;
            problems.Add([&] { return Text(id, args); });
        };
        if (!b.is_object()) {
            wrong(TextId::RowNotObject, {Num(entry)});
            continue;
        }
        TransferRow row;
        const auto path = b.find("path");
        if (path == b.end() || !path->is_string() || path->get<std::string>().empty()) {
            wrong(TextId::RowNoPath, {Num(entry)});
            continue;
        }
        row.path = FromUtf8(path->get<std::string>());
        const auto kind = b.find("kind");
        if (kind == b.end() || !kind->is_number_integer() || kind->get<long long>() < ItemKind::File ||
            kind->get<long long>() > ItemKind::Url) {
            wrong(TextId::RowBadKind, {Num(entry)});
            continue;
        }
        row.kind = static_cast<std::int32_t>(kind->get<long long>());
        if (HasZero(row.path)) {
            wrong(TextId::RowBadText, {Num(entry), L"path"});
            continue;
        }
        if (!TextMember(b, "title", row.title)) {
            wrong(TextId::RowBadText, {Num(entry), L"title"});
            continue;
        }
        if (!TextMember(b, "parameter", row.parameter)) {
            wrong(TextId::RowBadText, {Num(entry), L"parameter"});
            continue;
        }
        if (!TextMember(b, "aliases", row.aliases)) {
            wrong(TextId::RowBadText, {Num(entry), L"aliases"});
            continue;
        }
        // The rules see the path as the file writes it, before "%USERPROFILE%" is replaced.
        ImportEntry e;
        const EntryRefusal refusal = CheckEntry(row.kind, row.path, row.parameter);
        const bool tooLong = FieldOverLimit(row.title, row.path, row.parameter) != OverLimit::None ||
                             LengthInUtf16Units(row.aliases) > kMaxAliasLength;
        if (refusal != EntryRefusal::None || tooLong) {
            const TextId reason = refusal != EntryRefusal::None ? RefusalText(refusal) : TextId::RefusedTooLong;
            ++out.refused;
            e.refusal = Text(reason);
            const std::wstring& named = row.kind == ItemKind::ShellEntry ? row.title : row.path;
            problems.Add([&] { return Text(TextId::RowRefused, {Num(entry), Shown(named)}, reason); });
        }
        if (UsesFilePath(row.kind)) row.path = FromProfileRelative(row.path, profileDir);
        e.row = std::move(row);
        if (!malformed) out.entries.push_back(std::move(e));
    }
    problems.Close();
    if (malformed) {
        out.entries.clear();
        out.refused = 0;
    }
    out.ok = out.problems.empty();
    return out;
}

ImportPreview PreviewImportFile(const std::wstring& file, const std::wstring& profileDir) {
    std::string bytes;
    bool tooLarge = false;
    if (!ReadWholeFile(file, bytes, kMaxTransferBytes, tooLarge)) {
        ImportPreview out;
        out.problems.push_back(tooLarge ? Text(TextId::ImportTooLarge) : Text(TextId::CliCannotRead, {file}));
        return out;
    }
    return ParseTransferJson(bytes, profileDir);
}

std::wstring ImportSummary(const ImportPreview& preview) {
    const std::wstring count = Num(preview.entries.size());
    if (preview.refused > 0) return Text(TextId::ImportSummaryRefused, {count, Num(preview.refused)});
    return Text(TextId::ImportSummaryOk, {count});
}

bool ReadRingRows(DbSession& store, std::vector<TransferRow>& rows) {
    rows.clear();
    const bool aliases = HasAliasTable(store.Handle());
    sql::Stmt st(store.Handle(),
                 aliases ? "select b.iType, b.Title, b.PathName, b.Para, a.Alias from tb_Btns b left join tb_Alias a "
                           "on a.ID = b.ID where b.ID >= 1 and b.ID <> 2 order by b.sort asc"
                         : "select iType, Title, PathName, Para from tb_Btns where ID >= 1 and ID <> 2 order by sort asc");
    while (st.Row()) {
        TransferRow r;
        r.kind = KindOfField(st.Field(0));
        r.title = st.Text(1);
        r.path = st.Text(2);
        r.parameter = st.Text(3);
        if (aliases) r.aliases = st.Text(4);
        rows.push_back(std::move(r));
    }
    return st.ok() && !st.failed();
}

ImportReport ImportRows(DbSession& store, const std::vector<TransferRow>& rows, int limit, const DateTime& now) {
    ImportReport report;
    sqlite3* db = store.Handle();
    if (!db) return report;
    report.backup = BackupUnlessUnchanged(store, now);
    if (report.backup.empty()) {
        report.result = ImportReport::Result::BackupFailed;
        return report;
    }
    // Prepared once: a file may hold a great many entries (all of them duplicates, say).
    sql::Stmt dup(db, "select count(*) from tb_Btns where iType = ? and PathName = ?");
    sql::Stmt count(db, "select count(*) from tb_Btns where ID >= 1 and ID <> 2");
    sql::Stmt top(db, "select sort from tb_Btns order by sort desc limit 1");
    sql::Stmt put(db, "insert into tb_Btns (iType, Title, PathName, Para, sort) values (?, ?, ?, ?, ?)");
    auto resetAll = [&] {
        for (sql::Stmt* st : {&dup, &count, &top, &put}) st->Reset();
    };
    if (!store.BeginTransaction()) return report;
    auto fail = [&] {
        resetAll();
        store.RollbackTransaction();
        ImportReport failed;
        failed.backup = report.backup;
        return failed;
    };
    int entry = 0;
    for (const TransferRow& r : rows) {
        ++entry;
        resetAll();
        if (!dup.Bind(1, r.kind).Bind(2, r.path).Row()) return fail();
        if (dup.Int(0) > 0) {
            report.skipped.push_back({ImportSkip::Reason::Duplicate, entry, r.title});
            continue;
        }
        if (!count.Row()) return fail();
        const bool any = top.Row();
        if (top.failed()) return fail();
        if (count.Int(0) >= limit) {
            report.skipped.push_back({ImportSkip::Reason::Limit, entry, r.title});
            continue;
        }
        // The largest sort plus one, read as an add reads it; none is left above the largest value.
        const std::int64_t last = any ? SortOfField(top.Field(0)) : -1;
        if (last == INT64_MAX) return fail();
        const std::int64_t next = last + 1;
        put.Bind(1, r.kind).Bind(2, r.title).Bind(3, r.path).Bind(5, next);
        if (r.parameter.empty()) put.BindNull(4);
        else put.Bind(4, r.parameter);
        if (!put.Run()) return fail();
        const std::int64_t id = sqlite3_last_insert_rowid(db);
        if (IsReservedId(id)) return fail();  // no button could own it
        put.Reset();
        if (!r.aliases.empty() && !SetAliases(db, id, r.aliases)) return fail();
        report.added.push_back(id);
    }
    resetAll();
    if (!store.CommitTransaction()) return fail();
    report.result = ImportReport::Result::Done;
    return report;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes, std::size_t maxBytes, bool& tooLarge) {
    tooLarge = false;
    bytes.clear();
    std::error_code ec;
    const auto p = FsPath(path);
    if (!std::filesystem::is_regular_file(p, ec)) return false;
    std::ifstream in(p, std::ios::binary);
    if (!in) return false;
    char chunk[65536];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        bytes.append(chunk, static_cast<size_t>(in.gcount()));
        if (bytes.size() > maxBytes) {
            tooLarge = true;
            return false;
        }
    }
    return !in.bad();
}

bool WriteFileReplacing(const std::wstring& path, const std::string& bytes) {
    const std::wstring temp = path + L".tmp";
    {
        std::ofstream out(FsPath(temp), std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            std::error_code ec;
            std::filesystem::remove(FsPath(temp), ec);
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(FsPath(temp), FsPath(path), ec);
    if (ec) std::filesystem::remove(FsPath(temp), ec);
    return !ec;
}

TransferResult ExportToFile(DbSession& store, const std::wstring& file, const std::wstring& profileDir) {
    TransferResult r;
    std::vector<TransferRow> rows;
    if (!store.IsOpen() || !ReadRingRows(store, rows)) {
        r.exitCode = 3;
        r.lines.push_back(Text(TextId::CliStoreFailed));
        return r;
    }
    if (!WriteFileReplacing(file, MakeTransferJson(rows, profileDir))) {
        r.exitCode = 2;
        r.lines.push_back(Text(TextId::CliCannotWrite, {file}));
        return r;
    }
    r.lines.push_back(Text(TextId::CliExported, {Num(static_cast<long long>(rows.size())), file}));
    return r;
}

TransferResult ImportFromFile(DbSession& store, const std::wstring& file, const std::wstring& profileDir, int limit,
                              const DateTime& now) {
    return ImportPreviewed(store, PreviewImportFile(file, profileDir), file, limit, now);
}

TransferResult ImportPreviewed(DbSession& store, const ImportPreview& preview, const std::wstring& file, int limit,
                               const DateTime& now) {
    TransferResult r;
    if (!preview.ok) {
        r.exitCode = 2;
        r.lines = preview.problems;
        return r;
    }
    if (!store.IsOpen()) {
        r.exitCode = 3;
        r.lines.push_back(Text(TextId::CliStoreFailed));
        return r;
    }
    std::vector<TransferRow> rows;
    rows.reserve(preview.entries.size());
    for (const ImportEntry& e : preview.entries) rows.push_back(e.row);
    const ImportReport report = ImportRows(store, rows, limit, now);
    if (report.result != ImportReport::Result::Done) {
        r.exitCode = 3;
        r.lines.push_back(Text(report.result == ImportReport::Result::BackupFailed ? TextId::CliBackupFailed
                                                                                   : TextId::CliStoreFailed));
        return r;
    }
    r.added = static_cast<int>(report.added.size());
    r.lines.push_back(Text(TextId::CliImported, {Num(r.added), file}));
    ProblemList skipped(r.lines);
    for (const ImportSkip& s : report.skipped) {
        skipped.Add([&] {
            return s.reason == ImportSkip::Reason::Duplicate
                       ? Text(TextId::CliSkippedDuplicate, {Num(s.entry), Shown(s.title)})
                       : Text(TextId::CliSkippedLimit, {Num(s.entry), Shown(s.title), Num(limit)});
        });
    }
    skipped.Close();
    return r;
}

}  // namespace quorlin
