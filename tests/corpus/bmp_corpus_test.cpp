// The BMP suite that Pillow ships: every good file (g/) decodes to the pixels of its reference
// PNG or is one of the forms we refuse on purpose; questionable files (q/) decode or fail with a
// status, and those that decode differently from their reference are the known ones; bad files
// (b/) fail with a status or decode. Every file is decoded from a block that ends at a page
// boundary followed by an inaccessible page, so a read past the end crashes the test.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "codecs/bmp_codec.h"
#include "codecs/decoders.h"
#include "corpus_support.h"
#include "test_support.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

// Every file the decoder refuses, with its status: the forms it does not read by design (run-length
// and embedded compression, top-down rows, 2 bits per pixel, alpha bit fields) and broken files.
const std::map<std::string, CodecStatus> kRefused = {
    {"g/pal4rle.bmp", kCodecNotSupported},     // RLE4
    {"g/pal8rle.bmp", kCodecNotSupported},     // RLE8
    {"g/pal8topdown.bmp", kCodecNotSupported}, // negative height
    {"q/pal4rletrns.bmp", kCodecNotSupported}, // RLE4
    {"q/pal8rletrns.bmp", kCodecNotSupported}, // RLE8
    {"q/rgb24jpeg.bmp", kCodecNotSupported},   // embedded JPEG
    {"q/rgb24png.bmp", kCodecNotSupported},    // embedded PNG
    {"q/pal2.bmp", kCodecNotSupported},        // 2 bits per pixel
    {"q/rgba32abf.bmp", kCodecNotSupported},   // alpha bit fields (compression 6)
    {"b/badbitcount.bmp", kCodecNotSupported}, // no such bit count
    {"b/badrle.bmp", kCodecNotSupported},      // RLE8
    {"b/badwidth.bmp", kCodecNotSupported},    // negative width
    {"b/reallybig.bmp", kCodecNotSupported},   // pixels beyond 32 bits of size
    {"b/shortfile.bmp", kCodecCannotOpen},     // 1-bit rows cut short
    {"b/rletopdown.bmp", kCodecNotSupported},
};

// Files whose references round colour levels otherwise than the file or our decoder does: the
// suite's renderings of the 8-bit files hold 0x2a where the files' palettes say 0x2b, and they
// scale 5-, 6-, 10- and 11-bit fields to the nearest level where we divide down (v * 255 / max).
// One level either way is allowed in these, nothing more.
const std::set<std::string> kLevelRounding = {
    "g/pal8-0.bmp",          "g/pal8.bmp",      "g/pal8nonsquare.bmp", "g/pal8os2.bmp",
    "g/pal8v4.bmp",          "g/pal8v5.bmp",    "g/pal8w124.bmp",      "g/pal8w125.bmp",
    "g/pal8w126.bmp",        "g/rgb16-565.bmp", "g/rgb16-565pal.bmp",  "g/rgb16.bmp",
    "q/pal8offs.bmp",        "q/pal8os2sp.bmp", "q/pal8os2v2.bmp",     "q/pal8os2v2-16.bmp",
    "q/pal8oversizepal.bmp", "q/rgb16-231.bmp", "q/rgb32-111110.bmp",
};

// Questionable files we decode to other pixels than their reference shows, and why.
const std::map<std::string, const char*> kKnownDifferences = {
    {"q/rgba32.bmp", "alpha channel ignored: the picture is shown opaque"},
    {"q/rgba16-4444.bmp", "alpha channel ignored: the picture is shown opaque"},
};

std::string SuiteName(const fs::path& file) {
    return file.parent_path().filename().string() + "/" + file.filename().string();
}

// The suite's page pairs each file ("g/pal8.bmp") with the PNGs that show it rendered correctly;
// a few files have two (square and non-square pixels), told apart here by their size.
std::map<std::string, std::vector<fs::path>> ReferencePngs(const fs::path& html) {
    std::map<std::string, std::vector<fs::path>> refs;
    std::string page = qvtest::ReadFileBytes((html / "bmpsuite.html").wstring());
    for (size_t row = page.find("<tr>"); row != std::string::npos;) {
        size_t next = page.find("<tr>", row + 4);
        std::string text = page.substr(row, next == std::string::npos ? std::string::npos : next - row);
        row = next;
        size_t bmp = text.find(".bmp</td>");
        size_t cell = text.rfind('>', bmp);
        if (bmp == std::string::npos || cell == std::string::npos) continue;
        std::string name = text.substr(cell + 1, bmp + 4 - cell - 1);
        for (size_t src = text.find("src=\""); src != std::string::npos; src = text.find("src=\"", src + 5)) {
            size_t end = text.find('"', src + 5);
            std::string file = text.substr(src + 5, end - src - 5);
            if (file.size() > 4 && file.compare(file.size() - 4, 4, ".png") == 0 && file.find('/') == std::string::npos)
                refs[name].push_back(html / file);
        }
    }
    // the page predates the masks-in-another-order file, which shows the same picture as rgb24
    refs["q/rgb32bf-xbgr.bmp"].push_back(html / "rgb24.png");
    return refs;
}

// A copy of the file's bytes whose last byte is the last of a page, the next page inaccessible.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::string& bytes) {
        const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        const size_t pages = (bytes.size() + page - 1) / page + 1;
        mapSize_ = pages * page;
        void* map = mmap(nullptr, mapSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (map == MAP_FAILED) return;
        map_ = static_cast<uint8_t*>(map);
        mprotect(map_ + mapSize_ - page, page, PROT_NONE);
        data_ = map_ + mapSize_ - page - bytes.size();
        std::memcpy(data_, bytes.data(), bytes.size());
        size_ = static_cast<uint32_t>(bytes.size());
    }
    ~GuardedBytes() {
        if (map_) munmap(map_, mapSize_);
    }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    const uint8_t* data() const { return data_; }
    uint32_t size() const { return size_; }

private:
    uint8_t* map_ = nullptr;
    size_t mapSize_ = 0;
    uint8_t* data_ = nullptr;
    uint32_t size_ = 0;
};

struct Outcome {
    bool decoded = false;
    CodecStatus status = kCodecOk;
    ImageBuffer image{};
    Outcome() = default;
    Outcome(const Outcome&) = delete;
    ~Outcome() { FreeImagePixels(&image); }
};

void Decode(const fs::path& file, Outcome* out) {
    GuardedBytes bytes(qvtest::ReadFileBytes(file.wstring()));
    ASSERT_NE(bytes.data(), nullptr);
    LoadInfo info;
    out->decoded = ReadBmpMemory(bytes.data(), bytes.size(), &out->image, &info, &out->status);
    if (out->decoded) {
        EXPECT_EQ(out->status, kCodecOk);
        ASSERT_NE(out->image.pixels, nullptr);
        EXPECT_EQ(out->image.sourceFormat, kFormatBmp);
        EXPECT_EQ(out->image.fileSize, bytes.size());
        EXPECT_EQ(out->image.header.biBitCount, out->image.sourceBitDepth <= 8 ? 8 : 24);
    } else {
        EXPECT_NE(out->status, kCodecOk);
        EXPECT_EQ(out->image.pixels, nullptr);
    }
}

struct Comparison {
    bool referenced = false; // a reference of our size was found
    long exact = 0;          // pixels unlike the reference
    long beyondRounding = 0; // of them, off by more than one level, or translucent in the reference
    std::string first;       // the first pixel unlike the reference
};

// Our picture against the first reference of its size. A pixel the reference shows translucent
// counts as different: we show every picture opaque.
Comparison Compare(const ImageBuffer& image, const std::vector<fs::path>& references) {
    Comparison c;
    for (const fs::path& path : references) {
        qvtest::PngReference ref;
        if (!qvtest::DecodePngReference(qvtest::ReadFileBytes(path.wstring()), &ref)) continue;
        if (ref.width != static_cast<uint32_t>(image.header.biWidth) ||
            ref.height != static_cast<uint32_t>(image.header.biHeight))
            continue;
        c.referenced = true;
        std::vector<qvtest::Rgb> ours = qvtest::ImageRgb(image);
        for (size_t i = 0; i < ours.size(); ++i) {
            const uint8_t* p = &ref.rgba[4 * i];
            if (ours[i] == qvtest::Rgb{p[0], p[1], p[2]} && p[3] == 255) continue;
            auto near = [](uint8_t a, uint8_t b) { return a + 1 >= b && b + 1 >= a; };
            if (!near(ours[i].r, p[0]) || !near(ours[i].g, p[1]) || !near(ours[i].b, p[2]) || p[3] != 255)
                ++c.beyondRounding;
            if (c.exact++ == 0) {
                char text[120];
                std::snprintf(text, sizeof text, "first at %zu,%zu: ours %02x%02x%02x, reference %02x%02x%02x%02x",
                              i % ref.width, i / ref.width, ours[i].r, ours[i].g, ours[i].b, p[0], p[1], p[2], p[3]);
                c.first = text;
            }
        }
        break;
    }
    return c;
}

// Whether a comparison shows more than the listed rounding of the file.
bool Differs(const std::string& name, const Comparison& c) {
    return c.beyondRounding > 0 || (c.exact > 0 && !kLevelRounding.count(name));
}

std::vector<fs::path> SuiteFiles(char set) {
    std::vector<fs::path> files;
    for (const fs::path& file : qvtest::CorpusFiles({"bmpsuite"}, {".bmp"})) {
        if (file.parent_path().filename() == std::string(1, set)) files.push_back(file);
    }
    return files;
}

// A file is refused exactly when it is listed, and with the listed status.
void CheckRefusal(const std::string& name, const Outcome& outcome) {
    auto refused = kRefused.find(name);
    if (outcome.decoded) {
        EXPECT_EQ(refused, kRefused.end()) << name << " decodes but is listed as refused";
    } else if (refused == kRefused.end()) {
        ADD_FAILURE() << name << " refused with status " << outcome.status << " but not listed";
    } else {
        EXPECT_EQ(outcome.status, refused->second) << name;
    }
}

TEST(BmpCorpusTest, GoodFilesMatchTheirReferencesOrAreRefusedByDesign) {
    std::vector<fs::path> files = SuiteFiles('g');
    ASSERT_FALSE(files.empty()) << "no BMP suite under QV_CORPUS_DIR (scripts/fetch-corpus puts it there)";
    [[maybe_unused]] auto refs = ReferencePngs(files[0].parent_path().parent_path() / "html");
    int compared = 0;
    for (const fs::path& file : files) {
        const std::string name = SuiteName(file);
        Outcome outcome;
        Decode(file, &outcome);
        CheckRefusal(name, outcome);
        if (!outcome.decoded) continue;
        Comparison c = Compare(outcome.image, refs[name]);
        EXPECT_TRUE(c.referenced) << name << ": no reference of our size";
        EXPECT_FALSE(Differs(name, c)) << name << ": " << c.exact << " pixels differ, " << c.beyondRounding
                                       << " by more than rounding, " << c.first;
        ++compared;
    }
    EXPECT_GE(compared, 15);
}

TEST(BmpCorpusTest, QuestionableFilesDecodeOrFailWithAStatus) {
    std::vector<fs::path> files = SuiteFiles('q');
    ASSERT_FALSE(files.empty()) << "no BMP suite under QV_CORPUS_DIR (scripts/fetch-corpus puts it there)";
    [[maybe_unused]] auto refs = ReferencePngs(files[0].parent_path().parent_path() / "html");
    std::set<std::string> differing;
    for (const fs::path& file : files) {
        const std::string name = SuiteName(file);
        Outcome outcome;
        Decode(file, &outcome);
        CheckRefusal(name, outcome);
        if (!outcome.decoded) {
            std::printf("  %-22s refused, status %u\n", name.c_str(), static_cast<unsigned>(outcome.status));
            continue;
        }
        Comparison c = Compare(outcome.image, refs[name]);
        if (c.referenced && Differs(name, c)) {
            differing.insert(name);
            auto known = kKnownDifferences.find(name);
            if (known != kKnownDifferences.end()) std::printf("  %-22s known: %s\n", name.c_str(), known->second);
        }
        if (!c.referenced)
            std::printf("  %-22s decoded, no reference of its size\n", name.c_str());
        else
            std::printf("  %-22s decoded, %ld pixels differ, %ld by more than rounding %s\n", name.c_str(), c.exact,
                        c.beyondRounding, c.first.c_str());
    }
    std::set<std::string> known;
    for (const auto& [name, why] : kKnownDifferences)
        known.insert(name);
    EXPECT_EQ(differing, known);
}

TEST(BmpCorpusTest, BadFilesFailWithAStatusOrDecodeWithinTheirBytes) {
    std::vector<fs::path> files = SuiteFiles('b');
    ASSERT_FALSE(files.empty()) << "no BMP suite under QV_CORPUS_DIR (scripts/fetch-corpus puts it there)";
    for (const fs::path& file : files) {
        const std::string name = SuiteName(file);
        Outcome outcome;
        Decode(file, &outcome);
        CheckRefusal(name, outcome);
        std::printf("  %-22s %s, status %u\n", name.c_str(), outcome.decoded ? "decoded" : "refused",
                    static_cast<unsigned>(outcome.status));
    }
}

// The file form maps the file and gives the same picture as the memory form.
TEST(BmpCorpusTest, FileAndMemoryFormsAgree) {
    std::vector<fs::path> files = qvtest::CorpusFiles({"bmpsuite"}, {".bmp"});
    ASSERT_FALSE(files.empty()) << "no BMP suite under QV_CORPUS_DIR (scripts/fetch-corpus puts it there)";
    for (const fs::path& file : files) {
        const std::string name = SuiteName(file);
        Outcome memory, mapped;
        Decode(file, &memory);
        LoadInfo info;
        mapped.decoded = ReadBmpFile(file.wstring().c_str(), &mapped.image, &info, &mapped.status);
        ASSERT_EQ(mapped.decoded, memory.decoded) << name;
        EXPECT_EQ(mapped.status, memory.status) << name;
        if (!mapped.decoded) continue;
        EXPECT_EQ(qvtest::ImageRgb(mapped.image), qvtest::ImageRgb(memory.image)) << name;
        EXPECT_NE(mapped.image.fileTime.dwLowDateTime | mapped.image.fileTime.dwHighDateTime, 0u) << name;
    }
}

} // namespace
} // namespace qv
