// Saving in the real Quorvel.exe: saving over a file follows what the file holds, not its name,
// and replaces it only with a complete new file.
#include <windows.h>

#include <gtest/gtest.h>

#include "codecs/jpeg_codec.h"
#include "e2e_support_win.h"
#include "image/format_detect.h"
#include "platform/platform.h"

namespace qvtest {
namespace {

constexpr UINT kCmdSaveOver = 5013;

class SaveE2eTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.Create(QuietSettings())); }
    void TearDown() override {
        if (view_) CloseAndWait(view_, process_);
    }
    void Open(const std::wstring& path, const std::wstring& size) {
        process_ = Launch(folder_.exePath(), {path});
        ASSERT_TRUE(process_.valid());
        view_ = WaitForProcessWindow(process_, kViewWindowClass);
        ASSERT_NE(view_, nullptr);
        ASSERT_TRUE(WaitForTitleContaining(view_, size)) << qv::WideToUtf8(WindowTitle(view_));
    }
    // Waits until the file's last-write time moves past `before`.
    bool WaitForRewrite(const std::wstring& path, const FILETIME& before, DWORD timeoutMs = 15000) {
        for (DWORD waited = 0; waited < timeoutMs; waited += kPollIntervalMs) {
            FILETIME now{};
            if (qv::GetFileFacts(path.c_str(), nullptr, &now) && CompareFileTime(&now, &before) != 0) return true;
            PumpMessages(kPollIntervalMs);
        }
        return false;
    }

    ProgramFolder folder_;
    ScratchDir images_;
    ProcessOwner process_;
    HWND view_ = nullptr;
};

TEST_F(SaveE2eTest, SavingOverAPngNamedJpegKeepsItJpeg) {
    qv::ImageBuffer* image = qv::AllocImageRecord();
    qv::CodecStatus status = qv::kCodecOk;
    ASSERT_TRUE(qv::PrepareImage(image, 64, 48, 24, &status));
    for (uint32_t y = 0; y < 48; ++y)
        for (uint32_t x = 0; x < 64 * 3; ++x)
            qv::ImageRowFromTop(image, y)[x] = static_cast<uint8_t>(x * 3 + y);
    std::wstring path = images_.File(L"photo.png");
    qv::JpegEncodeOptions options;
    options.quality = 97;
    qv::JpegContext ctx;
    ASSERT_TRUE(qv::WriteJpegFile(*image, path.c_str(), options, &ctx));
    qv::FreeImageRecord(image);
    std::string before = ReadFileBytes(path);
    FILETIME written{};
    ASSERT_TRUE(qv::GetFileFacts(path.c_str(), nullptr, &written));
    // make the rewrite visible in the file time even on coarse clocks
    FILETIME older = written;
    older.dwHighDateTime -= 1;
    HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFileTime(file, nullptr, nullptr, &older);
    CloseHandle(file);

    Open(path, L"64x48");
    ASSERT_TRUE(PostCommand(view_, kCmdSaveOver));
    ASSERT_TRUE(WaitForRewrite(path, older));
    EXPECT_EQ(qv::DetectFormatFromFile(path.c_str()), qv::kFormatJpeg);
    std::string after = ReadFileBytes(path);
    EXPECT_NE(after, before); // re-encoded at the save quality
    EXPECT_GT(after.size(), 100u);
}

} // namespace
} // namespace qvtest
