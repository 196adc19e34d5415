// How kestrel-batch sets up its heap. A run makes a few large blocks one after another (the
// workbook's cells, the arrays, the summary) and then ends, so freed memory stays in the heap for
// the next block, and a large workbook gets a heap backed by huge pages: the kernel then maps
// memory 2 MiB at a time instead of faulting in every 4 KiB page, which on a 65,535-row workbook
// is a third of the run.
#pragma once

#include <string>

namespace kestrel::batch {

/// @brief Keeps freed memory in the heap instead of handing it back to the system. First thing
/// in main: the heap stays small until reserveHeapForWorkbook.
void keepFreedMemoryForReuse();

/// @brief Grows the heap once to what reading `workbookPath` is likely to need and asks the
/// kernel for huge pages there, when the file is large enough to gain from it (small workbooks
/// would only round their memory up); from then on the heap grows 16 MiB at a time. Reserves
/// nothing when the file cannot be looked at, and without huge pages in the system the heap
/// works as usual.
void reserveHeapForWorkbook(const std::string& workbookPath);

}  // namespace kestrel::batch
