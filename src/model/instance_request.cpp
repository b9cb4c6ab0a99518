#include "model/instance_request.h"

#include <cstring>

#include "platform/paths.h"

namespace qv {

int32_t LeadingInteger(const wchar_t* text) {
    while (*text == L' ' || (*text >= L'\t' && *text <= L'\r'))
        ++text;
    bool negative = false;
    if (*text == L'-' || *text == L'+') negative = *text++ == L'-';
    int64_t value = 0;
    for (; *text >= L'0' && *text <= L'9'; ++text) {
        value = value * 10 + (*text - L'0');
        if (value > 0x80000000LL) value = 0x80000000LL; // saturate instead of overflowing
    }
    if (negative) value = -value;
    if (value > INT32_MAX) value = INT32_MAX;
    return static_cast<int32_t>(value);
}

CommandLine ParseCommandLine(const std::vector<std::wstring>& args) {
    CommandLine line;
    if (args.empty()) return line;
    size_t extrasFrom = 1;
    if (!args[0].empty() && args[0][0] == L'/') {
        line.hasOption = true;
        line.letter = args[0].size() > 1 ? args[0][1] : 0;
        if (args[0].size() > 2 && args[0][2] == L'z') {
            line.hasKey = true;
            line.memberKey = LeadingInteger(args[0].c_str() + 3);
        }
        if (args.size() > 1) line.path = args[1];
        extrasFrom = line.letter == L'v' ? 2 : args.size();
    } else {
        line.path = args[0];
    }
    for (size_t i = extrasFrom; i < args.size(); ++i)
        if (!args[i].empty()) line.extraPaths.push_back(args[i]);
    return line;
}

std::vector<std::wstring> WithFullPaths(const std::vector<std::wstring>& args) {
    std::vector<std::wstring> out = args;
    for (size_t i = 0; i < out.size(); ++i) {
        bool option = i == 0 && !out[i].empty() && out[i][0] == L'/';
        if (!option && !out[i].empty()) out[i] = FullPathOf(out[i]);
    }
    return out;
}

InstanceRequest BuildInstanceRequest(const std::vector<std::wstring>& args) {
    CommandLine line = ParseCommandLine(args);
    InstanceRequest request;
    request.letter = line.hasOption ? line.letter : 0;
    request.memberKey = line.hasKey ? line.memberKey : 0;
    if (line.path.size() < kInstanceRequestPathChars) request.path = line.path;
    return request;
}

void EncodeInstanceRequest(const InstanceRequest& request, uint8_t out[kInstanceRequestBytes]) {
    std::memset(out, 0, kInstanceRequestBytes);
    uint32_t letter = static_cast<uint32_t>(request.letter) & 0xFFFF;
    out[0] = static_cast<uint8_t>(letter);
    out[1] = static_cast<uint8_t>(letter >> 8);
    uint32_t key = static_cast<uint32_t>(request.memberKey);
    for (int i = 0; i < 4; ++i)
        out[2 + i] = static_cast<uint8_t>(key >> (8 * i));
    if (request.path.size() >= kInstanceRequestPathChars) return;
    for (size_t i = 0; i < request.path.size(); ++i) {
        uint32_t unit = static_cast<uint32_t>(request.path[i]) & 0xFFFF;
        out[6 + 2 * i] = static_cast<uint8_t>(unit);
        out[7 + 2 * i] = static_cast<uint8_t>(unit >> 8);
    }
}

bool DecodeInstanceRequest(const uint8_t* data, size_t size, InstanceRequest* request) {
    *request = InstanceRequest();
    if (!data || size != kInstanceRequestBytes) return false;
    request->letter = static_cast<wchar_t>(data[0] | (data[1] << 8));
    request->memberKey =
        static_cast<int32_t>(data[2] | (data[3] << 8) | (data[4] << 16) | (static_cast<uint32_t>(data[5]) << 24));
    std::wstring path;
    for (uint32_t i = 0; i < kInstanceRequestPathChars; ++i) {
        wchar_t unit = static_cast<wchar_t>(data[6 + 2 * i] | (data[7 + 2 * i] << 8));
        if (unit == 0) {
            request->path = path;
            break;
        }
        path.push_back(unit);
    }
    return true;
}

std::wstring ExtraProcessParameters(const std::wstring& path) {
    return L"/v \"" + path + L"\"";
}

} // namespace qv
