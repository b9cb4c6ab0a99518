#include "test_support.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "platform/platform.h"

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace qvtest {

namespace fs = std::filesystem;

ScratchDir::ScratchDir() {
    static std::atomic<unsigned> counter{0};
    std::random_device rd;
    fs::path base = fs::temp_directory_path() / ("qvtest-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    fs::create_directories(base);
    path_ = base.wstring();
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    fs::remove_all(fs::path(path_), ec);
}

std::wstring ScratchDir::File(const std::wstring& name) const {
    return qv::JoinPath(path_, name);
}

std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    qv::ReadWholeFile(path.c_str(), &bytes);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    qv::OutputFile out;
    return out.Create(path.c_str()) && out.Write(bytes.data(), bytes.size()) && out.Close();
}

static std::wstring EnvPath(const char* name) {
    const char* value = std::getenv(name);
    return value ? qv::Utf8ToWide(value) : std::wstring();
}

std::wstring CorpusDir() {
    return EnvPath("QV_CORPUS_DIR");
}
// ctest hands each discovered test one environment variable only, so the trees' folders are
// also compiled in.
std::wstring SourceDir() {
    std::wstring dir = EnvPath("QV_SOURCE_DIR");
    return dir.empty() ? qv::Utf8ToWide(QV_TEST_SOURCE_DIR) : dir;
}

std::wstring BinaryDir() {
    std::wstring dir = EnvPath("QV_BINARY_DIR");
    return dir.empty() ? qv::Utf8ToWide(QV_TEST_BINARY_DIR) : dir;
}

namespace {
void (*g_beforeTimeoutExit)() = nullptr;
} // namespace

void SetBeforeTimeoutExit(void (*hook)()) {
    g_beforeTimeoutExit = hook;
}

void RunBeforeTimeoutExit() {
    if (g_beforeTimeoutExit) g_beforeTimeoutExit();
}

uint8_t DefinedBlendValue(uint32_t a, uint32_t v) {
    if (a == 0 || v == 0) return 0;
    if (a == 255) return static_cast<uint8_t>(v);
    if (v == 255) return static_cast<uint8_t>(a);
    uint32_t small = a < v ? a : v, large = a < v ? v : a;
    return static_cast<uint8_t>((large * (small * 65536u / 255u) + 32768u) >> 16);
}

#ifndef _WIN32
FileSizeLimit::FileSizeLimit(unsigned long long bytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    previousSoft_ = limit.rlim_cur;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = previousSoft_;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler_);
}
#endif

} // namespace qvtest
