#include "platform/core/process_memory.h"

#include <malloc.h>

namespace kvn {

void keepLargeBlocksMapped()
{
    // Setting the bound also stops the library from moving it.
    mallopt(M_MMAP_THRESHOLD, 512 * 1024);
}

} // namespace kvn
