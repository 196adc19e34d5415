// The main window as its user meets it, on Qt's offscreen platform: from program start to the
// window shown with its critical value table loaded, and from OK in the import dialog to the
// results (log, summary table, graphs) of a 65,535-row .xls and a 1,048,575-row .csv, the Open
// grain ages dialog's preview redrawn for 16 samples of 100 grains, the import dialog's Find end
// over a full Excel 97 column, and the spreadsheet grid filled, scrolled and zoomed.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <chrono>
#include <fstream>
#include <memory>
#include <random>

#include "app/GrainAgesDialog.h"
#include "app/KR_main.h"
#include "sheet/core/SpreadsheetCore.h"
#include "sheet/core/WorkbookWriter.h"
#include "sheet/widgets/KR_ShtIm.h"
#include "sheet/widgets/SpreadsheetWidget.h"
#include "tests/support/ScriptedUserInteraction.h"
#include "tools/samples/SampleProfiles.h"

namespace {

using Clock = std::chrono::steady_clock;

// Settings in a folder of their own, naming the table the build made.
QTemporaryDir& scratch() {
    static QTemporaryDir dir;
    return dir;
}

void useBuildTable() {
    qputenv("XDG_CONFIG_HOME", scratch().filePath("config").toUtf8());
    QDir().mkpath(scratch().filePath("config/kestrel"));
    std::ofstream(scratch().filePath("config/kestrel/kestrel_window_bench.INI").toStdString())
        << "[File Paths]\nClient dataset path=" << KESTREL_BUILD_DATA_DIR << "\n";
}

// A workbook of `rows` data rows below the heading, written once per run.
QString workbookOf(int32_t rows, int16_t fileType, const char* suffix) {
    const QString path = scratch().filePath(QString("profiles_%1.%2").arg(rows).arg(suffix));
    if (!QFile::exists(path)) {
        kestrel::SpreadsheetCore book;
        kestrel::samples::fillProfileSheet(book, kestrel::samples::sampleProfilesOfLength(rows));
        book.WriteWorkbook(path.toStdString(), fileType);
    }
    return path;
}

void BM_WindowStart(benchmark::State& state) {
    useBuildTable();
    kestrel::testsupport::ScriptedUserInteraction ui;
    for (auto _ : state) {
        const auto start = Clock::now();
        auto form = std::make_unique<TForm1>(ui);
        form->show();
        QApplication::processEvents();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_WindowStart)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void openToResults(benchmark::State& state, const QString& path, int32_t rows) {
    useBuildTable();
    kestrel::testsupport::ScriptedUserInteraction ui;
    TForm1 form(ui);
    form.show();
    QApplication::processEvents();
    for (auto _ : state) {
        Clock::time_point ok;
        ui.openAnswers.push_back(kestrel::FileChoice{path, 1});
        ui.modalActions.push_back([&](QDialog& dialog) {
            auto& import = dynamic_cast<TfmSheetImport&>(dialog);
            import.eFromRow->setText("2");
            import.eToRow->setText(QString::number(rows + 1));
            import.eAgeColStr->setText("A");
            import.eY1ColStr->setText("B");
            import.eY2ColStr->setText("C");
            import.eAgeWindowWidthStr->setText("100");
            ok = Clock::now();
            import.bbImport->click();
        });
        form.Open1Click();
        QApplication::processEvents();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - ok).count());
        if (!ui.shownOf(kestrel::testsupport::Shown::Warning).empty()) {
            state.SkipWithError("the workbook was not opened");
        }
    }
}

void BM_OpenToResults_Xls65535(benchmark::State& state) {
    openToResults(state, workbookOf(65535, kestrel::kFileTypeExcel97, "xls"), 65535);
}
BENCHMARK(BM_OpenToResults_Xls65535)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_OpenToResults_Csv1048575(benchmark::State& state) {
    openToResults(state, workbookOf(1048575, kestrel::kFileTypeCsv, "csv"), 1048575);
}
BENCHMARK(BM_OpenToResults_Csv1048575)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(3);

// 16 samples of 100 grain ages in one column each, drawn from detrital-like populations.
QString agesWorkbook() {
    const QString path = scratch().filePath("ages_16x100.csv");
    if (QFile::exists(path)) return path;
    std::mt19937 random(7);
    const double centres[] = {320, 560, 1050, 1850, 2700};
    std::ofstream out(path.toStdString());
    for (int s = 1; s <= 16; ++s) out << (s > 1 ? "," : "") << "S" << s;
    out << "\n";
    for (int grain = 0; grain < 100; ++grain) {
        for (int s = 0; s < 16; ++s) {
            const double centre = centres[(grain + s) % 5];
            out << (s > 0 ? "," : "")
                << std::normal_distribution<double>(centre, 0.03 * centre + 8)(random);
        }
        out << "\n";
    }
    return path;
}

void BM_GrainAgesPreview16x100(benchmark::State& state) {
    useBuildTable();
    kestrel::testsupport::ScriptedUserInteraction ui;
    GrainAgesDialog dialog({}, agesWorkbook(), "100", ui, nullptr);
    dialog.show();
    dialog.chkAllSamples->setChecked(true);
    bool common = false;
    for (auto _ : state) {
        // Every redraw builds every profile and Botev bandwidth afresh.
        common = !common;
        dialog.chkCommonBandwidth->setChecked(common);
        const auto start = Clock::now();
        dialog.updatePreview();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_GrainAgesPreview16x100)->Unit(benchmark::kMillisecond)->UseManualTime();

// The import dialog's Find end over an Age column filled from row 2 to 65,536.
void BM_FindEnd65535AgeCells(benchmark::State& state) {
    useBuildTable();
    kestrel::testsupport::ScriptedUserInteraction ui;
    kestrel::SettingsFields settings;
    ui.openAnswers.push_back(std::nullopt);
    TfmSheetImport dialog(settings, ui);
    dialog.show();
    kestrel::SpreadsheetWidget& preview = *dialog.SprdSheet;
    preview.SetCol(1);
    for (int row = 2; row <= 65536; ++row) {
        preview.SetRow(row);
        preview.SetNumber(row * 0.5);
    }
    dialog.eAgeColStr->setText("a");
    for (auto _ : state) {
        settings.SheetIndex = 1;
        settings.SheetLastRows.assign(1, 1);
        const auto start = Clock::now();
        dialog.sbFindLastRow->click();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
    if (dialog.eToRow->text() != "65536") state.SkipWithError("Find end did not reach row 65,536");
}
BENCHMARK(BM_FindEnd65535AgeCells)->Unit(benchmark::kMillisecond)->UseManualTime();

// A shown grid: 65,536 cells set one by one, the last scrolled to, zoomed to 70 % and repainted.
void BM_SpreadsheetFillScrollZoom65536(benchmark::State& state) {
    for (auto _ : state) {
        kestrel::SpreadsheetWidget grid;
        grid.resize(600, 400);
        grid.show();
        const auto start = Clock::now();
        grid.SetFixedRows(1);
        grid.SetMaxRow(65536);
        for (int row = 1; row <= 65536; ++row) {
            grid.SetRow(row);
            grid.SetCol(1);
            grid.SetNumber(row);
        }
        grid.SetRow(65536);
        grid.ShowCurrentCell();
        QApplication::processEvents();
        grid.SetViewScale(70);
        grid.refreshNow();
        grid.repaint();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}
BENCHMARK(BM_SpreadsheetFillScrollZoom65536)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
