// File > Distributions...: the figures of every sample on the Distributions page, exported as
// files of a chosen width, and their tables.
#include "app/DistributionsController.h"

#include <QFile>
#include <QFileInfo>
#include <QTabWidget>

#include "app/DistributionsPage.h"
#include "app/GrainAgesChoices.h"
#include "app/GrainAgesController.h"
#include "app/KR_main.h"
#include "app/KR_var.h"
#include "app/TableFileChoice.h"
#include "engine/KestrelError.h"
#include "engine/comparison/ProfileMatrix.h"
#include "output/FigureFiles.h"
#include "output/GraphPrint.h"
#include "sheet/core/FigureTablesSheet.h"
#include "ui/UserInteraction.h"

namespace kestrel {

DistributionsController::DistributionsController(TForm1& window, UserInteraction& ui,
                                                 SharedState& state)
    : m_window(window), m_ui(ui), m_state(state) {}

DistributionsController::~DistributionsController() = default;

void DistributionsController::run() {
    const GrainAgesSource* source = m_window.agesSourceInUse();
    if (!source) {
        m_window.grainAges().run(false);
        source = m_window.agesSourceInUse();
        if (!source) return;
    }
    showAges(*source);
}

void DistributionsController::showAges(const GrainAgesSource& source) {
    DistributionsData data;
    data.subject = QFileInfo(decodedPath(source.workbookPath)).fileName();
    data.samples = source.built.ages.samples;
    for (const UnusableSample& unusable : source.built.ages.unusable)
        data.refused.emplace_back(QString::fromStdString(unusable.name),
                                  QString::fromStdString(unusable.reason));
    m_workbookPath = source.workbookPath;
    showPage();
    m_window.Distributions->showData(std::move(data));
    rememberChoices();
}

void DistributionsController::showProfiles(const ProfileSamples& profiles,
                                           const std::string& workbookPath,
                                           const std::vector<double>& mapAxis) {
    DistributionsData data;
    data.fromAges = false;
    data.subject = QFileInfo(decodedPath(workbookPath)).fileName();
    // The profiles' rows count from 1; the figure's grid is the Age column of those rows.
    data.grid.assign(profiles.ages.begin() + (profiles.ages.empty() ? 0 : 1), profiles.ages.end());
    if (data.grid.empty()) {
        for (int32_t row = 1; row <= profiles.NumRows; ++row) data.grid.push_back(row);
    }
    for (size_t s = 0; s < profiles.names.size(); ++s) {
        data.samples.push_back(GrainSample{profiles.names[s], {}, {}});
        const auto& values = profiles.values[s];
        data.profiles.emplace_back(values.begin() + (values.empty() ? 0 : 1), values.end());
    }
    data.mapAxis = mapAxis;
    m_workbookPath = workbookPath;
    showPage();
    m_window.Distributions->showData(std::move(data));
    rememberChoices();
}

void DistributionsController::showPage() {
    DistributionsPage& page = *m_window.Distributions;
    if (!page.filled() && m_state.DistributionsChoices)
        page.setChoices(*m_state.DistributionsChoices);
    connectPage();
    QTabWidget& pages = *m_window.PageControl1;
    pages.setTabVisible(pages.indexOf(m_window.tsDistributions), true);
    m_window.showPage(m_window.tsDistributions);
}

void DistributionsController::connectPage() {
    if (m_connected) return;
    m_connected = true;
    DistributionsPage& page = *m_window.Distributions;
    QObject::connect(&page, &DistributionsPage::choicesChanged, &m_window,
                     [this] { rememberChoices(); });
    QObject::connect(&page, &DistributionsPage::exportFigureRequested, &m_window,
                     [this] { exportFigure(); });
    QObject::connect(&page, &DistributionsPage::exportTableRequested, &m_window,
                     [this] { exportTable(); });
}

void DistributionsController::rememberChoices() {
    m_state.DistributionsChoices = m_window.Distributions->choices();
}

void DistributionsController::exportFigure() {
    const DistributionsPage& page = *m_window.Distributions;
    std::optional<FigureRequest> request = page.figureRequest();
    if (!request) return;
    const char* endings[] = {"_stacked", "_cumulative", "_bins"};
    const QFileInfo workbook(decodedPath(m_workbookPath));
    FileDialogSetup setup;
    setup.title = "Export figure";
    setup.filters = QStringList{"SVG drawing (*.svg)", "PDF document (*.pdf)", "PNG image (*.png)"};
    setup.filterSuffixes = QStringList{"svg", "pdf", "png"};
    setup.defaultSuffix = "svg";
    setup.initialFolder = workbook.path();
    setup.proposedName =
        workbook.completeBaseName() + endings[static_cast<int>(request->kind)] + ".svg";
    setup.confirmOverwrite = true;
    const auto choice = m_ui.chooseSaveFile(&m_window, setup);
    if (!choice) return;
    QString chosen = choice->path;
    const QString suffix = QFileInfo(chosen).suffix().toLower();
    if (suffix != "svg" && suffix != "pdf" && suffix != "png")
        chosen += "." + setup.filterSuffixes.value(choice->filterIndex - 1, "svg");
    request->path = QFile::encodeName(chosen).toStdString();
    writeFigureFile(*request);
}

void DistributionsController::exportTable() {
    const DistributionsPage& page = *m_window.Distributions;
    if (!page.filled()) return;
    const bool bins = page.binsTableInFront();
    const auto path =
        chooseTableFile(m_ui, &m_window, bins ? "Export bins" : "Export peaks", m_workbookPath,
                        bins ? "_bins" : "_peaks", bins ? "bins" : "peaks");
    if (!path) return;
    if (bins)
        writeBinsFile(*path, page.sampleNames(), page.binEdges(), page.binCounts());
    else
        writePeaksFile(*path, page.sampleNames(), page.peaks());
}

void DistributionsController::printFigure(QCustomPlot& chart) {
    printGraph(chart, m_ui);
}

}  // namespace kestrel
