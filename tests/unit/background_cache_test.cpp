#include "panel/background_cache.h"

#include <gtest/gtest.h>

namespace quorlin {
namespace {

std::vector<DrawOp> Plan(bool hovered, bool dimmed = false) {
    std::vector<ButtonView> buttons = {{1, 120, 42, false, true}, {5, 198, 120, hovered, true}};
    buttons[0].dimmed = dimmed;
    return ComposePanel(PanelGeometry(), 12, buttons, -1, ClockTime{10, 20, 30});
}

BackgroundKey KeyOf(const std::vector<DrawOp>& ops, std::uint32_t firstPixel) {
    BackgroundKeyBuilder k;
    k.AddOps(ops, FirstHandOp(ops));
    const std::vector<std::uint32_t> picture = {firstPixel, 2, 3};
    k.AddBytes(picture.data(), picture.size() * 4);
    return k.Finish();
}

TEST(BackgroundCache, TheKeyFollowsEveryStepAndPixelUnderTheHands) {
    const std::vector<DrawOp> ops = Plan(false);
    const std::size_t hands = FirstHandOp(ops);
    ASSERT_LT(hands, ops.size());
    EXPECT_EQ(ops[hands].picture, PanelPicture::HourHand);
    EXPECT_EQ(KeyOf(ops, 1), KeyOf(Plan(false), 1));
    EXPECT_NE(KeyOf(ops, 1), KeyOf(ops, 0x01000001)) << "one pixel of one picture";
    EXPECT_NE(KeyOf(ops, 1), KeyOf(Plan(true), 1)) << "a hovered button is drawn larger";
    EXPECT_NE(KeyOf(ops, 1), KeyOf(Plan(false, true), 1)) << "a dimmed button";
    // The hands are drawn over the kept picture: another time keeps the key.
    std::vector<DrawOp> later = ComposePanel(PanelGeometry(), 12, {{1, 120, 42, false, true}, {5, 198, 120, false, true}},
                                             -1, ClockTime{3, 47, 5});
    EXPECT_EQ(KeyOf(ops, 1), KeyOf(later, 1));
}

TEST(BackgroundCache, OnlyAWholeFileOfTheSameKeyAndSizeIsRead) {
    std::vector<std::uint32_t> pixels(16 * 8);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint32_t>(i * 2654435761u);
    const BackgroundKey key{1, 2};
    const std::vector<std::uint8_t> file = EncodeBackground(key, 16, 8, pixels);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(DecodeBackground(file, key, 16, 8), pixels);
    EXPECT_FALSE(DecodeBackground(file, BackgroundKey{1, 3}, 16, 8));
    EXPECT_FALSE(DecodeBackground(file, key, 8, 16));
    EXPECT_FALSE(DecodeBackground(std::vector<std::uint8_t>(file.begin(), file.end() - 1), key, 16, 8));
    for (std::size_t at : {std::size_t{0}, std::size_t{44}, file.size() - 1}) {  // magic, packed pixels, their end
        std::vector<std::uint8_t> damaged = file;
        damaged[at] ^= 0x20;
        EXPECT_FALSE(DecodeBackground(damaged, key, 16, 8)) << at;
    }
    EXPECT_TRUE(EncodeBackground(key, 16, 8, std::vector<std::uint32_t>(5)).empty());
    // The pictures kept beside the background come back whole, in their order.
    const png::Pixels hand{2, 3, std::vector<std::uint8_t>(24, 7)}, hub{1, 1, {1, 2, 3, 4}};
    std::vector<png::Pixels> back;
    ASSERT_EQ(DecodeBackground(EncodeBackground(key, 16, 8, pixels, {hand, hub}), key, 16, 8, &back), pixels);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].height, 3);
    EXPECT_EQ(back[1].bgra, hub.bgra);
}

}  // namespace
}  // namespace quorlin
