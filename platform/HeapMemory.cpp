#include "HeapMemory.h"

#include <cstdlib> // defines __GLIBC__ on the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {
// Two arenas keep the user-interface thread and the streaming threads from
// contending on one lock, without a heap per passing thread.
constexpr int HeapArenas = 2;
} // namespace

void LimitHeapArenas()
{
#if defined(__GLIBC__)
    mallopt(M_ARENA_MAX, HeapArenas);
#endif
}

void ReturnFreeHeapMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}
