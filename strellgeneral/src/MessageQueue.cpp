#include "MessageQueue.h"

#include "strell_exception.h"
#include "stringex.h"

#define STRELL_SOURCE "./src/MessageQueue"

namespace messagequeue_detail {

void throwBlockingQueue(const char* typeName, int capacity)
{
    const bool blocking = true;
    STRELL_ASSERT(!blocking, strell::formatString("CMessageQueue<%s,%d>::__ctor", typeName, capacity).c_str(), "");
}

} // namespace messagequeue_detail
