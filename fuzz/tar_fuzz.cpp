// Feeds arbitrary bytes to the TAR plug-in's parser: walks the archive and finds every member
// again from its first header. Every member's data must lie inside the archive.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tar/tar_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    qv::TarSource source = qv::TarMemorySource(data, size);
    qv::WalkTar(source, [&](const qv::TarMember& m) {
        if (m.dataOffset > size || m.size > size - m.dataOffset) std::abort();
        qv::TarMember again;
        if (!qv::ReadTarMemberAt(source, m.headerOffset, &again) || again.dataOffset != m.dataOffset ||
            again.size != m.size || again.name != m.name)
            std::abort();
        std::string folder, file;
        qv::SplitTarName(m.name, &folder, &file);
        return true;
    });
    return 0;
}
