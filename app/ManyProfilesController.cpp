// File > Compare many...: many profile columns compared pair by pair, their results page, and the
// way back from a chosen pair to the ordinary two-profile Open.
#include "app/ManyProfilesController.h"

#include <qcustomplot.h>

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "app/CompareManyDialog.h"
#include "app/DistributionsController.h"
#include "app/GrainAgesChoices.h"
#include "app/GrainAgesController.h"
#include "app/KR_main.h"
#include "app/KR_var.h"
#include "app/ManyResultsPage.h"
#include "app/ManyResultsPageMeasures.h"
#include "app/TwoProfileController.h"
#include "engine/KestrelError.h"
#include "engine/comparison/MeasureMatrix.h"
#include "sheet/core/MatrixWorkbook.h"
#include "sheet/core/Workbook.h"
#include "sheet/widgets/SpreadsheetWidget.h"
#include "ui/UserInteraction.h"

namespace kestrel {

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

ManyProfilesController::ManyProfilesController(TForm1& window, UserInteraction& ui,
                                               SharedState& state)
    : m_window(window), m_ui(ui), m_state(state) {}

ManyProfilesController::~ManyProfilesController() = default;

void ManyProfilesController::compareMany() {
    // A workbook of grain ages is compared by its samples' grains.
    if (m_window.grainAges().sourceInUse()) return m_window.grainAges().run(true);
    SharedState& state = m_state;
    const bool loaded = !state.WorkbookPath.empty() && m_window.SprdSheetSource->NumSheets() > 0;
    ManyProfilesRequest request;
    std::unique_ptr<kestrel::SpreadsheetCore> own;
    {
        CompareManyDialog dialog(loaded ? m_window.SprdSheetSource : nullptr,
                                 QFile::decodeName(QByteArray::fromStdString(state.WorkbookPath)),
                                 QString::fromStdString(state.AgeColStr),
                                 QString::fromStdString(state.FromRowStr), m_ui, &m_window);
        if (m_ui.runModal(dialog) != QDialog::Accepted) return;
        request = dialog.request();
        own = dialog.takeOwnWorkbook();
    }
    kestrel::SpreadsheetCore& book = own ? *own : *m_window.SprdSheetSource;
    kestrel::EmptyProfileCells empty;
    auto read = std::make_shared<kestrel::ProfileSamples>(readRequest(book, request, empty));
    const kestrel::ProfileSamples& samples = *read;
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
                    nullptr,
                    std::move(read)};
    show(std::move(results), QString::fromStdString(empty.note()));
}

void ManyProfilesController::showAgesResults(ManyProfilesResults results,
                                             std::shared_ptr<const GrainAgesSource> source) {
    m_manySource = ManySource{};
    m_manySource.workbookPath = QFile::decodeName(QByteArray::fromStdString(source->workbookPath));
    m_manySource.ages = std::move(source);
    show(std::move(results), QString());
}

void ManyProfilesController::show(ManyProfilesResults results, const QString& emptyCellsNote) {
    QTabWidget& pages = *m_window.PageControl1;
    pages.setTabVisible(pages.indexOf(m_window.tsManyProfiles), true);
    m_window.showPage(m_window.tsManyProfiles);
    m_window.ManyResults->showResults(std::move(results));
    m_window.ManyResults->bbUnmix->setVisible(m_manySource.ages != nullptr);
    m_window.ManyResults->bbEndMembers->setVisible(m_manySource.ages != nullptr);
    m_window.showEmptyCellsNote(emptyCellsNote);
}

void ManyProfilesController::showDistributions() {
    if (m_manySource.ages) return m_window.distributions().run();
    if (!m_manySource.profiles) return;
    std::vector<double> mapAxis;
    for (const auto& point : m_window.ManyResults->mapView().map.points)
        mapAxis.push_back(point[0]);
    m_window.distributions().showProfiles(
        *m_manySource.profiles, QFile::encodeName(m_manySource.workbookPath).toStdString(),
        mapAxis);
}

const GrainAgesSource* ManyProfilesController::agesSourceShown() const {
    const QTabWidget& pages = *m_window.PageControl1;
    return pages.isTabVisible(pages.indexOf(m_window.tsManyProfiles)) ? m_manySource.ages.get()
                                                                      : nullptr;
}

void ManyProfilesController::compareTwoColumns(int32_t firstColumn, int32_t secondColumn) {
    if (m_manySource.ages) {
        // The two samples from their ages, as the dialog last built them.
        return m_window.grainAges().openPair(m_manySource.ages, static_cast<size_t>(firstColumn),
                                             static_cast<size_t>(secondColumn));
    }
    ProfileColumnPair pair{m_manySource.workbookPath,
                           m_manySource.ageColumn,
                           m_manySource.fromRow,
                           m_manySource.toRow,
                           firstColumn,
                           secondColumn,
                           std::nullopt};
    const auto& columns = m_manySource.columns;
    const auto first = std::find(columns.begin(), columns.end(), firstColumn);
    const auto second = std::find(columns.begin(), columns.end(), secondColumn);
    if (m_manySource.grains && first != columns.end() && second != columns.end()) {
        const auto& grains = *m_manySource.grains;
        pair.grains =
            kestrel::GrainCounts{grains.at(static_cast<size_t>(first - columns.begin())),
                                 grains.at(static_cast<size_t>(second - columns.begin()))};
    }
    m_window.twoProfile().openColumnPair(pair);
}

void ManyProfilesController::saveMatrix() {
    const auto& results = m_window.ManyResults->results();
    if (!results.matrix) return;
    kestrel::FileDialogSetup setup;
    setup.title = "Save matrix as";
    setup.filters = QStringList{"Comma-separated text (*.csv)", "Excel workbook (*.xlsx)"};
    setup.filterSuffixes = QStringList{"csv", "xlsx"};
    setup.defaultSuffix = "csv";
    setup.initialFolder = QFileInfo(m_manySource.workbookPath).path();
    setup.proposedName = QFileInfo(m_manySource.workbookPath).completeBaseName() + "_matrix.csv";
    setup.confirmOverwrite = true;
    const auto choice = m_ui.chooseSaveFile(&m_window, setup);
    if (!choice) return;
    const std::string path = QFile::encodeName(choice->path).toStdString();
    std::error_code error;
    if (std::filesystem::equivalent(
            path, QFile::encodeName(m_manySource.workbookPath).toStdString(), error)) {
        throw kestrel::KestrelError("The matrix file " + path +
                                    " is the workbook being compared; choose another name");
    }
    // The map's stress as the page's note says it; the neighbours while the map draws them.
    const kestrel::ManyMapView& view = m_window.ManyResults->mapView();
    const bool neighbours = m_window.ManyResults->chkNeighbours->isChecked();
    kestrel::writeMatrixFile(
        path, *results.matrix, results.map,
        neighbours ? view.neighbours : std::vector<kestrel::NearestNeighbours>{}, view.map.stress1);
}

}  // namespace kestrel
