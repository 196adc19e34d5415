// Placeholder until the BIFF writer lands.
#include "sheet/core/BiffWriter.h"

#include "engine/KestrelError.h"

namespace kestrel {
void writeWorkbookFile(const Workbook&, const std::string& path, int16_t) {
    throw KestrelError("Cannot write " + path + ": the workbook writer is not built yet");
}
}  // namespace kestrel
