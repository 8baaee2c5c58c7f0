#include "book/CpuFeatures.h"

#include <atomic>

namespace tresslin {

namespace {
std::atomic<VectorWidth> gCap{VectorWidth::Avx2};
}  // namespace

bool haveAvx2() {
#ifdef TRESSLIN_X86
    static const bool yes = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return yes;
#else
    return false;
#endif
}

VectorWidth vectorWidth() {
#ifdef TRESSLIN_X86
    const VectorWidth own = haveAvx2() ? VectorWidth::Avx2 : VectorWidth::Sse2;
#else
    const VectorWidth own = VectorWidth::Scalar;
#endif
    const VectorWidth cap = gCap.load(std::memory_order_relaxed);
    return cap < own ? cap : own;
}

void capVectorWidth(VectorWidth widest) {
    gCap.store(widest, std::memory_order_relaxed);
}

}  // namespace tresslin
