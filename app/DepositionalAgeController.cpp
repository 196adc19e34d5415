// File > Depositional age...: every sample of the grain ages in use estimated by the chosen
// estimators, shown on its page with the chosen sample's age components; the table exported and
// added to the summary workbook.
#include "app/DepositionalAgeController.h"

#include <QFile>
#include <QFileInfo>
#include <QTabWidget>
#include <filesystem>

#include "app/DepositionalAgePage.h"
#include "app/GrainAgesChoices.h"
#include "app/GrainAgesController.h"
#include "app/KR_main.h"
#include "app/KR_var.h"
#include "app/TableFileChoice.h"
#include "engine/KestrelError.h"
#include "engine/depositional/DepositionalAges.h"
#include "sheet/core/DepositionalSheet.h"
#include "ui/UserInteraction.h"

namespace kestrel {
namespace {

// The choices that decide which ages the dialog read (not which pair it compared).
bool sameAges(const GrainAgesFields& a, const GrainAgesFields& b) {
    return a.workbook == b.workbook && a.sheet == b.sheet && a.layout == b.layout &&
           a.headingRow == b.headingRow && a.uncertainties == b.uncertainties &&
           a.errorsSheet == b.errorsSheet && a.sigma == b.sigma && a.perCent == b.perCent;
}

}  // namespace

DepositionalAgeController::DepositionalAgeController(TForm1& window, UserInteraction& ui,
                                                     SharedState& state)
    : m_window(window), m_ui(ui), m_state(state) {}

DepositionalAgeController::~DepositionalAgeController() = default;

void DepositionalAgeController::run() {
    const GrainAgesSource* source = m_window.agesSourceInUse();
    if (!source) {
        // As Compare many does for a workbook of ages: the ages are opened first.
        m_window.grainAges().run(false);
        source = m_window.agesSourceInUse();
        if (!source) return;
    }
    estimate(*source);
}

void DepositionalAgeController::connectPage() {
    if (m_connected) return;
    m_connected = true;
    DepositionalAgePage& page = *m_window.DepositionalAges;
    QObject::connect(&page, &DepositionalAgePage::optionsChanged, &m_window,
                     [this] { estimateAgain(); });
    QObject::connect(&page, &DepositionalAgePage::componentsWanted, &m_window,
                     [this] { fitComponents(); });
    QObject::connect(&page, &DepositionalAgePage::choicesChanged, &m_window,
                     [this] { rememberChoices(); });
    QObject::connect(&page, &DepositionalAgePage::exportTableRequested, &m_window,
                     [this] { exportTable(); });
}

// Samples the estimators cannot take are refused in kestrel-batch's words and the others
// estimated; with none left the page keeps what it showed.
void DepositionalAgeController::estimate(const GrainAgesSource& source) {
    DepositionalAgePage& page = *m_window.DepositionalAges;
    DepositionalResults results;
    for (const UnusableSample& unusable : source.built.ages.unusable)
        results.refused.emplace_back(QString::fromStdString(unusable.name),
                                     QString::fromStdString(unusable.reason));
    EstimableSamples estimable = estimableSamples(source.built.ages.samples);
    for (const auto& [name, reason] : estimable.refused)
        results.refused.emplace_back(QString::fromStdString(name), QString::fromUtf8(reason));
    results.samples = std::move(estimable.samples);
    if (results.samples.empty()) {
        QStringList why;
        for (const auto& [name, reason] : results.refused) why << reason;
        m_ui.showWarning(&m_window, "No sample of " +
                                        QFileInfo(decodedPath(source.workbookPath)).fileName() +
                                        " has a depositional age to estimate:\n" + why.join("\n"));
        return;
    }
    if (!page.filled() && m_state.DepositionalChoices)
        page.setChoices(*m_state.DepositionalChoices);
    results.options = page.options();
    results.estimates = estimateDepositionalAgesOfSamples(
        results.samples, everyDepositionalMethod(), results.options);
    results.subject = QFileInfo(decodedPath(source.workbookPath)).fileName();
    m_workbookPath = source.workbookPath;
    m_agesChoices = source.choices;
    m_fits.clear();
    connectPage();
    QTabWidget& pages = *m_window.PageControl1;
    pages.setTabVisible(pages.indexOf(m_window.tsDepositionalAge), true);
    m_window.showPage(m_window.tsDepositionalAge);
    page.showResults(std::move(results));
    fitComponents();
    rememberChoices();
}

// The seed or the MLA's parameters changed: the same samples estimated again.
void DepositionalAgeController::estimateAgain() {
    DepositionalAgePage& page = *m_window.DepositionalAges;
    if (!page.filled()) return;
    DepositionalResults results = page.results();
    results.options = page.options();
    results.estimates = estimateDepositionalAgesOfSamples(
        results.samples, everyDepositionalMethod(), results.options);
    page.showResults(std::move(results));
}

void DepositionalAgeController::fitComponents() {
    DepositionalAgePage& page = *m_window.DepositionalAges;
    const int sample = page.chosenSample();
    if (sample < 0) return;
    const int k = page.chosenComponents();
    auto fit = m_fits.find({sample, k});
    if (fit == m_fits.end()) {
        const GrainSample& grains = page.results().samples[static_cast<size_t>(sample)];
        std::pair<MixtureFit, std::string> made;
        try {
            made.first = k == 0 ? fitMixtureAuto(grains) : fitMixture(grains, k);
            const size_t found = made.first.components.size();
            made.second = "k = " + std::to_string(found) + (k == 0 ? ", by BIC" : "");
            // BIC still falling at the largest k tried: the sample may hold more components.
            if (made.first.bicAtLargestK)
                made.second = "k = " + std::to_string(found) + " by BIC, the most tried";
        } catch (const KestrelError& error) {
            made = {MixtureFit{}, error.what()};
        }
        fit = m_fits.emplace(std::pair{sample, k}, std::move(made)).first;
    }
    page.showComponents(fit->second.first, QString::fromStdString(fit->second.second));
}

void DepositionalAgeController::rememberChoices() {
    m_state.DepositionalChoices = m_window.DepositionalAges->choices();
}

void DepositionalAgeController::exportTable() {
    const DepositionalAgePage& page = *m_window.DepositionalAges;
    if (!page.filled()) return;
    const auto path = chooseTableFile(m_ui, &m_window, "Export depositional ages", m_workbookPath,
                                      "_depositional", "depositional ages");
    if (path) writeDepositionalFile(*path, page.results().samples, page.shownEstimates());
}

std::optional<SummarySheet> DepositionalAgeController::summarySheet() const {
    const DepositionalAgePage& page = *m_window.DepositionalAges;
    const GrainAgesSource* pair = m_window.grainAges().sourceInUse();
    if (!page.filled() || !pair || pair->workbookPath != m_workbookPath || !m_agesChoices ||
        !sameAges(pair->choices, *m_agesChoices)) {
        return std::nullopt;
    }
    return SummarySheet{"The depositional ages", "_depositional",
                        [samples = page.results().samples, estimates = page.shownEstimates()](
                            CellSink& sink) { sendDepositionalSheet(samples, estimates, sink); }};
}

}  // namespace kestrel
