// Calls into the C library's math functions that give the same answer whatever floating-point
// controls the host left behind.
//
// On 32-bit x86 the C library computes on the x87 unit, so its results follow the x87 precision
// and rounding controls, and those belong to the thread the host calls on: some hosts leave the
// precision at 24 bits. Each call here runs at the control word the library was written for and
// gives the host its own back. Other targets compute in SSE registers and call the library as is.
//
// Threads: any; the control word is per thread.
#pragma once

namespace numbertext {

template <typename Function> double atLibraryDefaults(Function compute) {
#if defined(__i386__)
    // Windows starts every thread at 53-bit precision, Linux at 64-bit; both round to nearest and
    // mask every exception.
#if defined(_WIN32)
    static const unsigned short kLibraryDefault = 0x027F;
#else
    static const unsigned short kLibraryDefault = 0x037F;
#endif
    unsigned short host = 0;
    __asm__ volatile("fnstcw %0\n\tfldcw %1" : "=m"(host) : "m"(kLibraryDefault) : "memory");
    double result = compute();
    // The result is a double in memory before the host's controls return, so they cannot round it.
    __asm__ volatile("fldcw %1" : "+m"(result) : "m"(host) : "memory");
    return result;
#else
    return compute();
#endif
}

} // namespace numbertext
