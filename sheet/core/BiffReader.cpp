// Placeholder until the BIFF reader lands.
#include "sheet/core/BiffReader.h"

#include "engine/KestrelError.h"

namespace kestrel {
Workbook readWorkbookFile(const std::string& path, int16_t&) {
    throw KestrelError("Cannot read " + path + ": the workbook reader is not built yet");
}
}  // namespace kestrel
