// The workbook stream of an .xls file, built record by record in memory (BIFF8 or BIFF5).
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sheet/core/CellSink.h"
#include "sheet/core/Workbook.h"

namespace kestrel::biff {

enum class Format { Excel97, Excel5 };

/// @brief "Excel 97" or "Excel 5", as users know the formats.
const char* formatName(Format format);
/// @brief The OLE2 stream that holds the workbook: "Workbook" (BIFF8) or "Book" (BIFF5).
const char* streamName(Format format);
/// @brief Rows per sheet the format holds: 65,536 (BIFF8) or 16,384 (BIFF5).
int maxRows(Format format);
inline constexpr int kMaxColumns = 256;

struct StreamNotes {
    /// Characters that Windows-1252 cannot hold and that became "?" (Excel 5 only).
    size_t replacedCharacters = 0;
};

/// @brief The whole workbook stream: globals (fonts, 16 XFs, style, one BOUNDSHEET per sheet
/// with its stream offset, BIFF8's shared strings) followed by one substream per sheet with its
/// dimensions, cells and window settings. The active sheet is the selected tab. A workbook
/// without sheets gets one empty sheet "Sheet1". Throws KestrelError for a sheet, name or text
/// the format cannot hold; the message names the sheet and, for a text, the cell, but not the
/// file (the caller knows it).
std::string buildWorkbookStream(const Workbook& book, Format format, StreamNotes* notes = nullptr);
/// @brief The same stream in pieces: the globals, then each sheet's substream.
std::vector<std::string> buildWorkbookStreamPieces(const Workbook& book, Format format,
                                                   StreamNotes* notes = nullptr);

/// @brief The same workbook stream built from cells sent one after another (CellSink order),
/// so that a table need not be held as cells first. A cell the format cannot address and a text
/// it cannot hold are refused as above: texts as they arrive, the extent and the names by take.
class WorkbookStreamBuilder : public CellSink {
  public:
    explicit WorkbookStreamBuilder(Format format);
    ~WorkbookStreamBuilder() override;
    void beginSheet(const std::string& name) override;
    /// @brief Makes room for that many NUMBER records in the sheet's stream.
    void expectCells(size_t cells) override;
    void number(int row, int col, double value) override;
    void text(int row, int col, std::string_view text) override;
    void boolean(int row, int col, bool value) override;
    void error(int row, int col, std::string_view literal) override;
    /// @brief Nothing to write out: the stream is had from take.
    void finish() override;
    /// @brief The whole stream, with `activeSheet` (1-based, clamped to the sheets) selected.
    std::string take(int activeSheet, StreamNotes* notes = nullptr);
    /// @brief The same stream in pieces (the globals, then each sheet's substream), so that a
    /// large one need not be copied into one piece.
    std::vector<std::string> takePieces(int activeSheet, StreamNotes* notes = nullptr);

  private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace kestrel::biff
