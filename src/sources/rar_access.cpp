#include "sources/rar_access.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/ascii_case.h"
#include "sources/zip_reader.h"

namespace qv {

namespace {

// One operation's state, handed to the library as the callback's user data.
struct RarState {
    bool busy = false;
    bool passwordGiven = false;
    bool extracting = false;
    RarCopyState copy;
};

RarState g_state;
RarPasswordPrompt g_prompt = nullptr;
std::wstring g_password; // remembered until the program ends

std::u16string ToUtf16(const wchar_t* text) {
    std::u16string out;
    for (; *text; ++text) {
        uint32_t c = static_cast<uint32_t>(*text);
        if (sizeof(wchar_t) == 4 && c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::wstring FromUtf16(const RarChar* text, size_t capacity) {
    std::wstring out;
    for (size_t i = 0; i < capacity && text[i]; ++i) {
        uint32_t c = static_cast<uint16_t>(text[i]);
        if (sizeof(wchar_t) == 4 && c >= 0xD800 && c < 0xDC00 && i + 1 < capacity) {
            uint32_t low = static_cast<uint16_t>(text[i + 1]);
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        out += static_cast<wchar_t>(c);
    }
    return out;
}

int QV_RAR_CALL Callback(uint32_t message, intptr_t userData, intptr_t p1, intptr_t p2) {
    RarState* state = reinterpret_cast<RarState*>(userData);
    switch (message) {
    case kRarMsgProcessData:
        if (state->extracting &&
            !CopyRarChunk(&state->copy, reinterpret_cast<const uint8_t*>(p1), static_cast<size_t>(p2)))
            return -1;
        return 0;
    case kRarMsgChangeVolumeW: return p2 == kRarVolumeAsk ? -1 : 0; // the next volume is missing: give up
    case kRarMsgNeedPasswordW: {
        if (!state->passwordGiven) {
            std::wstring answer = g_password;
            if (!g_prompt || !g_prompt(&answer)) return -1;
            g_password = answer;
        }
        RarChar* buffer = reinterpret_cast<RarChar*>(p1);
        if (!buffer || p2 <= 0) return -1;
        std::u16string wide = ToUtf16(g_password.c_str());
        size_t n = std::min(wide.size(), static_cast<size_t>(p2) - 1);
        std::memcpy(buffer, wide.data(), n * sizeof(RarChar));
        buffer[n] = 0;
        state->passwordGiven = true;
        return 0;
    }
    default: return 0;
    }
}

// Opens `name` in `mode`; null when the library refuses. `flags` receives the archive flags.
void* OpenArchive(const RarFunctions& lib, const std::u16string& name, uint32_t mode, uint32_t* flags) {
    RarOpenData data;
    std::memset(&data, 0, sizeof data);
    std::u16string copy = name;
    data.arcNameW = reinterpret_cast<RarChar*>(copy.data());
    data.openMode = mode;
    data.callback = Callback;
    data.userData = reinterpret_cast<intptr_t>(&g_state);
    void* handle = lib.open(&data);
    if (!handle) return nullptr;
    if (data.openResult != kRarSuccess) {
        lib.close(handle);
        return nullptr;
    }
    if (flags) *flags = data.flags;
    return handle;
}

// Reads the next header with the comment buffer cleared: 0 when one was read, kRarEndArchive at
// the end, anything else for damage, a missing volume or a refused password.
int ReadHeader(const RarFunctions& lib, void* handle, RarHeaderData* header) {
    header->cmtBuf = nullptr;
    header->cmtBufSize = 0;
    return lib.readHeader(handle, header);
}

struct Closer {
    const RarFunctions& lib;
    void* handle;
    ~Closer() {
        if (handle) lib.close(handle);
    }
};

// The busy flag for the length of one operation; a second one started from inside the first (a
// message pumped while the password dialog is up) is refused.
struct BusyScope {
    bool acquired = false;
    explicit BusyScope(bool extracting) {
        if (g_state.busy) return;
        g_state.busy = acquired = true;
        g_state.extracting = extracting;
        g_state.copy = RarCopyState{};
    }
    ~BusyScope() {
        if (!acquired) return;
        g_state.busy = g_state.extracting = false;
        g_state.copy = RarCopyState{};
    }
};

// The name the set is listed from: a later volume of a new-numbering set names its first.
std::wstring ListedName(const RarFunctions& lib, const wchar_t* path) {
    uint32_t flags = 0;
    void* handle = OpenArchive(lib, ToUtf16(path), kRarOpenList, &flags);
    if (!handle) return path;
    lib.close(handle);
    return ClassifyRarVolume(flags) == kRarLaterVolume ? FirstRarVolumeName(path) : std::wstring(path);
}

// Fills `e` from a header; `listed` is false for a name that would leave the archive (the
// member is left out and the others keep their ordinals). False only without memory.
bool FillEntry(const RarHeaderData& h, int32_t ordinal, FileEntry* e, bool* listed) {
    std::wstring name = FromUtf16(h.fileNameW, 1024);
    std::replace(name.begin(), name.end(), L'/', L'\\');
    *listed = MemberNameIsSound(name);
    if (!*listed) return true;
    e->key = ordinal;
    e->size = static_cast<int32_t>(h.unpSize);
    e->time = DosTimeToUtc(static_cast<uint16_t>(h.fileTime >> 16), static_cast<uint16_t>(h.fileTime));
    if (h.flags & kRarMemberDirectory) return true; // a directory keeps an empty name
    size_t slash = name.find_last_of(L'\\');
    if (slash == std::wstring::npos) return e->name.Set(name);
    if (slash + 1 == name.size()) return true;
    return e->innerFolder.Set(name.substr(0, slash + 1)) && e->name.Set(name.substr(slash + 1));
}

bool ListPasses(const RarFunctions& lib, const std::wstring& name, ArchiveListing* out) {
    std::u16string wide = ToUtf16(name.c_str());
    auto header = std::make_unique<RarHeaderData>();
    uint32_t count = 0;
    {
        Closer first{lib, OpenArchive(lib, wide, kRarOpenList, nullptr)};
        if (!first.handle) return false;
        // A listing that ends in an error rather than at the archive's end (a cut-short archive,
        // a volume that is not there) lists nothing, as a damaged ZIP directory does.
        int r;
        while ((r = ReadHeader(lib, first.handle, header.get())) == 0) {
            if (lib.process(first.handle, kRarSkip, nullptr, nullptr) != 0) return false;
            if (++count == INT32_MAX) return false;
        }
        if (r != static_cast<int>(kRarEndArchive)) return false;
    }
    if (count == 0) return false;
    ArchiveListing listing;
    if (!listing.Allocate(count)) return false;
    uint64_t size = 0;
    GetFileFacts(name.c_str(), &size, &listing.archiveTime);
    Closer second{lib, OpenArchive(lib, wide, kRarOpenList, nullptr)};
    if (!second.handle) return false;
    uint32_t ordinal = 0;
    for (; ordinal < count && ReadHeader(lib, second.handle, header.get()) == 0; ++ordinal) {
        bool listed = false;
        FileEntry& e = listing.entries[listing.count];
        if (!FillEntry(*header, static_cast<int32_t>(ordinal), &e, &listed)) return false;
        if (listed) ++listing.count;
        if (lib.process(second.handle, kRarSkip, nullptr, nullptr) != 0) return false;
    }
    if (listing.count == 0) return false;
    *out = std::move(listing);
    return true;
}

} // namespace

RarLibrary::~RarLibrary() {
    if (module) FreeRarModule(module);
}

RarVolumeKind ClassifyRarVolume(uint32_t flags) {
    if (!(flags & kRarArchiveVolume)) return kRarNotVolume;
    if (!(flags & kRarArchiveNewNumbering)) return kRarOldVolume;
    return (flags & kRarArchiveFirstVolume) ? kRarFirstNewVolume : kRarLaterVolume;
}

std::wstring FirstRarVolumeName(const std::wstring& path) {
    size_t base = path.find_last_of(L"\\/");
    base = base == std::wstring::npos ? 0 : base + 1;
    size_t dot = path.find_last_of(L'.');
    if (dot == std::wstring::npos || dot < base) return path;
    size_t part = path.find_last_of(L'.', dot - 1);
    if (dot == 0 || part == std::wstring::npos || part < base) return path;
    std::wstring number = path.substr(part + 1, dot - part - 1); // "part3"
    if (number.size() < 5 || !EqualsIgnoreAsciiCase(number.substr(0, 4), L"part")) return path;
    size_t digits = number.size() - 4;
    if (!std::all_of(number.begin() + 4, number.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; })) return path;
    return path.substr(0, part) + L".part" + std::wstring(digits - 1, L'0') + L"1.rar";
}

void SetRarPasswordPrompt(RarPasswordPrompt prompt) {
    g_prompt = prompt;
}

void ForgetRarPassword() {
    g_password.clear();
    g_state.passwordGiven = false;
}

bool CopyRarChunk(RarCopyState* state, const uint8_t* data, size_t length) {
    if (length > static_cast<size_t>(state->end - state->cursor)) return false;
    if (length) std::memcpy(state->cursor, data, length);
    state->cursor += length;
    return true;
}

bool ListRarWith(const RarFunctions& lib, const wchar_t* path, ArchiveListing* out) {
    BusyScope busy(false);
    if (!busy.acquired) return false;
    bool ok = ListPasses(lib, ListedName(lib, path), out);
    g_state.passwordGiven = false; // the extraction that follows asks again, prefilled
    return ok;
}

bool ExtractRarWith(const RarFunctions& lib, const wchar_t* path, int32_t key, LargeBlock* out, uint32_t* length) {
    if (key < 0) return false;
    BusyScope busy(true);
    if (!busy.acquired) return false;
    std::wstring name = ListedName(lib, path);
    Closer archive{lib, OpenArchive(lib, ToUtf16(name.c_str()), kRarOpenExtract, nullptr)};
    if (!archive.handle) return false;
    auto header = std::make_unique<RarHeaderData>();
    for (int32_t i = 0;; ++i) {
        if (ReadHeader(lib, archive.handle, header.get()) != 0) return false;
        if (i == key) break;
        if (lib.process(archive.handle, kRarSkip, nullptr, nullptr) != 0) return false;
    }
    // 4 GiB and more cannot be held; the largest member any source hands out is smaller still
    if (header->unpSizeHigh != 0 || header->unpSize > kMaxArchiveMemberBytes) return false;
    uint32_t size = header->unpSize;
    LargeBlock block(static_cast<uint8_t*>(AllocLargeBlock(static_cast<size_t>(size) + 4)));
    if (!block) return false;
    g_state.copy.cursor = block.get();
    g_state.copy.end = block.get() + size;
    if (lib.process(archive.handle, kRarTest, nullptr, nullptr) != 0) return false;
    // a member that delivered fewer bytes than it declared is damaged
    if (g_state.copy.cursor != g_state.copy.end) return false;
    *out = std::move(block);
    *length = size;
    return true;
}

bool ListRarArchive(const wchar_t* path, ArchiveListing* out) {
    if (g_state.busy) return false;
    RarLibrary library;
    return LoadRarLibrary(&library) && ListRarWith(library.functions, path, out);
}

bool ExtractRarMember(const wchar_t* path, const FileEntry& entry, LargeBlock* out, uint32_t* length) {
    if (g_state.busy) return false;
    RarLibrary library;
    return LoadRarLibrary(&library) && ExtractRarWith(library.functions, path, entry.key, out, length);
}

void InstallRarSource() {
    SourceHooks hooks = GetSourceHooks();
    hooks.listRar = ListRarArchive;
    hooks.extractRar = ExtractRarMember;
    SetSourceHooks(hooks);
}

} // namespace qv
