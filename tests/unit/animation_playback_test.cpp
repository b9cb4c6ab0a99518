// Frame stepping of animated images on a real decoded GIF: order, loop counts, frame durations,
// and frames put on show without losing or freeing a block twice (the ASan build checks that).
#include <gtest/gtest.h>

#include <vector>

#include "animated_gif.h"
#include "codecs/decoders.h"
#include "viewer/animation_playback.h"

namespace qv {
namespace {

struct Animation {
    ImageBuffer image{};
    explicit Animation(const std::vector<qvtest::SolidFrame>& frames, uint16_t loops) {
        std::string bytes = qvtest::SolidAnimatedGif(5, 3, frames, loops);
        LoadInfo info;
        CodecStatus status = kCodecOk;
        ok = ReadGifMemory(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<uint32_t>(bytes.size()),
                           LoadOptions{}, true, &image, &info, &status);
    }
    ~Animation() { FreeImagePixels(&image); }
    bool ok = false;

    // Shown frames from frame 0 until the step that ends the playback, at most `limit` steps.
    std::vector<int32_t> Play(int limit, bool* ended) {
        uint32_t loopsLeft = image.animation->loopCount;
        std::vector<int32_t> shown{0};
        *ended = false;
        for (int i = 0; i < limit && !*ended; ++i) {
            PlaybackStep step = NextPlaybackStep(*image.animation, &loopsLeft);
            ShowAnimationFrame(&image, step.frame);
            shown.push_back(step.frame);
            *ended = step.last;
        }
        return shown;
    }
};

const std::vector<qvtest::SolidFrame> kThree = {{0x0000FF, 20}, {0x00FF00, 0}, {0xFF0000, 1}};

TEST(AnimationPlayback, LoopCountPlaysTheFramesThatOftenAndEndsOnFrameZero) {
    Animation twice(kThree, 2);
    ASSERT_TRUE(twice.ok);
    ASSERT_NE(twice.image.animation, nullptr);
    bool ended = false;
    EXPECT_EQ(twice.Play(50, &ended), (std::vector<int32_t>{0, 1, 2, 0, 1, 2, 0}));
    EXPECT_TRUE(ended);
    EXPECT_EQ(twice.image.pixels, twice.image.animation->frames[0]);

    Animation once(kThree, 1);
    ASSERT_TRUE(once.ok);
    EXPECT_EQ(once.Play(50, &ended), (std::vector<int32_t>{0, 1, 2, 0}));
    EXPECT_TRUE(ended);

    Animation endless(kThree, 0);
    ASSERT_TRUE(endless.ok);
    std::vector<int32_t> shown = endless.Play(30, &ended);
    EXPECT_FALSE(ended);
    ASSERT_EQ(shown.size(), 31u);
    for (size_t i = 0; i < shown.size(); ++i)
        EXPECT_EQ(shown[i], static_cast<int32_t>(i % 3)) << i;
}

TEST(AnimationPlayback, FramesLastTheirDelayWithZeroAndOneAtTheFastFrameDefault) {
    Animation a({{0, 20}, {0, 0}, {0, 1}, {0, 2}, {0, 655}}, 0);
    ASSERT_TRUE(a.ok);
    ASSERT_EQ(a.image.animation->frameCount, 5);
    EXPECT_EQ(FrameDurationMs(*a.image.animation, 0), 200u);
    EXPECT_EQ(FrameDurationMs(*a.image.animation, 1), 100u);
    EXPECT_EQ(FrameDurationMs(*a.image.animation, 2), 100u);
    EXPECT_EQ(FrameDurationMs(*a.image.animation, 3), 20u);
    EXPECT_EQ(FrameDurationMs(*a.image.animation, 4), 6550u);
}

TEST(AnimationPlayback, AShownFrameBringsItsPixelsAndPaletteAndIsFreedOnce) {
    Animation a(kThree, 0);
    ASSERT_TRUE(a.ok);
    AnimationFrames& frames = *a.image.animation;
    uint8_t* own = a.image.pixels;
    EXPECT_EQ(own, frames.frames[0]);
    frames.palettes[2][2].rgbGreen = 77; // a palette only frame 2 has

    ShowAnimationFrame(&a.image, 2);
    EXPECT_EQ(a.image.pixels, frames.frames[2]);
    EXPECT_EQ(frames.shownFrame, 2);
    EXPECT_EQ(ImageRowFromTop(&a.image, 1)[3], 2);
    EXPECT_EQ(a.image.palette[2].rgbGreen, 77);
    ShowAnimationFrame(&a.image, 0);
    EXPECT_EQ(a.image.pixels, own);
    EXPECT_EQ(a.image.palette[2].rgbGreen, 0);

    // freed while another frame than the first is shown: every block once
    ShowAnimationFrame(&a.image, 1);
    FreeImagePixels(&a.image);
    EXPECT_EQ(a.image.pixels, nullptr);
    EXPECT_EQ(a.image.animation, nullptr);
}

} // namespace
} // namespace qv
