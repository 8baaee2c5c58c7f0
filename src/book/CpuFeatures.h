// What the processor offers the book's vector code. The book folder holds only standard C++ and
// compiler builtins, so the one place that asks the processor lives here, not in platform/.
#pragma once

#if defined(__x86_64__)
#include <immintrin.h>
// x86-64 always has SSE2; AVX2 is asked for at run time.
#define TRESSLIN_X86 1
#endif

namespace tresslin {

// True when the processor runs AVX2 instructions; false off x86-64. Decided once.
bool haveAvx2();

// The widest vector code a loop may take: what the processor runs, unless lowered by
// capVectorWidth. Loops that read it at each call (the UTF-16 conversion) follow the cap.
enum class VectorWidth { Scalar, Sse2, Avx2 };
VectorWidth vectorWidth();
// Lets tests reach the narrower paths on any processor; Avx2 lifts the cap.
void capVectorWidth(VectorWidth widest);

}  // namespace tresslin
