// quorvel-cli end to end: convert a PNG to JPEG and TIFF and back, `info` naming the format,
// `info` on an animated GIF listing its frames, and `edit` parsing and running its operations.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
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
#include "rar_builder.h"
#include "test_support.h"
#include "zip_builder.h"

namespace qv {
namespace {

#ifdef QV_CLI_PATH
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
#ifndef QV_CLI_PATH
    GTEST_SKIP() << "this tree builds no quorvel-cli";
#else
    std::string cli = QV_CLI_PATH;
    ASSERT_TRUE(PathExists(Utf8ToWide(cli).c_str())) << cli << " was not built";
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
#ifndef QV_CLI_PATH
    GTEST_SKIP() << "this tree builds no quorvel-cli";
#else
    std::string cli = QV_CLI_PATH;
    ASSERT_TRUE(PathExists(Utf8ToWide(cli).c_str())) << cli << " was not built";
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
#ifndef QV_CLI_PATH
    GTEST_SKIP() << "this tree builds no quorvel-cli";
#else
    std::string cli = QV_CLI_PATH;
    ASSERT_TRUE(PathExists(Utf8ToWide(cli).c_str())) << cli << " was not built";
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

// `list` reaches RAR archives through our library beside the converter as it reaches ZIPs, and
// `--all` shows every member of either kind in archive order, images or not.
TEST(Cli, ListReachesRarAndAllShowsEveryMember) {
#ifndef QV_CLI_PATH
    GTEST_SKIP() << "this tree builds no quorvel-cli";
#else
    std::string cli = QV_CLI_PATH;
    qvtest::ScratchDir dir;
    auto u = [](const std::wstring& w) { return "'" + WideToUtf8(w) + "'"; };
    std::string bmp = "BM not really";
    const std::wstring zip = dir.File(L"m.zip"), rar = dir.File(L"m.rar");
    ASSERT_TRUE(qvtest::WriteFileBytes(zip, qvtest::BuildZip({{"z.txt", "text"}, {"in/b.bmp", bmp}, {"a.bmp", bmp}})));
    ASSERT_TRUE(
        qvtest::WriteFileBytes(rar, qvtest::BuildStoredRar({{"z.txt", "text"}, {"in/b.bmp", bmp}, {"a.bmp", bmp}})));
    int rc = -1;
    std::string images = RunShell(cli + " list " + u(rar), &rc);
    EXPECT_EQ(rc, 0) << images;
    EXPECT_EQ(images, "2\t13\t2025-03-07 12:00:00\ta.bmp\n1\t13\t2025-03-07 12:00:00\tin\\b.bmp\n") << images;
    for (const std::wstring& archive : {zip, rar}) {
        std::string all = RunShell(cli + " list --all " + u(archive), &rc);
        EXPECT_EQ(rc, 0) << all;
        size_t z = all.find("\tz.txt\n"), b = all.find("\tin\\b.bmp\n"), a = all.find("\ta.bmp\n");
        EXPECT_TRUE(z != std::string::npos && z < b && b < a && a != std::string::npos) << all;
    }
#endif
}

TEST(Cli, EditRunsTheGeometryOperationsInOrderAndRefusesBadValues) {
#ifndef QV_CLI_PATH
    GTEST_SKIP() << "this tree builds no quorvel-cli";
#else
    std::string cli = QV_CLI_PATH;
    ASSERT_TRUE(PathExists(Utf8ToWide(cli).c_str())) << cli << " was not built";
    qvtest::ScratchDir dir;
    auto u = [](const std::wstring& w) { return "'" + WideToUtf8(w) + "'"; };
    ImageBuffer* src = AllocImageRecord();
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(src, 20, 10, 24, &status));
    ImageRowFromTop(src, 0)[2] = 255; // the top-left pixel is red, the rest black
    std::wstring in = dir.File(L"in.png"), out = dir.File(L"out.bmp");
    ASSERT_EQ(WritePngFile(in.c_str(), *src, PngWriteOptions{}), kCodecOk);
    FreeImageRecord(src);

    const struct {
        const char* ops;
        int rc;
        int32_t width, height; // of the written file
        uint32_t x, y, bgr;    // one pixel of it, counted from the top
    } kCases[] = {
        // clockwise, then mirrored: the red corner goes to the top right, then back to the top left
        {"--rotate 90 --flip h", 0, 10, 20, 0, 0, 0xFF0000},
        {"--flip v", 0, 20, 10, 0, 9, 0xFF0000},
        // the background belongs to the turn it follows; the picture sits 2 and 3 pixels in
        {"--turn 90.0 --background 00FF00", 0, 15, 25, 0, 0, 0x00FF00},
        {"--turn 90 --rotate 180", 0, 15, 25, 14, 24, 0xFFFFFF},
        {"--margins 1,2,3,4 --colour 0000FF", 0, 27, 13, 3, 1, 0xFF0000},
        {"--resize 40x20", 0, 40, 20, 0, 0, 0xFF0000},
        {"--trim 0,0,4,1", 0, 5, 2, 0, 0, 0xFF0000},
        {"--resize 41x10", 2, 0, 0, 0, 0, 0},
        {"--resize 0x5", 2, 0, 0, 0, 0, 0},
        {"--trim 0,0,20,9", 2, 0, 0, 0, 0, 0},
        {"--trim 5,2,3,7", 2, 0, 0, 0, 0, 0},
        {"--turn 180.05", 2, 0, 0, 0, 0, 0},
        {"--turn 12,5", 2, 0, 0, 0, 0, 0},
        {"--turn 10 --background", 2, 0, 0, 0, 0, 0},
        {"--background 00FF00", 2, 0, 0, 0, 0, 0},
        {"--margins 1,1,-1,1", 2, 0, 0, 0, 0, 0},
        {"--rotate 45", 2, 0, 0, 0, 0, 0},
    };
    for (const auto& c : kCases) {
        std::remove(WideToUtf8(out).c_str());
        int rc = -1;
        std::string text = RunShell(cli + " edit " + u(in) + " " + u(out) + " " + c.ops, &rc);
        ASSERT_EQ(rc, c.rc) << c.ops << ": " << text;
        if (c.rc != 0) {
            EXPECT_FALSE(PathExists(out.c_str())) << c.ops;
            EXPECT_NE(text.find("edit: "), std::string::npos) << c.ops;
            continue;
        }
        ImageBuffer* got = AllocImageRecord();
        LoadInfo li;
        ASSERT_TRUE(DecodeFile(out.c_str(), LoadOptions{}, false, got, &li, &status)) << c.ops;
        EXPECT_EQ(got->header.biWidth, c.width) << c.ops;
        EXPECT_EQ(got->header.biHeight, c.height) << c.ops;
        const uint8_t* p = ImageRowFromTop(got, c.y) + c.x * 3;
        EXPECT_EQ(static_cast<uint32_t>(p[2] << 16 | p[1] << 8 | p[0]), c.bgr) << c.ops;
        FreeImageRecord(got);
    }
#endif
}

TEST(Cli, EditCompositesASecondFileWithItsOptions) {
#ifndef QV_CLI_PATH
    GTEST_SKIP() << "this tree builds no quorvel-cli";
#else
    std::string cli = QV_CLI_PATH;
    qvtest::ScratchDir dir;
    auto u = [](const std::wstring& w) { return "'" + WideToUtf8(w) + "'"; };
    CodecStatus status = kCodecOk;
    ImageBuffer* base = AllocImageRecord();
    ASSERT_TRUE(PrepareImage(base, 6, 4, 24, &status)); // black
    ImageBuffer* overlay = AllocImageRecord();
    ASSERT_TRUE(PrepareImage(overlay, 2, 2, 24, &status));
    for (int y = 0; y < 2; ++y) // green, with a white top-left pixel
        for (int x = 0; x < 2; ++x)
            std::memcpy(ImageRowFromTop(overlay, y) + x * 3, x + y == 0 ? "\xFF\xFF\xFF" : "\x00\xC8\x00", 3);
    std::wstring in = dir.File(L"in.png"), over = dir.File(L"over@2.png"), out = dir.File(L"out.bmp");
    ASSERT_EQ(WritePngFile(in.c_str(), *base, PngWriteOptions{}), kCodecOk);
    ASSERT_EQ(WritePngFile(over.c_str(), *overlay, PngWriteOptions{}), kCodecOk);
    FreeImageRecord(base);
    FreeImageRecord(overlay);
    const std::string at = " --composite " + u(over);
    const struct {
        std::string ops;
        int rc;
        uint32_t x, y, bgr; // one pixel of the result, from the top
    } kCases[] = {
        // the file name holds an @ of its own; the last one gives the place, clipped at the right
        {at.substr(0, at.size() - 1) + "@5,-1'", 0, 5, 0, 0x00C800},
        {at.substr(0, at.size() - 1) + "@5,-1'", 0, 4, 0, 0x000000},
        {at.substr(0, at.size() - 1) + "@1,1' --opacity 50 --mode screen", 0, 2, 2, 0x006400},
        {at.substr(0, at.size() - 1) + "@1,1' --transparent FFFFFF", 0, 1, 1, 0x000000},
        {at.substr(0, at.size() - 1) + "@1,1' --mode multiply", 0, 1, 1, 0x000000},
        {at.substr(0, at.size() - 1) + "@1,1' --mode dodge", 2, 0, 0, 0},
        {at.substr(0, at.size() - 1) + "@1,1' --opacity 101", 2, 0, 0, 0},
        {at.substr(0, at.size() - 1) + "@1,1' --opacity 5 --opacity 6", 2, 0, 0, 0},
        {at.substr(0, at.size() - 1) + "'", 2, 0, 0, 0},
        {" --composite " + u(dir.File(L"missing.png")) + "@0,0", 1, 0, 0, 0},
        {" --mode screen", 2, 0, 0, 0},
    };
    for (const auto& c : kCases) {
        std::remove(WideToUtf8(out).c_str());
        int rc = -1;
        std::string text = RunShell(cli + " edit " + u(in) + " " + u(out) + c.ops, &rc);
        ASSERT_EQ(rc, c.rc) << c.ops << ": " << text;
        if (c.rc != 0) {
            EXPECT_FALSE(PathExists(out.c_str())) << c.ops;
            continue;
        }
        ImageBuffer* got = AllocImageRecord();
        LoadInfo li;
        ASSERT_TRUE(DecodeFile(out.c_str(), LoadOptions{}, false, got, &li, &status)) << c.ops;
        const uint8_t* p = ImageRowFromTop(got, c.y) + c.x * 3;
        EXPECT_EQ(static_cast<uint32_t>(p[2] << 16 | p[1] << 8 | p[0]), c.bgr) << c.ops;
        FreeImageRecord(got);
    }
#endif
}

TEST(Cli, EditRunsToneOperationsInOrderAndRefusesBadValues) {
#ifndef QV_CLI_PATH
    GTEST_SKIP() << "this tree builds no quorvel-cli";
#else
    std::string cli = QV_CLI_PATH;
    ASSERT_TRUE(PathExists(Utf8ToWide(cli).c_str())) << cli << " was not built";
    qvtest::ScratchDir dir;
    auto u = [](const std::wstring& w) { return "'" + WideToUtf8(w) + "'"; };
    int rc = -1;
    CodecStatus status = kCodecOk;
    ImageBuffer* image = AllocImageRecord();
    ASSERT_TRUE(PrepareImage(image, 3, 1, 24, &status));
    const uint8_t row[9] = {100, 0, 250, 100, 0, 250, 100, 0, 250};
    std::copy(row, row + 9, image->pixels);
    std::wstring in = dir.File(L"in.bmp"), out = dir.File(L"out.bmp");
    ASSERT_TRUE(WriteBmpFile(in.c_str(), *image, 24, false, &status));

    // levels black 10, white 240, gamma 0 map 100 to 99; then the negative: 156. The other way
    // round: 155, then 160.
    LoadInfo info;
    RunShell(cli + " edit " + u(in) + " " + u(out) + " --levels 10,240,0 --negative", &rc);
    ASSERT_EQ(rc, 0);
    ASSERT_TRUE(DecodeFile(out.c_str(), LoadOptions{}, false, image, &info, &status));
    EXPECT_EQ(image->pixels[0], 156);
    EXPECT_EQ(image->pixels[1], 255);
    EXPECT_EQ(image->pixels[2], 0);
    RunShell(cli + " edit " + u(in) + " " + u(out) + " --negative --levels 10,240,0", &rc);
    ASSERT_EQ(rc, 0);
    ASSERT_TRUE(DecodeFile(out.c_str(), LoadOptions{}, false, image, &info, &status));
    EXPECT_EQ(image->pixels[0], 160);

    // an 8-bit picture stays 8-bit: its palette is posterized
    ASSERT_TRUE(PrepareImage(image, 2, 1, 8, &status));
    image->palette[1] = {100, 200, 30, 0};
    image->pixels[1] = 1;
    ASSERT_TRUE(WriteBmpFile(in.c_str(), *image, 8, false, &status));
    RunShell(cli + " edit " + u(in) + " " + u(out) + " --posterize 2", &rc);
    ASSERT_EQ(rc, 0);
    ASSERT_TRUE(DecodeFile(out.c_str(), LoadOptions{}, false, image, &info, &status));
    EXPECT_EQ(image->header.biBitCount, 8);
    const RGBQUAD& c = image->palette[image->pixels[1]];
    EXPECT_EQ(c.rgbBlue, 0);
    EXPECT_EQ(c.rgbGreen, 255);
    EXPECT_EQ(c.rgbRed, 0);

    for (const char* bad :
         {"--levels 240,10,0", "--levels 0,255", "--posterize 33", "--hls 1,2", "--hls 0,0,0,FFFFFF",
          "--colour-filter 5,100", "--replace-colour 5FA0FF,FF0080,75", "--brightness 256", "--greyscale 1001,0,0"}) {
        std::string err = RunShell(cli + " edit " + u(in) + " " + u(out) + " " + bad, &rc);
        EXPECT_EQ(rc, 2) << bad;
        std::string option(bad, std::strchr(bad, ' '));
        EXPECT_NE(err.find(option + ": "), std::string::npos) << bad << ": " << err;
    }
    std::string help = RunShell(cli + " edit --help", &rc);
    EXPECT_NE(help.find("--levels BLACK,WHITE,GAMMA"), std::string::npos) << help;
    FreeImageRecord(image);
#endif
}

TEST(Cli, FilterOperationsExpandPalettesAndRefuseBadValues) {
#ifndef QV_CLI_PATH
    GTEST_SKIP() << "this tree builds no quorvel-cli";
#else
    std::string cli = QV_CLI_PATH;
    ASSERT_TRUE(PathExists(Utf8ToWide(cli).c_str())) << cli << " was not built";
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

#ifdef QV_CLI_PATH
// The grey value of a mask file's pixel (x, y from the top-left), whatever form it was written in.
int MaskValueAt(const std::wstring& path, uint32_t x, uint32_t y) {
    ImageBuffer* image = AllocImageRecord();
    LoadInfo info;
    CodecStatus status = kCodecOk;
    int value = -1;
    if (DecodeFile(path.c_str(), LoadOptions{}, false, image, &info, &status)) {
        const uint8_t* row = ImageRowFromTop(image, y);
        value = image->header.biBitCount == 8 ? image->palette[row[x]].rgbGreen : row[3 * x + 1];
    }
    FreeImageRecord(image);
    return value;
}
#endif

TEST(Cli, EditBuildsLoadsAndChecksSelectionMasks) {
#ifndef QV_CLI_PATH
    GTEST_SKIP() << "this tree builds no quorvel-cli";
#else
    std::string cli = QV_CLI_PATH;
    ASSERT_TRUE(PathExists(Utf8ToWide(cli).c_str())) << cli << " was not built";
    qvtest::ScratchDir dir;
    auto u = [](const std::wstring& w) { return " '" + WideToUtf8(w) + "'"; };
    ImageBuffer* src = AllocImageRecord();
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(src, 6, 4, 8, &status));
    src->palette[1] = {200, 100, 50, 0};
    ImageRowFromTop(src, 3)[5] = 1;
    std::wstring in = dir.File(L"in.png"), mask = dir.File(L"m.png"), again = dir.File(L"m2.bmp");
    PngWriteOptions eight;
    eight.depth = 8;
    ASSERT_EQ(WritePngFile(in.c_str(), *src, eight), kCodecOk);
    FreeImageRecord(src);
    int rc = -1;

    // A rectangle on an 8-bit picture: the mask is written, and the picture came out 24-bit.
    std::string out = RunShell(
        cli + " edit" + u(in) + u(dir.File(L"out.bmp")) + " --select-rect 2,2,1,1 --write-mask" + u(mask), &rc);
    ASSERT_EQ(rc, 0) << out;
    EXPECT_EQ(MaskValueAt(mask, 1, 1), 0);
    EXPECT_EQ(MaskValueAt(mask, 2, 2), 0);
    EXPECT_EQ(MaskValueAt(mask, 0, 0), 255);
    EXPECT_EQ(MaskValueAt(mask, 5, 3), 255);
    ImageBuffer* edited = AllocImageRecord();
    LoadInfo info;
    ASSERT_TRUE(DecodeFile(dir.File(L"out.bmp").c_str(), LoadOptions{}, false, edited, &info, &status));
    EXPECT_EQ(edited->header.biBitCount, 24);
    EXPECT_EQ(ImageRowFromTop(edited, 3)[5 * 3 + 2], 50);
    FreeImageRecord(edited);

    // Loaded back, then added to: both areas editable.
    out = RunShell(cli + " edit" + u(in) + u(dir.File(L"out.png")) + " --mask" + u(mask) +
                       " --select-mode add --select-colour 5,3,0 --write-mask" + u(again),
                   &rc);
    ASSERT_EQ(rc, 0) << out;
    EXPECT_EQ(MaskValueAt(again, 1, 2), 0);
    EXPECT_EQ(MaskValueAt(again, 5, 3), 0);
    EXPECT_EQ(MaskValueAt(again, 4, 3), 255);

    // A masked filter: selected pixels take its result, protected ones keep their bytes.
    ImageBuffer* flat = AllocImageRecord();
    ASSERT_TRUE(PrepareImage(flat, 7, 5, 24, &status));
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 7; ++x) {
            uint8_t* p = ImageRowFromTop(flat, y) + 3 * x;
            p[0] = 40, p[1] = 120, p[2] = 220;
        }
    std::wstring flatPath = dir.File(L"flat.png");
    ASSERT_EQ(WritePngFile(flatPath.c_str(), *flat, PngWriteOptions{}), kCodecOk);
    FreeImageRecord(flat);
    out = RunShell(cli + " edit" + u(flatPath) + u(dir.File(L"edges.bmp")) + " --select-rect 1,1,3,2 --edges", &rc);
    ASSERT_EQ(rc, 0) << out;
    edited = AllocImageRecord();
    ASSERT_TRUE(DecodeFile(dir.File(L"edges.bmp").c_str(), LoadOptions{}, false, edited, &info, &status));
    for (uint32_t y = 0; y < 5; ++y)
        for (uint32_t x = 0; x < 7; ++x) {
            bool selected = x >= 1 && x <= 3 && y >= 1 && y <= 2;
            const uint8_t* p = ImageRowFromTop(edited, y) + 3 * x;
            EXPECT_EQ(p[0], selected ? 0 : 40) << x << "," << y; // a flat picture has no edges
            EXPECT_EQ(p[2], selected ? 0 : 220) << x << "," << y;
        }
    FreeImageRecord(edited);

    // A mask of another size, a missing one and values out of range are refused as bad usage.
    std::wstring wrong = dir.File(L"wrong.png");
    ImageBuffer* small = AllocImageRecord();
    ASSERT_TRUE(PrepareImage(small, 5, 4, 24, &status));
    ASSERT_EQ(WritePngFile(wrong.c_str(), *small, PngWriteOptions{}), kCodecOk);
    FreeImageRecord(small);
    const char* const kRefused[] = {" --mask '/nonexistent/m.png'", " --feather 0",        " --select-colour 6,0,10",
                                    " --select-colour 0,0,256",     " --select-mode more", " --select-rect 1,2,3",
                                    " --select-outline 1,2,3"};
    out = RunShell(cli + " edit" + u(in) + u(dir.File(L"x.png")) + " --mask" + u(wrong), &rc);
    EXPECT_EQ(rc, 2);
    EXPECT_NE(out.find("5 x 4"), std::string::npos) << out;
    for (const char* bad : kRefused) {
        RunShell(cli + " edit" + u(in) + u(dir.File(L"x.png")) + bad, &rc);
        EXPECT_EQ(rc, 2) << bad;
    }
#endif
}

// The brushes without a mouse: a stroke through points from the top-left, the selection mask
// keeping its protected pixels, the fill, and malformed values refused as bad usage.
TEST(Cli, EditPaintsStrokesAndFillsWithTheBrushes) {
#ifndef QV_CLI_PATH
    GTEST_SKIP() << "this tree builds no quorvel-cli";
#else
    std::string cli = QV_CLI_PATH;
    qvtest::ScratchDir dir;
    auto u = [](const std::wstring& w) { return " '" + WideToUtf8(w) + "'"; };
    ImageBuffer* black = AllocImageRecord();
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(PrepareImage(black, 20, 10, 24, &status));
    std::wstring in = dir.File(L"black.png"), out = dir.File(L"out.bmp");
    ASSERT_EQ(WritePngFile(in.c_str(), *black, PngWriteOptions{}), kCodecOk);
    FreeImageRecord(black);
    int rc = -1;
    std::string said = RunShell(cli + " edit" + u(in) + u(out) +
                                    " --select-rect 0,0,9,9 --paint 'FF0000,3,100@2,2;17,2' --correct-fill lighten,50",
                                &rc);
    ASSERT_EQ(rc, 0) << said;
    ImageBuffer* edited = AllocImageRecord();
    LoadInfo info;
    ASSERT_TRUE(DecodeFile(out.c_str(), LoadOptions{}, false, edited, &info, &status));
    const uint8_t* row2 = ImageRowFromTop(edited, 2);
    EXPECT_EQ(row2[5 * 3 + 2], 255); // on the stroke, inside the selection: red
    EXPECT_EQ(row2[5 * 3 + 1], 0);
    EXPECT_EQ(row2[15 * 3 + 2], 0);                      // on the stroke, protected
    EXPECT_EQ(ImageRowFromTop(edited, 6)[5 * 3 + 2], 0); // off the stroke; lightening black stays black
    FreeImageRecord(edited);
    for (const char* bad : {" --paint 'FF0000,2,50@1,1'", " --paint 'FF0000,24,101@1,1'", " --paint 'FF0000,24,50'",
                            " --paint 'FF0000,24,50@1;2'", " --correct 'blur,24@1,1'", " --correct 'soften,24,0@1,1'",
                            " --paint-fill 'FF00,50'", " --correct-fill redeye@1,1"}) {
        RunShell(cli + " edit" + u(in) + u(out) + bad, &rc);
        EXPECT_EQ(rc, 2) << bad;
    }
#endif
}

} // namespace
} // namespace qv
