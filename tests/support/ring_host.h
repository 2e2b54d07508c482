// A panel without windows for the button collection: every button "window" sits where
// the real ring layout puts it, with the panel at (100, 100) on the screen. Shared by the
// native tests, the crash test's child and the native benchmark.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "panel/button_collection.h"
#include "panel/ring_layout.h"

namespace quorlin::testing {

constexpr int kPanelScreenX = 100;
constexpr int kPanelScreenY = 100;

class PlacedButton : public LauncherButton {
public:
    // alive, when given, counts the buttons that exist.
    explicit PlacedButton(int* alive = nullptr) : alive_(alive) {
        if (alive_) ++*alive_;
    }
    ~PlacedButton() override {
        if (alive_) --*alive_;
    }
    Rect placed;
    int rebuilt = 0;  // how often the picture was made again
    Rect ScreenRect() const override {
        return Rect{placed.left + kPanelScreenX, placed.top + kPanelScreenY, placed.right + kPanelScreenX,
                    placed.bottom + kPanelScreenY};
    }
    void Place(const Rect& r) override { placed = r; }
    bool HasImage() const override { return true; }

protected:
    void RebuildImage() override { ++rebuilt; }

private:
    int* alive_;
};

class RingHost : public ButtonHost {
public:
    ButtonCollection* collection = nullptr;
    int alive = 0;
    int layouts = 0;
    int renders = 0;
    std::vector<std::wstring> loadErrors;
    std::set<std::wstring> existing;  // the file and folder targets that exist
    bool everythingExists = false;    // or: every target exists

    std::unique_ptr<LauncherButton> CreateButtonWindow() override { return std::make_unique<PlacedButton>(&alive); }
    void LayoutButtons() override {
        ++layouts;
        RingLayout layout = LayoutRings(collection->buttons.size());
        for (size_t i = 0; i < collection->buttons.size() && i < layout.slots.size(); ++i) {
            collection->buttons[i]->centerX = layout.slots[i].centerX;
            collection->buttons[i]->centerY = layout.slots[i].centerY;
            collection->buttons[i]->Place(layout.slots[i].window);
        }
    }
    void RenderPanel() override { ++renders; }
    void ShowLoadError(const std::wstring& d) override { loadErrors.push_back(d); }
    bool TargetExists(const std::wstring& p) override { return everythingExists || existing.count(p) > 0; }
};

}  // namespace quorlin::testing
