// The headless many-profile comparison: the same spreadsheet core and engine steps as the
// window's Compare many.
#include "tools/batch/MatrixRun.h"

#include <filesystem>
#include <system_error>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "engine/measures/Measures.h"
#include "sheet/core/MatrixWorkbook.h"
#include "sheet/core/ProfileColumns.h"
#include "sheet/core/ProfileSheet.h"
#include "sheet/core/SpreadsheetCore.h"
#include "sheet/core/Workbook.h"
#include "sheet/core/WorkbookWriter.h"
#include "tools/batch/BatchSettings.h"
#include "tools/batch/BatchSteps.h"
#include "tools/batch/MapOfMatrix.h"

namespace kestrel::batch {
namespace {

void checkOutputs(const MatrixSettings& settings, const MatrixGraphWriter& writeGraphs) {
    std::error_code error;
    if (settings.matrixOut &&
        std::filesystem::equivalent(settings.workbook, *settings.matrixOut, error)) {
        throw KestrelError("The matrix file " + *settings.matrixOut +
                           " is the workbook being compared; choose another name");
    }
    checkGraphsFolder(settings.graphs, static_cast<bool>(writeGraphs));
}

ProfileSamples readSamples(const MatrixSettings& settings, EmptyProfileCells& empty) {
    SpreadsheetCore source;
    int16_t fileType = kFileTypeExcel97;
    source.ReadWorkbook(settings.workbook, fileType);
    selectSheet(source, settings.sheet, settings.workbook);
    ProfileColumnsRange range;
    range.FromRow = settings.fromRow;
    range.ToRow = lastDataRow(source, settings.toRow, settings.ageCol);
    checkRowRange(range.FromRow, range.ToRow);
    range.columns = settings.columns;
    range.grainsRow = settings.grainsRow;
    range.ageCol = settings.ageCol;
    try {
        ProfileSamples samples = readProfileColumns(source, range, {}, &empty);
        if (settings.grains) samples.grains = settings.grains;
        return samples;
    } catch (const KestrelError& error) {
        throw KestrelError(settings.workbook + ": " + error.what());
    }
}

// " of W2" when the map is of another measure than the first (nothing for D: the line stays as
// it was).
std::string mapMeasureText(const ProfileMatrix& matrix) {
    if (matrix.mapMeasure == matrix.measures.front().measure) return {};
    const MeasureInfo& info = measureInfo(matrix.mapMeasure);
    return std::string(" of ") + (info.likeness ? "1 - " : "") + info.name;
}

}  // namespace

void runMatrix(const MatrixSettings& settings, std::ostream& out, std::ostream& err,
               const MatrixGraphWriter& writeGraphs) {
    checkOutputs(settings, writeGraphs);
    EmptyProfileCells empty;
    const ProfileSamples samples = readSamples(settings, empty);
    ComparisonRequest request;
    request.profileColumns = &samples;
    request.measures = settings.measures;
    request.onlyThoseThatApply = settings.everyMeasure;
    request.judgedMap = settings.mds;
    const SampleComparison comparison = compareSamples(request);
    const ProfileMatrix& matrix = comparison.matrix;
    const size_t k = samples.names.size();
    out << k << " profiles x " << samples.NumRows << " rows: " << k * (k - 1) / 2 << " pairs\n";
    printMap(comparison, "MDS" + mapMeasureText(matrix), out);
    out.flush();
    if (empty.total() > 0) err << "kestrel-batch: note: " << empty.note() << '\n';
    if (!matrix.p()) {
        err << "kestrel-batch: note: no p-values: they need the number of grains behind each "
               "profile (--grains-row ROW, or --grains N1,N2,... with one per column)\n";
    }
    if (settings.graphs)
        writeGraphs(matrix, comparison.map, *settings.graphs, settings.graphFormat);
    if (settings.matrixOut) writeJudgedMatrixFile(*settings.matrixOut, comparison);
}

}  // namespace kestrel::batch
