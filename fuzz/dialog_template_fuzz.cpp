// Measures and copies arbitrary bytes as a dialog template; a measured copy must measure the same.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/instance_request.h"
#include "ui/dialog_template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qv::DialogTemplateFacts facts;
    if (qv::MeasureDialogTemplate(data, size, &facts)) {
        if (facts.length > size || facts.pointSizeOffset + 2 > size) __builtin_trap();
        std::vector<uint8_t> copy;
        if (!qv::CopyDialogTemplate(data, size, -14, &copy)) __builtin_trap();
        qv::DialogTemplateFacts again;
        if (!qv::MeasureDialogTemplate(copy.data(), copy.size(), &again) || again.length != facts.length)
            __builtin_trap();
    }
    // The same bytes as a record another instance sent.
    qv::InstanceRequest request;
    if (qv::DecodeInstanceRequest(data, size, &request) && request.path.size() >= qv::kInstanceRequestPathChars)
        __builtin_trap();
    return 0;
}
