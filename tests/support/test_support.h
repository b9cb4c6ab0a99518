// Helpers shared by the test programs: scratch folders, file contents, environment paths.
#pragma once

#include <cstdint>
#include <string>

namespace qvtest {

// A fresh empty folder under the system temporary folder, removed by the destructor.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    const std::wstring& path() const { return path_; }
    std::wstring File(const std::wstring& name) const;

private:
    std::wstring path_;
};

std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

// Folder of the third-party test files (QV_CORPUS_DIR), empty when not set.
std::wstring CorpusDir();
// Source tree root (QV_SOURCE_DIR).
std::wstring SourceDir();
// The build tree (QV_BINARY_DIR).
std::wstring BinaryDir();

// Run by test_main.cpp just before the per-case limit ends a program: the end-to-end support
// sets it to end the processes it started, which would otherwise keep the test's output open.
void SetBeforeTimeoutExit(void (*hook)());
void RunBeforeTimeoutExit();

// T[a][v] of the blend table as its definition reads, written apart from the product's table so
// that the tests have a reference of their own: exact at the ends, otherwise the larger factor
// times the fixed-point reciprocal (floor(min x 65536 / 255)) of the smaller, rounded.
uint8_t DefinedBlendValue(uint32_t a, uint32_t v);

#ifndef _WIN32
// While it lives, no file of this process can grow past `bytes`: writes beyond fail as on a
// full disk (the signal the system would send is ignored meanwhile).
class FileSizeLimit {
public:
    explicit FileSizeLimit(unsigned long long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long long previousSoft_ = 0;
    void (*previousHandler_)(int) = nullptr;
};
#endif

} // namespace qvtest
