#include "LargeBuffer.h"

#include <cstdint>

#include <sys/mman.h>

void adviseHugePages(char* data, qsizetype size) {
    constexpr std::uintptr_t HugePage = 2 * 1024 * 1024;
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + HugePage - 1) & ~(HugePage - 1);
    const auto end =
        (reinterpret_cast<std::uintptr_t>(data) + std::uintptr_t(size)) & ~(HugePage - 1);
    // Only a hint: where the system has no huge pages, the buffer is written as before.
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}
