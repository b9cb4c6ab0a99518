// Animated GIFs in the real Quorvel.exe: frames shown in order with their delays, the loop count
// ending the playback on frame 0, a zero delay still advancing, and the SubWindow holding frame 0
// until the ViewWindow takes over again and plays from the start.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "animated_gif.h"
#include "e2e_support_win.h"
#include "model/instance_request.h"

namespace qvtest {
namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr DWORD kSampleIntervalMs = 10;

// A change of the frame colour the window shows, and when it was first seen.
struct Seen {
    int colour = -1; // index into the watched colours
    ULONGLONG at = 0;
};

// Index of the watched colour the middle of the client area shows; -1 for none (nothing loaded
// yet, or a repaint caught half way). One pixel read from the screen: cheap enough to poll often,
// so that no frame of 100 ms or more goes unseen on a loaded machine.
int ShownColour(HWND window, const std::vector<COLORREF>& colours) {
    RECT client{};
    if (!GetClientRect(window, &client)) return -1;
    COLORREF pixel = ClientPixel(window, client.right / 2, client.bottom / 2);
    auto it = std::find(colours.begin(), colours.end(), pixel);
    return it == colours.end() ? -1 : static_cast<int>(it - colours.begin());
}

// Samples the window and keeps each change of the shown frame colour, until `enough` changes
// were seen or the time is up.
std::vector<Seen> Watch(HWND window, const std::vector<COLORREF>& colours, DWORD timeoutMs, size_t enough = SIZE_MAX) {
    std::vector<Seen> changes;
    ULONGLONG end = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < end && changes.size() < enough) {
        int colour = ShownColour(window, colours);
        if (colour >= 0 && (changes.empty() || changes.back().colour != colour))
            changes.push_back({colour, GetTickCount64()});
        PumpMessages(kSampleIntervalMs);
    }
    return changes;
}

std::vector<int> ColoursOf(const std::vector<Seen>& changes) {
    std::vector<int> out;
    for (const Seen& s : changes)
        out.push_back(s.colour);
    return out;
}

std::string Describe(const std::vector<Seen>& changes) {
    std::string text;
    for (const Seen& s : changes)
        text += std::to_string(s.colour) + "@" + std::to_string(s.at - changes.front().at) + " ";
    return text;
}

bool SendRequest(HWND window, wchar_t letter) {
    qv::InstanceRequest request;
    request.letter = letter;
    uint8_t block[qv::kInstanceRequestBytes];
    qv::EncodeInstanceRequest(request, block);
    return SendCopyData(window, qv::kCopyDataInstanceRequest, block, qv::kInstanceRequestBytes) != 0;
}

class AnimationTest : public ::testing::Test {
protected:
    void TearDown() override {
        CloseAllProgramWindows(kViewWindowClass);
        CloseAllProgramWindows(kSubWindowClass);
    }

    // Writes the file, starts the program on it and returns its ViewWindow as soon as it shows.
    HWND Open(const std::string& gif) {
        if (!folder_.Create(QuietSettings())) return nullptr;
        std::wstring path = folder_.File(L"anim.gif");
        if (!WriteFileBytes(path, gif)) return nullptr;
        process_ = Launch(folder_.exePath(), {path});
        if (!process_.valid()) return nullptr;
        return WaitForProcessWindow(process_, kViewWindowClass);
    }

    ProgramFolder folder_;
    ProcessOwner process_;
};

TEST_F(AnimationTest, PlaysEachFrameForItsDelayAndEndsOnFrameZeroAfterTheLoops) {
    const std::vector<COLORREF> colours = {kRed, kGreen, kBlue};
    // the first frame stays longer: under load the window may reach the screen late
    HWND view = Open(SolidAnimatedGif(120, 90, {{kRed, 60}, {kGreen, 20}, {kBlue, 20}}, 2));
    ASSERT_NE(view, nullptr);

    // two loops: red, green, blue twice, then back to the first frame, where it stays
    std::vector<Seen> changes = Watch(view, colours, 3 * kStepTimeoutMs, 7);
    EXPECT_EQ(ColoursOf(changes), (std::vector<int>{0, 1, 2, 0, 1, 2, 0})) << Describe(changes);
    // after the last loop nothing changes any more: three frames' time, on frame 0
    EXPECT_TRUE(HoldsFor(600, [&] { return ShownColour(view, colours) == 0; })) << "the animation played on";
    for (size_t i = 1; i < changes.size(); ++i) {
        ULONGLONG shown = changes[i].at - changes[i - 1].at;
        // 20 hundredths are 200 ms; hundredths taken as milliseconds would give 20
        EXPECT_GE(shown, 120u) << "frame " << changes[i - 1].colour << ": " << Describe(changes);
    }
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(AnimationTest, AZeroDelayStillAdvancesAtTheFastFrameDefault) {
    const std::vector<COLORREF> colours = {kRed, kBlue};
    HWND view = Open(SolidAnimatedGif(120, 90, {{kRed, 0}, {kBlue, 0}}, 0));
    ASSERT_NE(view, nullptr);

    std::vector<Seen> changes = Watch(view, colours, 2 * kStepTimeoutMs, 6);
    ASSERT_GE(changes.size(), 6u) << "an endless animation with delay 0 did not play: " << Describe(changes);
    for (size_t i = 1; i < changes.size(); ++i)
        EXPECT_NE(changes[i].colour, changes[i - 1].colour);
    // a delay of 0 plays as 10 hundredths, not as fast as the timer can go
    std::vector<ULONGLONG> shown;
    for (size_t i = 2; i < changes.size(); ++i)
        shown.push_back(changes[i].at - changes[i - 1].at);
    std::sort(shown.begin(), shown.end());
    EXPECT_GE(shown[shown.size() / 2], 60u) << Describe(changes);
    EXPECT_TRUE(CloseAndWait(view, process_));
}

TEST_F(AnimationTest, TheSubWindowHoldsFrameZeroAndReturningPlaysFromTheStart) {
    const std::vector<COLORREF> colours = {kRed, kGreen, kBlue};
    HWND view = Open(SolidAnimatedGif(120, 90, {{kRed, 20}, {kGreen, 20}, {kBlue, 20}}, 0));
    ASSERT_NE(view, nullptr);
    std::vector<Seen> playing = Watch(view, colours, 2 * kStepTimeoutMs, 3);
    ASSERT_GE(playing.size(), 3u) << Describe(playing);

    // leave it on another frame than the first, then switch
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return ShownColour(view, colours) > 0; }));
    ASSERT_TRUE(SendRequest(view, L's'));
    std::vector<HWND> subs = FindTopLevelWindows(kSubWindowClass, process_.id(), true);
    ASSERT_EQ(subs.size(), 1u);
    EXPECT_FALSE(IsWindowVisible(view));
    // the SubWindow shows the picture in its image pane
    HWND pane = FindWindowExW(subs[0], nullptr, L"Quorvel_sch1_class", nullptr);
    ASSERT_NE(pane, nullptr);
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] { return ShownColour(pane, colours) == 0; }))
        << "the SubWindow does not show frame 0";
    // and keeps it: five frames' time without a change
    std::vector<Seen> held = Watch(pane, colours, 1000);
    EXPECT_EQ(ColoursOf(held), std::vector<int>{0}) << Describe(held);

    // a second start would hand this to the ViewWindow, hidden or not
    ASSERT_TRUE(SendRequest(view, L'v'));
    ASSERT_TRUE(IsWindowVisible(view));
    std::vector<Seen> again = Watch(view, colours, 2 * kStepTimeoutMs, 3);
    ASSERT_GE(again.size(), 3u) << Describe(again);
    EXPECT_EQ(ColoursOf(again)[0], 0) << Describe(again);
    EXPECT_EQ(ColoursOf(again)[1], 1) << Describe(again);
    EXPECT_EQ(ColoursOf(again)[2], 2) << Describe(again);
    EXPECT_TRUE(CloseAndWait(view, process_));
}

} // namespace
} // namespace qvtest
