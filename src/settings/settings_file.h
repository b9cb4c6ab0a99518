// The binary settings file: a header, an index of numbered slots and a data area of blobs.
// A slot is empty, an integer held inline, or a blob (offset and length into the file).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/text_buffer.h"

namespace qv {

constexpr uint32_t kSettingsHeader = 0x000100D2; // low 16 bits: slot count; high 16 bits never checked
constexpr uint32_t kSettingsSlotCount = 210;
constexpr uint32_t kSettingsIndexBytes = kSettingsSlotCount * 8;
constexpr uint32_t kSettingsDataStart = 4 + kSettingsIndexBytes; // 1684

struct SettingsSlot {
    uint32_t first = 0;  // 0 empty, 1 integer, 2 or more: absolute offset of a blob
    uint32_t second = 0; // the integer, or the blob's length
    bool IsInteger() const { return first == 1; }
    bool IsBlob() const { return first >= 2; }
};

void EncodeSlots(const SettingsSlot* slots, uint32_t count, uint8_t* out);
void DecodeSlots(const uint8_t* bytes, uint32_t count, SettingsSlot* out);

// Read-only view of the file. An invalid reader answers every question with the default.
class SettingsReader {
public:
    SettingsReader() = default;
    SettingsReader(const SettingsReader&) = delete;
    SettingsReader& operator=(const SettingsReader&) = delete;
    ~SettingsReader() { Close(); }

    bool Open(const std::wstring& path); // false leaves an invalid reader
    void Close();

    bool valid() const { return valid_; }
    uint32_t count() const { return count_; }
    uint64_t dataSize() const { return dataSize_; }
    const SettingsSlot* Slot(uint32_t slot) const; // null when invalid or beyond the count

    int32_t ReadInt(uint32_t slot, int32_t fallback) const;
    // False only when the reader is invalid or the slot is beyond the count; a damaged or empty
    // slot leaves the buffer empty and still answers true.
    bool ReadText(uint32_t slot, TextBuffer* text);
    // 0 when invalid, empty or longer than the data area; the length without reading when the
    // buffer is missing or too small; 0 on a short read.
    uint32_t ReadBlob(uint32_t slot, void* buffer, uint32_t capacity);
    // Convenience over ReadBlob: the whole blob, empty when it cannot be read.
    std::string ReadBlobBytes(uint32_t slot);
    // Slot 208: NUL-terminated UTF-16 names, one after another.
    std::vector<std::wstring> ReadNameList(uint32_t slot);

private:
    RandomAccessFile file_;
    uint32_t count_ = 0;
    std::vector<SettingsSlot> index_;
    uint64_t dataSize_ = 0;
    bool valid_ = false;
};

// One rewriting pass. Opening rewrites the header and the whole index at once; blobs that this
// writer does not rewrite are carried over when it closes.
class SettingsWriter {
public:
    SettingsWriter() = default;
    SettingsWriter(const SettingsWriter&) = delete;
    SettingsWriter& operator=(const SettingsWriter&) = delete;
    ~SettingsWriter() { Close(); }

    // `fresh` starts from an empty index and keeps nothing of the old file (legacy migration).
    bool Open(const std::wstring& path, bool fresh = false);
    bool Close(); // false when the writer was invalid or a write failed

    bool valid() const { return valid_; }
    void WriteInt(uint32_t slot, int32_t value);
    void WriteText(uint32_t slot, const wchar_t* text, uint32_t length);
    void WriteText(uint32_t slot, const std::wstring& text) {
        WriteText(slot, text.data(), static_cast<uint32_t>(text.size()));
    }
    void WriteText(uint32_t slot, const TextBuffer& text) { WriteText(slot, text.c_str(), text.length); }
    void WriteBlob(uint32_t slot, const void* bytes, uint32_t length);
    // Keeps a name only when `folder` is empty or folder + name exists.
    void WriteNameList(uint32_t slot, const std::vector<std::wstring>& names, const std::wstring& folder);

private:
    void PutEntry(uint32_t slot, SettingsSlot entry);
    void Append(uint32_t slot, const uint8_t* bytes, uint32_t length);

    RandomAccessFile file_;
    uint32_t oldCount_ = 0;
    SettingsSlot index_[kSettingsSlotCount]{};
    bool rewritten_[kSettingsSlotCount]{};
    uint64_t oldDataStart_ = 0;
    std::string oldData_;
    bool haveOldData_ = false;
    uint64_t appendAt_ = kSettingsDataStart;
    bool valid_ = false;
    bool failed_ = false;
};

// UTF-16LE encoding of texts, explicitly (wchar_t is 4 bytes natively).
std::string EncodeUtf16(const wchar_t* text, size_t length);
std::wstring DecodeUtf16(const uint8_t* bytes, size_t byteCount);

} // namespace qv
