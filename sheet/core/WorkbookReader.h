// The one entry point for reading a workbook file of any format the program takes, chosen by
// the file's content: the OLE2 signature (.xls), a ZIP package with Office Open XML parts
// (.xlsx, .xlsm) or OpenDocument parts (.ods), else text (.csv).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "sheet/core/Workbook.h"

namespace kestrel {

/// Formats found by content; the values are the file-type codes ReadWorkbook hands back
/// (11 and 4 are the .xls codes of WriteWorkbook).
enum class WorkbookFormat : int16_t {
    Excel97 = 11,
    Excel5 = 4,
    Xlsx = 51,
    Ods = 60,
    Csv = 6,
};

/// @brief One format's reader: which files it takes, and reading one of them.
class WorkbookReader {
  public:
    virtual ~WorkbookReader() = default;
    /// @brief Whether this reader takes a file that starts with `head` (at most 8 KiB of it).
    /// Readers are asked in order; the first that takes the file reads it.
    virtual bool takes(std::string_view head) const = 0;
    /// @brief Reads the file; sets `format`. Throws KestrelError "Cannot read <path>: ...".
    virtual Workbook read(const std::string& path, WorkbookFormat& format) const = 0;
    /// @brief The same on the bytes of a file held in memory; errors name `displayName`.
    virtual Workbook readBytes(std::string_view bytes, const std::string& displayName,
                               WorkbookFormat& format) const = 0;
};

/// @brief Reads the workbook file at `path`, whatever its format or name. A missing file, a
/// folder, an empty file or content that is no workbook is refused with a KestrelError naming
/// the file.
Workbook readAnyWorkbookFile(const std::string& path, WorkbookFormat& format);

/// @brief The same on bytes held in memory (for tests and fuzzing).
Workbook readAnyWorkbookBytes(std::string_view bytes, const std::string& displayName,
                              WorkbookFormat& format);

}  // namespace kestrel
