// Operations of quorvel-cli `edit`: each tool registers its option here from its own file, so a
// new tool adds one file and the command itself never changes.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "cli_command.h" // QV_CLI_CONCAT

namespace qv {
struct ImageBuffer;
}

namespace qvcli {

// The selection mask of one `edit` run, built by --mask and the --select-... operations.
struct EditMask {
    std::vector<uint8_t> bytes; // width x height in the image's row order; empty: no mask
    int32_t mode = 0;           // --select-mode for the shapes that follow: 0 new, 1 add, 2 remove
};

// What every operation of one `edit` run shares.
struct EditContext {
    const uint8_t* mask = nullptr; // the mask for the operations that honour one, or null
    int threads = 1;               // --threads N (0 on the command line: every core)
    // The value of the operation's modifier (`--background RRGGBB` right after `--turn DEG`), or
    // empty when the modifier was not given. Set for each operation on its own.
    std::wstring modifier;
    // Every modifier given with the operation, by name, for an operation that takes several.
    std::vector<std::pair<std::wstring, std::wstring>> modifiers;
    EditMask* selection = nullptr; // the run's mask; only the selection operations change it
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
    // An option that may follow this operation's value and belongs to it ("--background" after
    // "--turn DEG"); null when there is none. Several are separated by spaces ("--mode --opacity"),
    // each given at most once and in any order; `modifier` of the context holds the first one's.
    const char* modifier;
    // Geometry: pixels move to other places (turns, flips, trims, resizes), so the mask no longer
    // fits them and is dropped afterwards, as the program drops it. A change of size always drops it.
    bool movesPixels = false;
};

bool RegisterEditOp(const CliEditOp& op);

// The value given for modifier `name` of the current operation, or null when it was not given.
const std::wstring* ModifierValue(const EditContext& context, const wchar_t* name);

// Reads "A,B,C" into exactly `count` integers; false when the count or a number is wrong.
bool ParseIntList(const std::wstring& text, int count, long* values);
// Reads RRGGBB (hex, as typed) into a packed colour red | green << 8 | blue << 16.
bool ParseColour(const std::wstring& text, uint32_t* colour);

} // namespace qvcli

#define QV_CLI_EDIT_OP(option, usage, takesValue, fn)                                                                  \
    static const bool QV_CLI_CONCAT(qv_cli_edit_op_, __LINE__) =                                                       \
        ::qvcli::RegisterEditOp({option, usage, takesValue, fn, nullptr, false})
// An operation that moves pixels without always changing the size (a flip, a half turn).
#define QV_CLI_GEOMETRY_EDIT_OP(option, usage, takesValue, fn)                                                         \
    static const bool QV_CLI_CONCAT(qv_cli_edit_op_, __LINE__) =                                                       \
        ::qvcli::RegisterEditOp({option, usage, takesValue, fn, nullptr, true})
// A geometry operation with a value and a modifier option of its own: `--turn DEG [--background RRGGBB]`.
#define QV_CLI_EDIT_OP_WITH(option, modifier, usage, fn)                                                               \
    static const bool QV_CLI_CONCAT(qv_cli_edit_op_, __LINE__) =                                                       \
        ::qvcli::RegisterEditOp({option, usage, true, fn, modifier, true})
// An operation with a value and modifier options that leaves every pixel in its place:
// `--composite FILE@X,Y [--mode NAME] [--opacity N]`.
#define QV_CLI_EDIT_OP_WITH_OPTIONS(option, modifiers, usage, fn)                                                      \
    static const bool QV_CLI_CONCAT(qv_cli_edit_op_, __LINE__) =                                                       \
        ::qvcli::RegisterEditOp({option, usage, true, fn, modifiers, false})
