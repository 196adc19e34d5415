// Sending the matrices and the map cell by cell to a streamed workbook writer.
#include "sheet/core/MatrixWorkbook.h"

#include "engine/KestrelError.h"
#include "engine/measures/Measures.h"
#include "sheet/core/WorkbookWriter.h"

namespace kestrel {
namespace {

// A K x K block from `row` on: its heading cell, the names across, then one row per sample.
// Returns the row after it.
int sendSquareBlock(const std::string& heading, const SquareMatrix& values,
                    const ProfileMatrix& matrix, int row, CellSink& sink) {
    if (!heading.empty()) sink.text(row, 1, heading);
    for (size_t j = 0; j < matrix.names.size(); ++j) {
        sink.text(row, static_cast<int>(j) + 2, matrix.names[j]);
    }
    for (int32_t i = 0; i < values.size; ++i) {
        sink.text(row + 1 + i, 1, matrix.names[static_cast<size_t>(i)]);
        for (int32_t j = 0; j < values.size; ++j) sink.number(row + 1 + i, j + 2, values.at(i, j));
    }
    return row + 1 + values.size;
}

// What the MDS block tells besides the coordinates, when asked.
struct MapExtras {
    const std::vector<NearestNeighbours>& neighbours;
    std::optional<double> stress;
};

// Given neighbours, the columns "Nearest" and "Second nearest" beside the coordinates: cells
// go to the sink row by row, so each row's are sent with it (`sample` -1: the heading).
void sendNeighbourCells(const ProfileMatrix& matrix, const std::vector<NearestNeighbours>& near,
                        int sample, int row, CellSink& sink) {
    if (near.empty()) return;
    if (sample < 0) {
        sink.text(row, 4, "Nearest");
        sink.text(row, 5, "Second nearest");
        return;
    }
    const NearestNeighbours& of = near.at(static_cast<size_t>(sample));
    sink.text(row, 4, matrix.names.at(static_cast<size_t>(of.closest)));
    if (of.second) sink.text(row, 5, matrix.names.at(static_cast<size_t>(*of.second)));
}

int sendMdsBlock(const ProfileMatrix& matrix, const MdsMap& map, const MapExtras& extras, int row,
                 CellSink& sink) {
    if (!extras.neighbours.empty() && extras.neighbours.size() != map.points.size()) {
        throw KestrelError("The nearest neighbours do not fit the map");
    }
    sink.text(row, 1, "MDS");
    sink.text(row, 2, "Axis 1");
    sink.text(row, 3, "Axis 2");
    sendNeighbourCells(matrix, extras.neighbours, -1, row, sink);
    for (size_t i = 0; i < map.points.size(); ++i) {
        const int r = row + 1 + static_cast<int>(i);
        sink.text(r, 1, matrix.names[i]);
        sink.number(r, 2, map.points[i][0]);
        sink.number(r, 3, map.points[i][1]);
        sendNeighbourCells(matrix, extras.neighbours, static_cast<int>(i), r, sink);
    }
    const int shares = row + 1 + static_cast<int>(map.points.size());
    // A nonmetric map (one with disparities) shares out its own spread, not a variance.
    sink.text(shares, 1,
              map.disparities.empty() ? "Share of variance" : "Share of the map's spread");
    sink.number(shares, 2, map.varianceShare[0]);
    sink.number(shares, 3, map.varianceShare[1]);
    if (!extras.stress) return shares + 1;
    sink.text(shares + 1, 1, "Stress-1");
    sink.number(shares + 1, 2, *extras.stress);
    return shares + 2;
}

}  // namespace

int16_t matrixFileTypeOf(const std::string& path) {
    if (nameEndsWith(path, ".csv")) return kFileTypeCsv;
    if (nameEndsWith(path, ".xlsx")) return kFileTypeXlsx;
    throw KestrelError("The matrix file " + path + " must end in .csv or .xlsx");
}

namespace {

// Every measure's block in the order computed, each followed by its p-values: the first (D)
// without a heading, as the files have always begun; each block's heading is the measure's
// name and its p-values' the table's label for them. `send` gets the heading and the values
// (null: the first measure's missing p-values).
template <class SendBlock>
void sendMeasureBlocks(const ProfileMatrix& matrix, SendBlock&& send) {
    for (size_t m = 0; m < matrix.measures.size(); ++m) {
        const MeasureMatrix& measure = matrix.measures[m];
        const MeasureInfo& info = measureInfo(measure.measure);
        send(m == 0 ? std::string() : std::string(info.name), &measure.values);
        if (measure.p) send(std::string(info.pLabel), &*measure.p);
        // The first measure's p has its sheet even without p-values, saying why.
        else if (m == 0 && info.pLabel)
            send(std::string(info.pLabel), nullptr);
    }
}

}  // namespace

void sendMatrixSheet(const ProfileMatrix& matrix, const MdsMap& map, CellSink& sink,
                     const std::vector<NearestNeighbours>& neighbours,
                     std::optional<double> stress) {
    sink.beginSheet("Matrix");
    int row = 0;  // the row after the last block; the first block begins at row 1
    sendMeasureBlocks(matrix, [&](const std::string& heading, const SquareMatrix* values) {
        if (!values) return;  // one block below the other: nothing stands for missing p-values
        row = sendSquareBlock(heading, *values, matrix, row + 1, sink);
    });
    sendMdsBlock(matrix, map, MapExtras{neighbours, stress}, row + 1, sink);
}

void sendMatrixSheets(const ProfileMatrix& matrix, const MdsMap& map, CellSink& sink,
                      const std::vector<NearestNeighbours>& neighbours,
                      std::optional<double> stress) {
    bool first = true;
    sendMeasureBlocks(matrix, [&](const std::string& heading, const SquareMatrix* values) {
        // The first sheet is the first measure's, named by it.
        sink.beginSheet(first ? measureInfo(matrix.measures.front().measure).name : heading);
        first = false;
        if (values) {
            sendSquareBlock("", *values, matrix, 1, sink);
        } else {
            sink.text(1, 1, kNoPValuesNote);
        }
    });
    sink.beginSheet("MDS");
    sendMdsBlock(matrix, map, MapExtras{neighbours, stress}, 1, sink);
}

void writeMatrixFile(const std::string& path, const ProfileMatrix& matrix, const MdsMap& map,
                     const std::vector<NearestNeighbours>& neighbours,
                     std::optional<double> stress) {
    const int16_t fileType = matrixFileTypeOf(path);
    writeStreamedWorkbookFile(path, fileType, [&](CellSink& sink) {
        if (fileType == kFileTypeCsv) {
            sendMatrixSheet(matrix, map, sink, neighbours, stress);
        } else {
            sendMatrixSheets(matrix, map, sink, neighbours, stress);
        }
    });
}

}  // namespace kestrel
