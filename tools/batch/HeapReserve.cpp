// Heap set-up for a short run: freed blocks are kept, and a large workbook's heap is grown in one
// step and advised to use transparent huge pages (what glibc's own glibc.malloc.hugetlb tunable
// does, here chosen by the program for the runs that gain from it).
#include "tools/batch/HeapReserve.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <system_error>

namespace kestrel::batch {

namespace {

constexpr int kLargestHeapBlock = 32 << 20;  // the most glibc allows below mmap
constexpr int kTopPad = 16 << 20;
constexpr uintmax_t kHugePage = uintmax_t{2} << 20;
// Below this the workbook's cells fit in a few huge pages' worth of small pages anyway.
constexpr uintmax_t kSmallestWorkbook = uintmax_t{1} << 20;
// Cells, the comparison's arrays and the summary take several times the file's bytes (six to ten
// for .xls and .csv). The reserve is generous: what is never touched costs nothing but address
// space, and a heap that runs past it simply grows on in small pages.
constexpr uintmax_t kBytesPerFileByte = 16;
constexpr uintmax_t kLargestReserve = uintmax_t{1} << 30;

uintptr_t alignUp(uintptr_t value, uintptr_t alignment) {
    return (value + alignment - 1) & ~(alignment - 1);
}

void reserveHugePages(const std::string& workbookPath) {
    std::error_code error;
    const uintmax_t fileSize = std::filesystem::file_size(workbookPath, error);
    if (error || fileSize < kSmallestWorkbook) return;
    const uintmax_t reserve = std::min(fileSize * kBytesPerFileByte, kLargestReserve);
    const auto before = reinterpret_cast<uintptr_t>(sbrk(0));
    // The next growth of the heap takes the whole reserve: a block bigger than what is left at
    // its top, with the reserve as padding.
    const size_t freeAtTop = mallinfo2().keepcost;
    if (freeAtTop + (1 << 20) >= static_cast<size_t>(kLargestHeapBlock)) return;
    mallopt(M_TOP_PAD, static_cast<int>(reserve));
    // Written through volatile so the compiler keeps the allocation it would otherwise drop.
    auto* volatile block = static_cast<char*>(std::malloc(freeAtTop + (1 << 20)));
    if (block) block[0] = 0;
    std::free(block);
    const auto after = reinterpret_cast<uintptr_t>(sbrk(0));
    const uintptr_t start = alignUp(before, kHugePage);
    if (after > start + kHugePage) {
        // Advice only: without huge pages the heap works as before.
        madvise(reinterpret_cast<void*>(start), after - start, MADV_HUGEPAGE);
    }
}

}  // namespace

void keepFreedMemoryForReuse() {
    mallopt(M_MMAP_THRESHOLD, kLargestHeapBlock);
    mallopt(M_TRIM_THRESHOLD, std::numeric_limits<int>::max());
}

void reserveHeapForWorkbook(const std::string& workbookPath) {
    reserveHugePages(workbookPath);
    // From here on the heap grows in large steps: fewer calls to the system.
    mallopt(M_TOP_PAD, kTopPad);
}

}  // namespace kestrel::batch
