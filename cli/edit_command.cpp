// quorvel-cli `edit IN OUT [--threads N] OPERATIONS... [-- ENCODER FLAGS]`: decodes IN as the
// viewer would show it (upright), applies the operations in the order given, and writes OUT with
// the encoder registered for its extension. The operations are the tools' own kernels, so a
// script gets the same pixels as the program's Apply. A selection mask (--mask, --select-...)
// holds for the operations after it until a geometry operation drops it, as in the program.
#include <cwchar>
#include <vector>

#include "cli_command.h"
#include "edit_op.h"
#include "image/image_turn.h"
#include "image/load_pipeline.h"
#include "model/codec_status.h"
#include "model/image_buffer.h"
#include "tools/kernel_job.h"

namespace qvcli {
namespace {

std::vector<CliEditOp>& EditOpTable() {
    static std::vector<CliEditOp> table;
    return table;
}

const CliEditOp* FindOp(const std::wstring& option) {
    for (const CliEditOp& op : EditOpTable())
        if (option == Widen(op.option)) return &op;
    return nullptr;
}

// Whether `option` is one of the space-separated modifiers of `op`; `first` says it is the first.
bool IsModifierOf(const CliEditOp& op, const std::wstring& option, bool* first = nullptr) {
    if (op.modifier == nullptr) return false;
    const std::wstring list = Widen(op.modifier);
    size_t begin = 0;
    while (begin < list.size()) {
        size_t end = list.find(L' ', begin);
        if (end == std::wstring::npos) end = list.size();
        if (list.compare(begin, end - begin, option) == 0 && end - begin == option.size()) {
            if (first != nullptr) *first = begin == 0;
            return true;
        }
        begin = end + 1;
    }
    return false;
}

const CliEditOp* FindOpWithModifier(const std::wstring& modifier) {
    for (const CliEditOp& op : EditOpTable())
        if (IsModifierOf(op, modifier)) return &op;
    return nullptr;
}

struct PlannedOp {
    const CliEditOp* op;
    std::wstring value;
    std::wstring modifier;
    std::vector<std::pair<std::wstring, std::wstring>> modifiers;
};

// Splits the arguments after IN OUT into the edit's own flags, the operations in order and the
// encoder's flags (everything after "--"). False with a message on anything unknown.
bool PlanEdit(const Args& args, EditContext* context, std::vector<PlannedOp>* plan, Args* encoderFlags) {
    for (size_t i = 0; i < args.size(); ++i) {
        const std::wstring& a = args[i];
        if (a == L"--") {
            encoderFlags->assign(args.begin() + static_cast<long>(i) + 1, args.end());
            return true;
        }
        if (a == L"--threads") {
            long n = 0;
            wchar_t* end = nullptr;
            if (i + 1 >= args.size() || (n = std::wcstol(args[i + 1].c_str(), &end, 10), *end != 0) || n < 0 ||
                n > 64) {
                PrintError(L"edit: --threads takes a number from 0 (every core) to 64\n");
                return false;
            }
            context->threads = n == 0 ? qv::KernelThreadCount() : static_cast<int>(n);
            ++i;
            continue;
        }
        const CliEditOp* op = FindOp(a);
        if (op == nullptr) {
            if (const CliEditOp* owner = FindOpWithModifier(a))
                PrintError(L"edit: " + a + L" goes right after the value of " + Widen(owner->option) + L": " +
                           Widen(owner->usage) + L"\n");
            else
                PrintError(L"edit: unknown option " + a + L" (quorvel-cli edit --help lists them)\n");
            return false;
        }
        PlannedOp step{op, L"", L""};
        if (op->takesValue) {
            if (i + 1 >= args.size()) {
                PrintError(L"edit: " + a + L" needs a value: " + Widen(op->usage) + L"\n");
                return false;
            }
            step.value = args[++i];
        }
        bool first = false;
        while (i + 1 < args.size() && IsModifierOf(*op, args[i + 1], &first)) {
            if (i + 2 >= args.size()) {
                PrintError(L"edit: " + args[i + 1] + L" needs a value: " + Widen(op->usage) + L"\n");
                return false;
            }
            for (const auto& given : step.modifiers)
                if (given.first == args[i + 1]) {
                    PrintError(L"edit: " + args[i + 1] + L" is given twice for " + a + L"\n");
                    return false;
                }
            step.modifiers.emplace_back(args[i + 1], args[i + 2]);
            if (first) step.modifier = args[i + 2];
            i += 2;
        }
        plan->push_back(step);
    }
    return true;
}

int PrintEditHelp() {
    Print(L"usage: quorvel-cli edit IN OUT [--threads N] OPERATIONS... [-- ENCODER FLAGS]\n"
          L"operations, applied in the order given:\n");
    for (const CliEditOp& op : EditOpTable())
        Print(L"  " + Widen(op.usage) + L"\n");
    return 0;
}

int RunEdit(const Args& args) {
    if (args.size() == 1 && args[0] == L"--help") return PrintEditHelp();
    if (args.size() < 2) {
        PrintError(L"edit: needs IN OUT and at least one operation\n");
        return 2;
    }
    EditContext context;
    std::vector<PlannedOp> plan;
    Args encoderFlags;
    if (!PlanEdit(Args(args.begin() + 2, args.end()), &context, &plan, &encoderFlags)) return 2;
    const CliEncoder* encoder = EncoderForPath(args[1]);
    if (encoder == nullptr) {
        PrintError(L"edit: no encoder for the extension of " + args[1] + L"\n");
        return 2;
    }

    qv::ImageBuffer* image = qv::AllocImageRecord();
    qv::ImageBuffer* turned = qv::AllocImageRecord();
    int code = kEditOk;
    qv::LoadInfo info;
    qv::LoadOptions options;
    qv::CodecStatus status = qv::kCodecOk;
    if (image == nullptr || turned == nullptr) {
        PrintError(Widen(qv::CodecStatusText(qv::kCodecOutOfMemory)) + L"\n");
        code = kEditRefused;
    } else if (!qv::DecodeFile(args[0].c_str(), options, false, image, &info, &status)) {
        PrintError(Widen(qv::CodecStatusText(status)) + L"\n");
        code = kEditRefused;
    } else {
        qv::ImageBuffer* current = image;
        if (qv::AutoRotate(*image, info.orientation, options.autoRotate, turned) != qv::kTurnNone) current = turned;
        EditMask selection;
        context.selection = &selection;
        for (const PlannedOp& step : plan) {
            std::wstring error;
            int32_t width = current->header.biWidth, height = current->header.biHeight;
            EditContext stepContext = context;
            stepContext.modifier = step.modifier;
            stepContext.modifiers = step.modifiers;
            code = step.op->apply(current, step.value, stepContext, &error);
            if (code != kEditOk) {
                PrintError(L"edit: " + Widen(step.op->option) + L": " + error + L"\n");
                break;
            }
            if (step.op->movesPixels || current->header.biWidth != width || current->header.biHeight != height)
                selection.bytes.clear();
            context.mask = selection.bytes.empty() ? nullptr : selection.bytes.data();
        }
        if (code == kEditOk) {
            uint32_t written = encoder->encode(*current, args[1], encoderFlags);
            if (written != qv::kCodecOk) {
                PrintError(Widen(qv::CodecStatusText(written)) + L"\n");
                code = kEditRefused;
            }
        }
    }
    qv::FreeImageRecord(image);
    qv::FreeImageRecord(turned);
    return code;
}

} // namespace

bool RegisterEditOp(const CliEditOp& op) {
    EditOpTable().push_back(op);
    return true;
}

const std::wstring* ModifierValue(const EditContext& context, const wchar_t* name) {
    for (const auto& given : context.modifiers)
        if (given.first == name) return &given.second;
    return nullptr;
}

bool ParseIntList(const std::wstring& text, int count, long* values) {
    const wchar_t* p = text.c_str();
    for (int i = 0; i < count; ++i) {
        wchar_t* end = nullptr;
        if (*p == 0 || *p == L',') return false;
        values[i] = std::wcstol(p, &end, 10);
        if (end == p) return false;
        p = end;
        if (i + 1 < count) {
            if (*p != L',') return false;
            ++p;
        }
    }
    return *p == 0;
}

bool ParseColour(const std::wstring& text, uint32_t* colour) {
    if (text.size() != 6) return false;
    wchar_t* end = nullptr;
    unsigned long rgb = std::wcstoul(text.c_str(), &end, 16);
    if (*end != 0) return false;
    *colour = static_cast<uint32_t>(((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16));
    return true;
}

QV_CLI_COMMAND("edit", "edit IN OUT [--threads N] OPERATIONS... [-- ENCODER FLAGS]  (edit --help lists them)", RunEdit);

} // namespace qvcli
