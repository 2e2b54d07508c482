// Rendering figures of the panel, measured in this process (mode "inproc", part
// "render"): RenderPanel with 0 and 66 buttons, the sections of a 66-button frame
// (canvas, ring picture, icons, clock face, hands, UpdateLayeredWindow), and the clock
// tick that draws only the second hand and hub over the kept still part of the picture.
#include <vector>

#include "bench/bench_report.h"
#include "bench/bench_support_win.h"
#include "framework/gdiplus_win.h"
#include "panel/composition.h"
#include "tests/support/fakes.h"

namespace quorlin::bench {

namespace {

size_t IndexOfPicture(const std::vector<quorlin::DrawOp>& ops, quorlin::PanelPicture p) {
    for (size_t k = 0; k < ops.size(); ++k)
        if (ops[k].kind == quorlin::DrawOp::Kind::DrawPicture && ops[k].picture == p) return k;
    return ops.size();
}

}  // namespace

void RenderFigures(PanelHarness& h, CQuorlinDlg& panel, const std::vector<SideDb::Row>& mixed, int runs) {
    const int frames = 40;
    // A clock that stays within one minute unless a figure moves it.
    quorlin::testing::FixedClock fixed(quorlin::LocalTime{10, 10, 30});
    for (int i = 0; i < 5; ++i) panel.RenderPanel();
    const double render0 = TimeMedian(runs, frames, [&] { panel.RenderPanel(); });
    h.Fill(mixed);
    panel.Buttons().At(7)->hovered = 1;
    for (int i = 0; i < 5; ++i) panel.RenderPanel();
    const double render66 = TimeMedian(runs, frames, [&] { panel.RenderPanel(); });
    Row("RenderPanel, 0 buttons", render0, "ms", "");
    Row("RenderPanel, 66 buttons (one hovered)", render66, "ms", Ratio(render66, render0, "of 0 buttons (target <= 2x)"));

    // ---- where the time of a 66-button frame goes
    const double canvasOnly = TimeMedian(runs, frames, [&] { quorlin::fw::LayeredCanvas c(panel.hwnd(), 240, 240); });
    quorlin::fw::LayeredCanvas kept(panel.hwnd(), 240, 240);
    panel.Renderer().ComposeInto(kept);
    const double pushOnly = TimeMedian(runs, frames, [&] { kept.PushTo(panel.hwnd()); });
    const std::vector<quorlin::DrawOp> ops = panel.Renderer().PlanFrame();
    const size_t hands = IndexOfPicture(ops, quorlin::PanelPicture::HourHand);
    const size_t firstButton = IndexOfPicture(ops, quorlin::PanelPicture::ButtonImage);
    size_t lastButton = firstButton;
    while (lastButton < ops.size() && ops[lastButton].picture == quorlin::PanelPicture::ButtonImage &&
           ops[lastButton].kind == quorlin::DrawOp::Kind::DrawPicture)
        ++lastButton;
    const size_t second = quorlin::FirstTickOp(ops);
    // One section's steps, less the cost of the graphics object every section pays.
    const double graphicsOnly = TimeMedian(runs, frames, [&] { Gdiplus::Graphics g(kept.MemoryDC()); });
    auto timeOps = [&](size_t from, size_t to) {
        return TimeMedian(runs, frames, [&] { panel.Renderer().DrawOps(kept, ops, from, to); }) - graphicsOnly;
    };
    Row("  frame section: new DIB + DCs (and release)", canvasOnly, "ms", "");
    Row("  frame section: ring picture 300->220", timeOps(0, firstButton), "ms", "");
    Row("  frame section: 66 icons 48->20 (one 26)", timeOps(firstButton, lastButton), "ms", "");
    Row("  frame section: clock disc + face", timeOps(lastButton, hands), "ms", "");
    Row("  frame section: hour + minute hands", timeOps(hands, second), "ms", "");
    Row("  frame section: second hand + hub", timeOps(second, ops.size()), "ms", "");
    Row("  frame section: UpdateLayeredWindow (whole 240x240)", pushOnly, "ms", "");
    // What a tick within a minute pushes: the part the second hand swept, at its widest
    // (the hand at 45 degrees).
    const quorlin::Rect swept = quorlin::TickDirtyRect(quorlin::PanelGeometry{}, 42, 48);
    const RECT sweptRect{swept.left, swept.top, swept.right, swept.bottom};
    const double pushPart = TimeMedian(runs, frames, [&] { kept.PushTo(panel.hwnd(), sweptRect); });
    Row("  frame section: UpdateLayeredWindowIndirect (the part a tick sweeps, " + std::to_string(swept.Width()) +
            "x" + std::to_string(swept.Height()) + ")",
        pushPart, "ms", Ratio(pushPart, pushOnly, "of the whole push"));

    // ---- the clock tick: within a minute only the second hand and the hub are drawn over
    // the kept still part; at a new minute the still part is composed again.
    panel.RenderPanel();
    const int composedBefore = panel.Renderer().StillCompositions();
    const double tick = TimeMedian(runs, frames, [&] { panel.Renderer().Render(PanelRenderer::Frame::Tick); });
    const bool kept66 = panel.Renderer().StillCompositions() == composedBefore;
    int minute = 0;
    const double newMinute = TimeMedian(runs, frames, [&] {
        fixed.time = quorlin::LocalTime{11, minute++ % 60, 0};
        panel.Renderer().Render(PanelRenderer::Frame::Tick);
    });
    Row("clock tick within a minute (the swept part only), 66 buttons", tick, "ms",
        Ratio(tick, render66, "of RenderPanel") + (kept66 ? "" : "; STILL PART COMPOSED AGAIN"));
    Row("clock tick at a new minute (still part composed again)", newMinute, "ms", "once a minute");
    Row("clock cost per second, averaged over a minute", (59 * tick + newMinute) / 60, "ms", "");
    panel.Buttons().At(7)->hovered = 0;
}

}  // namespace quorlin::bench
