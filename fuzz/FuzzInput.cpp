#include "FuzzInput.h"

#include <cstdio>
#include <cstdlib>

namespace tresslin::fuzz {

void Fail(const char* what) {
    std::fprintf(stderr, "FUZZ PROPERTY FAILED: %s\n", what);
    std::abort();
}

}  // namespace tresslin::fuzz
