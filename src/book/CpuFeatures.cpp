#include "book/CpuFeatures.h"

namespace tresslin {

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

}  // namespace tresslin
