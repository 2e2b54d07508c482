// What a screen reader is told about the panel's buttons and its clock: where a button is
// on the rings ("第 1 圈，第 3 个，共 12 个" / "ring 1, 3 of 12") and the time as a person says
// it ("10:42"). Portable: the Win32 accessible object (panel_accessible_win) only asks.
#pragma once
#include <cstddef>
#include <string>

#include "panel/ring_layout.h"

namespace quorlin {

// A button's place: its ring (1 the innermost) and its position on that ring among `count`.
struct RingPlace {
    int ring = 0;
    int position = 0;
    int count = 0;
    bool operator==(const RingPlace& o) const { return ring == o.ring && position == o.position && count == o.count; }
};

// The place of the button at ring-order `index` of `buttonCount` (rings from AssignRings);
// all zero when there is no such button.
RingPlace PlaceOnRings(std::size_t index, std::size_t buttonCount);

// The place in words, in the interface language.
std::wstring PlaceDescription(const RingPlace& place);

// Hours and minutes as the clock shows them: "9:05", "10:42", "0:00".
std::wstring SpokenTime(int hour, int minute);

}  // namespace quorlin
