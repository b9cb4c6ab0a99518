// Which code path a vectorised kernel runs. The plain path is the reference: every faster path
// must give the same bytes, and the tests hold each one to it.
#pragma once

namespace qv {

enum class KernelPath {
    Best,  // the fastest path this processor runs
    Plain, // plain loops, one byte at a time
    Sse2,  // 128-bit vectors (every x86-64 processor)
    Avx2,  // 256-bit vectors, where the processor has them
};

// `path` made concrete: Best becomes the fastest available, an unavailable path falls back to the
// next slower one.
KernelPath ResolveKernelPath(KernelPath path);

} // namespace qv
