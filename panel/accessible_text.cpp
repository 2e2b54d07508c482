#include "panel/accessible_text.h"

#include "framework/texts.h"

namespace quorlin {

RingPlace PlaceOnRings(std::size_t index, std::size_t buttonCount) {
    if (index >= buttonCount) return RingPlace{};
    const RingAssignment assignment = AssignRings(buttonCount);
    std::size_t first = 0;  // ring order index of the ring's first button
    for (std::size_t r = 0; r < assignment.rings.size(); ++r) {
        const std::size_t count = static_cast<std::size_t>(assignment.rings[r].count);
        if (index < first + count)
            return RingPlace{static_cast<int>(r + 1), static_cast<int>(index - first + 1), static_cast<int>(count)};
        first += count;
    }
    return RingPlace{};
}

std::wstring PlaceDescription(const RingPlace& place) {
    return FillIn(Text(IDS_ACC_PLACE), {std::to_wstring(place.ring), std::to_wstring(place.position),
                                        std::to_wstring(place.count)});
}

std::wstring SpokenTime(int hour, int minute) {
    const std::wstring m = std::to_wstring(minute);
    return std::to_wstring(hour) + L":" + (minute < 10 ? L"0" + m : m);
}

}  // namespace quorlin
