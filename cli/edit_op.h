// Operations of quorvel-cli `edit`: each tool registers its option here from its own file, so a
// new tool adds one file and the command itself never changes.
#pragma once

#include <cstdint>
#include <string>

#include "cli_command.h" // QV_CLI_CONCAT

namespace qv {
struct ImageBuffer;
}

namespace qvcli {

// What every operation of one `edit` run shares.
struct EditContext {
    const uint8_t* mask = nullptr; // --mask: width x height bytes (255 protected, 0 editable), or null
    int threads = 1;               // --threads N (0 on the command line: every core)
};

// Exit codes an operation returns, as the whole command does.
constexpr int kEditOk = 0;
constexpr int kEditRefused = 1;  // the image cannot take it (too small, too large, no memory)
constexpr int kEditBadValue = 2; // the value is malformed or out of range

struct CliEditOp {
    const char* option; // "--rotate"
    const char* usage;  // "--rotate 90|180|270"
    bool takesValue;    // false for switches such as --negative
    // Edits `image` in place; on failure leaves it unchanged and says why in `*error`.
    int (*apply)(qv::ImageBuffer* image, const std::wstring& value, const EditContext& context, std::wstring* error);
};

bool RegisterEditOp(const CliEditOp& op);

// Reads "A,B,C" into exactly `count` integers; false when the count or a number is wrong.
bool ParseIntList(const std::wstring& text, int count, long* values);
// Reads RRGGBB (hex, as typed) into a packed colour red | green << 8 | blue << 16.
bool ParseColour(const std::wstring& text, uint32_t* colour);

} // namespace qvcli

#define QV_CLI_EDIT_OP(option, usage, takesValue, fn)                                                                  \
    static const bool QV_CLI_CONCAT(qv_cli_edit_op_, __LINE__) =                                                       \
        ::qvcli::RegisterEditOp({option, usage, takesValue, fn})
