// quorvel-cli end to end: convert a PNG to JPEG and TIFF and back, `info` naming the format, and
// `info` on an animated GIF listing its frames.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "animated_gif.h"
#include "codecs/bmp_codec.h"
#include "codecs/decoders.h"
#include "codecs/png_codec.h"
#include "image/load_pipeline.h"
#include "model/image_buffer.h"
#include "platform/platform.h"
#include "test_support.h"
#include "zip_builder.h"

namespace qv {
namespace {

#ifndef _WIN32
std::string RunShell(const std::string& command, int* rc) {
    std::string out;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    int status = pclose(pipe);
    *rc = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return out;
}
#endif

TEST(Cli, ConvertRoundTripsAndInfo) {
#ifdef _WIN32
    GTEST_SKIP() << "runs the native binary";
#else
    std::string cli = WideToUtf8(qvtest::BinaryDir()) + "/quorvel-cli";
    // the sanitizer build has no converter
    if (!PathExists(Utf8ToWide(cli).c_str())) GTEST_SKIP() << "quorvel-cli not built here";
    qvtest::ScratchDir dir;
    ImageBuffer* src = AllocImageRecord();
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(src, 16, 9, 24, &status));
    for (uint32_t y = 0; y < 9; ++y)
        for (uint32_t x = 0; x < 16; ++x) {
            uint8_t* p = ImageRowFromTop(src, y) + x * 3;
            p[0] = 40, p[1] = 120, p[2] = 220;
        }
    std::wstring png = dir.File(L"in.png");
    ASSERT_EQ(WritePngFile(png.c_str(), *src, PngWriteOptions{}), kCodecOk);
    auto u = [](const std::wstring& w) { return "'" + WideToUtf8(w) + "'"; };

    int rc = -1;
    const struct {
        const wchar_t* mid;
        const char* name;
        bool lossy;
    } kForms[] = {{L"mid.jpg", "JPEG", true}, {L"mid.tif", "TIFF", false}, {L"mid.bmp", "BMP", false}};
    for (const auto& form : kForms) {
        std::wstring mid = dir.File(form.mid), back = dir.File(L"back.png");
        RunShell(cli + " convert " + u(png) + " " + u(mid), &rc);
        ASSERT_EQ(rc, 0) << form.name;
        std::string info = RunShell(cli + " info " + u(mid), &rc);
        EXPECT_EQ(rc, 0);
        EXPECT_NE(info.find(std::string("format: ") + form.name), std::string::npos) << info;
        EXPECT_NE(info.find("width: 16"), std::string::npos) << info;
        RunShell(cli + " convert " + u(mid) + " " + u(back), &rc);
        ASSERT_EQ(rc, 0);

        ImageBuffer* out = AllocImageRecord();
        LoadInfo li;
        ASSERT_TRUE(DecodeFile(back.c_str(), LoadOptions{}, false, out, &li, &status));
        ASSERT_EQ(out->header.biWidth, 16);
        ASSERT_EQ(out->header.biHeight, 9);
        const uint8_t* p = ImageRowFromTop(out, 4) + 8 * 3;
        int tolerance = form.lossy ? 6 : 0;
        EXPECT_NEAR(p[0], 40, tolerance);
        EXPECT_NEAR(p[1], 120, tolerance);
        EXPECT_NEAR(p[2], 220, tolerance);
        FreeImageRecord(out);
    }

    std::string err = RunShell(cli + " convert " + u(dir.File(L"missing.png")) + " " + u(dir.File(L"x.png")), &rc);
    EXPECT_EQ(rc, 1);
    EXPECT_FALSE(err.empty());
    RunShell(cli + " convert " + u(png), &rc);
    EXPECT_EQ(rc, 2);
    RunShell(cli + " convert " + u(png) + " " + u(dir.File(L"x.unknown")), &rc);
    EXPECT_EQ(rc, 2);
    FreeImageRecord(src);
#endif
}

TEST(Cli, InfoListsTheFramesOfAnAnimatedGif) {
#ifdef _WIN32
    GTEST_SKIP() << "runs the native binary";
#else
    std::string cli = WideToUtf8(qvtest::BinaryDir()) + "/quorvel-cli";
    // the sanitizer build has no converter
    if (!PathExists(Utf8ToWide(cli).c_str())) GTEST_SKIP() << "quorvel-cli not built here";
    qvtest::ScratchDir dir;
    auto u = [](const std::wstring& w) { return "'" + WideToUtf8(w) + "'"; };
    int rc = -1;

    std::wstring animated = dir.File(L"anim.gif");
    ASSERT_TRUE(qvtest::WriteFileBytes(
        animated, qvtest::SolidAnimatedGif(8, 6, {{0x0000FF, 20}, {0x00FF00, 0}, {0xFF0000, 1}, {0xFFFFFF, 35}}, 3)));
    std::string info = RunShell(cli + " info " + u(animated), &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_NE(info.find("format: GIF"), std::string::npos) << info;
    EXPECT_NE(info.find("animation: 4 frames, loop count 3\n"), std::string::npos) << info;
    // the file's delays, and what a 0 or 1 plays as
    EXPECT_NE(info.find("  frame 1: delay 20/100 s\n"
                        "  frame 2: delay 0/100 s (plays as 10/100 s)\n"
                        "  frame 3: delay 1/100 s (plays as 10/100 s)\n"
                        "  frame 4: delay 35/100 s\n"),
              std::string::npos)
        << info;

    std::wstring endless = dir.File(L"endless.gif");
    ASSERT_TRUE(qvtest::WriteFileBytes(endless, qvtest::SolidAnimatedGif(4, 4, {{0x000000, 5}, {0xFFFFFF, 5}}, 0)));
    info = RunShell(cli + " info " + u(endless), &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_NE(info.find("animation: 2 frames, loop count 0 (endless)\n"), std::string::npos) << info;

    // one image, even with a loop block, is no animation
    std::wstring still = dir.File(L"still.gif");
    ASSERT_TRUE(qvtest::WriteFileBytes(still, qvtest::SolidAnimatedGif(4, 4, {{0x123456, 5}}, 1)));
    info = RunShell(cli + " info " + u(still), &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_NE(info.find("format: GIF"), std::string::npos) << info;
    EXPECT_EQ(info.find("animation:"), std::string::npos) << info;
#endif
}

// A member is named as the viewer's title names it, ARCHIVE::inner\\name (either slash), so that
// a script reaches what the viewer opens.
TEST(Cli, InfoAndConvertReachArchiveMembers) {
#ifdef _WIN32
    GTEST_SKIP() << "runs the native binary";
#else
    std::string cli = WideToUtf8(qvtest::BinaryDir()) + "/quorvel-cli";
    if (!PathExists(Utf8ToWide(cli).c_str())) GTEST_SKIP() << "quorvel-cli not built here";
    qvtest::ScratchDir dir;
    auto u = [](const std::wstring& w) { return "'" + WideToUtf8(w) + "'"; };
    std::wstring gif = dir.File(L"a.gif");
    ASSERT_TRUE(qvtest::WriteFileBytes(gif, qvtest::SolidAnimatedGif(7, 5, {{0x0000FF, 20}, {0x00FF00, 20}}, 0)));
    const std::wstring zip = dir.File(L"set.zip");
    ASSERT_TRUE(qvtest::WriteFileBytes(
        zip, qvtest::BuildZip({{"trip/day 1/a.gif", qvtest::ReadFileBytes(gif), true}, {"b.gif", "GIF89a damaged"}})));
    int rc = -1;
    std::string info = RunShell(cli + " info " + u(zip + L"::trip\\day 1\\a.gif"), &rc);
    EXPECT_EQ(rc, 0) << info;
    EXPECT_NE(info.find("format: GIF"), std::string::npos) << info;
    EXPECT_NE(info.find("width: 7"), std::string::npos) << info;
    EXPECT_NE(info.find("animation: 2 frames"), std::string::npos) << info; // the sections see the member

    std::wstring out = dir.File(L"out.bmp");
    RunShell(cli + " convert " + u(zip + L"::TRIP/day 1/A.GIF") + " " + u(out), &rc);
    EXPECT_EQ(rc, 0);
    ImageBuffer* image = AllocImageRecord();
    LoadInfo li;
    CodecStatus status = kCodecOk;
    EXPECT_TRUE(DecodeFile(out.c_str(), LoadOptions{}, false, image, &li, &status));
    EXPECT_EQ(image->header.biWidth, 7);
    FreeImageRecord(image);

    RunShell(cli + " info " + u(zip + L"::b.gif"), &rc);
    EXPECT_EQ(rc, 1); // listed but not decodable
    std::string err = RunShell(cli + " info " + u(zip + L"::missing.gif"), &rc);
    EXPECT_EQ(rc, 1);
    EXPECT_FALSE(err.empty());
#endif
}

TEST(Cli, FilterOperationsExpandPalettesAndRefuseBadValues) {
#ifdef _WIN32
    GTEST_SKIP() << "runs the native binary";
#else
    std::string cli = WideToUtf8(qvtest::BinaryDir()) + "/quorvel-cli";
    if (!PathExists(Utf8ToWide(cli).c_str())) GTEST_SKIP() << "quorvel-cli not built here";
    qvtest::ScratchDir dir;
    auto u = [](const std::wstring& w) { return "'" + WideToUtf8(w) + "'"; };
    auto writePalette = [&](const std::wstring& path, uint32_t w, uint32_t h) {
        ImageBuffer* image = AllocImageRecord();
        CodecStatus status = kCodecOk;
        bool ok = PrepareImage(image, w, h, 8, &status);
        if (ok) {
            image->palette[3] = RGBQUAD{40, 120, 220, 0};
            for (uint32_t y = 0; y < h; ++y)
                std::memset(ImageRowFromTop(image, y), 3, w);
            ok = WriteBmpFile(path.c_str(), *image, 8, false, &status);
        }
        FreeImageRecord(image);
        return ok;
    };
    std::wstring in = dir.File(L"flat.bmp"), small = dir.File(L"small.bmp"), out = dir.File(L"out.bmp");
    ASSERT_TRUE(writePalette(in, 7, 5));
    ASSERT_TRUE(writePalette(small, 4, 5));
    int rc = -1;
    // a flat palette image: the filters run on its 24-bit expansion
    const struct {
        const char* ops;
        uint8_t b, g, r;
    } kFlat[] = {{"--edges", 0, 0, 0},
                 {"--soften 0,10", 40, 120, 220},
                 {"--mosaic 3,2,1,1", 60, 140, 240} /* its first tile column: lightened */,
                 {"--emboss 1,16,0", 127, 127, 127}};
    for (const auto& k : kFlat) {
        std::string said = RunShell(cli + " edit " + u(in) + " " + u(out) + " " + k.ops, &rc);
        ASSERT_EQ(rc, 0) << k.ops << ": " << said;
        ImageBuffer* image = AllocImageRecord();
        LoadInfo li;
        CodecStatus status = kCodecOk;
        ASSERT_TRUE(DecodeFile(out.c_str(), LoadOptions{}, false, image, &li, &status));
        EXPECT_EQ(image->header.biBitCount, 24) << k.ops;
        const uint8_t* p = ImageRowFromTop(image, 4) + 6 * 3; // the bottom-right corner
        EXPECT_EQ(p[0], k.b) << k.ops;
        EXPECT_EQ(p[1], k.g) << k.ops;
        EXPECT_EQ(p[2], k.r) << k.ops;
        FreeImageRecord(image);
    }
    RunShell(cli + " edit " + u(small) + " " + u(out) + " --unsharp 3,20", &rc);
    EXPECT_EQ(rc, 1); // narrower than 5 pixels
    for (const char* bad : {"--soften 0,11", "--soften 2,21", "--mosaic 1,5", "--mosaic 4,4,1,2", "--jitter 0,5",
                            "--emboss 8,1", "--unsharp 3", "--focus 201", "--denoise 256"}) {
        RunShell(cli + " edit " + u(in) + " " + u(out) + " " + bad, &rc);
        EXPECT_EQ(rc, 2) << bad;
    }
#endif
}
} // namespace
} // namespace qv
