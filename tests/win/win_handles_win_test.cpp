// The scoped Win32 owners: each frees its handle exactly once, a move hands it on, and a selected
// object goes back out of the DC before its owner deletes it.
#include <windows.h>

#include <gtest/gtest.h>

#include "ui/win_handles_win.h"

namespace qv {
namespace {

TEST(WinHandles, GdiObjectIsDeletedOnceAndFollowsAMove) {
    HBRUSH raw = CreateSolidBrush(RGB(1, 2, 3));
    ASSERT_NE(raw, nullptr);
    {
        GdiObject<HBRUSH> first(raw);
        GdiObject<HBRUSH> second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(second.get(), raw);
        EXPECT_EQ(GetObjectType(raw), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_EQ(GetObjectType(raw), 0u) << "the brush outlived its owner";

    GdiObject<HPEN> kept(CreatePen(PS_SOLID, 1, 0));
    HPEN pen = kept.release();
    EXPECT_FALSE(kept);
    EXPECT_EQ(GetObjectType(pen), static_cast<DWORD>(OBJ_PEN)) << "release() must not free";
    DeleteObject(pen);
}

TEST(WinHandles, SelectedObjectGoesBackBeforeTheObjectIsDeleted) {
    WindowDc screen(nullptr);
    ASSERT_TRUE(screen);
    MemoryDc dc(CreateCompatibleDC(screen.get()));
    ASSERT_TRUE(dc);
    HGDIOBJ before = GetCurrentObject(dc.get(), OBJ_BRUSH);
    HBRUSH raw = nullptr;
    {
        GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(9, 9, 9)));
        raw = brush.get();
        SelectedObject selected(dc.get(), brush.get());
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), raw);
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), before);
    EXPECT_EQ(GetObjectType(raw), 0u) << "a brush still selected into a DC cannot be deleted";
}

TEST(WinHandles, GlobalMemoryIsFreedUnlessReleased) {
    GlobalMemory block(GlobalAlloc(GMEM_MOVEABLE, 16));
    ASSERT_TRUE(block);
    {
        GlobalLock<uint8_t> bytes(block.get());
        ASSERT_TRUE(bytes);
        EXPECT_GE(bytes.size(), 16u);
        bytes.get()[0] = 7;
    }
    EXPECT_EQ(GlobalFlags(block.get()) & GMEM_LOCKCOUNT, 0u) << "the lock outlived its owner";
    HGLOBAL raw = block.release();
    EXPECT_EQ(GlobalFree(raw), nullptr) << "release() must leave the block to its new owner";

    KernelHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), event.get(), GetCurrentProcess(), &copy, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    KernelHandle second(copy);
    event.reset();
    EXPECT_TRUE(SetEvent(second.get())) << "closing one handle must leave the duplicate working";
}

} // namespace
} // namespace qv
