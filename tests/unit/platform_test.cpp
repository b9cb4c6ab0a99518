#include <gtest/gtest.h>

#include <cstring>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "model/image_buffer.h"
#include "platform/crc32.h"
#include "platform/platform.h"
#include "platform/text_buffer.h"
#include "test_support.h"

namespace qv {
namespace {

TEST(TextBufferTest, GrowthKeepsBlockWhileRoomRemainsAndRoundsNewBlocksTo64Bytes) {
    TextBuffer text;
    ASSERT_TRUE(text.Reserve(1));
    EXPECT_EQ(text.capacityBytes, (1 * sizeof(wchar_t) + 64) & ~63u);
    wchar_t* first = text.data;
    // a block is kept while it has room for n characters and the terminator
    uint32_t fits = text.capacityBytes / sizeof(wchar_t) - 1;
    ASSERT_TRUE(text.Reserve(fits));
    EXPECT_EQ(text.data, first);
    ASSERT_TRUE(text.Reserve(fits + 1));
    EXPECT_EQ(text.capacityBytes % 64, 0u);
    EXPECT_GE(text.capacityBytes, (fits + 2) * sizeof(wchar_t));
}

TEST(TextBufferTest, AppendAndSetKeepContentAndTerminator) {
    TextBuffer text;
    EXPECT_STREQ(text.c_str(), L"");
    ASSERT_TRUE(text.Set(L"C:\\photos"));
    ASSERT_TRUE(text.Append(L"\\a.png"));
    EXPECT_EQ(text.str(), L"C:\\photos\\a.png");
    EXPECT_EQ(text.length, 15u);
    EXPECT_EQ(text.data[text.length], 0);
    std::wstring long_text(1000, L'x');
    ASSERT_TRUE(text.Append(long_text.c_str()));
    EXPECT_EQ(text.length, 1015u);
    EXPECT_EQ(text.str().substr(0, 9), L"C:\\photos");
    ASSERT_TRUE(text.Set(L"b"));
    EXPECT_EQ(text.str(), L"b");
}

TEST(Crc32Test, MatchesTheStandardCheckValue) {
    const char* digits = "123456789";
    EXPECT_EQ(Crc32Update(0, reinterpret_cast<const uint8_t*>(digits), 9), 0xCBF43926u);
    // continuing in pieces gives the same value
    uint32_t crc = Crc32Update(0, reinterpret_cast<const uint8_t*>(digits), 4);
    EXPECT_EQ(Crc32Update(crc, reinterpret_cast<const uint8_t*>(digits) + 4, 5), 0xCBF43926u);
}

TEST(MappedFileTest, MapsWholeFileAndRefusesEmptyOrMissing) {
    qvtest::ScratchDir dir;
    std::wstring path = dir.File(L"data.bin");
    ASSERT_TRUE(qvtest::WriteFileBytes(path, "hello"));
    MappedFile map;
    ASSERT_TRUE(MapWholeFile(path.c_str(), MapMode::ReadOnly, &map));
    ASSERT_EQ(map.size, 5u);
    EXPECT_EQ(std::memcmp(map.view, "hello", 5), 0);
    EXPECT_NE(map.lastWrite.dwHighDateTime, 0u);

    MappedFile copy;
    ASSERT_TRUE(MapWholeFile(path.c_str(), MapMode::CopyOnWrite, &copy));
    copy.view[0] = 'j';
    copy.Close();
    EXPECT_EQ(qvtest::ReadFileBytes(path), "hello"); // patched pages never reach the file

    std::wstring empty = dir.File(L"empty.bin");
    ASSERT_TRUE(qvtest::WriteFileBytes(empty, ""));
    EXPECT_FALSE(MapWholeFile(empty.c_str(), MapMode::ReadOnly, &map));
    EXPECT_FALSE(MapWholeFile(dir.File(L"missing").c_str(), MapMode::ReadOnly, &map));
    EXPECT_FALSE(MapWholeFile(dir.path().c_str(), MapMode::ReadOnly, &map));
}

TEST(FilesTest, TempFilesListingAndUtf8Names) {
    qvtest::ScratchDir dir;
    std::wstring temp;
    ASSERT_TRUE(CreateTempFile(dir.path(), &temp));
    EXPECT_TRUE(PathExists(temp.c_str()));
    std::wstring name = temp.substr(dir.path().size() + 1);
    EXPECT_EQ(name.substr(0, 3), L"tmp");
    std::wstring unicode = dir.File(L"\u65e5\u672c.bmp");
    ASSERT_TRUE(qvtest::WriteFileBytes(unicode, "BM"));
    int seen = 0;
    ASSERT_TRUE(ListDirectory(dir.path(), [&](const DirEntry& e) {
        if (e.name == L"\u65e5\u672c.bmp") {
            EXPECT_EQ(e.size, 2u);
            ++seen;
        }
    }));
    EXPECT_EQ(seen, 1);
    EXPECT_TRUE(DeleteFilePath(unicode.c_str()));
    EXPECT_FALSE(PathExists(unicode.c_str()));
}

#ifndef _WIN32
// The shell deletes a relative path for good instead of recycling it; the bin takes only fully
// qualified paths, and a relative one stays where it is.
TEST(FilesTest, OnlyAFullyQualifiedPathGoesToTheRecycleBin) {
    qvtest::ScratchDir dir;
    ASSERT_TRUE(qvtest::WriteFileBytes(dir.File(L"relative.png"), "kept"));
    std::string previous(4096, '\0');
    ASSERT_NE(getcwd(previous.data(), previous.size()), nullptr);
    ASSERT_EQ(chdir(WideToUtf8(dir.path()).c_str()), 0);
    bool recycled = RecycleFile(L"relative.png") == RecycleResult::Recycled;
    ASSERT_EQ(chdir(previous.c_str()), 0);
    EXPECT_FALSE(recycled);
    EXPECT_EQ(qvtest::ReadFileBytes(dir.File(L"relative.png")), "kept");
    EXPECT_EQ(RecycleFile(dir.File(L"relative.png").c_str()), RecycleResult::Recycled);
    EXPECT_FALSE(PathExists(dir.File(L"relative.png").c_str()));
}
#endif

TEST(PixelBlockTest, StrideAndSizeRules) {
    EXPECT_EQ(ImageStride(1, 24), 4u);
    EXPECT_EQ(ImageStride(3, 8), 4u);
    EXPECT_EQ(ImageStride(5, 8), 8u);
    CodecStatus status = kCodecOk;
    // 1x1 at 24 bits: 4 bytes of row and 4 spare bytes, all zero and writable
    uint8_t* block = AllocPixelBlock(1, 1, 24, &status);
    ASSERT_NE(block, nullptr);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(block[i], 0);
    block[7] = 1;
    FreePixelBlock(block);
    // stride x height beyond 32 bits is refused before allocating
    EXPECT_EQ(AllocPixelBlock(30000, 60000, 24, &status), nullptr);
    EXPECT_EQ(status, kCodecNotSupported);
    EXPECT_EQ(AllocPixelBlock(0, 10, 8, &status), nullptr);
}

} // namespace
} // namespace qv
