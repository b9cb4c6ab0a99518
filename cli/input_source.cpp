#include "input_source.h"

#include "image/load_pipeline.h"
#include "platform/platform.h"
#include "sources/extension_class.h"
#include "sources/file_list.h"

namespace qvcli {

namespace {

std::wstring WithBackslashes(std::wstring text) {
    for (wchar_t& c : text)
        if (c == L'/') c = L'\\';
    return text;
}

// Splits at the first separator whose left part is an existing file: a plain path that happens
// to hold "::" still names itself when it exists.
bool SplitMemberPath(const std::wstring& text, std::wstring* archive, std::wstring* member) {
    const std::wstring separator = qv::kMemberSeparator;
    for (size_t at = text.find(separator); at != std::wstring::npos; at = text.find(separator, at + 1)) {
        std::wstring left = text.substr(0, at);
        if (!left.empty() && qv::PathExists(left.c_str()) && !qv::IsDirectory(left.c_str())) {
            *archive = left;
            *member = text.substr(at + separator.size());
            return true;
        }
    }
    return false;
}

} // namespace

bool ReadInput(const std::wstring& text, bool fileBytes, InputBytes* input, qv::CodecStatus* status) {
    *input = InputBytes{};
    std::wstring archive, member;
    if (qv::PathExists(text.c_str()) || !SplitMemberPath(text, &archive, &member)) {
        input->name = text;
        if (fileBytes && !qv::ReadWholeFile(text.c_str(), &input->bytes))
            return (*status = qv::kCodecCannotOpen, false);
        return true;
    }
    qv::FileList list;
    if (!qv::OpenArchive(&list, archive, nullptr)) return (*status = qv::kCodecBadData, false);
    const std::wstring wanted = WithBackslashes(member);
    uint32_t index = list.count;
    for (uint32_t i = 0; i < list.count && index == list.count; ++i)
        if (qv::EqualsIgnoreAsciiCase(WithBackslashes(qv::EntryText(list, i)), wanted)) index = i;
    if (index == list.count) return (*status = qv::kCodecBadData, false);
    list.current = index;
    qv::LargeBlock block;
    uint32_t length = 0;
    if (!qv::ExtractCurrentMember(list, &block, &length, status)) return false;
    input->bytes.assign(reinterpret_cast<const char*>(block.get()), length);
    input->name = list.entries[index].name.str();
    input->member = true;
    return true;
}

bool DecodeInput(const std::wstring& text, const InputBytes& input, const qv::LoadOptions& options, bool wantFrames,
                 qv::ImageBuffer* image, qv::LoadInfo* info, qv::CodecStatus* status) {
    if (!input.member) return qv::DecodeFile(text.c_str(), options, wantFrames, image, info, status);
    const auto* data = reinterpret_cast<const uint8_t*>(input.bytes.data());
    return qv::DecodeMember(input.name.c_str(), data, static_cast<uint32_t>(input.bytes.size()), options, wantFrames,
                            image, info, status);
}

} // namespace qvcli
