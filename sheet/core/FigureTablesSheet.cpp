// The peaks and bins tables of the distribution figures.
#include "sheet/core/FigureTablesSheet.h"

#include "sheet/core/MatrixWorkbook.h"
#include "sheet/core/WorkbookWriter.h"

namespace kestrel {

void sendPeaksSheet(const std::vector<std::string>& names,
                    const std::vector<std::vector<ProfilePeak>>& peaks, CellSink& sink) {
    sink.beginSheet(kPeaksSheetName);
    int col = 1;
    for (const char* heading : {"Sample", "Peak", "Age", "Height", "Grains"})
        sink.text(1, col++, heading);
    int row = 1;
    for (size_t s = 0; s < names.size() && s < peaks.size(); ++s) {
        int number = 0;
        for (const ProfilePeak& peak : peaks[s]) {
            ++row;
            sink.text(row, 1, names[s]);
            sink.number(row, 2, ++number);
            sink.number(row, 3, peak.age);
            sink.number(row, 4, peak.height);
            sink.number(row, 5, peak.grains);
        }
    }
}

void writePeaksFile(const std::string& path, const std::vector<std::string>& names,
                    const std::vector<std::vector<ProfilePeak>>& peaks) {
    writeStreamedWorkbookFile(path, matrixFileTypeOf(path),
                              [&](CellSink& sink) { sendPeaksSheet(names, peaks, sink); });
}

void sendBinsSheet(const std::vector<std::string>& names, const std::vector<double>& edges,
                   const std::vector<BinCounts>& counts, CellSink& sink) {
    sink.beginSheet(kBinsSheetName);
    sink.text(1, 1, "Sample");
    sink.text(1, 2, "Grains");
    for (size_t b = 0; b + 1 < edges.size(); ++b) {
        const std::string label = binLabel(edges[b], edges[b + 1]);
        sink.text(1, 3 + 2 * static_cast<int>(b), label);
        sink.text(1, 4 + 2 * static_cast<int>(b), label + " %");
    }
    for (size_t s = 0; s < names.size() && s < counts.size(); ++s) {
        const int row = 2 + static_cast<int>(s);
        sink.text(row, 1, names[s]);
        sink.number(row, 2, counts[s].grains);
        for (size_t b = 0; b < counts[s].counts.size(); ++b) {
            const int count = counts[s].counts[b];
            sink.number(row, 3 + 2 * static_cast<int>(b), count);
            if (counts[s].grains > 0)
                sink.number(row, 4 + 2 * static_cast<int>(b), 100.0 * count / counts[s].grains);
        }
    }
}

void writeBinsFile(const std::string& path, const std::vector<std::string>& names,
                   const std::vector<double>& edges, const std::vector<BinCounts>& counts) {
    writeStreamedWorkbookFile(path, matrixFileTypeOf(path),
                              [&](CellSink& sink) { sendBinsSheet(names, edges, counts, sink); });
}

}  // namespace kestrel
