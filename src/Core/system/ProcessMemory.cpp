#include "system/ProcessMemory.h"

#include <cstdlib> // defines __GLIBC__ where the C library is glibc
#if defined(__GLIBC__)
#include <malloc.h>
#endif

void ProcessMemory::returnFreedPromptly()
{
#if defined(__GLIBC__)
    // Setting either turns glibc's adjustment of both off.
    mallopt(M_TRIM_THRESHOLD, thresholdBytes);
    mallopt(M_MMAP_THRESHOLD, thresholdBytes);
#endif
}
