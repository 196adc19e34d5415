// File > Open grain ages...: profiles built from single-grain ages, compared two at a time as
// profile columns are, with the grains as sample sizes and each window's grains tested, or every
// sample at once by its grains on the Many profiles page.
#include "app/GrainAgesController.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <algorithm>
#include <filesystem>
#include <numeric>

#include "app/GrainAgesDialog.h"
#include "app/KR_main.h"
#include "app/KR_var.h"
#include "app/ManyProfilesController.h"
#include "app/ManyResultsPage.h"
#include "app/ManyResultsPageMeasures.h"
#include "app/RecentWorkbooks.h"
#include "app/TableFileChoice.h"
#include "app/TwoProfileController.h"
#include "app/WindowsTableModel.h"
#include "engine/ClassicalMds.h"
#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "engine/comparison/GrainWindows.h"
#include "engine/comparison/MeasureMatrix.h"
#include "engine/density/GridCoverage.h"
#include "engine/measures/GrainMatrix.h"
#include "sheet/core/AllSorts.h"
#include "sheet/core/ProfilesSheet.h"
#include "sheet/widgets/KR_ShtIm.h"
#include "sheet/widgets/SpreadsheetWidget.h"
#include "ui/UserInteraction.h"

namespace kestrel {

namespace {

// "16 samples of grain ages (75 to 106 grains each)".
QString agesSubject(const std::vector<kestrel::GrainSample>& samples) {
    size_t fewest = samples.front().ages.size(), most = fewest;
    for (const auto& sample : samples) {
        fewest = std::min(fewest, sample.ages.size());
        most = std::max(most, sample.ages.size());
    }
    const QString grains =
        fewest == most ? QString::number(most) : QString("%1 to %2").arg(fewest).arg(most);
    return QString("%1 samples of grain ages (%2 grains each)").arg(samples.size()).arg(grains);
}

// `settings` with the rows and the Age column of the sheet of profiles built from `source`,
// the two profile columns given, and the window the dialog was confirmed with.
TwoProfileSettings pairRange(TwoProfileSettings range, const GrainAgesSource& source,
                             int32_t firstColumn, int32_t secondColumn) {
    range.AgeCol = 1;
    range.Y1Col = firstColumn;
    range.Y2Col = secondColumn;
    range.AgeColStr = "A";
    range.Y1ColStr = kestrel::columnLetters(range.Y1Col);
    range.Y2ColStr = kestrel::columnLetters(range.Y2Col);
    range.FromRow = 2;
    range.ToRow = static_cast<int32_t>(source.built.profiles.ages.size()) + 1;
    range.FromRowStr = "2";
    range.ToRowStr = std::to_string(range.ToRow);
    // The window the dialog was confirmed with, also for a pair chosen on the Many page.
    if (const auto width = kestrel::parseRealNumber(source.choices.ageWindowWidth);
        width && *width > 0) {
        range.AgeWindowWidthStr = source.choices.ageWindowWidth;
        range.AgeWindowWidth = *width;
    }
    return range;
}

}  // namespace

GrainAgesController::GrainAgesController(TForm1& window, UserInteraction& ui, SharedState& state)
    : m_window(window), m_ui(ui), m_state(state) {}

GrainAgesController::~GrainAgesController() = default;

void GrainAgesController::exportProfiles() {
    const GrainAgesSource* source = m_window.agesSourceInUse();
    if (!source) return;
    const auto path = kestrel::chooseTableFile(m_ui, &m_window, "Export profiles",
                                               source->workbookPath, "_profiles", "profiles");
    if (path) kestrel::writeProfilesFile(*path, source->built.ages.samples, source->built.profiles);
}

void GrainAgesController::run(bool all, const QString& workbook) {
    SharedState& state = m_state;
    kestrel::GrainAgesFields choices = state.GrainAgesChoices.value_or(kestrel::GrainAgesFields{});
    if (all) choices.compare = "all";
    QString path =
        !workbook.isEmpty()
            ? workbook
            : kestrel::decodedPath(m_agesInUse ? m_agesInUse->workbookPath : choices.workbook);
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        const auto choice = m_ui.chooseOpenFile(
            &m_window, TfmSheetImport::anyWorkbookChooser(
                           "Open grain ages", kestrel::decodedPath(state.DataImportPath)));
        if (!choice) return;
        path = choice->path;
    }
    GrainAgesOutcome outcome;
    {
        // The pair's window has its own setting; until it has one, the profiles' is proposed.
        const std::string& width = !choices.ageWindowWidth.empty() ? choices.ageWindowWidth
                                   : m_twoProfileSettings ? m_twoProfileSettings->AgeWindowWidthStr
                                                          : state.AgeWindowWidthStr;
        GrainAgesDialog dialog(choices, path, QString::fromStdString(width), m_ui, &m_window);
        if (m_ui.runModal(dialog) != QDialog::Accepted) return;
        outcome = dialog.takeOutcome();
    }
    state.GrainAgesChoices = outcome.source->choices;
    kestrel::rememberRecentWorkbook(state.RecentWorkbooks, outcome.source->workbookPath);
    kestrel::rememberRecentWorkbook(state.RecentAgesWorkbooks, outcome.source->workbookPath);
    m_window.updateRecentWorkbooksMenu();
    if (outcome.all) {
        showMatrix(outcome.source);
        return;
    }
    openPair(outcome.source, outcome.first, outcome.second);
}

void GrainAgesController::openPair(std::shared_ptr<const GrainAgesSource> source, size_t first,
                                   size_t second) {
    m_window.Memo1->clear();
    m_window.hideWorkbookAndResults();
    // The sheet of profiles holds every sample, so Edit can pick any two; a workbook with more
    // samples than a sheet has columns gets the two chosen ones.
    const size_t samples = source->built.ages.samples.size();
    m_agesSheetSamples.resize(samples);
    std::iota(m_agesSheetSamples.begin(), m_agesSheetSamples.end(), size_t{0});
    if (samples >= static_cast<size_t>(kestrel::kMaxSheetCols))
        m_agesSheetSamples = {first, second};
    const auto columnOf = [&](size_t sample) {
        const auto at = std::find(m_agesSheetSamples.begin(), m_agesSheetSamples.end(), sample);
        return static_cast<int32_t>(at - m_agesSheetSamples.begin()) + 2;
    };
    m_window.SprdSheetSource->SetWorkbook(source->workbook);
    m_window.SprdSheetSource->AppendSheet(
        kestrel::profilesWorksheet(kestrel::profilesTableOf(*source, m_agesSheetSamples),
                                   kestrel::freeProfilesSheetName(source->workbook)));
    m_agesProfilesSheet = m_window.SprdSheetSource->NumSheets();

    // The rows, columns and window below are the pair's own: the two-profile ones wait aside.
    TwoProfileController& twoProfile = m_window.twoProfile();
    if (!m_twoProfileSettings) m_twoProfileSettings = twoProfile.settings();
    const TwoProfileSettings range =
        pairRange(twoProfile.settings(), *source, columnOf(first), columnOf(second));
    const std::string workbookPath = source->workbookPath;
    m_agesInUse = std::move(source);
    twoProfile.compareBuiltSheet(workbookPath, m_agesProfilesSheet, range);
}

void GrainAgesController::restoreTwoProfileSettings() {
    if (!m_twoProfileSettings) return;
    m_window.twoProfile().setSettings(*m_twoProfileSettings);
    m_twoProfileSettings.reset();
}

std::optional<TwoProfileSettings> GrainAgesController::giveBackTwoProfileSettings() {
    if (!m_twoProfileSettings) return {};
    const TwoProfileSettings pair = m_window.twoProfile().settings();
    restoreTwoProfileSettings();
    return pair;
}

void GrainAgesController::retakeTwoProfileSettings(const TwoProfileSettings& pair) {
    m_twoProfileSettings = m_window.twoProfile().settings();
    m_window.twoProfile().setSettings(pair);
}

std::optional<std::pair<size_t, size_t>> GrainAgesController::agesPairInUse() const {
    const SharedState& state = m_state;
    if (!m_agesInUse || state.SheetIndex != m_agesProfilesSheet || state.AgeCol != 1) return {};
    const auto sampleAt = [&](int32_t col) -> std::optional<size_t> {
        if (col < 2 || col - 2 >= static_cast<int32_t>(m_agesSheetSamples.size())) return {};
        return m_agesSheetSamples[static_cast<size_t>(col - 2)];
    };
    const auto first = sampleAt(state.Y1Col), second = sampleAt(state.Y2Col);
    if (!first || !second) return {};
    return std::make_pair(*first, *second);
}

void GrainAgesController::fillGrainColumns(std::vector<WindowsTableRow>& rows) const {
    const auto pair = agesPairInUse();
    if (!pair) return;
    const auto& samples = m_agesInUse->built.ages.samples;
    kestrel::GrainWindows(samples[pair->first].ages, samples[pair->second].ages).fill(rows);
}

QString GrainAgesController::sampleSizesLine() const {
    const auto pair = agesPairInUse();
    if (!pair) return {};
    const auto& samples = m_agesInUse->built.ages.samples;
    const auto& a = samples[pair->first];
    const auto& b = samples[pair->second];
    return QString("Sample sizes: %1 and %2 grains (the grain ages of %3 and %4)")
        .arg(a.ages.size())
        .arg(b.ages.size())
        .arg(QString::fromStdString(a.name), QString::fromStdString(b.name));
}

std::optional<GrainCounts> GrainAgesController::pairGrains() const {
    const auto pair = agesPairInUse();
    if (!pair) return {};
    const auto& samples = m_agesInUse->built.ages.samples;
    return GrainCounts{static_cast<int32_t>(samples[pair->first].ages.size()),
                       static_cast<int32_t>(samples[pair->second].ages.size())};
}

std::optional<ProfilesTable> GrainAgesController::pairProfiles() const {
    const auto pair = agesPairInUse();
    if (!pair) return {};
    return profilesTableOf(*m_agesInUse, {pair->first, pair->second});
}

QString GrainAgesController::skippedNote() const {
    if (!agesPairInUse()) return {};
    const int64_t skipped = m_agesInUse->built.ages.emptyCellsSkipped;
    if (skipped <= 0) return {};
    return QString("%1 %2 among the ages skipped")
        .arg(skipped)
        .arg(skipped == 1 ? "empty cell" : "empty cells");
}

QString GrainAgesController::gridNote() const {
    const auto pair = agesPairInUse();
    if (!pair) return {};
    const auto& samples = m_agesInUse->built.ages.samples;
    const auto& grid = m_agesInUse->built.profiles.ages;
    return QString::fromStdString(
        kestrel::grainsOutsideGridNote(samples, grid, {pair->first, pair->second}));
}

void GrainAgesController::showMatrix(std::shared_ptr<const GrainAgesSource> source) {
    const auto& samples = source->built.ages.samples;
    kestrel::ManyProfilesResults results;
    kestrel::ComparisonRequest comparing;
    comparing.grainAges = &samples;
    comparing.gridAges = &source->built.profiles.ages;
    comparing.grainProfiles = &source->built.profiles.profiles;
    kestrel::SampleComparison comparison = kestrel::compareForThePage(comparing);
    results.measuresNote = QString::fromStdString(comparison.leftOutNote);
    results.map = std::move(comparison.map);
    results.matrix = std::make_shared<kestrel::ProfileMatrix>(std::move(comparison.matrix));
    results.columns.resize(samples.size());
    std::iota(results.columns.begin(), results.columns.end(), 0);
    results.rows = static_cast<int32_t>(source->built.profiles.ages.size());
    results.subject = agesSubject(samples);
    for (const kestrel::UnusableSample& unusable : source->built.ages.unusable) {
        results.leftOut.emplace_back(QString::fromStdString(unusable.name),
                                     QString::fromStdString(unusable.reason));
    }
    m_window.manyProfiles().showAgesResults(std::move(results), std::move(source));
}

}  // namespace kestrel
