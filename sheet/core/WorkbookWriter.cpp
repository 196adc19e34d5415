// Chooses a workbook writer by file-type code. The .xls formats are built by the BIFF writer
// (whole, or from cells sent one by one); .xlsx and .csv are streamed cell by cell into a
// temporary file.
#include "sheet/core/WorkbookWriter.h"

#include <memory>

#include "engine/AtomicFile.h"
#include "engine/KestrelError.h"
#include "sheet/core/BiffWriter.h"
#include "sheet/core/CsvWriter.h"
#include "sheet/core/SpreadsheetCore.h"
#include "sheet/core/XlsxWriter.h"

namespace kestrel {

bool nameEndsWith(const std::string& name, std::string_view suffix) {
    if (name.size() < suffix.size()) return false;
    for (size_t i = 0; i < suffix.size(); ++i) {
        const char c = name[name.size() - suffix.size() + i];
        if ((c >= 'A' && c <= 'Z' ? c + 32 : c) != suffix[i]) return false;
    }
    return true;
}

void sendWorkbookCells(const Workbook& book, CellSink& sink) {
    for (const Worksheet& sheet : book.sheets) {
        sink.beginSheet(sheet.name());
        sink.expectCells(sheet.cellCount());
        sheet.forEachCell([&](int row, int col, const Cell& cell) {
            switch (cell.kind) {
                case CellKind::Number:
                    sink.number(row, col, cell.number);
                    break;
                case CellKind::Text:
                    sink.text(row, col, cell.text);
                    break;
                case CellKind::Boolean:
                    sink.boolean(row, col, cell.number != 0);
                    break;
                case CellKind::Error:
                    sink.error(row, col, cell.text);
                    break;
                case CellKind::Empty:
                    break;
            }
        });
    }
}

void writeStreamedWorkbookFile(const std::string& path, int16_t fileType,
                               const std::function<void(CellSink&)>& feed) {
    if (fileType == kFileTypeExcel97 || fileType == kFileTypeExcel5) {
        writeStreamedBiffFile(path, fileType, feed);
        return;
    }
    if (fileType != kFileTypeXlsx && fileType != kFileTypeCsv) {
        throw KestrelError("Cannot write " + path + ": file type " + std::to_string(fileType) +
                           " is not one that is written cell by cell");
    }
    writeFileAtomicallyVia(path, [&](const std::string& tempPath) {
        const std::unique_ptr<CellSink> sink =
            fileType == kFileTypeXlsx ? openXlsxSink(tempPath, path) : openCsvSink(tempPath, path);
        feed(*sink);
        sink->finish();
    });
}

void writeAnyWorkbookFile(const Workbook& book, const std::string& path, int16_t fileType) {
    if (fileType == kFileTypeXlsx || fileType == kFileTypeCsv) {
        writeStreamedWorkbookFile(path, fileType, [&](CellSink& sink) {
            if (book.sheets.empty()) sink.beginSheet("Sheet1");
            sendWorkbookCells(book, sink);
        });
        return;
    }
    writeWorkbookFile(book, path, fileType);
}

}  // namespace kestrel
