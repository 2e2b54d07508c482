#include "panel/button_pictures_win.h"

#include "buttons/icon_imaging_win.h"
#include "framework/volumes_win.h"

using namespace quorlin;

ButtonPictures::ButtonPictures(DbSession& store, const ButtonCollectionOf<CButtonEx>& buttons,
                               const fw::WindowBase& window, std::function<void()> render)
    : icons_(store), buttons_(buttons), window_(window), render_(std::move(render)) {}

void ButtonPictures::BeginStart() {
    icons_.Ensure();
    startPictures_ = icons_.FindAll(side_);
}

void ButtonPictures::EndStart() {
    for (size_t i = 0; i < buttons_.Count(); ++i) {
        CButtonEx* b = buttons_.At(i);
        auto kept = startPictures_.find(b->ID);
        if (b->HasImage() || kept == startPictures_.end()) continue;
        // While starting, only the row's part of the stamp is checked: the target on disk is
        // looked at by the refresh after the first frame.
        const std::string row = IconRowStamp(b->iType, b->Title, b->PathName);
        if (kept->second.stamp.compare(0, row.size(), row) == 0) b->SetPendingPicture(std::move(kept->second.png));
    }
    startPictures_.clear();
}

IconSource ButtonPictures::SourceOf(const ButtonRecord& record) {
    IconSource source{record.iType, record.Title, record.PathName, 0, 0};
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (PictureComesFromShell(record.iType) && !record.PathName.empty() && fw::MayLookAt(fw::ReachOf(record.PathName)) &&
        ::GetFileAttributesExW(record.PathName.c_str(), GetFileExInfoStandard, &data)) {
        source.targetSize = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        source.targetTime = (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                            data.ftLastWriteTime.dwLowDateTime;
    }
    return source;
}

std::unique_ptr<Gdiplus::Image> ButtonPictures::PictureFor(const ButtonRecord& record, bool atStart) {
    if (atStart) {
        const auto kept = startPictures_.find(record.ID);
        const std::string row = IconRowStamp(record.iType, record.Title, record.PathName);
        if (kept != startPictures_.end() && kept->second.stamp.compare(0, row.size(), row) == 0) return nullptr;
        if (PictureComesFromShell(record.iType)) return nullptr;  // made after the first frame
        return MakePicture(record);
    }
    if (const std::optional<CachedPicture> cached = icons_.Find(record.ID, side_)) {
        if (cached->stamp == IconStamp(SourceOf(record))) {
            if (auto picture = fw::DecodePicture(cached->png.data(), cached->png.size())) return picture;
        }
    }
    return MakePicture(record);
}

std::unique_ptr<Gdiplus::Image> ButtonPictures::MakePicture(const ButtonRecord& record) const {
    if (PictureComesFromShell(record.iType)) {
        // A target the program may not look at gets the picture its name alone tells: one on
        // a drive that is not there is drawn faded, one on the network as it is.
        switch (fw::ReachOf(record.PathName)) {
            case fw::TargetReach::AbsentDrive:
                return FadedPicture(GenericPictureFor(record.iType, record.PathName, side_).get());
            case fw::TargetReach::Network:
            case fw::TargetReach::Elsewhere: return GenericPictureFor(record.iType, record.PathName, side_);
            default: break;
        }
    }
    return IconForItem(record.iType, record.Title, record.PathName, side_);
}

LRESULT ButtonPictures::OnDeviceChange(WPARAM wp, LPARAM, bool& handled) {
    constexpr WPARAM kArrival = 0x8000, kRemoved = 0x8004;  // DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE
    handled = false;
    // A drive came or went: the pictures of its buttons are made again by their stamps.
    if ((wp == kArrival || wp == kRemoved) && refreshNext_ == kRefreshDone) StartRefresh();
    return TRUE;
}

bool ButtonPictures::Keep(const CButtonEx& button) {
    if (!button.Image()) return true;  // nothing to keep
    const std::vector<std::uint8_t> png = fw::EncodePng(button.Image());
    if (png.empty()) return true;  // kept by the next refresh instead
    return icons_.Put(button.ID, side_, IconStamp(SourceOf(button)), png);
}

void ButtonPictures::StartRefresh() {
    refreshNext_ = 0;
    ::PostMessageW(window_.hwnd(), WM_REFRESH_PICTURES, 0, 0);
}

LRESULT ButtonPictures::OnRefreshPictures(WPARAM, LPARAM, bool&) {
    // A few buttons per message, so that the user's input is never kept waiting long.
    constexpr size_t kPerMessage = 8;
    if (refreshNext_ == kRefreshDone || refreshNext_ == kRefreshNotStarted) return 0;
    size_t done = 0;
    for (; refreshNext_ < buttons_.Count() && done < kPerMessage; ++refreshNext_) {
        CButtonEx* b = buttons_.At(refreshNext_);
        const std::string stamp = IconStamp(SourceOf(*b));
        const std::optional<CachedPicture> cached = icons_.Find(b->ID, side_);
        if (b->Image() && cached && cached->stamp == stamp) continue;
        ++done;
        std::unique_ptr<Gdiplus::Image> picture = MakePicture(*b);
        const std::vector<std::uint8_t> png = fw::EncodePng(picture.get());
        if (!png.empty()) icons_.Put(b->ID, side_, stamp, png);
        b->ReplacePicture(std::move(picture));
        refreshChanged_ = true;
    }
    if (refreshNext_ < buttons_.Count()) {
        ::PostMessageW(window_.hwnd(), WM_REFRESH_PICTURES, 0, 0);
        return 0;
    }
    refreshNext_ = kRefreshDone;
    icons_.RemoveOrphans();
    if (refreshChanged_) render_();
    refreshChanged_ = false;
    return 0;
}
