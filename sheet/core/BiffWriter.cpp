// Saving a workbook as .xls: the BIFF stream built in memory, packed into a compound file,
// then written atomically.
#include "sheet/core/BiffWriter.h"

#include "engine/AtomicFile.h"
#include "engine/KestrelError.h"
#include "sheet/core/BiffWorkbookStream.h"
#include "sheet/core/Ole2Writer.h"

namespace kestrel {
namespace {

// Streams shorter than 4,096 bytes would go to the compound file's mini stream, where some
// Excel versions do not look for a workbook. Zeros after the last sheet's EOF are ignored by
// readers, which follow the sheet offsets in BOUNDSHEET.
constexpr size_t kMinStreamSize = 4096;

biff::Format formatOf(int16_t fileType, const std::string& path) {
    if (fileType == 11) return biff::Format::Excel97;
    if (fileType == 4) return biff::Format::Excel5;
    throw KestrelError("Cannot save " + path + ": file type code " + std::to_string(fileType) +
                       " is neither 11 (Excel 97) nor 4 (Excel 5)");
}

}  // namespace

void writeWorkbookFile(const Workbook& book, const std::string& path, int16_t fileType) {
    WorkbookWriteNotes notes;
    writeWorkbookFile(book, path, fileType, notes);
}

void writeWorkbookFile(const Workbook& book, const std::string& path, int16_t fileType,
                       WorkbookWriteNotes& notes) {
    const biff::Format format = formatOf(fileType, path);
    std::string file;
    biff::StreamNotes streamNotes;
    try {
        std::string stream = biff::buildWorkbookStream(book, format, &streamNotes);
        if (stream.size() < kMinStreamSize) stream.resize(kMinStreamSize, '\0');
        file = buildCompoundFile(biff::streamName(format), stream);
    } catch (const KestrelError& e) {
        throw KestrelError("Cannot save " + path + " as " + biff::formatName(format) + ": " +
                           e.what());
    }
    writeFileAtomically(path, file);
    notes.replacedCharacters = streamNotes.replacedCharacters;
}

}  // namespace kestrel
