// Finds the BIFF workbook stream of an .xls file: the "Workbook" (Excel 97) or "Book"
// (Excel 5/95) stream of its OLE2 compound file.
#pragma once

#include <string>
#include <string_view>

namespace kestrel {

struct WorkbookStream {
    std::string bytes;       ///< the whole stream
    std::string streamName;  ///< as stored in the file ("Workbook", "Book", ...); empty for a
                             ///< bare BIFF stream that is not wrapped in a compound file
};

/// @brief Extracts the workbook stream from the bytes of a file. Throws KestrelError
/// "Cannot read <displayName>: <reason>" for an empty file, a file that is not a compound file
/// (naming what it is instead where that is recognisable: Excel 2007+, OpenDocument, web page,
/// Excel 2.x-4.0), a damaged compound file or one without a workbook stream. The stream is
/// never larger than the file, whatever the compound file's directory claims.
WorkbookStream readWorkbookStream(std::string_view fileBytes, const std::string& displayName);

}  // namespace kestrel
