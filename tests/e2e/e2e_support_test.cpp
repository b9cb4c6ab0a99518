// The end-to-end helpers themselves, on windows and processes of the test: a helper that reads
// pixels or arguments wrongly would make every later test lie.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include "e2e_support_win.h"

namespace qvtest {
namespace {

LRESULT CALLBACK TwoColourProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        RECT client;
        GetClientRect(window, &client);
        RECT left = client, right = client;
        left.right = right.left = client.right / 2;
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
        FillRect(dc, &left, red);
        FillRect(dc, &right, blue);
        DeleteObject(red);
        DeleteObject(blue);
        EndPaint(window, &ps);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

TEST(E2eSupportTest, CapturesTheClientAreaTopRowFirst) {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = TwoColourProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"qvtest_two_colour";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    HWND window = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"capture", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                                  200, 150, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    UpdateWindow(window);

    // what the screen shows catches up with the painting a little later
    Capture capture;
    ASSERT_TRUE(WaitUntil(kStepTimeoutMs, [&] {
        return CaptureClientArea(window, &capture) && capture.Pixel(2, 2) == RGB(255, 0, 0) &&
               capture.Pixel(capture.width - 3, capture.height - 3) == RGB(0, 0, 255);
    })) << "the capture never showed the two halves";
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(capture.width, client.right);
    EXPECT_EQ(capture.height, client.bottom);
    EXPECT_EQ(capture.Pixel(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(capture.Pixel(capture.width - 3, capture.height - 3), RGB(0, 0, 255));
    EXPECT_FALSE(capture.IsUniform());
    // the one-pixel probe reads the same points
    EXPECT_EQ(ClientPixel(window, 2, 2), RGB(255, 0, 0));
    EXPECT_EQ(ClientPixel(window, client.right - 3, client.bottom - 3), RGB(0, 0, 255));
    DestroyWindow(window);
}

TEST(E2eSupportTest, QuotedArgumentsSplitBackUnchanged) {
    const std::vector<std::wstring> args = {L"plain", L"with space", L"", L"C:\\dir\\", L"a\"b", L"C:\\dir with\\"};
    std::wstring line = L"prog.exe";
    for (const std::wstring& arg : args)
        line += L" " + QuoteArgument(arg);
    int count = 0;
    LPWSTR* split = CommandLineToArgvW(line.c_str(), &count);
    ASSERT_NE(split, nullptr);
    ASSERT_EQ(count, static_cast<int>(args.size()) + 1);
    for (size_t i = 0; i < args.size(); ++i)
        EXPECT_EQ(split[i + 1], args[i]) << i;
    LocalFree(split);
}

TEST(E2eSupportTest, SolidBmpHasTheColourInEveryPixel) {
    std::string bytes = SolidBmpBytes(3, 2, RGB(10, 20, 30));
    ASSERT_EQ(bytes.size(), 14u + 40u + 2u * 12u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<uint8_t>(bytes[54]), 30); // blue first
    EXPECT_EQ(static_cast<uint8_t>(bytes[56]), 10);
    EXPECT_EQ(static_cast<uint8_t>(bytes[54 + 12 + 6 + 2]), 10);
}

TEST(E2eSupportTest, StandInRecordsCopyDataAndWaitsAreBounded) {
    FakeInstanceWindow fake;
    ASSERT_TRUE(fake.Create(L"qvtest_stand_in", false));
    const char payload[] = "abc";
    EXPECT_EQ(SendCopyData(fake.window(), 5, payload, 3), TRUE);
    ASSERT_EQ(fake.received().size(), 1u);
    EXPECT_EQ(fake.received()[0].kind, 5u);
    EXPECT_EQ(fake.received()[0].bytes, "abc");

    ProcessOwner none;
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(WaitForProcessWindow(none, L"qvtest_stand_in", 200), nullptr);
    EXPECT_LT(GetTickCount64() - start, 5000u);
}

} // namespace
} // namespace qvtest
