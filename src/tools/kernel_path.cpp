#include "tools/kernel_path.h"

namespace qv {

namespace {
bool HasSse2() {
#if defined(__x86_64__) || defined(__SSE2__)
    return true;
#else
    return false;
#endif
}

bool HasAvx2() {
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
#else
    return false;
#endif
}
} // namespace

KernelPath ResolveKernelPath(KernelPath path) {
    if (path == KernelPath::Best) path = KernelPath::Avx2;
    if (path == KernelPath::Avx2 && !HasAvx2()) path = KernelPath::Sse2;
    if (path == KernelPath::Sse2 && !HasSse2()) path = KernelPath::Plain;
    return path;
}

} // namespace qv
