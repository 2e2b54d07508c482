// What every launcher button is, whatever window shows it: the fields of its row, its
// place on the ring and its hover state. The Win32 button window derives from this.
#pragma once

#include "framework/geometry.h"
#include "store/button_table.h"

namespace quorlin {

class Recordset;

class LauncherButton : public ButtonRecord {
public:
    virtual ~LauncherButton() = default;

    int centerX = 0;  // centre in panel client pixels, written by the layout
    int centerY = 0;
    int hovered = 0;  // nonzero while the mouse is over it: drawn 3 px larger per side

    // Takes the fields of the current row (ID, iType, Title, PathName, sort, Para) and
    // rebuilds the picture. A failing field access throws StoreError.
    void LoadFromRecord(const Recordset& rs);

    // The picture exists (the panel draws nothing for a button without one).
    virtual bool HasImage() const { return false; }
    // The window's rectangle in screen coordinates.
    virtual Rect ScreenRect() const { return Rect{}; }
    // Moves the window to its square in panel client coordinates and shows it.
    virtual void Place(const Rect& clientRect) {}

protected:
    // Called after the fields changed: discard the old picture and make the new one.
    virtual void RebuildImage() {}
};

}  // namespace quorlin
