#include "settings/settings_file.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace qv {

namespace {

uint32_t Get32(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

void Put32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

constexpr uint64_t kFourGiB = 0x100000000ULL;

} // namespace

void EncodeSlots(const SettingsSlot* slots, uint32_t count, uint8_t* out) {
    for (uint32_t i = 0; i < count; ++i) {
        Put32(out + 8 * i, slots[i].first);
        Put32(out + 8 * i + 4, slots[i].second);
    }
}

void DecodeSlots(const uint8_t* bytes, uint32_t count, SettingsSlot* out) {
    for (uint32_t i = 0; i < count; ++i)
        out[i] = {Get32(bytes + 8 * i), Get32(bytes + 8 * i + 4)};
}

std::string EncodeUtf16(const wchar_t* text, size_t length) {
    std::string out;
    out.reserve(length * 2);
    auto unit = [&](uint32_t u) {
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>((u >> 8) & 0xFF));
    };
    for (size_t i = 0; i < length; ++i) {
        uint32_t c = static_cast<uint32_t>(text[i]);
        if constexpr (sizeof(wchar_t) > 2) {
            if (c > 0xFFFF && c <= 0x10FFFF) {
                c -= 0x10000;
                unit(0xD800 | (c >> 10));
                unit(0xDC00 | (c & 0x3FF));
                continue;
            }
            if (c > 0x10FFFF) c = 0xFFFD;
        }
        unit(c);
    }
    return out;
}

std::wstring DecodeUtf16(const uint8_t* bytes, size_t byteCount) {
    std::wstring out;
    size_t units = byteCount / 2;
    out.reserve(units);
    for (size_t i = 0; i < units; ++i) {
        uint32_t u = bytes[2 * i] | (bytes[2 * i + 1] << 8);
        if constexpr (sizeof(wchar_t) > 2) {
            if (u >= 0xD800 && u < 0xDC00 && i + 1 < units) {
                uint32_t low = bytes[2 * i + 2] | (bytes[2 * i + 3] << 8);
                if (low >= 0xDC00 && low < 0xE000) {
                    out.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00)));
                    ++i;
                    continue;
                }
            }
        }
        out.push_back(static_cast<wchar_t>(u));
    }
    return out;
}

// ---------------------------------------------------------------- reader

bool SettingsReader::Open(const std::wstring& path) {
    Close();
    if (!file_.OpenReadShared(path.c_str())) return false;
    uint64_t size = 0;
    uint8_t header[4];
    uint32_t got = 0;
    if (!file_.Size(&size) || size >= kFourGiB || !file_.ReadAt(0, header, 4, &got) || got != 4) {
        file_.Close();
        return false;
    }
    count_ = std::min<uint32_t>(Get32(header) & 0xFFFF, kSettingsSlotCount);
    std::vector<uint8_t> raw(count_ * 8);
    if (count_ && (!file_.ReadAt(4, raw.data(), count_ * 8, &got) || got != count_ * 8)) {
        file_.Close();
        count_ = 0;
        return false;
    }
    index_.assign(count_, {});
    DecodeSlots(raw.data(), count_, index_.data());
    dataSize_ = size - 4 - count_ * 8;
    valid_ = true;
    return true;
}

void SettingsReader::Close() {
    file_.Close();
    index_.clear();
    count_ = 0;
    dataSize_ = 0;
    valid_ = false;
}

const SettingsSlot* SettingsReader::Slot(uint32_t slot) const {
    if (!valid_ || slot >= count_) return nullptr;
    return &index_[slot];
}

int32_t SettingsReader::ReadInt(uint32_t slot, int32_t fallback) const {
    const SettingsSlot* s = Slot(slot);
    return s && s->IsInteger() ? static_cast<int32_t>(s->second) : fallback;
}

uint32_t SettingsReader::ReadBlob(uint32_t slot, void* buffer, uint32_t capacity) {
    const SettingsSlot* s = Slot(slot);
    if (!s || !s->IsBlob() || s->second == 0 || s->second > dataSize_) return 0;
    if (!buffer || capacity < s->second) return s->second;
    uint32_t got = 0;
    if (!file_.ReadAt(s->first, buffer, s->second, &got) || got != s->second) return 0;
    return s->second;
}

std::string SettingsReader::ReadBlobBytes(uint32_t slot) {
    uint32_t length = ReadBlob(slot, nullptr, 0);
    if (!length) return {};
    std::string bytes(length, '\0');
    if (ReadBlob(slot, bytes.data(), length) != length) return {};
    return bytes;
}

bool SettingsReader::ReadText(uint32_t slot, TextBuffer* text) {
    text->Clear();
    if (!Slot(slot)) return false;
    std::string bytes = ReadBlobBytes(slot);
    if (!bytes.empty()) {
        std::wstring decoded = DecodeUtf16(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        if (!text->Set(decoded)) text->Clear();
    }
    return true;
}

std::vector<std::wstring> SettingsReader::ReadNameList(uint32_t slot) {
    std::vector<std::wstring> names;
    if (!valid_ || count_ <= slot) return names;
    std::string bytes = ReadBlobBytes(slot);
    std::wstring all = DecodeUtf16(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find(L'\0', start);
        if (end == std::wstring::npos) break; // an unterminated tail is not a name
        if (end > start) names.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// ---------------------------------------------------------------- writer

bool SettingsWriter::Open(const std::wstring& path, bool fresh) {
    Close();
    std::fill(std::begin(index_), std::end(index_), SettingsSlot{});
    std::memset(rewritten_, 0, sizeof rewritten_);
    oldCount_ = 0;
    oldData_.clear();
    haveOldData_ = false;
    failed_ = false;
    if (!file_.OpenReadWriteAlways(path.c_str())) return false;

    uint8_t header[4];
    uint32_t got = 0;
    uint64_t size = 0;
    bool sized = file_.Size(&size);
    if (!fresh && sized && file_.ReadAt(0, header, 4, &got) && got == 4) {
        uint32_t headerCount = Get32(header) & 0xFFFF;
        uint32_t count = std::min(headerCount, kSettingsSlotCount);
        uint8_t raw[kSettingsIndexBytes];
        if (file_.ReadAt(4, raw, count * 8, &got) && got == count * 8) {
            DecodeSlots(raw, count, index_);
            oldCount_ = count;
            // The old data area begins after the index the header announced, which may be longer
            // than the part we keep.
            oldDataStart_ = static_cast<uint64_t>(headerCount) * 8 + 4;
            if (size < kFourGiB && size >= oldDataStart_) {
                uint64_t oldSize = size - oldDataStart_;
                oldData_.assign(static_cast<size_t>(oldSize), '\0');
                if (oldSize == 0 ||
                    (file_.ReadAt(oldDataStart_, oldData_.data(), static_cast<uint32_t>(oldSize), &got) &&
                     got == oldSize)) {
                    haveOldData_ = true;
                } else {
                    oldData_.clear();
                }
            }
        } else {
            std::fill(std::begin(index_), std::end(index_), SettingsSlot{});
        }
    }

    uint8_t head[4 + kSettingsIndexBytes];
    Put32(head, kSettingsHeader);
    EncodeSlots(index_, kSettingsSlotCount, head + 4);
    if (!file_.WriteAt(0, head, sizeof head) || !file_.Truncate(kSettingsDataStart)) {
        file_.Close();
        return false;
    }
    appendAt_ = kSettingsDataStart;
    valid_ = true;
    return true;
}

void SettingsWriter::PutEntry(uint32_t slot, SettingsSlot entry) {
    index_[slot] = entry;
    uint8_t bytes[8];
    EncodeSlots(&entry, 1, bytes);
    if (!file_.WriteAt(4 + 8ULL * slot, bytes, 8)) failed_ = true;
}

void SettingsWriter::WriteInt(uint32_t slot, int32_t value) {
    if (!valid_ || slot >= kSettingsSlotCount) return;
    rewritten_[slot] = true;
    PutEntry(slot, {1, static_cast<uint32_t>(value)});
}

void SettingsWriter::Append(uint32_t slot, const uint8_t* bytes, uint32_t length) {
    // A blob must start at offset 2 or more to be a blob, and the file stays below 4 GiB.
    if (appendAt_ + length >= kFourGiB || !file_.WriteAt(appendAt_, bytes, length)) {
        failed_ = true;
        PutEntry(slot, {0, 0});
        return;
    }
    PutEntry(slot, {static_cast<uint32_t>(appendAt_), length});
    appendAt_ += length;
}

void SettingsWriter::WriteBlob(uint32_t slot, const void* bytes, uint32_t length) {
    if (!valid_ || slot >= kSettingsSlotCount) return;
    rewritten_[slot] = true;
    if (!bytes || length == 0) {
        PutEntry(slot, {0, 0});
        return;
    }
    Append(slot, static_cast<const uint8_t*>(bytes), length);
}

void SettingsWriter::WriteText(uint32_t slot, const wchar_t* text, uint32_t length) {
    std::string bytes = EncodeUtf16(text, length);
    WriteBlob(slot, bytes.data(), static_cast<uint32_t>(bytes.size()));
}

void SettingsWriter::WriteNameList(uint32_t slot, const std::vector<std::wstring>& names, const std::wstring& folder) {
    std::wstring all;
    for (const std::wstring& name : names) {
        if (name.empty()) continue;
        if (!folder.empty() && !PathExists(JoinPath(folder, name).c_str())) continue;
        all += name;
        all.push_back(L'\0');
    }
    WriteText(slot, all);
}

bool SettingsWriter::Close() {
    if (!valid_) {
        file_.Close();
        return false;
    }
    for (uint32_t i = 0; i < kSettingsSlotCount; ++i) {
        SettingsSlot entry = index_[i];
        if (!entry.IsBlob() || rewritten_[i]) continue;
        bool inside = haveOldData_ && i < oldCount_ && entry.first >= oldDataStart_ &&
                      entry.first - oldDataStart_ + entry.second <= oldData_.size();
        if (inside) {
            Append(i, reinterpret_cast<const uint8_t*>(oldData_.data()) + (entry.first - oldDataStart_), entry.second);
        } else {
            // Its bytes are gone with the old data area; an entry left pointing there would read
            // whatever this writer appended at that offset.
            PutEntry(i, {0, 0});
        }
    }
    oldData_.clear();
    oldData_.shrink_to_fit();
    haveOldData_ = false;
    valid_ = false;
    file_.Close();
    return !failed_;
}

} // namespace qv
