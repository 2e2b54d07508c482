// The panel's renderer. It owns the panel's six pictures (ring, face, three hands, hub) at
// the panel's DPI, turns the plan of a frame into GDI+ drawing, and keeps what makes a
// frame cheap: the still layer (everything but the second hand and the hub), the whole
// frame last pushed (so that a tick pushes only what the second hand swept), and the
// background file panel.cache (a start whose background has not changed takes it from
// there instead of composing it).
// Handed: the window it pushes to, the scene (the plan of the current frame and the
// buttons' pictures, which the panel and its buttons own) and the background file's path.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "framework/gdiplus_win.h"
#include "framework/window_win.h"
#include "panel/background_cache.h"
#include "panel/composition.h"
#include "panel/ring_layout.h"

// Posted by whoever changed what the panel shows (a hover, a drag, an edit): compose the
// whole picture again once the current message is done.
constexpr UINT WM_RENDER_REQUEST = WM_APP + 4;

class PanelRenderer {
public:
    struct Scene {
        std::function<std::vector<quorlin::DrawOp>()> plan;          // the steps of the current frame
        std::function<Gdiplus::Image*(size_t index)> buttonPicture;  // the picture of the button at ring index
        // Its PNG bytes while they are not decoded (asking for the picture decodes them), else null.
        std::function<const std::vector<std::uint8_t>*(size_t index)> pendingPicture;
    };
    // Which frame a render makes.
    enum class Frame {
        First,  // the start's first: the background may come from its file
        Full,   // anything may have changed: the still layer is composed again
        Tick,   // the clock moved: the still layer is kept when its steps did not change
    };

    PanelRenderer(const quorlin::fw::WindowBase& window, Scene scene, std::wstring backgroundFile);

    // The panel's geometry at this DPI; its pictures are made for it when first drawn (a start
    // whose background comes from its file draws no other before its first frame).
    void SetLayout(int dpi, const quorlin::PanelGeometry& geometry);
    // Composes the frame and pushes it to the window.
    void Render(Frame frame);
    // WM_RENDER_REQUEST: a full frame.
    LRESULT OnRenderRequest(WPARAM, LPARAM, bool&);
    // Writes the background the first frame composed to its file (after the first frame, or
    // as the panel closes before that).
    void KeepBackground();
    // Everything drawn is let go (the window is going).
    void Release();

    // For tests and the benchmark: the plan of the current picture; some of its steps
    // drawn; the current picture composed into a canvas without a push; what a tick
    // composes (the still part composed again first when changed, or always when
    // `stillChanged`), and how often the still part has been composed.
    std::vector<quorlin::DrawOp> PlanFrame() const { return scene_.plan(); }
    void DrawOps(quorlin::fw::LayeredCanvas& canvas, const std::vector<quorlin::DrawOp>& ops, size_t from, size_t to,
                 const RECT* clip = nullptr) const;
    void ComposeInto(quorlin::fw::LayeredCanvas& canvas);
    void ComposeTickInto(quorlin::fw::LayeredCanvas& canvas, bool stillChanged = false);
    int StillCompositions() const { return stillCompositions_; }
    // The picture as last pushed (null before the first push) and the part the last push updated.
    const quorlin::fw::LayeredCanvas* PushedFrame() const { return frame_.get(); }
    RECT LastPush() const { return lastPush_; }
    // The background file, and how many starts of this panel took their background from it.
    const std::wstring& BackgroundFile() const { return backgroundFile_; }
    int BackgroundsFromFile() const { return backgroundsFromFile_; }

private:
    Gdiplus::Image* PictureFor(const quorlin::DrawOp& op) const;
    // Composes the still part again when its steps or pictures changed (or always when
    // `stillChanged`); true when it did.
    bool UpdateStillLayer(const std::vector<quorlin::DrawOp>& ops, size_t split, bool stillChanged, bool firstFrame,
                          int width, int height);
    void ComposeFrameInto(quorlin::fw::LayeredCanvas& canvas, const std::vector<quorlin::DrawOp>& ops,
                          size_t split) const;
    // The first still part of a start: the background from its file when that was made
    // from exactly these steps and pictures, else composed and kept for the file.
    void ComposeStartStill(const std::vector<quorlin::DrawOp>& ops, size_t split);
    // A digest of everything the first `hands` steps draw and of the sources of the six
    // pictures (their resources: none is decoded for it); nullopt when a picture cannot be read.
    std::optional<quorlin::BackgroundKey> BackgroundKeyOf(const std::vector<quorlin::DrawOp>& ops,
                                                          size_t hands) const;
    // One of the six pictures, made for the current DPI when it is first drawn: the 96-DPI
    // picture as it is, at any other DPI the larger one scaled down to the size it is drawn at.
    Gdiplus::Image* Picture(quorlin::PanelPicture picture) const;
    // What a step draws, told apart without making the picture.
    const void* IdentityOf(const quorlin::DrawOp& op) const;

    const quorlin::fw::WindowBase& window_;
    Scene scene_;
    std::wstring backgroundFile_;
    int dpi_ = quorlin::kBaseDpi;
    quorlin::PanelGeometry geometry_;

    struct PictureSlot {
        std::unique_ptr<Gdiplus::Image> image;
        int dpi = 0;  // the DPI it was made for
    };
    // The six pictures by PanelPicture (ring, face, hour, minute and second hand, hub).
    mutable std::array<PictureSlot, 6> pictures_;

    // The picture of everything but the second hand and the hub, with what it was made of:
    // the steps and the pictures they drew.
    std::unique_ptr<quorlin::fw::LayeredCanvas> stillLayer_;
    std::vector<quorlin::DrawOp> stillOps_;
    std::vector<const void*> stillPictures_;  // IdentityOf each step (not looked at for a start's first frame)
    bool stillPicturesKnown_ = false;
    int stillCompositions_ = 0;
    // The picture last pushed, kept whole, and the second hand's angle in it.
    std::unique_ptr<quorlin::fw::LayeredCanvas> frame_;
    std::optional<int> frameSecond_;
    RECT lastPush_{0, 0, 0, 0};

    // What the first frame composed for the background file: the background and the
    // pictures drawn over it (the hands and the hub), kept until it is written.
    struct KeptBackground {
        quorlin::BackgroundKey key;
        std::vector<std::uint32_t> pixels;
        std::vector<quorlin::png::Pixels> drawnOver;
    };
    std::optional<KeptBackground> backgroundToKeep_;
    int backgroundsFromFile_ = 0;
};
