// The JPEG picture's tests, run again on the target: 32 bits, the cross-built libjpeg-turbo with SIMD,
// and decoder errors brought back through setjmp/longjmp under the Windows C runtime.
#include "tests/platform/jpeg_test.cpp"
