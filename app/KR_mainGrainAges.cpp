// File > Open grain ages...: profiles built from single-grain ages, compared two at a time as
// profile columns are, with the grains as sample sizes and each window's grains tested, or every
// sample at once by its grains on the Many profiles page.
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
#include "app/ManyResultsPage.h"
#include "app/ManyResultsPageMeasures.h"
#include "app/RecentWorkbooks.h"
#include "app/WindowsTableModel.h"
#include "engine/ClassicalMds.h"
#include "engine/KestrelError.h"
#include "engine/MeasureMatrix.h"
#include "engine/NumberText.h"
#include "engine/density/GridCoverage.h"
#include "engine/measures/GrainMatrix.h"
#include "engine/measures/GrainWindows.h"
#include "sheet/core/AllSorts.h"
#include "sheet/core/ProfilesSheet.h"
#include "sheet/widgets/KR_ShtIm.h"
#include "sheet/widgets/SpreadsheetWidget.h"
#include "sheet/widgets/UserInteraction.h"

using kestrel::sharedState;

namespace {

QString decoded(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

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

}  // namespace

void TForm1::addGrainAges() {
    connect(OpenGrainAges1, &QAction::triggered, this, &TForm1::OpenGrainAges1Click);
    connect(ExportProfiles1, &QAction::triggered, this, &TForm1::ExportProfiles1Click);
}

const kestrel::GrainAgesSource* TForm1::agesSourceInUse() const {
    if (m_agesInUse) return m_agesInUse.get();
    const bool manyShown = PageControl1->isTabVisible(PageControl1->indexOf(tsManyProfiles));
    return manyShown ? m_manySource.ages.get() : nullptr;
}

void TForm1::ExportProfiles1Click() {
    const kestrel::GrainAgesSource* source = agesSourceInUse();
    if (!source) return;
    const QFileInfo workbook(decoded(source->workbookPath));
    kestrel::FileDialogSetup setup;
    setup.title = "Export profiles";
    setup.filters = QStringList{"Comma-separated text (*.csv)", "Excel workbook (*.xlsx)"};
    setup.filterSuffixes = QStringList{"csv", "xlsx"};
    setup.defaultSuffix = "csv";
    setup.initialFolder = workbook.path();
    setup.proposedName = workbook.completeBaseName() + "_profiles.csv";
    setup.confirmOverwrite = true;
    const auto choice = m_ui.chooseSaveFile(this, setup);
    if (!choice) return;
    QString chosen = choice->path;
    // A name without .csv or .xlsx takes the chosen entry's.
    const QString suffix = QFileInfo(chosen).suffix().toLower();
    if (suffix != "csv" && suffix != "xlsx")
        chosen += "." + setup.filterSuffixes.value(choice->filterIndex - 1, "csv");
    const std::string path = QFile::encodeName(chosen).toStdString();
    std::error_code error;
    if (std::filesystem::equivalent(path, source->workbookPath, error)) {
        throw kestrel::KestrelError("The profiles file " + path +
                                    " is the workbook of the ages; choose another name");
    }
    kestrel::writeProfilesFile(path, source->built.ages.samples, source->built.profiles);
}

void TForm1::OpenGrainAges1Click() {
    runGrainAges(false);
}

void TForm1::runGrainAges(bool all, const QString& workbook) {
    SharedState& state = sharedState();
    kestrel::GrainAgesFields choices = state.GrainAgesChoices.value_or(kestrel::GrainAgesFields{});
    if (all) choices.compare = "all";
    QString path = !workbook.isEmpty()
                       ? workbook
                       : decoded(m_agesInUse ? m_agesInUse->workbookPath : choices.workbook);
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        const auto choice = m_ui.chooseOpenFile(
            this,
            TfmSheetImport::anyWorkbookChooser("Open grain ages", decoded(state.DataImportPath)));
        if (!choice) return;
        path = choice->path;
    }
    GrainAgesOutcome outcome;
    {
        // The pair's window has its own setting; until it has one, the profiles' is proposed.
        const std::string& width = !choices.ageWindowWidth.empty() ? choices.ageWindowWidth
                                   : m_twoProfileSettings ? m_twoProfileSettings->AgeWindowWidthStr
                                                          : state.AgeWindowWidthStr;
        GrainAgesDialog dialog(choices, path, QString::fromStdString(width), m_ui, this);
        if (m_ui.runModal(dialog) != QDialog::Accepted) return;
        outcome = dialog.takeOutcome();
    }
    state.GrainAgesChoices = outcome.source->choices;
    kestrel::rememberRecentWorkbook(state.RecentWorkbooks, outcome.source->workbookPath);
    kestrel::rememberRecentWorkbook(state.RecentAgesWorkbooks, outcome.source->workbookPath);
    updateRecentWorkbooksMenu();
    if (outcome.all) {
        showAgesMatrix(outcome.source);
        return;
    }
    openAgesPair(outcome.source, outcome.first, outcome.second);
}

void TForm1::openAgesPair(std::shared_ptr<const kestrel::GrainAgesSource> source, size_t first,
                          size_t second) {
    SharedState& state = sharedState();
    Memo1->clear();
    hideWorkbookAndResults();
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
    SprdSheetSource->SetWorkbook(source->workbook);
    SprdSheetSource->AppendSheet(
        kestrel::profilesWorksheet(kestrel::profilesTableOf(*source, m_agesSheetSamples),
                                   kestrel::freeProfilesSheetName(source->workbook)));
    m_agesProfilesSheet = SprdSheetSource->NumSheets();

    // The rows, columns and window below are the pair's own: the two-profile ones wait aside.
    if (!m_twoProfileSettings) m_twoProfileSettings = kestrel::twoProfileSettingsOf(state);
    const QFileInfo file(decoded(source->workbookPath));
    state.WorkbookPath = source->workbookPath;
    state.WorkbookFileName = QFile::encodeName(file.fileName()).toStdString();
    state.DataImportPath = QFile::encodeName(file.absolutePath()).toStdString() + "/";
    state.SheetIndex = m_agesProfilesSheet;
    state.AgeCol = 1;
    state.Y1Col = columnOf(first);
    state.Y2Col = columnOf(second);
    state.AgeColStr = "A";
    state.Y1ColStr = kestrel::columnLetters(state.Y1Col);
    state.Y2ColStr = kestrel::columnLetters(state.Y2Col);
    state.FromRow = 2;
    state.ToRow = static_cast<int32_t>(source->built.profiles.ages.size()) + 1;
    state.FromRowStr = "2";
    state.ToRowStr = std::to_string(state.ToRow);
    // The window the dialog was confirmed with, also for a pair chosen on the Many page.
    if (const auto width = kestrel::parseRealNumber(source->choices.ageWindowWidth);
        width && *width > 0) {
        state.AgeWindowWidthStr = source->choices.ageWindowWidth;
        state.AgeWindowWidth = *width;
    }
    m_pairInUse.reset();
    m_agesInUse = std::move(source);
    prepareOpenedWorkbook();
    Calculate1Click();
    finishOpenedWorkbook();
}

std::optional<std::pair<size_t, size_t>> TForm1::agesPairInUse() const {
    const SharedState& state = sharedState();
    if (!m_agesInUse || state.SheetIndex != m_agesProfilesSheet || state.AgeCol != 1) return {};
    const auto sampleAt = [&](int32_t col) -> std::optional<size_t> {
        if (col < 2 || col - 2 >= static_cast<int32_t>(m_agesSheetSamples.size())) return {};
        return m_agesSheetSamples[static_cast<size_t>(col - 2)];
    };
    const auto first = sampleAt(state.Y1Col), second = sampleAt(state.Y2Col);
    if (!first || !second) return {};
    return std::make_pair(*first, *second);
}

void TForm1::fillGrainColumns(std::vector<kestrel::WindowsTableRow>& rows) const {
    const auto pair = agesPairInUse();
    if (!pair) return;
    const auto& samples = m_agesInUse->built.ages.samples;
    kestrel::GrainWindows(samples[pair->first].ages, samples[pair->second].ages).fill(rows);
}

QString TForm1::agesSampleSizesLine() const {
    const auto pair = agesPairInUse();
    const auto& samples = m_agesInUse->built.ages.samples;
    const auto& a = samples[pair->first];
    const auto& b = samples[pair->second];
    return QString("Sample sizes: %1 and %2 grains (the grain ages of %3 and %4)")
        .arg(a.ages.size())
        .arg(b.ages.size())
        .arg(QString::fromStdString(a.name), QString::fromStdString(b.name));
}

QString TForm1::agesSkippedNote() const {
    if (!agesPairInUse()) return {};
    const int64_t skipped = m_agesInUse->built.ages.emptyCellsSkipped;
    if (skipped <= 0) return {};
    return QString("%1 %2 among the ages skipped")
        .arg(skipped)
        .arg(skipped == 1 ? "empty cell" : "empty cells");
}

QString TForm1::agesGridNote() const {
    const auto pair = agesPairInUse();
    if (!pair) return {};
    const auto& samples = m_agesInUse->built.ages.samples;
    const auto& grid = m_agesInUse->built.profiles.ages;
    return QString::fromStdString(
        kestrel::grainsOutsideGridNote(samples, grid, {pair->first, pair->second}));
}

void TForm1::showAgesMatrix(std::shared_ptr<const kestrel::GrainAgesSource> source) {
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
    m_manySource = ManySource{};
    m_manySource.workbookPath = decoded(source->workbookPath);
    m_manySource.ages = std::move(source);
    PageControl1->setTabVisible(PageControl1->indexOf(tsManyProfiles), true);
    showPage(tsManyProfiles);
    ManyResults->showResults(std::move(results));
    showEmptyCellsNote(QString());
}
