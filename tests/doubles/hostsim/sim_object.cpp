#include "sim_object.h"

namespace hostsim {

namespace {
volatile LONG g_LiveObjects = 0;
}

LONG liveHostObjects()
{
    return InterlockedCompareExchange(&g_LiveObjects, 0, 0);
}

void countHostObject(LONG change)
{
    InterlockedExchangeAdd(&g_LiveObjects, change);
}

} // namespace hostsim
