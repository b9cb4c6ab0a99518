#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "test_support.h"

namespace {

uint32_t Le32(const std::string& b, size_t at) {
    const auto* p = reinterpret_cast<const uint8_t*>(b.data()) + at;
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void PutLe32(std::string* b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        (*b)[at + i] = static_cast<char>(v >> (8 * i));
}

std::wstring ReadTextOf(qv::SettingsReader& r, uint32_t slot) {
    qv::TextBuffer t;
    r.ReadText(slot, &t);
    return t.str();
}

// Every read gives its default and a writer afterwards produces a readable file.
void ExpectDefaultsThenRecovers(const std::wstring& path) {
    {
        qv::SettingsReader r;
        r.Open(path);
        for (uint32_t s = 0; s < qv::kSettingsSlotCount; ++s) {
            EXPECT_EQ(r.ReadInt(s, -77), -77) << s;
            EXPECT_EQ(ReadTextOf(r, s), L"") << s;
            EXPECT_TRUE(r.ReadBlobBytes(s).empty()) << s;
        }
        EXPECT_TRUE(r.ReadNameList(208).empty());
    }
    {
        qv::SettingsWriter w;
        ASSERT_TRUE(w.Open(path));
        w.WriteInt(3, 5);
        w.WriteText(0, std::wstring(L"English.dll"));
        EXPECT_TRUE(w.Close());
    }
    qv::SettingsReader r;
    ASSERT_TRUE(r.Open(path));
    EXPECT_EQ(r.ReadInt(3, 0), 5);
    EXPECT_EQ(ReadTextOf(r, 0), L"English.dll");
    std::string bytes = qvtest::ReadFileBytes(path);
    EXPECT_EQ(Le32(bytes, 0), qv::kSettingsHeader);
}

TEST(SettingsFile, RoundTripsIntegersTextsAndBlobs) {
    qvtest::ScratchDir dir;
    std::wstring path = dir.File(L"Quorvel.ini");
    const std::wstring text = L"Bild \u00e9\u65e5\u672c\U0001F600";
    const std::string blob("\x00\x01\xFF\x7F\x80zz", 7);
    {
        qv::SettingsWriter w;
        ASSERT_TRUE(w.Open(path));
        w.WriteInt(1, 1);
        w.WriteInt(10, -14);
        w.WriteInt(71, static_cast<int32_t>(0x80FFFFFF));
        w.WriteText(12, text);
        w.WriteBlob(30, blob.data(), static_cast<uint32_t>(blob.size()));
        w.WriteNameList(208, {L"a.spi", L"", L"b.spi"}, L"");
        ASSERT_TRUE(w.Close());
    }
    std::string bytes = qvtest::ReadFileBytes(path);
    ASSERT_GE(bytes.size(), qv::kSettingsDataStart);
    EXPECT_EQ(Le32(bytes, 0), 0x000100D2u);
    // Slot 10 holds an inline integer.
    EXPECT_EQ(Le32(bytes, 4 + 8 * 10), 1u);
    EXPECT_EQ(Le32(bytes, 4 + 8 * 10 + 4), static_cast<uint32_t>(-14));
    // Slot 12's text is UTF-16LE in the data area, the emoji as a surrogate pair.
    uint32_t at = Le32(bytes, 4 + 8 * 12), len = Le32(bytes, 4 + 8 * 12 + 4);
    EXPECT_GE(at, 1684u);
    const char expect[] = "B\0i\0l\0d\0 \0\xE9\0\xE5\x65\x2C\x67\x3D\xD8\x00\xDE";
    ASSERT_EQ(len, sizeof expect - 1);
    EXPECT_EQ(bytes.substr(at, len), std::string(expect, sizeof expect - 1));

    qv::SettingsReader r;
    ASSERT_TRUE(r.Open(path));
    EXPECT_EQ(r.count(), 210u);
    EXPECT_EQ(r.ReadInt(1, 0), 1);
    EXPECT_EQ(r.ReadInt(10, 0), -14);
    EXPECT_EQ(static_cast<uint32_t>(r.ReadInt(71, 0)), 0x80FFFFFFu);
    EXPECT_EQ(r.ReadInt(2, 42), 42);  // empty slot
    EXPECT_EQ(r.ReadInt(12, 42), 42); // a blob is not an integer
    EXPECT_EQ(ReadTextOf(r, 12), text);
    EXPECT_EQ(r.ReadBlobBytes(30), blob);
    char small[3];
    EXPECT_EQ(r.ReadBlob(30, small, sizeof small), blob.size()); // length only
    EXPECT_EQ(r.ReadNameList(208), (std::vector<std::wstring>{L"a.spi", L"b.spi"}));
}

TEST(SettingsFile, WriterCarriesOverUntouchedSlots) {
    qvtest::ScratchDir dir;
    std::wstring path = dir.File(L"Quorvel.ini");
    {
        qv::SettingsWriter w;
        ASSERT_TRUE(w.Open(path));
        w.WriteText(0, std::wstring(L"Japanese.dll"));
        w.WriteText(191, std::wstring(L"tool text \u00fc"));
        w.WriteInt(150, 12345);
        w.WriteBlob(30, "abcdef", 6);
        ASSERT_TRUE(w.Close());
    }
    // A writer that only rewrites the accelerator table, twice, with a different length.
    for (const char* keys : {"0123456789ab", "xy"}) {
        qv::SettingsWriter w;
        ASSERT_TRUE(w.Open(path));
        w.WriteBlob(30, keys, static_cast<uint32_t>(std::strlen(keys)));
        ASSERT_TRUE(w.Close());
        qv::SettingsReader r;
        ASSERT_TRUE(r.Open(path));
        EXPECT_EQ(ReadTextOf(r, 0), L"Japanese.dll");
        EXPECT_EQ(ReadTextOf(r, 191), L"tool text \u00fc");
        EXPECT_EQ(r.ReadInt(150, 0), 12345);
        EXPECT_EQ(r.ReadBlobBytes(30), keys);
    }
    // A fresh writer keeps nothing.
    {
        qv::SettingsWriter w;
        ASSERT_TRUE(w.Open(path, true));
        w.WriteInt(5, 1);
        ASSERT_TRUE(w.Close());
        qv::SettingsReader r;
        ASSERT_TRUE(r.Open(path));
        EXPECT_EQ(ReadTextOf(r, 0), L"");
        EXPECT_EQ(r.ReadInt(150, -1), -1);
        EXPECT_EQ(r.ReadInt(5, 0), 1);
    }
}

TEST(SettingsFile, BadFilesReadAsDefaultsAndAreRewritten) {
    qvtest::ScratchDir dir;
    // Missing.
    ExpectDefaultsThenRecovers(dir.File(L"missing.ini"));
    // Empty.
    ASSERT_TRUE(qvtest::WriteFileBytes(dir.File(L"empty.ini"), ""));
    ExpectDefaultsThenRecovers(dir.File(L"empty.ini"));
    // Truncated inside the index.
    std::string good;
    {
        qv::SettingsWriter w;
        ASSERT_TRUE(w.Open(dir.File(L"good.ini")));
        w.WriteText(0, std::wstring(L"English.dll"));
        w.WriteInt(3, 9);
        ASSERT_TRUE(w.Close());
        good = qvtest::ReadFileBytes(dir.File(L"good.ini"));
    }
    ASSERT_TRUE(qvtest::WriteFileBytes(dir.File(L"trunc.ini"), good.substr(0, 100)));
    ExpectDefaultsThenRecovers(dir.File(L"trunc.ini"));
    // Random garbage of several lengths.
    std::mt19937 rng(7);
    for (size_t n : {1u, 3u, 17u, 1683u, 1684u, 5000u}) {
        std::string junk(n, '\0');
        for (char& c : junk)
            c = static_cast<char>(rng());
        std::wstring path = dir.File(L"junk" + std::to_wstring(n) + L".ini");
        ASSERT_TRUE(qvtest::WriteFileBytes(path, junk));
        qv::SettingsReader r;
        r.Open(path);
        for (uint32_t s = 0; s < qv::kSettingsSlotCount; ++s) {
            r.ReadInt(s, 0);
            ReadTextOf(r, s);
            r.ReadBlobBytes(s);
        }
        r.ReadNameList(208);
        r.Close();
        qv::SettingsWriter w;
        ASSERT_TRUE(w.Open(path));
        ASSERT_TRUE(w.Close());
        qv::SettingsReader again;
        ASSERT_TRUE(again.Open(path));
        EXPECT_EQ(Le32(qvtest::ReadFileBytes(path), 0), qv::kSettingsHeader);
    }
}

TEST(SettingsFile, DamagedSlotsGiveDefaults) {
    qvtest::ScratchDir dir;
    std::wstring path = dir.File(L"Quorvel.ini");
    {
        qv::SettingsWriter w;
        ASSERT_TRUE(w.Open(path));
        w.WriteText(0, std::wstring(L"English.dll"));
        w.WriteText(12, std::wstring(L"editor.exe"));
        w.WriteText(13, std::wstring(L"viewer.exe"));
        ASSERT_TRUE(w.Close());
    }
    std::string bytes = qvtest::ReadFileBytes(path);
    PutLe32(&bytes, 4 + 8 * 12, static_cast<uint32_t>(bytes.size()) + 100); // offset past the end
    PutLe32(&bytes, 4 + 8 * 13 + 4, 0x7FFFFFFF);                            // longer than the data
    ASSERT_TRUE(qvtest::WriteFileBytes(path, bytes));
    {
        qv::SettingsReader r;
        ASSERT_TRUE(r.Open(path));
        EXPECT_EQ(ReadTextOf(r, 0), L"English.dll");
        EXPECT_EQ(ReadTextOf(r, 12), L"");
        EXPECT_EQ(ReadTextOf(r, 13), L"");
        EXPECT_EQ(r.ReadBlob(13, nullptr, 0), 0u);
    }
    {
        qv::SettingsWriter w;
        ASSERT_TRUE(w.Open(path));
        ASSERT_TRUE(w.Close());
    }
    qv::SettingsReader r;
    ASSERT_TRUE(r.Open(path));
    EXPECT_EQ(ReadTextOf(r, 0), L"English.dll");
    EXPECT_EQ(ReadTextOf(r, 12), L"");
    EXPECT_EQ(ReadTextOf(r, 13), L"");
}

// Files written with a shorter or longer index than ours still carry their blobs over.
TEST(SettingsFile, ForeignIndexLengthsCarryOver) {
    qvtest::ScratchDir dir;
    for (uint32_t count : {5u, 300u}) {
        std::string file(4 + 8 * count, '\0');
        PutLe32(&file, 0, 0x00010000 | count);
        const std::string text("h\0i\0", 4);
        PutLe32(&file, 4, static_cast<uint32_t>(file.size()));
        PutLe32(&file, 8, 4);
        PutLe32(&file, 4 + 8 * 3, 1);
        PutLe32(&file, 4 + 8 * 3 + 4, 77);
        file += text;
        std::wstring path = dir.File(L"n" + std::to_wstring(count) + L".ini");
        ASSERT_TRUE(qvtest::WriteFileBytes(path, file));
        {
            qv::SettingsReader r;
            ASSERT_TRUE(r.Open(path));
            EXPECT_EQ(ReadTextOf(r, 0), L"hi");
            EXPECT_EQ(r.ReadInt(3, 0), 77);
            EXPECT_EQ(r.ReadInt(100, -1), -1);
        }
        {
            qv::SettingsWriter w;
            ASSERT_TRUE(w.Open(path));
            w.WriteInt(100, 4);
            ASSERT_TRUE(w.Close());
        }
        qv::SettingsReader r;
        ASSERT_TRUE(r.Open(path));
        EXPECT_EQ(r.count(), 210u);
        EXPECT_EQ(ReadTextOf(r, 0), L"hi") << count;
        EXPECT_EQ(r.ReadInt(3, 0), 77);
        EXPECT_EQ(r.ReadInt(100, 0), 4);
    }
}

} // namespace
