#include "ObjectLifetimeManager.h"

CLifetimeManagedSingletonStartup::CLifetimeManagedSingletonStartup() noexcept
{
    try {
        strell::trace("%s::init singleton\n", "");
    } catch (...) {
        // Nothing may escape a static initialiser.
    }
}
