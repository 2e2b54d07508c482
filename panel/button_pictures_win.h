// The buttons' pictures. It owns the icon cache in bts.db, the pictures a start reads from
// it in one query, and the refresh after the first frame that checks each kept picture
// against its target on disk and makes the stale ones anew, a few buttons per message.
// Handed: the store, the panel's buttons, the window that posts the refresh to itself and
// a request to render the panel again when the refresh changed a picture.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>

#include "buttons/button_window_win.h"
#include "framework/gdiplus_win.h"
#include "framework/window_win.h"
#include "panel/button_collection.h"
#include "store/icon_cache.h"

// Posted to the panel after the first frame, and again until done: check the buttons'
// pictures against what they are made from, a few at a time, and make the stale ones anew.
constexpr UINT WM_REFRESH_PICTURES = WM_APP + 2;

class ButtonPictures {
public:
    ButtonPictures(quorlin::DbSession& store, const quorlin::ButtonCollectionOf<CButtonEx>& buttons,
                   const quorlin::fw::WindowBase& window, std::function<void()> render);

    // The side of the pictures (48 at 96 DPI); the cache keeps one picture per side.
    void SetSide(int side) { side_ = side; }
    int Side() const { return side_; }

    // A start: every picture kept at the current side, read in one query; EndStart hands each
    // loaded button whose row part of the stamp matches its kept picture's PNG bytes, which
    // it decodes when the picture is first asked for.
    void BeginStart();
    void EndStart();
    // The picture of a row. At start (`atStart`) none when one is kept (EndStart hands it
    // over) or when it comes from the shell (made by the refresh); afterwards the kept one
    // whose whole stamp matches, or one made anew.
    std::unique_ptr<Gdiplus::Image> PictureFor(const quorlin::ButtonRecord& record, bool atStart);
    // Keeps the button's picture with its row, inside the caller's transaction.
    bool Keep(const CButtonEx& button);

    // The refresh after the first frame: started once; done when every button was looked at.
    void StartRefresh();
    LRESULT OnRefreshPictures(WPARAM, LPARAM, bool&);
    // WM_DEVICECHANGE: a drive came or went; the refresh runs again.
    LRESULT OnDeviceChange(WPARAM, LPARAM, bool&);
    bool Refreshed() const { return refreshNext_ == kRefreshDone; }

private:
    // A picture made anew: the shell's icon of a target it may look at, else one told by the
    // target's name alone (faded when its drive is not there).
    std::unique_ptr<Gdiplus::Image> MakePicture(const quorlin::ButtonRecord& record) const;
    // What the picture of a row is made from, the target on disk looked at (when it may be).
    static quorlin::IconSource SourceOf(const quorlin::ButtonRecord& record);

    quorlin::IconCache icons_;
    const quorlin::ButtonCollectionOf<CButtonEx>& buttons_;
    const quorlin::fw::WindowBase& window_;
    std::function<void()> render_;
    int side_ = 48;
    std::map<std::int64_t, quorlin::CachedPicture> startPictures_;
    static constexpr size_t kRefreshDone = static_cast<size_t>(-1);
    static constexpr size_t kRefreshNotStarted = static_cast<size_t>(-2);
    size_t refreshNext_ = kRefreshNotStarted;  // the next button the refresh looks at
    bool refreshChanged_ = false;
};
