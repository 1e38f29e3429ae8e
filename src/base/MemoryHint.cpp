#include "MemoryHint.h"

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

void PreferLargePages(char* data, qsizetype size)
{
#ifdef Q_OS_LINUX
    // Only whole pages inside the buffer; the kernel takes the 2 MiB-aligned parts of them.
    const quintptr page = 4096;
    const quintptr begin = (quintptr(data) + page - 1) & ~(page - 1);
    const quintptr end = (quintptr(data) + quintptr(size)) & ~(page - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
#endif
}
