// Saving a workbook as .xls: the BIFF stream built in memory, packed into a compound file,
// then written atomically.
#include "sheet/core/BiffWriter.h"

#include <functional>
#include <string_view>
#include <vector>

#include "engine/AtomicFile.h"
#include "engine/KestrelError.h"
#include "sheet/core/BiffWorkbookStream.h"
#include "sheet/core/Ole2Writer.h"

namespace kestrel {
namespace {

biff::Format formatOf(int16_t fileType, const std::string& path) {
    if (fileType == 11) return biff::Format::Excel97;
    if (fileType == 4) return biff::Format::Excel5;
    throw KestrelError("Cannot save " + path + ": file type code " + std::to_string(fileType) +
                       " is neither 11 (Excel 97) nor 4 (Excel 5)");
}

// Builds the stream's pieces with `build`, frames them as a compound file and writes the file;
// an error on the way names the file and the format (the write's own error names the file).
// A stream shorter than 4,096 bytes would go to the compound file's mini stream, where some Excel
// versions do not look for a workbook: it is padded with zeros, which readers ignore after the
// last sheet's EOF (they follow the sheet offsets in BOUNDSHEET).
void writeBiffFile(const std::string& path, biff::Format format, WorkbookWriteNotes& notes,
                   const std::function<std::vector<std::string>(biff::StreamNotes&)>& build) {
    biff::StreamNotes streamNotes;
    bool writing = false;
    try {
        std::vector<std::string> pieces = build(streamNotes);
        size_t size = 0;
        for (const std::string& piece : pieces) size += piece.size();
        if (size < kSmallestCompoundStream) {
            pieces.emplace_back(kSmallestCompoundStream - size, '\0');
            size = kSmallestCompoundStream;
        }
        const CompoundFileFrame frame = compoundFileFrame(biff::streamName(format), size);
        std::vector<std::string_view> file{frame.head};
        file.insert(file.end(), pieces.begin(), pieces.end());
        file.push_back(frame.tail);
        writing = true;
        writeFileAtomically(path, file);
    } catch (const KestrelError& e) {
        if (writing) throw;
        throw KestrelError("Cannot save " + path + " as " + biff::formatName(format) + ": " +
                           e.what());
    }
    notes.replacedCharacters = streamNotes.replacedCharacters;
}

}  // namespace

void writeWorkbookFile(const Workbook& book, const std::string& path, int16_t fileType) {
    WorkbookWriteNotes notes;
    writeWorkbookFile(book, path, fileType, notes);
}

void writeWorkbookFile(const Workbook& book, const std::string& path, int16_t fileType,
                       WorkbookWriteNotes& notes) {
    const biff::Format format = formatOf(fileType, path);
    writeBiffFile(path, format, notes, [&](biff::StreamNotes& streamNotes) {
        return biff::buildWorkbookStreamPieces(book, format, &streamNotes);
    });
}

void writeStreamedBiffFile(const std::string& path, int16_t fileType,
                           const std::function<void(CellSink&)>& feed) {
    const biff::Format format = formatOf(fileType, path);
    WorkbookWriteNotes notes;
    writeBiffFile(path, format, notes, [&](biff::StreamNotes& streamNotes) {
        biff::WorkbookStreamBuilder builder(format);
        feed(builder);
        return builder.takePieces(1, &streamNotes);
    });
}

}  // namespace kestrel
