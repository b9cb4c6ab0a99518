// quorvel-cli.exe with `--plugins DIR` under Wine: `info` and `convert` read Netpbm files through
// the shipped plug-in and `list` lists a TAR archive through the other, as the viewer would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codecs/bmp_codec.h"
#include "e2e_support_win.h"
#include "tar_builder.h"
#include "test_support.h"

namespace qv {
namespace {

using qvtest::ScratchDir;
using qvtest::WriteFileBytes;

// Runs quorvel-cli.exe with the arguments; its standard output, and the exit code in `code`.
std::string RunCli(const std::vector<std::wstring>& args, DWORD* code) {
    *code = 9999;
    std::wstring line = qvtest::QuoteArgument(qvtest::ProductBinDir() + L"\\quorvel-cli.exe");
    for (const std::wstring& a : args)
        line += L" " + qvtest::QuoteArgument(a);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {};
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{sizeof startup};
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION process{};
    BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                                  &startup, &process);
    CloseHandle(writeEnd);
    std::string out;
    if (started) {
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
            out.append(buffer, got);
        WaitForSingleObject(process.hProcess, qvtest::kExitTimeoutMs);
        GetExitCodeProcess(process.hProcess, code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(readEnd);
    return out;
}

class PluginsCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(qvtest::CopyPlugins(qvtest::ShippedPluginDir(), {L"netpbm.spi", L"tar.spi"}, plugins_.path()));
    }
    ScratchDir plugins_, files_;
};

TEST_F(PluginsCliTest, InfoAndConvertReadNetpbmThroughThePlugin) {
    std::wstring ppm = files_.File(L"colours.ppm");
    ASSERT_TRUE(WriteFileBytes(ppm, std::string("P6 2 1 65535\n\xFF\xFF\x00\x00\x00\x00\x00\x00\x80\x00\xFF\xFF", 25)));
    DWORD code = 0;
    std::string info = RunCli({L"info", L"--plugins", plugins_.path(), ppm}, &code);
    EXPECT_EQ(code, 0u) << info;
    EXPECT_NE(info.find("format: plug-in"), std::string::npos) << info;
    EXPECT_NE(info.find("width: 2"), std::string::npos) << info;
    EXPECT_NE(info.find("source bit depth: 48"), std::string::npos) << info;
    // without the plug-ins the file is not an image
    RunCli({L"info", ppm}, &code);
    EXPECT_EQ(code, 1u);

    std::wstring bmp = files_.File(L"colours.bmp");
    std::string out = RunCli({L"convert", ppm, bmp, L"--plugins", plugins_.path()}, &code);
    ASSERT_EQ(code, 0u) << out;
    ImageBuffer image{};
    LoadInfo loadInfo;
    CodecStatus status = kCodecOk;
    ASSERT_TRUE(ReadBmpFile(bmp.c_str(), &image, &loadInfo, &status));
    const uint8_t* row = ImageRowFromTop(&image, 0);
    EXPECT_EQ(row[2], 255); // red
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[3], 255); // blue of the second pixel
    EXPECT_EQ(row[4], 128); // green 0x8000 reduced to 8 bits
    FreeImagePixels(&image);
    RunCli({L"convert", ppm, bmp, L"--plugins"}, &code);
    EXPECT_EQ(code, 2u);
}

TEST_F(PluginsCliTest, ListShowsTheImageMembersOfATar) {
    std::vector<qvtest::TarEntry> entries = {{"b/two.pgm", std::string("P5 1 1 255\n\x10", 12)},
                                             {"notes.txt", "text"},
                                             {"one.bmp", qvtest::SolidBmpBytes(2, 2, RGB(1, 2, 3))}};
    std::wstring tar = files_.File(L"x.tar");
    ASSERT_TRUE(WriteFileBytes(tar, qvtest::BuildTar(entries)));
    DWORD code = 0;
    std::string listed = RunCli({L"list", tar, L"--plugins", plugins_.path()}, &code);
    ASSERT_EQ(code, 0u) << listed;
    // root members first, then folders; the text file is no image
    size_t one = listed.find("\tone.bmp"), two = listed.find("\tb\\two.pgm");
    EXPECT_NE(one, std::string::npos) << listed;
    EXPECT_NE(two, std::string::npos) << listed;
    EXPECT_LT(one, two);
    EXPECT_EQ(listed.find("notes.txt"), std::string::npos);
    RunCli({L"list", tar}, &code);
    EXPECT_EQ(code, 1u);
}

} // namespace
} // namespace qv
