#include "panel/panel_renderer_win.h"

#include <algorithm>
#include <iterator>

#include "res/resource.h"
#include "store/button_transfer.h"

using namespace quorlin;

PanelRenderer::PanelRenderer(const fw::WindowBase& window, Scene scene, std::wstring backgroundFile)
    : window_(window), scene_(std::move(scene)), backgroundFile_(std::move(backgroundFile)) {}

namespace {

struct PictureSource {
    UINT id, hiId;
};
// By PanelPicture.
constexpr PictureSource kSources[] = {
    {IDB_RING, IDB_RING_HI},     {IDB_FACE, IDB_FACE_HI},     {IDB_HOUR, IDB_HOUR_HI},
    {IDB_MINUTE, IDB_MINUTE_HI}, {IDB_SECOND, IDB_SECOND_HI}, {IDB_HUB, IDB_HUB_HI},
};
// The pictures drawn over the background, kept with it in its file.
constexpr PanelPicture kDrawnOver[] = {PanelPicture::HourHand, PanelPicture::MinuteHand, PanelPicture::SecondHand,
                                       PanelPicture::Hub};

size_t SlotOf(PanelPicture p) { return static_cast<size_t>(p); }

std::optional<png::Pixels> PixelsOf(Gdiplus::Image* picture) {
    if (const png::Pixels* decoded = fw::DecodedPixels(picture)) return *decoded;
    return fw::PicturePixels(picture);
}

}  // namespace

void PanelRenderer::SetLayout(int dpi, const PanelGeometry& geometry) {
    dpi_ = dpi;
    geometry_ = geometry;
}

Gdiplus::Image* PanelRenderer::Picture(PanelPicture picture) const {
    PictureSlot& slot = pictures_[SlotOf(picture)];
    if (slot.image && slot.dpi == dpi_) return slot.image.get();
    slot.dpi = dpi_;
    const PictureSource& source = kSources[SlotOf(picture)];
    if (dpi_ == kBaseDpi) {
        fw::LoadPngResource(source.id, slot.image);
        return slot.image.get();
    }
    std::unique_ptr<Gdiplus::Image> large;
    if (!fw::LoadPngResource(source.hiId, large) || !large) {
        fw::LoadPngResource(source.id, slot.image);  // the small one, stretched, rather than none
        return slot.image.get();
    }
    const RectF drawn = picture == PanelPicture::Ring   ? geometry_.RingPictureRect()
                        : picture == PanelPicture::Face ? geometry_.ClockDiscRect()
                                                        : geometry_.HandRect();
    std::unique_ptr<Gdiplus::Bitmap> scaled =
        fw::ScaledPicture(*large, static_cast<int>(drawn.width + 0.5f), static_cast<int>(drawn.height + 0.5f));
    if (scaled) slot.image = std::move(scaled);
    else slot.image = std::move(large);
    return slot.image.get();
}

Gdiplus::Image* PanelRenderer::PictureFor(const DrawOp& op) const {
    if (op.kind != DrawOp::Kind::DrawPicture) return nullptr;
    if (op.picture == PanelPicture::ButtonImage) return scene_.buttonPicture(op.buttonIndex);
    return Picture(op.picture);
}

const void* PanelRenderer::IdentityOf(const DrawOp& op) const {
    if (op.kind != DrawOp::Kind::DrawPicture) return nullptr;
    if (op.picture == PanelPicture::ButtonImage) return scene_.buttonPicture(op.buttonIndex);
    return &pictures_[SlotOf(op.picture)];  // made anew only for another DPI, which composes anew
}

void PanelRenderer::DrawOps(fw::LayeredCanvas& canvas, const std::vector<DrawOp>& ops, size_t from, size_t to,
                            const RECT* clip) const {
    if (!canvas.Ok() || from >= to) return;
    Gdiplus::Graphics g(canvas.MemoryDC());
    if (clip) g.SetClip(Gdiplus::Rect(clip->left, clip->top, clip->right - clip->left, clip->bottom - clip->top));
    g.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
    g.SetTextRenderingHint(Gdiplus::TextRenderingHintSingleBitPerPixelGridFit);
    for (size_t k = from; k < to && k < ops.size(); ++k) {
        const DrawOp& op = ops[k];
        g.ResetTransform();
        if (op.rotationDegrees) {
            g.TranslateTransform(static_cast<Gdiplus::REAL>(op.pivot.x), static_cast<Gdiplus::REAL>(op.pivot.y),
                                 Gdiplus::MatrixOrderPrepend);
            g.RotateTransform(static_cast<Gdiplus::REAL>(*op.rotationDegrees), Gdiplus::MatrixOrderPrepend);
            g.TranslateTransform(static_cast<Gdiplus::REAL>(-op.pivot.x), static_cast<Gdiplus::REAL>(-op.pivot.y),
                                 Gdiplus::MatrixOrderPrepend);
        }
        const RectF& b = op.bounds;
        if (op.kind == DrawOp::Kind::FillEllipse) {
            Gdiplus::SolidBrush brush(Gdiplus::Color(op.argb));
            g.FillEllipse(&brush, b.x, b.y, b.width, b.height);
            continue;
        }
        if (op.kind == DrawOp::Kind::StrokeRect) {  // a frame of whole pixels, not smoothed away
            Gdiplus::SolidBrush brush(Gdiplus::Color(op.argb));
            const float w = op.penWidth;
            g.SetSmoothingMode(Gdiplus::SmoothingModeNone);
            g.FillRectangle(&brush, b.x, b.y, b.width, w);
            g.FillRectangle(&brush, b.x, b.y + b.height - w, b.width, w);
            g.FillRectangle(&brush, b.x, b.y + w, w, b.height - 2 * w);
            g.FillRectangle(&brush, b.x + b.width - w, b.y + w, w, b.height - 2 * w);
            g.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
            continue;
        }
        if (op.kind != DrawOp::Kind::DrawPicture) {  // an outline or a line
            Gdiplus::Pen pen(Gdiplus::Color(op.argb), op.penWidth);
            if (op.kind == DrawOp::Kind::StrokeEllipse) g.DrawEllipse(&pen, b.x, b.y, b.width, b.height);
            else g.DrawLine(&pen, b.x, b.y, b.x + b.width, b.y + b.height);
            continue;
        }
        Gdiplus::Image* picture = PictureFor(op);
        if (!picture) continue;  // a picture that is missing draws nothing
        if (op.dimmed) {  // filtered out by typing: the same picture, fainter
            Gdiplus::ColorMatrix fade = {{{1, 0, 0, 0, 0},
                                          {0, 1, 0, 0, 0},
                                          {0, 0, 1, 0, 0},
                                          {0, 0, 0, kDimmedOpacity, 0},
                                          {0, 0, 0, 0, 1}}};
            Gdiplus::ImageAttributes attributes;
            attributes.SetColorMatrix(&fade);
            const Gdiplus::RectF r(op.bounds.x, op.bounds.y, op.bounds.width, op.bounds.height);
            g.DrawImage(picture, r, 0, 0, static_cast<Gdiplus::REAL>(picture->GetWidth()),
                        static_cast<Gdiplus::REAL>(picture->GetHeight()), Gdiplus::UnitPixel, &attributes);
            continue;
        }
        if (op.integerBounds) {
            g.DrawImage(picture, Gdiplus::Rect(static_cast<INT>(op.bounds.x), static_cast<INT>(op.bounds.y),
                                               static_cast<INT>(op.bounds.width), static_cast<INT>(op.bounds.height)));
        } else {
            g.DrawImage(picture, Gdiplus::RectF(op.bounds.x, op.bounds.y, op.bounds.width, op.bounds.height));
        }
    }
    g.ResetTransform();
}

void PanelRenderer::ComposeInto(fw::LayeredCanvas& canvas) {
    const std::vector<DrawOp> ops = PlanFrame();
    DrawOps(canvas, ops, 0, ops.size());
}

bool PanelRenderer::UpdateStillLayer(const std::vector<DrawOp>& ops, size_t split, bool stillChanged, bool firstFrame,
                                     int width, int height) {
    std::vector<DrawOp> still(ops.begin(), ops.begin() + static_cast<std::ptrdiff_t>(split));
    // What the steps draw. Not for a start's first frame, which asks for no button's picture
    // (that would decode it): the next tick looks, and nothing changes a picture in between
    // without composing the whole frame again.
    std::vector<const void*> pictures;
    if (!firstFrame) {
        pictures.reserve(still.size());
        for (const DrawOp& op : still) pictures.push_back(IdentityOf(op));
    }

    if (!stillLayer_ || !stillLayer_->Ok() || stillLayer_->Width() != width || stillLayer_->Height() != height) {
        stillLayer_ = std::make_unique<fw::LayeredCanvas>(width, height);
        stillChanged = true;  // a new layer holds nothing yet
    }
    if (!stillChanged && still == stillOps_ && (!stillPicturesKnown_ || pictures == stillPictures_)) {
        stillPictures_ = std::move(pictures);
        stillPicturesKnown_ = true;
        return false;
    }
    stillOps_.clear();
    stillPictures_.clear();
    stillLayer_->Clear();
    if (firstFrame) {
        ComposeStartStill(ops, split);
    } else {
        DrawOps(*stillLayer_, ops, 0, split);
    }
    ++stillCompositions_;
    if (stillLayer_->Ok()) {
        stillOps_ = std::move(still);
        stillPictures_ = std::move(pictures);
        stillPicturesKnown_ = !firstFrame;
    }
    return true;
}

namespace {

// What identifies a loaded module's build: its link time and size, from its own header.
std::uint64_t ModuleStamp(HMODULE module) {
    if (!module) return 0;
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(reinterpret_cast<const BYTE*>(module) + dos->e_lfanew);
    return (static_cast<std::uint64_t>(nt->FileHeader.TimeDateStamp) << 32) | nt->OptionalHeader.SizeOfImage;
}

}  // namespace

std::optional<BackgroundKey> PanelRenderer::BackgroundKeyOf(const std::vector<DrawOp>& ops, size_t hands) const {
    BackgroundKeyBuilder key;
    // Who draws: this program's build and the GDI+ it draws with.
    key.Add(ModuleStamp(::GetModuleHandleW(nullptr)));
    key.Add(ModuleStamp(::GetModuleHandleW(L"gdiplus.dll")));
    key.Add(static_cast<std::uint64_t>(geometry_.panelWidth));
    key.Add(static_cast<std::uint64_t>(geometry_.panelHeight));
    key.Add(static_cast<std::uint64_t>(dpi_));
    // The six pictures by what they are made from, the same bytes giving the same picture.
    for (const PictureSource& source : kSources) {
        for (UINT id : {source.id, source.hiId}) {
            const void* data = nullptr;
            size_t size = 0;
            if (fw::PngResourceBytes(id, data, size)) key.AddBytes(data, size);
            else key.Add(0);
        }
    }
    key.AddOps(ops, hands);
    for (size_t k = 0; k < hands && k < ops.size(); ++k) {
        if (ops[k].kind != DrawOp::Kind::DrawPicture || ops[k].picture != PanelPicture::ButtonImage) continue;
        // A picture not decoded yet by its PNG bytes (the same bytes decode to the same picture).
        if (const std::vector<std::uint8_t>* png = scene_.pendingPicture(ops[k].buttonIndex)) {
            key.Add(1);
            key.AddBytes(png->data(), png->size());
            continue;
        }
        Gdiplus::Image* picture = PictureFor(ops[k]);
        if (!picture) {
            key.Add(0);  // draws nothing
            continue;
        }
        // Decoded pictures (all of them on a start from the cache) are read where they are;
        // others are copied out of GDI+, the same bytes for the same picture.
        std::optional<png::Pixels> copied;
        const png::Pixels* pixels = fw::DecodedPixels(picture);
        if (!pixels) {
            copied = fw::PicturePixels(picture);
            if (!copied) return std::nullopt;
            pixels = &*copied;
        }
        key.Add((static_cast<std::uint64_t>(pixels->width) << 32) | static_cast<std::uint32_t>(pixels->height));
        key.AddBytes(pixels->bgra.data(), pixels->bgra.size());
    }
    return key.Finish();
}

void PanelRenderer::ComposeStartStill(const std::vector<DrawOp>& ops, size_t split) {
    const size_t hands = std::min(FirstHandOp(ops), split);
    const std::optional<BackgroundKey> key = BackgroundKeyOf(ops, hands);
    std::string file;
    bool tooLarge = false;
    if (key && ReadWholeFile(backgroundFile_, file, 64u << 20, tooLarge)) {
        std::vector<png::Pixels> drawnOver;
        const std::optional<std::vector<std::uint32_t>> kept =
            DecodeBackground(std::vector<std::uint8_t>(file.begin(), file.end()), *key, stillLayer_->Width(),
                             stillLayer_->Height(), &drawnOver);
        if (kept && drawnOver.size() == std::size(kDrawnOver) && stillLayer_->SetPixels(*kept)) {
            // The hands and the hub as they were drawn: no picture is decoded for this frame.
            for (size_t i = 0; i < drawnOver.size(); ++i) {
                PictureSlot& slot = pictures_[SlotOf(kDrawnOver[i])];
                slot.image = fw::PictureOfPixels(std::move(drawnOver[i]));
                slot.dpi = slot.image ? dpi_ : 0;
            }
            ++backgroundsFromFile_;
            DrawOps(*stillLayer_, ops, hands, split);
            return;
        }
    }
    DrawOps(*stillLayer_, ops, 0, hands);
    if (key && stillLayer_->Ok()) {
        KeptBackground keep{*key, stillLayer_->CopyPixels(), {}};
        for (PanelPicture p : kDrawnOver) {
            std::optional<png::Pixels> pixels = PixelsOf(Picture(p));
            if (!pixels) break;
            keep.drawnOver.push_back(std::move(*pixels));
        }
        if (keep.drawnOver.size() == std::size(kDrawnOver)) backgroundToKeep_ = std::move(keep);
    }
    DrawOps(*stillLayer_, ops, hands, split);
}

void PanelRenderer::KeepBackground() {
    if (!backgroundToKeep_) return;
    const std::vector<std::uint8_t> bytes = EncodeBackground(backgroundToKeep_->key, geometry_.panelWidth,
                                                             geometry_.panelHeight, backgroundToKeep_->pixels,
                                                             backgroundToKeep_->drawnOver);
    backgroundToKeep_.reset();
    // A reader finds the whole old file or the whole new one (and refuses a damaged one).
    if (!bytes.empty()) WriteFileReplacing(backgroundFile_, std::string(bytes.begin(), bytes.end()));
}

void PanelRenderer::ComposeFrameInto(fw::LayeredCanvas& canvas, const std::vector<DrawOp>& ops, size_t split) const {
    if (canvas.CopyPixelsFrom(*stillLayer_)) {
        DrawOps(canvas, ops, split, ops.size());
    } else {  // no memory for the kept layer: the whole picture, every time
        canvas.Clear();
        DrawOps(canvas, ops, 0, ops.size());
    }
}

void PanelRenderer::ComposeTickInto(fw::LayeredCanvas& canvas, bool stillChanged) {
    if (!canvas.Ok()) return;
    const std::vector<DrawOp> ops = PlanFrame();
    const size_t split = FirstTickOp(ops);
    UpdateStillLayer(ops, split, stillChanged, false, canvas.Width(), canvas.Height());
    ComposeFrameInto(canvas, ops, split);
}

void PanelRenderer::Render(Frame frame) {
    const HWND hwnd = window_.hwnd();
    if (!hwnd) return;
    const int width = geometry_.panelWidth, height = geometry_.panelHeight;
    const std::vector<DrawOp> ops = PlanFrame();
    const size_t split = FirstTickOp(ops);
    const bool recomposed =
        UpdateStillLayer(ops, split, frame != Frame::Tick, frame == Frame::First, width, height);
    const std::optional<int> second = split < ops.size() ? ops[split].rotationDegrees : std::optional<int>();
    if (!frame_ || !frame_->Ok() || frame_->Width() != width || frame_->Height() != height) {
        frame_ = std::make_unique<fw::LayeredCanvas>(width, height);
        frameSecond_.reset();
    }
    // Only the second hand moved since the last push: compose and push just the part it
    // swept; the window keeps the rest of the picture it was given.
    if (!recomposed && frameSecond_ && second && stillLayer_->Ok() && frame_->Ok()) {
        const Rect d = TickDirtyRect(geometry_, *frameSecond_, *second);
        const RECT dirty{d.left, d.top, d.right, d.bottom};
        frame_->CopyPixelsFrom(*stillLayer_, dirty);
        DrawOps(*frame_, ops, split, ops.size(), &dirty);
        if (frame_->PushTo(hwnd, dirty)) {
            frameSecond_ = second;
            lastPush_ = dirty;
            return;
        }
    }
    ComposeFrameInto(*frame_, ops, split);
    frame_->PushTo(hwnd);
    frameSecond_ = frame_->Ok() ? second : std::optional<int>();
    lastPush_ = RECT{0, 0, width, height};
}

LRESULT PanelRenderer::OnRenderRequest(WPARAM, LPARAM, bool&) {
    Render(Frame::Full);
    return 0;
}

void PanelRenderer::Release() {
    for (PictureSlot& slot : pictures_) slot = PictureSlot{};
    stillLayer_.reset();
    frame_.reset();
    stillOps_.clear();
    stillPictures_.clear();
    stillPicturesKnown_ = false;
}
