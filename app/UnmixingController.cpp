// Unmix... and End-members... from the Many profiles page: the fits made on a worker thread
// with the window's progress bar and Esc, shown on their pages, and their tables exported.
#include "app/UnmixingController.h"

#include <QFile>
#include <QFileInfo>
#include <QTabWidget>
#include <atomic>
#include <variant>

#include "app/BackgroundWork.h"
#include "app/CalculationProgress.h"
#include "app/EndMembersPage.h"
#include "app/GrainAgesChoices.h"
#include "app/KR_main.h"
#include "app/KR_var.h"
#include "app/ManyProfilesController.h"
#include "app/TableFileChoice.h"
#include "app/UnmixDialog.h"
#include "app/UnmixingPage.h"
#include "engine/KestrelError.h"
#include "sheet/core/UnmixingSheet.h"
#include "ui/UserInteraction.h"

namespace kestrel {
namespace {

constexpr int kFewestEndMembers = 2, kMostEndMembers = 8;
// NMF iterations a fit takes on detrital profiles, for the progress bar only.
constexpr double kTypicalIterations = 400.0;

}  // namespace

UnmixingController::UnmixingController(TForm1& window, UserInteraction& ui, SharedState& state)
    : m_window(window), m_ui(ui), m_state(state) {}

UnmixingController::~UnmixingController() = default;

const GrainAgesSource* UnmixingController::source() const {
    return m_window.manyProfiles().agesSourceShown();
}

void UnmixingController::connectPages() {
    if (m_connected) return;
    m_connected = true;
    QObject::connect(m_window.Unmixing, &UnmixingPage::exportTableRequested, &m_window,
                     [this] { exportUnmixing(); });
    QObject::connect(m_window.EndMembers, &EndMembersPage::exportRequested, &m_window,
                     [this] { exportEndMembers(); });
}

void UnmixingController::unmix() {
    const GrainAgesSource* ages = source();
    if (!ages) return;
    const std::vector<GrainSample>& samples = ages->built.ages.samples;
    QStringList names;
    for (const GrainSample& sample : samples) names << QString::fromStdString(sample.name);
    UnmixDialog dialog(names, m_ui, &m_window);
    if (m_ui.runModal(dialog) != QDialog::Accepted) return;
    const UnmixRequest& request = dialog.request();

    UnmixingShown shown;
    shown.subject = QFileInfo(decodedPath(ages->workbookPath)).fileName();
    shown.sink = samples[static_cast<size_t>(request.sink)];
    for (int s : request.sources) shown.sources.push_back(samples[static_cast<size_t>(s)]);
    const auto plan = planGrainAges(ages->choices, ages->workbook);
    if (const auto* planned = std::get_if<GrainAgesPlan>(&plan)) shown.density = planned->density;
    UnmixingOptions options;
    options.fits = request.fits;
    options.resamples = request.resamples;
    options.seed = request.seed;
    options.density = shown.density;

    CalculationProgress& progress = CalculationProgress::of(m_window, *m_window.sbMain);
    const CalculationProgressScope running(progress);
    runInBackground(progress, [&](const WorkReport& report) {
        options.progress = [&report](int64_t done, int64_t total) {
            return report(static_cast<double>(done) / static_cast<double>(total));
        };
        shown.result = unmixSample(shown.sink, shown.sources, options);
    });
    m_workbookPath = ages->workbookPath;
    connectPages();
    QTabWidget& pages = *m_window.PageControl1;
    pages.setTabVisible(pages.indexOf(m_window.tsUnmixing), true);
    m_window.showPage(m_window.tsUnmixing);
    m_window.Unmixing->showResults(std::move(shown));
}

void UnmixingController::endMembers() {
    const GrainAgesSource* ages = source();
    if (!ages) return;
    EndMembersShown shown;
    shown.subject = QFileInfo(decodedPath(ages->workbookPath)).fileName();
    for (const GrainSample& sample : ages->built.ages.samples) shown.samples.push_back(sample.name);
    if (shown.samples.size() <= static_cast<size_t>(kFewestEndMembers)) {
        m_ui.showWarning(&m_window, QString("End-members need more than %1 samples; %2 has %3")
                                        .arg(kFewestEndMembers)
                                        .arg(shown.subject)
                                        .arg(shown.samples.size()));
        return;
    }
    const auto plan = planGrainAges(ages->choices, ages->workbook);
    DensityOptions density;
    if (const auto* planned = std::get_if<GrainAgesPlan>(&plan)) density = planned->density;
    CalculationProgress& progress = CalculationProgress::of(m_window, *m_window.sbMain);
    const CalculationProgressScope running(progress);
    EndMembers found;
    const bool stopped = runInBackground(progress, [&](const WorkReport& report) {
        std::atomic<int64_t> iterations{0};
        NmfOptions options;
        options.progress = [&](int, int) {
            const double share = static_cast<double>(++iterations) /
                                 (kTypicalIterations * (kMostEndMembers - kFewestEndMembers + 1));
            return report(std::min(share, 0.99));
        };
        found = endMembersOfSamples(ages->built.ages.samples, density, 0, options);
    });
    if (stopped) {
        progress.markCancelled();
        return;
    }
    shown.grid = found.ages;
    shown.byK = std::move(found.byK);
    for (size_t k = 0; k < shown.byK.size(); ++k)
        if (shown.byK[k].k == found.fit.k) shown.chosen = k;
    m_workbookPath = ages->workbookPath;
    connectPages();
    QTabWidget& pages = *m_window.PageControl1;
    pages.setTabVisible(pages.indexOf(m_window.tsEndMembers), true);
    m_window.showPage(m_window.tsEndMembers);
    m_window.EndMembers->showResults(std::move(shown));
}

void UnmixingController::exportUnmixing() {
    const UnmixingPage& page = *m_window.Unmixing;
    if (!page.filled()) return;
    const auto path = chooseTableFile(m_ui, &m_window, "Export unmixing", m_workbookPath,
                                      "_unmixing", "unmixing");
    if (path) writeUnmixingFile(*path, page.sourceNames(), page.shown().result);
}

void UnmixingController::exportEndMembers() {
    const EndMembersPage& page = *m_window.EndMembers;
    if (!page.filled()) return;
    const QFileInfo workbook(decodedPath(m_workbookPath));
    FileDialogSetup setup;
    setup.title = "Export end-members";
    setup.filters = QStringList{"Excel workbook (*.xlsx)"};
    setup.defaultSuffix = "xlsx";
    setup.initialFolder = workbook.path();
    setup.proposedName = workbook.completeBaseName() + "_endmembers.xlsx";
    setup.confirmOverwrite = true;
    const auto choice = m_ui.chooseSaveFile(&m_window, setup);
    if (!choice) return;
    QString chosen = choice->path;
    if (QFileInfo(chosen).suffix().toLower() != "xlsx") chosen += ".xlsx";
    const EndMembersShown& shown = page.shown();
    writeEndMembersFile(QFile::encodeName(chosen).toStdString(), shown.grid, shown.samples,
                        page.fitInView(), shown.byK);
}

}  // namespace kestrel
