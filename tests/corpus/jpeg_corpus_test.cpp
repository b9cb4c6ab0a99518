// The JPEG codec against third-party files and libjpeg-turbo's own tools: decoded pixels equal
// djpeg's, orientations and camera names equal exiftool's, lossless outputs equal jpegtran's in the
// entropy-coded data.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "codecs/exif.h"
#include "codecs/jpeg_codec.h"
#include "corpus_support.h"
#include "platform/platform.h"
#include "test_support.h"

namespace qv {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> CorpusJpegs() {
    return qvtest::CorpusFiles({"jpegimages", "exifimages"}, {".jpg", ".jpeg"});
}

bool HaveTool(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Quote(const fs::path& p) {
    return qvtest::ShellQuoted(p.string());
}

std::vector<uint8_t> Load(const fs::path& p) {
    std::string s = qvtest::ReadFileBytes(p.wstring());
    return std::vector<uint8_t>(s.begin(), s.end());
}

// A binary PGM or PPM: width, height, channels and the samples.
struct Pnm {
    int width = 0, height = 0, channels = 0;
    std::string samples;
};
bool ParsePnm(const std::string& data, Pnm* pnm) {
    std::istringstream in(data);
    std::string magic;
    int maxValue = 0;
    in >> magic >> pnm->width >> pnm->height >> maxValue;
    if ((magic != "P5" && magic != "P6") || maxValue != 255) return false;
    in.get();
    pnm->channels = magic == "P5" ? 1 : 3;
    pnm->samples = data.substr(static_cast<size_t>(in.tellg()));
    return pnm->samples.size() == static_cast<size_t>(pnm->width) * pnm->height * pnm->channels;
}

TEST(JpegCorpusTest, DecodedPixelsEqualDjpeg) {
    auto files = CorpusJpegs();
    ASSERT_FALSE(files.empty()) << "no JPEG corpus under QV_CORPUS_DIR (scripts/fetch-corpus puts it there)";
    ASSERT_TRUE(HaveTool("djpeg")) << "djpeg (libjpeg-turbo-progs, installed by scripts/setup-deps) not found";
    int compared = 0;
    for (const fs::path& f : files) {
        SCOPED_TRACE(f.string());
        std::vector<uint8_t> bytes = Load(f);
        ImageBuffer image{};
        JpegContext ctx;
        bool ours = DecodeJpeg(bytes.data(), static_cast<uint32_t>(bytes.size()), &image, &ctx);
        std::string out;
        bool theirs = qvtest::RunCommandOutput("djpeg -pnm " + Quote(f) + " 2>/dev/null", &out);
        Pnm ref;
        if (!theirs || !ParsePnm(out, &ref)) {
            // The library refuses the file (a 12-bit one, a stripped EXIF sample): so must we.
            EXPECT_FALSE(ours);
            FreeImagePixels(&image);
            continue;
        }
        ASSERT_TRUE(ours) << ctx.status;
        ASSERT_EQ(image.header.biWidth, ref.width);
        ASSERT_EQ(image.header.biHeight, ref.height);
        ASSERT_EQ(image.header.biBitCount, ref.channels == 1 ? 8 : 24);
        size_t mismatches = 0;
        for (int y = 0; y < ref.height; ++y) {
            const uint8_t* row = ImageRowFromTop(&image, y);
            const uint8_t* want = reinterpret_cast<const uint8_t*>(ref.samples.data()) +
                                  static_cast<size_t>(y) * ref.width * ref.channels;
            for (int x = 0; x < ref.width; ++x) {
                if (ref.channels == 1) {
                    mismatches += row[x] != want[x];
                } else {
                    // ours is blue-green-red, the PPM red-green-blue
                    mismatches += row[3 * x] != want[3 * x + 2] || row[3 * x + 1] != want[3 * x + 1] ||
                                  row[3 * x + 2] != want[3 * x];
                }
            }
        }
        EXPECT_EQ(mismatches, 0u);
        ++compared;
        FreeImagePixels(&image);
    }
    EXPECT_GE(compared, 3);
}

// exiftool's facts per file name: orientation, make, model, ISO, thumbnail length.
std::map<std::string, std::vector<std::string>> ExiftoolFacts(const std::vector<fs::path>& files) {
    std::string command =
        "exiftool -n -T -FileName -EXIF:Orientation -EXIF:Make -EXIF:Model -EXIF:ISO -EXIF:ThumbnailLength";
    for (const fs::path& f : files)
        command += " " + Quote(f);
    // exiftool ends with 1 when one of the files lacks a tag; the rows it printed still hold
    std::string out;
    qvtest::RunCommandOutput(command + " 2>/dev/null", &out);
    std::map<std::string, std::vector<std::string>> facts;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> cols;
        std::istringstream fields(line);
        std::string col;
        while (std::getline(fields, col, '\t'))
            cols.push_back(col);
        if (cols.size() == 6) facts[cols[0]] = cols;
    }
    return facts;
}

std::string TrimRight(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\0'))
        s.pop_back();
    return s;
}

TEST(JpegCorpusTest, OrientationCameraAndThumbnailEqualExiftool) {
    auto files = CorpusJpegs();
    ASSERT_FALSE(files.empty()) << "no JPEG corpus under QV_CORPUS_DIR (scripts/fetch-corpus puts it there)";
    ASSERT_TRUE(HaveTool("exiftool")) << "exiftool (installed by scripts/setup-deps) not found";
    auto facts = ExiftoolFacts(files);
    ASSERT_FALSE(facts.empty());
    int withExif = 0, sawTurned = 0, thumbnails = 0;
    for (const fs::path& f : files) {
        SCOPED_TRACE(f.string());
        auto it = facts.find(f.filename().string());
        ASSERT_NE(it, facts.end());
        const auto& col = it->second;
        std::vector<uint8_t> bytes = Load(f);
        uint32_t size = static_cast<uint32_t>(bytes.size());
        int orientation = col[1] == "-" ? 1 : std::atoi(col[1].c_str());
        int expected = orientation == 3 || orientation == 6 || orientation == 8 ? orientation : 1;
        EXPECT_EQ(ReadExifOrientation(bytes.data(), size), expected);
        sawTurned += expected != 1;

        ExifInfo info;
        if (!ReadExifInfo(bytes.data(), size, &info, nullptr)) continue;
        ++withExif;
        if (col[2] != "-") {
            EXPECT_EQ(TrimRight(WideToUtf8(info.items[0].value)), TrimRight(col[2]));
        }
        if (col[3] != "-") {
            EXPECT_EQ(TrimRight(WideToUtf8(info.items[1].value)), TrimRight(col[3]));
        }
        if (col[4] != "-") {
            EXPECT_EQ(WideToUtf8(info.items[22].value).substr(0, col[4].size()), col[4]);
        }
        ExifThumbnail thumb;
        CodecStatus status = kCodecOk;
        bool found = FindExifThumbnail(bytes.data(), size, &thumb, &status);
        if (found) {
            EXPECT_EQ(std::to_string(thumb.length), col[5]);
            ++thumbnails;
        }
    }
    EXPECT_GE(withExif, 5);
    EXPECT_GE(sawTurned, 1);
    std::printf("%d files with EXIF, %d thumbnails compared\n", withExif, thumbnails);
}

// The bytes from the first SOS marker to the end: the entropy-coded image data.
std::string ScanData(const std::string& jpeg) {
    size_t p = 2;
    while (p + 4 <= jpeg.size() && static_cast<uint8_t>(jpeg[p]) == 0xFF) {
        uint8_t code = static_cast<uint8_t>(jpeg[p + 1]);
        if (code == 0xDA) return jpeg.substr(p);
        p += 2 + (static_cast<uint8_t>(jpeg[p + 2]) << 8 | static_cast<uint8_t>(jpeg[p + 3]));
    }
    return std::string();
}

TEST(JpegCorpusTest, LosslessOutputsEqualJpegtran) {
    auto files = CorpusJpegs();
    ASSERT_FALSE(files.empty()) << "no JPEG corpus under QV_CORPUS_DIR (scripts/fetch-corpus puts it there)";
    ASSERT_TRUE(HaveTool("jpegtran")) << "jpegtran (libjpeg-turbo-progs, installed by scripts/setup-deps) not found";
    struct Case {
        int32_t transform;
        const char* args;
    } transforms[] = {{kTransformNone, ""},
                      {kTransformFlipH, "-flip horizontal"},
                      {kTransformFlipV, "-flip vertical"},
                      {kTransformTurn90, "-rotate 90"},
                      {kTransformTurn180, "-rotate 180"},
                      {kTransformTurn270, "-rotate 270"}};
    qvtest::ScratchDir dir;
    int compared = 0;
    for (const fs::path& f : files) {
        std::string ignored;
        if (!qvtest::RunCommandOutput("djpeg " + Quote(f) + " >/dev/null 2>&1", &ignored))
            continue; // the library cannot read it
        for (const Case& c : transforms) {
            for (int variant = 0; variant < 4; ++variant) {
                bool trim = variant & 1, grey = variant == 2, progressive = variant == 3;
                SCOPED_TRACE(f.string() + " " + c.args + " variant " + std::to_string(variant));
                JpegTransformOptions o;
                o.transform = c.transform;
                o.trim = trim;
                o.forceGrey = grey;
                o.progressive = progressive;
                std::wstring out = dir.File(L"out.jpg");
                JpegContext ctx;
                ASSERT_TRUE(TransformJpegFile(f.wstring().c_str(), out.c_str(), o, &ctx));
                std::string command = "jpegtran -optimize -copy none " + std::string(c.args) + (trim ? " -trim" : "") +
                                      (grey ? " -grayscale" : "") + (progressive ? " -progressive" : "") + " " +
                                      Quote(f);
                std::string ref;
                ASSERT_TRUE(qvtest::RunCommandOutput(command + " 2>/dev/null", &ref));
                std::string ours = qvtest::ReadFileBytes(out);
                std::string oursScan = ScanData(ours);
                ASSERT_FALSE(oursScan.empty());
                EXPECT_TRUE(oursScan == ScanData(ref));
                ++compared;
            }
        }
    }
    EXPECT_GE(compared, 24);
}

} // namespace
} // namespace qv
