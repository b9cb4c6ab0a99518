// The comment editor's rewrite of PNG and JPEG files (counts against a fresh decode, the untouched
// file, the old version in the bin), the text list of the information dialog, and the ANSI
// conversion the texts go through.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "codecs/png_codec.h"
#include "codecs/png_text_list.h"
#include "image/comment_rewrite.h"
#include "image/load_pipeline.h"
#include "jpeg_test_files.h"
#include "platform/platform.h"
#include "test_support.h"

namespace qv {
namespace {

std::string Be32(uint32_t v) {
    const char b[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
    return std::string(b, 4);
}

// Built by the format's definition with zlib's CRC, apart from the codec's chunk helpers.
std::string Chunk(const char* type, const std::string& data, bool goodCrc = true) {
    std::string typed = std::string(type, 4) + data;
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(typed.data()), static_cast<uInt>(typed.size()));
    return Be32(static_cast<uint32_t>(data.size())) + typed + Be32(static_cast<uint32_t>(goodCrc ? crc : crc ^ 1));
}

// Signature and a 1 x 1 grey IHDR: the text walk starts after them.
std::string PngStart() {
    std::string ihdr = Be32(1) + Be32(1) + std::string("\x08\x00\x00\x00\x00", 5);
    return std::string("\x89PNG\r\n\x1a\n", 8) + Chunk("IHDR", ihdr);
}

std::vector<PngTextEntry> TextList(const std::string& file, CodecStatus* status) {
    std::vector<PngTextEntry> entries;
    *status = ReadPngTextListMemory(reinterpret_cast<const uint8_t*>(file.data()), static_cast<uint32_t>(file.size()),
                                    &entries);
    return entries;
}

TEST(PngTextListTest, ListsIntactChunksInOrderUpToSixteen) {
    std::string file = PngStart();
    file += Chunk("tEXt", std::string("Title\0first", 11));
    file += Chunk("tEXt", std::string("Bad\0crc", 7), false);
    file += Chunk("tEXt", std::string("\0no keyword", 11));
    file += Chunk("zTXt", std::string("Z\0\0x", 4));
    file += Chunk("tEXt", std::string("E\x1bsc\0a\x1b[1mb", 11));
    file += Chunk("tEXt", std::string(100, 'k')); // no NUL in the window: keyword only, cut to 79
    CodecStatus status;
    std::vector<PngTextEntry> e = TextList(file + Chunk("IEND", ""), &status);
    ASSERT_EQ(status, kCodecOk);
    ASSERT_EQ(e.size(), 3u);
    EXPECT_EQ(e[0].keyword, "Title");
    EXPECT_EQ(e[0].text, "first");
    EXPECT_EQ(e[1].keyword, "Esc");
    EXPECT_EQ(e[1].text, "a[1mb");
    EXPECT_EQ(e[2].keyword, std::string(79, 'k'));
    EXPECT_EQ(e[2].text, "");

    // a text longer than the window is cut to 1024 bytes
    std::string longText = PngStart() + Chunk("tEXt", "K" + std::string(1, '\0') + std::string(2000, 't'));
    e = TextList(longText + Chunk("IEND", ""), &status);
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].text.size(), 1024u);

    // twenty chunks list the first sixteen, and the walk stops there: no IEND is needed
    std::string many = PngStart();
    for (int i = 0; i < 20; ++i)
        many += Chunk("tEXt", "K" + std::to_string(i) + std::string(1, '\0') + "v");
    e = TextList(many, &status);
    EXPECT_EQ(status, kCodecOk);
    ASSERT_EQ(e.size(), 16u);
    EXPECT_EQ(e[15].keyword, "K15");
}

TEST(PngTextListTest, FailsWhenTheWalkCannotEndProperly) {
    CodecStatus status;
    std::string one = Chunk("tEXt", std::string("A\0b", 3));
    TextList(PngStart() + one, &status); // the bytes end before IEND
    EXPECT_EQ(status, kCodecCannotOpen);
    TextList(PngStart() + one + Be32(0x80000000u) + "IEND", &status);
    EXPECT_EQ(status, kCodecCannotOpen);
    TextList(PngStart() + Chunk("IEND", ""), &status); // nothing to list
    EXPECT_EQ(status, kCodecCannotOpen);
    TextList("GIF89a" + one + Chunk("IEND", ""), &status);
    EXPECT_EQ(status, kCodecCannotOpen);
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
    return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

LoadInfo FreshLoadInfo(const std::wstring& path) {
    ImageBuffer* image = AllocImageRecord();
    LoadInfo info;
    CodecStatus status = kCodecOk;
    EXPECT_TRUE(DecodeFile(path.c_str(), LoadOptions(), false, image, &info, &status)) << status;
    FreeImageRecord(image);
    return info;
}

class CommentRewriteTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CreateDirectoryPath(temp.c_str())); }
    // The bin holds a file with exactly these bytes; it is taken out again.
    bool BinHolds(const std::string& bytes) {
        std::wstring found;
        ListDirectory(RecycleFolder(), [&](const DirEntry& e) {
            std::wstring path = JoinPath(RecycleFolder(), e.name);
            if (found.empty() && qvtest::ReadFileBytes(path) == bytes) found = path;
        });
        return !found.empty() && DeleteFilePath(found.c_str());
    }
    bool TempFolderEmpty() {
        bool empty = true;
        ListDirectory(temp, [&](const DirEntry&) { empty = false; });
        return empty;
    }
    qvtest::ScratchDir dir;
    std::wstring temp = dir.File(L"temp");
};

TEST_F(CommentRewriteTest, PngCommentAddedRaisesBothCountsAsAFreshLoadReports) {
    ImageBuffer* image = AllocImageRecord();
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(image, 4, 3, 24, &status));
    std::wstring path = dir.File(L"a.png");
    ASSERT_EQ(WritePngFile(path.c_str(), *image, PngWriteOptions()), kCodecOk);
    FreeImageRecord(image);
    std::string before = qvtest::ReadFileBytes(path);
    EXPECT_EQ(ReadFileComment(path, kFormatPng), "");

    LoadInfo info = FreshLoadInfo(path);
    CommentRewrite r;
    ASSERT_TRUE(RewriteFileComment(path, kFormatPng, "caf\xe9", temp, &info, &r));
    EXPECT_TRUE(r.wrote);
    EXPECT_EQ(r.delta, 1);
    LoadInfo fresh = FreshLoadInfo(path);
    EXPECT_EQ(info.textPresent, fresh.textPresent);
    EXPECT_EQ(info.commentPresent, fresh.commentPresent);
    EXPECT_EQ(fresh.commentPresent, 1);
    EXPECT_EQ(ReadFileComment(path, kFormatPng), "caf\xe9");
    FILETIME now{};
    ASSERT_TRUE(GetFileFacts(path.c_str(), nullptr, &now));
    EXPECT_TRUE(SameTime(now, r.newTime));
    EXPECT_TRUE(BinHolds(before)); // the old version went to the bin, not away
    EXPECT_TRUE(TempFolderEmpty());

    // a long comment opens whole: writing it back unchanged keeps every byte
    std::string longText(3000, 'c');
    ASSERT_TRUE(RewriteFileComment(path, kFormatPng, longText, temp, &info, &r));
    EXPECT_EQ(ReadFileComment(path, kFormatPng), longText);
    EXPECT_EQ(r.delta, 0);
    EXPECT_EQ(info.commentPresent, 1);
}

TEST_F(CommentRewriteTest, JpegCommentRemovedAndEmptyTextLeavesAFileWithoutOneUntouched) {
    std::wstring path = dir.File(L"a.jpg");
    ASSERT_TRUE(qvtest::WriteTestJpeg(path, 16, 8, 0));
    std::string plain = qvtest::ReadFileBytes(path);
    FILETIME plainTime{};
    ASSERT_TRUE(GetFileFacts(path.c_str(), nullptr, &plainTime));

    LoadInfo info = FreshLoadInfo(path);
    CommentRewrite r;
    ASSERT_TRUE(RewriteFileComment(path, kFormatJpeg, "", temp, &info, &r));
    EXPECT_FALSE(r.wrote);
    EXPECT_EQ(qvtest::ReadFileBytes(path), plain);
    FILETIME t{};
    ASSERT_TRUE(GetFileFacts(path.c_str(), nullptr, &t));
    EXPECT_TRUE(SameTime(t, plainTime));
    EXPECT_TRUE(TempFolderEmpty());

    ASSERT_TRUE(RewriteFileComment(path, kFormatJpeg, "note", temp, &info, &r));
    EXPECT_EQ(info.commentPresent, 1);
    EXPECT_TRUE(BinHolds(plain));
    std::string commented = qvtest::ReadFileBytes(path);
    ASSERT_TRUE(RewriteFileComment(path, kFormatJpeg, "", temp, &info, &r));
    EXPECT_EQ(r.delta, -1);
    EXPECT_EQ(info.commentPresent, 0);
    EXPECT_EQ(info.commentPresent, FreshLoadInfo(path).commentPresent);
    EXPECT_EQ(info.textPresent, 0); // a JPEG's text count is its EXIF mark, which a comment leaves
    EXPECT_EQ(qvtest::ReadFileBytes(path), plain);
    EXPECT_TRUE(BinHolds(commented));
}

TEST_F(CommentRewriteTest, FailuresLeaveFileAndCountsAlone) {
    std::wstring path = dir.File(L"bad.png");
    std::string bytes = PngStart() + Be32(0x7FFFFFF0u) + "tEXt"; // the chunk list is cut short
    ASSERT_TRUE(qvtest::WriteFileBytes(path, bytes));
    LoadInfo info;
    info.textPresent = info.commentPresent = 3;
    CommentRewrite r;
    EXPECT_FALSE(RewriteFileComment(path, kFormatPng, "x", temp, &info, &r));
    EXPECT_FALSE(RewriteFileComment(dir.File(L"missing.jpg"), kFormatJpeg, "x", temp, &info, &r));
    EXPECT_FALSE(RewriteFileComment(path, kFormatPng, "x", dir.File(L"no-such-folder"), &info, &r));
    EXPECT_EQ(info.textPresent, 3);
    EXPECT_EQ(info.commentPresent, 3);
    EXPECT_EQ(qvtest::ReadFileBytes(path), bytes);
    EXPECT_TRUE(TempFolderEmpty());
}

TEST(AnsiTextTest, WideToAnsiIsTheReverseOfTheSystemPageAndCutsToTheLimit) {
    std::wstring text = L"\u20ac caf\u00e9 \u2122";
    std::string ansi = WideToAnsi(text, 100);
    EXPECT_EQ(ansi, "\x80 caf\xe9 \x99");
    EXPECT_EQ(AnsiToWide(reinterpret_cast<const uint8_t*>(ansi.data()), ansi.size()), text);
    EXPECT_EQ(WideToAnsi(L"\u65e5x", 100), "?x"); // outside the page
    EXPECT_EQ(WideToAnsi(std::wstring(5000, L'a'), kCommentMaxBytes).size(), kCommentMaxBytes);
}

} // namespace
} // namespace qv
