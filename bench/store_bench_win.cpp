// Store operations of the panel, measured in this process (mode "inproc", parts
// "load" and "ops"): LoadButtons of 66 rows with shell icons and of 1,000 and many more
// web-address rows, with the painting Wine does after it and where a row's time goes
// (button window, picture, destruction); then AddButton, DeleteButton, one swap while
// dragging and ClearAllButtons on a full ring.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_report.h"
#include "bench/bench_support_win.h"
#include "buttons/button_window_win.h"
#include "buttons/icon_imaging_win.h"
#include "framework/text.h"

namespace quorlin::bench {

// LoadButtons of 66 rows with real icons and of many rows with our own web icon, and
// where the time of a row goes.
void LoadFigures(PanelHarness& h, CQuorlinDlg& panel, const std::vector<SideDb::Row>& mixed, int runs, int big) {
    // LoadButtons itself, then (separately) the dispatch of the messages it leaves: Wine
    // paints every moved BUTTON child window. With `paint` false the buttons go again
    // before any message is dispatched (Wine 8 does not finish painting 10,000 of them).
    auto timeLoad = [&](const std::vector<SideDb::Row>& rows, int loadRuns, bool paint, double* paintMs) {
        std::vector<double> t, p;
        for (int r = 0; r < loadRuns; ++r) {
            h.side->KeepOnlyRowTwo();
            panel.Buttons().LoadButtons();  // empties the collection (untimed)
            Pump();
            h.side->Insert(rows);
            double t0 = NowMs();
            panel.Buttons().LoadButtons();
            t.push_back(NowMs() - t0);
            if (panel.Buttons().Count() != rows.size())
                Note("load: LoadButtons gave %zu buttons for %zu rows", panel.Buttons().Count(), rows.size());
            if (paint) {
                t0 = NowMs();
                Pump();
                p.push_back(NowMs() - t0);
            }
        }
        h.side->KeepOnlyRowTwo();
        panel.Buttons().LoadButtons();
        Pump();
        if (paintMs) *paintMs = Median(p);
        return Median(t);
    };
    double paint66 = 0, paint1k = 0;
    const double load66 = timeLoad(mixed, runs, true, &paint66);
    Row("LoadButtons, 66 rows (33 shell icons, 33 own web icon)", load66, "ms", Fmt(load66 * 1000.0 / 66) + " us/row");
    Row("  then Wine paints the 66 button windows (message pump)", paint66, "ms", Fmt(paint66 * 1000.0 / 66) + " us/row");
    const double load1k = timeLoad(UrlRows(1000), std::max(3, runs / 2), true, &paint1k);
    Row("LoadButtons, 1,000 web-address rows (own icon)", load1k, "ms", Fmt(load1k) + " us/row");
    Row("  then Wine paints the 1,000 button windows", paint1k, "ms", Fmt(paint1k) + " us/row");
    if (big > 1000) {
        const double loadBig = timeLoad(UrlRows(static_cast<size_t>(big)), 1, false, nullptr);
        char name[96];
        std::snprintf(name, sizeof name, "LoadButtons, %d web-address rows (own icon)", big);
        Row(name, loadBig, "ms",
            Fmt(loadBig * 1000.0 / big) + " us/row, " + Ratio(loadBig / big, load1k / 1000, "per row of 1,000") +
                "; not painted");
    }

    // Where a row's time goes: the button window (in batches, as the sibling count grows),
    // its picture, and the layout.
    const int batch = 1000;
    const int batches = std::max(1, big / batch);
    std::vector<std::unique_ptr<quorlin::LauncherButton>> made;
    std::vector<double> perBatch;
    for (int b = 0; b < batches; ++b) {
        const double t0 = NowMs();
        for (int i = 0; i < batch; ++i) made.push_back(panel.CreateButton());
        perBatch.push_back((NowMs() - t0) * 1000.0 / batch);
    }
    std::string growth;
    for (size_t b = 0; b < perBatch.size(); ++b)
        if (b == 0 || b + 1 == perBatch.size() || (b + 1) % 5 == 0) growth += (growth.empty() ? "" : ", ") + Fmt(perBatch[b]);
    Row("  load section: button window, per row (batches of 1,000)", perBatch.front(), "us",
        "by batch: " + growth + " us");
    const double iconUs = TimeMedian(runs, 200, [] {
        auto image = IconForItem(quorlin::ItemKind::Url, L"site", L"http://www.example/");
    }) * 1000.0;
    Row("  load section: own web icon -> 48x48 picture, per row", iconUs, "us", "");
    const std::vector<std::string> files = ExistingFiles(33);
    const double shellIconUs = TimeMedian(runs, 1, [&] {
        for (const auto& f : files) auto image = IconForItem(quorlin::ItemKind::File, L"f", quorlin::FromUtf8(f));
    }) * 1000.0 / static_cast<double>(files.size());
    Row("  load section: shell icon of a file -> picture, per row", shellIconUs, "us", "");
    const double t0 = NowMs();
    made.clear();
    Pump();
    Row("  load section: destroying the button windows, per row", (NowMs() - t0) * 1000.0 / (batch * batches), "us", "");
}

// AddButton, DeleteButton, one swap and ClearAllButtons on a full ring.
void OperationFigures(PanelHarness& h, CQuorlinDlg& panel, const std::vector<SideDb::Row>& mixed, int runs) {
    std::vector<SideDb::Row> base(mixed.begin(), mixed.begin() + 65);
    h.Fill(base);
    const std::wstring extraPath = quorlin::FromUtf8(ExistingFiles(40).back());
    std::vector<double> add, del, delPaint, swapPaint;
    for (int r = 0; r < runs * 3; ++r) {
        double t0 = NowMs();
        panel.Buttons().AddButton(L"bench", extraPath, quorlin::ItemKind::File, L"");
        add.push_back(NowMs() - t0);
        const int id = panel.Buttons().At(panel.Buttons().Count() - 1)->ID;
        panel.LayoutButtons();
        panel.RenderPanel();
        Pump();
        t0 = NowMs();
        panel.DeleteButton(id);
        del.push_back(NowMs() - t0);
        t0 = NowMs();
        Pump();
        delPaint.push_back(NowMs() - t0);
    }
    Row("AddButton (65 -> 66: row, window, shell icon)", Median(add), "ms", "the caller lays out and renders");
    Row("DeleteButton (66 -> 65: row, layout, render)", Median(del), "ms",
        "then Wine paints the moved windows: " + Fmt(Median(delPaint)) + " ms");

    h.Fill(mixed);
    std::vector<double> swap;
    const int aId = panel.Buttons().At(10)->ID, bId = panel.Buttons().At(40)->ID;
    for (int r = 0; r < runs * 3; ++r) {
        RECT ghost{};
        ::GetWindowRect(panel.Buttons().Find(aId)->hwnd(), &ghost);
        const double t0 = NowMs();
        const bool swapped = panel.SwapWhileDragging(ghost, bId);
        swap.push_back(NowMs() - t0);
        if (!swapped) Note("ops: no swap at run %d", r);
        const double t1 = NowMs();
        Pump();
        swapPaint.push_back(NowMs() - t1);
    }
    Row("SwapWhileDragging (66: 2 sorts in 1 transaction, layout, render)", Median(swap), "ms",
        "then Wine paints the moved windows: " + Fmt(Median(swapPaint)) + " ms");

    std::vector<double> clear;
    for (int r = 0; r < runs; ++r) {
        h.Fill(mixed);
        const double t0 = NowMs();
        panel.Buttons().ClearAllButtons();
        clear.push_back(NowMs() - t0);
        Pump();
        if (panel.Buttons().Count() != 0) Note("ops: %zu buttons left after the clear", panel.Buttons().Count());
    }
    const double c = Median(clear);
    Row("ClearAllButtons of 66 (each removal lays out and renders)", c, "ms", Fmt(c / 66) + " ms per button");
}

}  // namespace quorlin::bench
