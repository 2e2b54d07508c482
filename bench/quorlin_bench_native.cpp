// Speed of the portable parts of quorlin, natively on Linux: the ring layout, the plan
// of a panel frame, and the button collection over a real bts.db with a host that lays
// the buttons out without windows or pictures.
//
//   quorlin_bench_native [--runs N]
//
// Every figure is the median of N runs. Results are lines
//   ROW <tab> measure <tab> value <tab> unit <tab> comparison
// that bench/run_benchmarks.sh gathers into one table.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_report.h"
#include "panel/button_collection.h"
#include "panel/composition.h"
#include "panel/pinyin_match.h"
#include "framework/text.h"
#include "panel/ring_layout.h"
#include "store/button_table.h"
#include "store/db_session.h"
#include "tests/support/ring_host.h"
#include "tests/support/temp_dir.h"

using namespace quorlin;
using namespace quorlin::bench;

namespace {

// Keeps a value alive so that the optimiser cannot drop the work that made it.
template <class T>
void Keep(const T& value) {
    asm volatile("" : : "g"(&value) : "memory");
}

// ---------------------------------------------------------------- a host without windows

// Every target exists: a load measures loading, not pruning.
class BareHost : public quorlin::testing::RingHost {
public:
    BareHost() { everythingExists = true; }
};

// A bts.db of our own with only the reserved row 2 (no button shown) plus n rows.
class Store {
public:
    Store() {
        db = dir.MakeDatabase();
        Exec("delete from tb_Btns where ID <> 2");
        session.OpenDatabase(dir.WPath(), L"bts.db", L"bench");
        host.collection = &collection;
    }
    void Exec(const std::string& sql) {
        sqlite3* s = nullptr;
        sqlite3_open(db.c_str(), &s);
        sqlite3_exec(s, sql.c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(s);
    }
    void Fill(size_t n, int kind) {
        sqlite3* s = nullptr;
        sqlite3_open(db.c_str(), &s);
        sqlite3_exec(s, "delete from tb_Btns where ID <> 2; begin", nullptr, nullptr, nullptr);
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(s, "insert into tb_Btns (iType, Title, PathName, sort) values (?, ?, ?, ?)", -1, &st,
                           nullptr);
        for (size_t i = 0; i < n; ++i) {
            const std::string title = "site " + std::to_string(i);
            const std::string path = "http://www" + std::to_string(i) + ".example/";
            sqlite3_bind_int(st, 1, kind);
            sqlite3_bind_text(st, 2, title.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(st, 3, path.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(st, 4, static_cast<int>(10 + i));
            sqlite3_step(st);
            sqlite3_reset(st);
        }
        sqlite3_finalize(st);
        sqlite3_exec(s, "commit", nullptr, nullptr, nullptr);
        sqlite3_close(s);
    }

    testing::TempDir dir;
    std::filesystem::path db;
    DbSession session;
    BareHost host;
    ButtonCollection collection{session, host};
};

std::vector<ButtonView> Views(size_t n) {
    const RingLayout layout = LayoutRings(n);
    std::vector<ButtonView> v;
    for (size_t i = 0; i < n; ++i)
        v.push_back(ButtonView{static_cast<int>(i + 3), layout.slots[i].centerX, layout.slots[i].centerY, i == 7, true});
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    int runs = 7;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--runs") == 0) runs = std::max(1, std::atoi(argv[i + 1]));

    // ---- ring layout and the frame plan
    const int many = 20000;
    const double layout66 = TimeMedian(runs, many, [] { Keep(LayoutRings(66)); }) * 1e6;
    Row("LayoutRings, 66 buttons", layout66, "ns", "");
    const PanelGeometry geometry;
    const std::vector<ButtonView> none, full = Views(66);
    const ClockTime time{10, 10, 30};
    const double compose0 = TimeMedian(runs, many, [&] { Keep(ComposePanel(geometry, 10, none, -1, time)); }) * 1e6;
    const double compose66 = TimeMedian(runs, many, [&] { Keep(ComposePanel(geometry, 10, full, -1, time)); }) * 1e6;
    Row("ComposePanel (frame plan), 0 buttons", compose0, "ns", "");
    Row("ComposePanel (frame plan), 66 buttons", compose66, "ns", Ratio(compose66, compose0, "of 0 buttons"));

    // ---- typing: one keystroke matches 66 prepared titles (Chinese and Latin) by letters and pinyin
    std::vector<SearchText> texts;
    const wchar_t* samples[] = {L"记事本", L"微信", L"Visual Studio Code", L"QQ音乐",
                                L"重庆银行网上银行", L"计算器", L"Google Chrome", L"腾讯会议"};
    for (int i = 0; i < 66; ++i) texts.emplace_back(samples[i % 8] + std::to_wstring(i));
    for (const std::wstring typed : {L"jsb", L"chongqingyinhang", L"zzzz"}) {
        const double us = TimeMedian(runs, 2000, [&] {
            int n = 0;
            for (const SearchText& t : texts) n += t.Match(typed) != MatchKind::None;
            Keep(n);
        }) * 1e3;
        Row("SearchText::Match, 66 titles, typed " + ToUtf8(typed), us, "us", "one keystroke's matching");
    }

    // ---- the collection over bts.db
    Store s;
    for (size_t n : {size_t{1000}, size_t{10000}}) {
        s.Fill(n, ItemKind::Url);
        std::vector<double> t;
        for (int r = 0; r < runs; ++r) {
            s.collection.buttons.clear();
            const double t0 = NowMs();
            s.collection.LoadButtons();
            t.push_back(NowMs() - t0);
        }
        const double m = Median(t);
        static double perRow1k = 0;
        const double perRow = m * 1000.0 / static_cast<double>(n);
        std::string note = Fmt(perRow) + " us/row";
        if (n == 1000) perRow1k = perRow;
        else note += ", " + Ratio(perRow, perRow1k, "per row of 1,000");
        Row("ButtonCollection::LoadButtons, " + std::to_string(n) + " rows (bare host)", m, "ms", note);
    }

    s.Fill(65, ItemKind::Url);
    s.collection.LoadButtons();
    std::vector<double> add, del, swap, clear;
    for (int r = 0; r < runs * 5; ++r) {
        double t0 = NowMs();
        s.collection.AddButton(L"bench", L"C:\\bench\\extra.txt", ItemKind::File, L"");
        add.push_back(NowMs() - t0);
        const std::int64_t id = s.collection.buttons.back()->ID;
        s.host.LayoutButtons();
        t0 = NowMs();
        s.collection.DeleteButton(id);
        del.push_back(NowMs() - t0);
    }
    Row("ButtonCollection::AddButton (65 -> 66)", Median(add), "ms", "");
    Row("ButtonCollection::DeleteButton (66 -> 65)", Median(del), "ms", "");
    s.Fill(66, ItemKind::Url);
    s.collection.LoadButtons();
    const std::int64_t aId = s.collection.buttons[10]->ID, bId = s.collection.buttons[40]->ID;
    for (int r = 0; r < runs * 5; ++r) {
        LauncherButton* a = s.collection.FindById(aId);
        const double t0 = NowMs();
        s.collection.SwapWhileDragging(a->ScreenRect(), bId);
        swap.push_back(NowMs() - t0);
    }
    Row("ButtonCollection::SwapWhileDragging (66)", Median(swap), "ms", "");
    for (int r = 0; r < runs; ++r) {
        s.Fill(66, ItemKind::Url);
        s.collection.LoadButtons();
        const double t0 = NowMs();
        s.collection.ClearAllButtons();
        clear.push_back(NowMs() - t0);
    }
    const double c = Median(clear);
    Row("ButtonCollection::ClearAllButtons of 66", c, "ms", Fmt(c * 1000.0 / 66) + " us per button");
    return 0;
}
