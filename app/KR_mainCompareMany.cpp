// File > Compare many...: many profile columns compared pair by pair, their results page, and the
// way back from a chosen pair to the ordinary two-profile Open.
#include <qcustomplot.h>

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "app/CompareManyDialog.h"
#include "app/GrainAgesChoices.h"
#include "app/KR_main.h"
#include "app/KR_var.h"
#include "app/ManyResultsPage.h"
#include "app/ManyResultsPageMeasures.h"
#include "engine/KestrelError.h"
#include "engine/MeasureMatrix.h"
#include "sheet/core/MatrixWorkbook.h"
#include "sheet/core/Workbook.h"
#include "sheet/widgets/SpreadsheetWidget.h"
#include "sheet/widgets/UserInteraction.h"

namespace {

// Reads the range from `book`'s sheet, leaving its active sheet and current cell as they were
// (the loaded workbook's grid keeps showing what it showed).
kestrel::ProfileSamples readRequest(kestrel::SpreadsheetCore& book,
                                    const ManyProfilesRequest& request,
                                    kestrel::EmptyProfileCells& empty) {
    const int sheet = book.Sheet(), row = book.Row(), col = book.Col();
    const auto restore = [&] {
        book.SetSheet(sheet);
        book.SetRow(row);
        book.SetCol(col);
    };
    try {
        book.SetSheet(request.sheet);
        kestrel::ProfileSamples samples =
            kestrel::readProfileColumns(book, request.range, {}, &empty);
        restore();
        return samples;
    } catch (...) {
        restore();
        throw;
    }
}

}  // namespace

void TForm1::addCompareMany() {
    tsManyProfiles = new QWidget;
    tsManyProfiles->setObjectName("tsManyProfiles");
    ManyResults = new kestrel::ManyResultsPage(tsManyProfiles);
    (new QVBoxLayout(tsManyProfiles))->addWidget(ManyResults);
    // The page must not make the main window's least size any larger than it was without it.
    tsManyProfiles->setMinimumSize(1, 1);
    const int tab = PageControl1->addTab(tsManyProfiles, "Many profiles");
    PageControl1->setTabVisible(tab, false);
    connect(CompareMany1, &QAction::triggered, this, &TForm1::CompareMany1Click);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::showSampleSizesNote);
    connect(ManyResults, &kestrel::ManyResultsPage::compareTwoRequested, this,
            &TForm1::compareTwoColumns);
    connect(ManyResults, &kestrel::ManyResultsPage::saveMatrixRequested, this,
            &TForm1::saveManyMatrix);
    for (QCustomPlot* chart : {ManyResults->MdsMap, ManyResults->HeatMap, ManyResults->Shepard}) {
        auto* action = new QAction("Export graph...", chart);
        action->setObjectName(chart->objectName() + "Export");
        chart->addAction(action);
        connect(action, &QAction::triggered, this, [this, chart] { exportGraph(*chart); });
    }
}

void TForm1::CompareMany1Click() {
    // A workbook of grain ages is compared by its samples' grains.
    if (m_agesInUse) return runGrainAges(true);
    SharedState& state = kestrel::sharedState();
    const bool loaded = !state.WorkbookPath.empty() && SprdSheetSource->NumSheets() > 0;
    ManyProfilesRequest request;
    std::unique_ptr<kestrel::SpreadsheetCore> own;
    {
        CompareManyDialog dialog(loaded ? SprdSheetSource : nullptr,
                                 QFile::decodeName(QByteArray::fromStdString(state.WorkbookPath)),
                                 QString::fromStdString(state.AgeColStr),
                                 QString::fromStdString(state.FromRowStr), m_ui, this);
        if (m_ui.runModal(dialog) != QDialog::Accepted) return;
        request = dialog.request();
        own = dialog.takeOwnWorkbook();
    }
    kestrel::SpreadsheetCore& book = own ? *own : *SprdSheetSource;
    kestrel::EmptyProfileCells empty;
    const kestrel::ProfileSamples samples = readRequest(book, request, empty);
    kestrel::ManyProfilesResults results;
    kestrel::ComparisonRequest comparing;
    comparing.profileColumns = &samples;
    kestrel::SampleComparison comparison = kestrel::compareForThePage(comparing);
    results.measuresNote = QString::fromStdString(comparison.leftOutNote);
    results.map = std::move(comparison.map);
    results.matrix = std::make_shared<kestrel::ProfileMatrix>(std::move(comparison.matrix));
    results.columns = request.range.columns;
    results.rows = samples.NumRows;
    m_manySource = {request.workbookPath,
                    request.ageColumn,
                    request.range.FromRow,
                    request.range.ToRow,
                    request.range.columns,
                    samples.grains,
                    nullptr};
    PageControl1->setTabVisible(PageControl1->indexOf(tsManyProfiles), true);
    showPage(tsManyProfiles);
    ManyResults->showResults(std::move(results));
    showEmptyCellsNote(QString::fromStdString(empty.note()));
}

void TForm1::compareTwoColumns(int32_t firstColumn, int32_t secondColumn) {
    if (m_manySource.ages) {
        // The two samples from their ages, as the dialog last built them.
        return openAgesPair(m_manySource.ages, static_cast<size_t>(firstColumn),
                            static_cast<size_t>(secondColumn));
    }
    restoreTwoProfileSettings();
    SharedState& state = kestrel::sharedState();
    state.AgeColStr = m_manySource.ageColumn.toStdString();
    state.Y1ColStr = kestrel::columnLetters(firstColumn);
    state.Y2ColStr = kestrel::columnLetters(secondColumn);
    state.FromRowStr = std::to_string(m_manySource.fromRow);
    state.ToRowStr = std::to_string(m_manySource.toRow);
    // The pair is tested with its own grain counts, or by the classic rule without them: the
    // counts of Options > Sample sizes belong to some other pair of profiles.
    PairSampleSizes pair;
    const auto& columns = m_manySource.columns;
    const auto first = std::find(columns.begin(), columns.end(), firstColumn);
    const auto second = std::find(columns.begin(), columns.end(), secondColumn);
    if (m_manySource.grains && first != columns.end() && second != columns.end()) {
        const auto& grains = *m_manySource.grains;
        pair.grains =
            kestrel::GrainCounts{grains.at(static_cast<size_t>(first - columns.begin())),
                                 grains.at(static_cast<size_t>(second - columns.begin()))};
    }
    m_nextOpenPair = pair;
    openWorkbook(m_manySource.workbookPath);
    m_nextOpenPair.reset();
}

void TForm1::saveManyMatrix() {
    const auto& results = ManyResults->results();
    if (!results.matrix) return;
    kestrel::FileDialogSetup setup;
    setup.title = "Save matrix as";
    setup.filters = QStringList{"Comma-separated text (*.csv)", "Excel workbook (*.xlsx)"};
    setup.filterSuffixes = QStringList{"csv", "xlsx"};
    setup.defaultSuffix = "csv";
    setup.initialFolder = QFileInfo(m_manySource.workbookPath).path();
    setup.proposedName = QFileInfo(m_manySource.workbookPath).completeBaseName() + "_matrix.csv";
    setup.confirmOverwrite = true;
    const auto choice = m_ui.chooseSaveFile(this, setup);
    if (!choice) return;
    const std::string path = QFile::encodeName(choice->path).toStdString();
    std::error_code error;
    if (std::filesystem::equivalent(
            path, QFile::encodeName(m_manySource.workbookPath).toStdString(), error)) {
        throw kestrel::KestrelError("The matrix file " + path +
                                    " is the workbook being compared; choose another name");
    }
    // The map's stress as the page's note says it; the neighbours while the map draws them.
    const kestrel::ManyMapView& view = ManyResults->mapView();
    const bool neighbours = ManyResults->chkNeighbours->isChecked();
    kestrel::writeMatrixFile(
        path, *results.matrix, results.map,
        neighbours ? view.neighbours : std::vector<kestrel::NearestNeighbours>{}, view.map.stress1);
}
