// The program under the crash test: the real button collection over the real store on a
// bts.db, changed by a seeded random stream of adds, deletes, drag swaps and clears until
// crash_test kills it. It reports on stdout, one line per event, written with a single
// write() each so that a line is either wholly in the pipe or not at all:
//
//   ready <ring>                         the collection was loaded
//   begin add <kind> <title> <path> <para>   an operation is about to run (texts as hex UTF-8)
//   begin del <id>
//   begin swap <draggedId> <targetId>
//   begin clear
//   begin undo
//   begin import <n> (<kind> <title> <path> <para>){n}   an import file of n buttons
//   done <newId> <ring>                  the operation returned true (newId: the ID of an
//                                        added row, the first of the rows an undo or an
//                                        import added (the others follow it), else 0)
//   false <ring>                         the operation returned false
//
// <ring> is the collection in ring order as "ID:sort,ID:sort,...". A "done" line is written
// only after the operation has returned, so the parent may find a change in the file that
// was never reported (the kill came in between), but never a reported one that is missing.
//
// Usage: crash_child <dir holding bts.db> <seed>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "framework/text.h"
#include "panel/button_collection.h"
#include "panel/drop_rules.h"
#include "store/button_transfer.h"
#include "panel/ring_layout.h"
#include "store/button_table.h"
#include "store/db_session.h"
#include "store/entry_rules.h"
#include "support/ring_host.h"

namespace {

using namespace quorlin;

// The ring without windows; a load error is reported on stderr for the parent's log.
class ChildHost : public testing::RingHost {
public:
    ChildHost() { everythingExists = true; }  // loading never prunes a row behind the parent's back
    void ShowLoadError(const std::wstring& description) override {
        std::fprintf(stderr, "crash_child: load error: %s\n", ToUtf8(description).c_str());
    }
};

void Emit(const std::string& text) {
    const std::string line = text + "\n";
    // One write per line: a pipe takes up to PIPE_BUF bytes atomically.
    size_t off = 0;
    while (off < line.size()) {
        ssize_t n = ::write(1, line.data() + off, line.size() - off);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) std::_Exit(4);
        off += static_cast<size_t>(n);
    }
}

std::string Hex(const std::wstring& text) {
    static const char* digits = "0123456789abcdef";
    const std::string u = ToUtf8(text);
    std::string out = "x";  // never empty, so that fields stay separate
    for (unsigned char c : u) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// The aliases the child gives every row it adds or imports: the end of its path, which the
// parent checks every row's aliases against.
std::wstring AliasFor(const std::wstring& path) { return L"al" + path.substr(path.size() > 12 ? path.size() - 12 : 0); }

std::string RingText(const ButtonCollection& c) {
    std::string s;
    for (const auto& b : c.buttons) {
        if (!s.empty()) s += ",";
        s += std::to_string(b->ID) + ":" + std::to_string(b->sort);
    }
    return s.empty() ? "-" : s;
}

class Stream {
public:
    Stream(ButtonCollection& c, ChildHost& host, DbSession& store, std::wstring dir, unsigned long seed)
        : c_(c), host_(host), store_(store), dir_(std::move(dir)), rng_(seed), seed_(seed) {
        for (const auto& b : c_.buttons) maxSeen_ = std::max(maxSeen_, b->ID);
    }

    void Step() {
        const size_t movable = Movable().size();
        std::uniform_int_distribution<int> pct(0, 99);
        const int roll = pct(rng_);
        // Keep the ring between a handful and a few dozen buttons.
        if (movable < 3 ? roll < 80 : movable > 40 ? roll < 15 : roll < 38) return Add();
        if (roll < 42) return DeleteOdd();
        if (roll < 44) return Clear();
        if (roll < 50) return Undo();
        if (roll < 56) return Import();
        if (roll < 74) return Delete();
        Swap();
    }

private:
    std::vector<LauncherButton*> Movable() const {
        std::vector<LauncherButton*> out;
        for (const auto& b : c_.buttons)
            if (!IsReservedId(b->ID)) out.push_back(b.get());
        return out;
    }

    template <typename T>
    const T& Pick(const std::vector<T>& v) {
        return v[std::uniform_int_distribution<size_t>(0, v.size() - 1)(rng_)];
    }

    std::wstring Text(bool path) {
        static const std::vector<std::wstring> pieces = {
            L"a", L"It's", L"O''Brien", L"桌面", L"%s", L"%d", L"😀", L" ", L"\\", L"dir", L".txt", L"\"q\"", L";--",
        };
        std::wstring s = path ? L"C:\\" : L"";
        const int n = std::uniform_int_distribution<int>(0, 4)(rng_);
        for (int i = 0; i < n; ++i) s += Pick(pieces);
        if (path) s += L"\\f" + std::to_wstring(seed_) + L"-" + std::to_wstring(counter_++);
        // Now and then a long text, so that a row needs more than one page.
        if (std::uniform_int_distribution<int>(0, 49)(rng_) == 0) s += std::wstring(3000, L'x');
        return s;
    }

    void Report(bool ok, std::int64_t newId) {
        for (const auto& b : c_.buttons) maxSeen_ = std::max(maxSeen_, b->ID);
        Emit(std::string(ok ? "done " + std::to_string(newId) : "false") + " " + RingText(c_));
    }

    void Add() {
        std::int32_t kind = std::uniform_int_distribution<int>(0, 4)(rng_);
        std::wstring title = Text(false);
        std::wstring path = Text(true);
        std::wstring para = std::uniform_int_distribution<int>(0, 1)(rng_) ? Text(false) : L"";
        auto movable = Movable();
        // Sometimes the same kind and path again: the collection must change nothing.
        if (!movable.empty() && std::uniform_int_distribution<int>(0, 9)(rng_) == 0) {
            const LauncherButton* b = Pick(movable);
            kind = b->iType;
            path = b->PathName;
        }
        Emit("begin add " + std::to_string(kind) + " " + Hex(title) + " " + Hex(path) + " " + Hex(para));
        const size_t before = c_.buttons.size();
        const bool ok = c_.AddButton(title, path, kind, para, AliasFor(path));
        // The panel lays the ring out after its adds; the swap below needs the places.
        host_.LayoutButtons();
        Report(ok, ok && c_.buttons.size() > before ? c_.buttons.back()->ID : 0);
    }

    void Delete() {
        auto movable = Movable();
        if (movable.empty()) return Add();
        const std::int64_t id = Pick(movable)->ID;
        Emit("begin del " + std::to_string(id));
        Report(c_.DeleteButton(id), 0);
    }

    // A reserved row or a row that is not there.
    void DeleteOdd() {
        static const std::vector<std::int64_t> ids = {1, 2, 0, -5, 999999, 4294967297};
        const std::int64_t id = Pick(ids);
        Emit("begin del " + std::to_string(id));
        Report(c_.DeleteButton(id), 0);
    }

    void Clear() {
        Emit("begin clear");
        Report(c_.ClearAllButtons(), 0);
    }

    void Undo() {
        Emit("begin undo");
        const UndoOutcome out = c_.Undo();
        Report(out.stored, out.restored.empty() ? 0 : out.restored.front());
    }

    // A file of a few buttons, some already on the ring, imported as --import does it,
    // then the ring brought in step as the panel does on the reload message.
    void Import() {
        std::vector<TransferRow> rows;
        std::string line;
        const int n = std::uniform_int_distribution<int>(1, 4)(rng_);
        auto movable = Movable();
        for (int i = 0; i < n; ++i) {
            TransferRow r;
            r.kind = std::uniform_int_distribution<int>(0, 4)(rng_);
            r.title = ShortText(L"");
            r.path = ShortText(L"C:\\i") + std::to_wstring(counter_++);
            r.parameter = std::uniform_int_distribution<int>(0, 1)(rng_) ? ShortText(L"") : L"";
            // Entries an import accepts: web addresses for web kinds, a common entry for a shell one.
            if (r.kind == ItemKind::BrowserUrl || r.kind == ItemKind::Url) r.path = L"http://i" + r.path.substr(3) + L"/";
            if (r.kind == ItemKind::ShellEntry) {
                const CommonShellEntry& e = kCommonShellEntries[counter_++ % std::size(kCommonShellEntries)];
                r.path = e.path;
                r.parameter = e.parameter;
            }
            if (!movable.empty() && std::uniform_int_distribution<int>(0, 4)(rng_) == 0) {
                const LauncherButton* b = Pick(movable);
                r.kind = b->iType;
                r.path = b->PathName;
                r.parameter = b->Para;
                if (r.path.size() > 200) continue;
            }
            if (CheckEntry(r.kind, r.path, r.parameter) != EntryRefusal::None) continue;  // would refuse the file
            line += " " + std::to_string(r.kind) + " " + Hex(r.title) + " " + Hex(r.path) + " " + Hex(r.parameter);
            r.aliases = AliasFor(r.path);
            rows.push_back(std::move(r));
        }
        const std::wstring file = dir_ + L"/import.json";
        if (!WriteFileReplacing(file, MakeTransferJson(rows, L""))) std::_Exit(6);
        Emit("begin import " + std::to_string(rows.size()) + line);
        const TransferResult r = ImportFromFile(store_, file, L"", kMaxButtons, CurrentDateTime());
        const bool ok = r.exitCode == 0 && c_.SyncWithStore();
        // The IDs an import gives follow each other; the first is the smallest new one.
        std::int64_t first = 0;
        if (ok && r.added > 0) {
            for (const auto& b : c_.buttons)
                if (b->ID > maxSeen_ && (first == 0 || b->ID < first)) first = b->ID;
        }
        host_.LayoutButtons();
        Report(ok, first);
    }

    std::wstring ShortText(const std::wstring& head) {
        static const std::vector<std::wstring> pieces = {L"a", L"It's", L"桌面", L"%d", L"😀", L" ", L"\\", L"\"q\""};
        std::wstring s = head;
        const int n = std::uniform_int_distribution<int>(0, 3)(rng_);
        for (int i = 0; i < n; ++i) s += Pick(pieces);
        return s;
    }

    void Swap() {
        auto movable = Movable();
        if (movable.size() < 2) return Add();
        LauncherButton* dragged = Pick(movable);
        LauncherButton* over = Pick(movable);
        if (over == dragged) return;
        // The ghost (22 x 22) held with its centre on the other button.
        const Rect r = over->ScreenRect();
        const int gx = (r.left + r.right) / 2, gy = (r.top + r.bottom) / 2;
        const Rect ghost{gx - 11, gy - 11, gx + 11, gy + 11};
        // On a crowded ring an earlier neighbour may be the one the ghost is over.
        std::vector<SwapCandidate> candidates;
        for (const auto& b : c_.buttons) candidates.push_back({b->ID, b->ScreenRect()});
        const auto t = FindSwapTarget(ghost, dragged->ID, candidates);
        if (!t) return;
        Emit("begin swap " + std::to_string(dragged->ID) + " " + std::to_string(candidates[*t].id));
        Report(c_.SwapWhileDragging(ghost, dragged->ID), 0);
    }

    ButtonCollection& c_;
    ChildHost& host_;
    DbSession& store_;
    std::wstring dir_;
    std::int64_t maxSeen_ = 0;  // the largest ID the ring has shown
    std::mt19937_64 rng_;
    unsigned long seed_;
    unsigned long counter_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: crash_child <dir> <seed>\n");
        return 2;
    }
    // Never outlive the test that drives us.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() == 1) return 2;

    DbSession store;
    if (!store.OpenDatabase(FromUtf8(argv[1]), L"bts.db", L"crash_child")) {
        std::fprintf(stderr, "crash_child: cannot open the store: %s\n", ToUtf8(store.LastError()).c_str());
        return 3;
    }
    ChildHost host;
    ButtonCollection collection(store, host);
    host.collection = &collection;
    if (!collection.LoadButtons()) {
        std::fprintf(stderr, "crash_child: load failed\n");
        return 3;
    }
    Emit("ready " + RingText(collection));
    Stream stream(collection, host, store, FromUtf8(argv[1]), std::strtoul(argv[2], nullptr, 10));
    // The test kills us within milliseconds; the bound only keeps a lost child from running on.
    for (long i = 0; i < 2000000; ++i) stream.Step();
    return 5;
}
