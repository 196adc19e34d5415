// The Depositional age page through the real window, offscreen: the sample workbook's estimates
// against the engine's for the same grains, the graphs following the chosen sample, the choices
// kept in the settings file and read back, the summary's sheet read back by openpyxl, and a
// sample the estimators cannot take refused in kestrel-batch's words while the others are shown.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <sstream>

#include "app/DepositionalAgePage.h"
#include "app/DepositionalTableModel.h"
#include "app/GrainAgesDialog.h"
#include "app/KR_main.h"
#include "engine/KestrelError.h"
#include "output/YoungestGrainsGraph.h"
#include "sheet/core/GrainAges.h"
#include "sheet/core/WorkbookReader.h"
#include "tests/app/MainWindowFixture.h"

namespace {

using namespace kestrel;
using kestrel::testsupport::readAll;
using kestrel::testsupport::Shown;
using Col = DepositionalTableModel::Column;

const QString kSampleAges = KESTREL_SOURCE_DIR "/data/samples/GrainAges.xls";

std::string python(const std::string& script, const QStringList& arguments) {
    QProcess process;
    process.start("/usr/bin/python3",
                  QStringList{"-c", QString::fromStdString(script)} + arguments);
    process.waitForFinished(60000);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput().toStdString();
}

// The sheet names of an .xlsx on the first line, then the rows of its sheet "Depositional age"
// (if any) as comma-separated cells, numbers as Python's shortest round-trip text.
std::vector<std::string> summaryLines(const QString& path) {
    std::istringstream text(python(
        "import sys, openpyxl\n"
        "b = openpyxl.load_workbook(sys.argv[1])\n"
        "print('|'.join(b.sheetnames))\n"
        "if 'Depositional age' in b.sheetnames:\n"
        "    for row in b['Depositional age'].iter_rows(values_only=True):\n"
        "        print(','.join('' if v is None else repr(v) if isinstance(v, float) else str(v)"
        " for v in row))\n",
        {path}));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    return lines;
}

std::vector<DepositionalMethod> everyMethod() {
    std::vector<DepositionalMethod> methods;
    for (const auto& info : allDepositionalMethods()) methods.push_back(info.method);
    return methods;
}

// The sample workbook read as the dialog reads it with the uncertainties on their own sheet.
std::vector<GrainSample> sampleAges() {
    WorkbookFormat format;
    const Workbook book = readAnyWorkbookFile(kSampleAges.toStdString(), format);
    GrainAgesRequest request;
    request.errors = ErrorsPlace::Sheet;
    request.errorsSheet = "Errors";
    return readGrainAges(book, request).samples;
}

class DepositionalAgePageTest : public testsupport::MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeSettings();
        newForm();
    }
    void newForm() {
        m_form = std::make_unique<TForm1>(m_ui);
        m_form->resize(1200, 800);
        m_form->show();
    }

    // The next Open grain ages dialog opens `book`, `act` sets its fields, then OK.
    void answerAgesDialog(const QString& book, const std::function<void(GrainAgesDialog&)>& act) {
        m_ui.openAnswers.push_back(FileChoice{book, 1});
        m_ui.modalActions.push_back([act](QDialog& dialog) {
            auto& ages = dynamic_cast<GrainAgesDialog&>(dialog);
            act(ages);
            QTest::mouseClick(ages.bbOK, Qt::LeftButton);
        });
    }
    static void uncertainties(GrainAgesDialog& d, const char* where) {
        d.cbUncertainties->setCurrentIndex(d.cbUncertainties->findData(where));
    }

    DepositionalAgePage& page() { return *m_form->DepositionalAges; }

    // Every row of the table is the engine's estimate for the same sample, method and options.
    void expectTableOf(const std::vector<GrainSample>& samples,
                       const std::vector<DepositionalMethod>& methods,
                       const DepositionalOptions& options) {
        const auto expected = estimateDepositionalAgesOfSamples(samples, methods, options);
        const QAbstractItemModel& table = *page().EstimatesGrid->model();
        ASSERT_EQ(table.rowCount(), static_cast<int>(samples.size() * methods.size()));
        int row = 0;
        for (size_t s = 0; s < samples.size(); ++s) {
            for (const DepositionalEstimate& e : expected[s]) {
                const auto cell = [&](int c) {
                    return table.data(table.index(row, c), Qt::EditRole);
                };
                const auto same = [&](int c, const std::optional<double>& value) {
                    EXPECT_EQ(cell(c).isValid(), value.has_value())
                        << "row " << row << " col " << c;
                    if (value && cell(c).isValid()) {
                        EXPECT_EQ(cell(c).toDouble(), *value) << row;
                    }
                };
                EXPECT_EQ(cell(Col::Sample).toString().toStdString(), samples[s].name);
                EXPECT_EQ(cell(Col::Grains).toULongLong(), samples[s].ages.size());
                EXPECT_EQ(cell(Col::Method).toString(), depositionalMethod(e.method).name);
                same(Col::Age, e.age);
                same(Col::Minus, e.age ? e.minus : std::nullopt);
                same(Col::Plus, e.age ? e.plus : std::nullopt);
                same(Col::Mswd, e.mswd);
                EXPECT_EQ(cell(Col::Used).toULongLong(), e.used) << row;
                if (!e.age) {
                    EXPECT_EQ(table.data(table.index(row, Col::Age), Qt::DisplayRole), "none");
                    EXPECT_EQ(table.data(table.index(row, Col::Age), Qt::ToolTipRole).toString(),
                              QString::fromStdString(e.reason));
                }
                ++row;
            }
        }
    }

    std::unique_ptr<TForm1> m_form;
};

TEST_F(DepositionalAgePageTest, SampleAgesEstimatedDrawnKeptInTheSettingsAndInTheSummary) {
    // No ages in use: the command opens them first and carries on with them.
    answerAgesDialog(kSampleAges, [](GrainAgesDialog& d) { uncertainties(d, "sheet"); });
    m_form->DepositionalAge1->trigger();
    ASSERT_TRUE(page().filled());
    EXPECT_EQ(m_form->PageControl1->currentWidget(), m_form->tsDepositionalAge);
    const std::vector<GrainSample> samples = sampleAges();
    ASSERT_EQ(samples.size(), 8u);
    expectTableOf(samples, everyMethod(), DepositionalOptions{});

    // Another sample: the graphs draw its grains, youngest first, and its estimates at their ages.
    page().cbSample->setCurrentIndex(3);
    const GrainSample& chosen = samples[3];
    const auto estimates = estimateDepositionalAges(chosen, everyMethod(), {});
    std::vector<double> sorted = chosen.ages;
    std::sort(sorted.begin(), sorted.end());
    QCustomPlot& youngest = *page().YoungestGraph;
    const auto grains = youngest.graph(0)->data();
    ASSERT_EQ(static_cast<size_t>(grains->size()), youngestGrainsShown(chosen, estimates));
    double reach = 0;  // every estimate's interval lies among the grains drawn
    for (const auto& e : estimates)
        reach = std::max(reach, e.age ? *e.age + e.plus.value_or(0) : 0);
    EXPECT_GE(sorted[size_t(grains->size()) - 1], reach);
    for (int i = 0; i < grains->size(); ++i) EXPECT_EQ(grains->at(i)->value, sorted[size_t(i)]);
    for (size_t m = 0; m < estimates.size(); ++m) {
        const auto line = youngest.graph(static_cast<int>(m) + 1);
        EXPECT_EQ(line->name(), estimateLegendText(estimates[m]));
        if (estimates[m].age) {
            EXPECT_EQ(line->data()->at(0)->value, *estimates[m].age);
        } else {
            EXPECT_EQ(line->dataCount(), 0) << "a method that found nothing is not drawn";
        }
    }
    // Its PDP holds its grains (a sum of unit densities) and each component peaks at its age.
    QCustomPlot& components = *page().ComponentsGraph;
    const auto pdp = components.graph(0)->data();
    double area = 0;
    for (int i = 1; i < pdp->size(); ++i)
        area += (pdp->at(i)->key - pdp->at(i - 1)->key) *
                (pdp->at(i)->value + pdp->at(i - 1)->value) / 2;
    EXPECT_NEAR(area, double(chosen.ages.size()), 0.01 * double(chosen.ages.size()));
    const auto peaksAt = [&](const MixtureFit& fit) {
        ASSERT_EQ(components.graphCount(), 1 + static_cast<int>(fit.components.size()));
        const double step = pdp->at(1)->key - pdp->at(0)->key;
        for (size_t c = 0; c < fit.components.size(); ++c) {
            const auto curve = components.graph(1 + static_cast<int>(c))->data();
            const auto top = std::max_element(curve->begin(), curve->end(),
                                              [](auto& a, auto& b) { return a.value < b.value; });
            EXPECT_NEAR(top->key, fit.components[c].age, step) << "component " << c;
        }
    };
    peaksAt(fitMixtureAuto(chosen));

    // Tau unticked, seed 7, the MLA's four parameters, three components: estimated again.
    std::vector<DepositionalMethod> nine = everyMethod();
    nine.erase(std::find(nine.begin(), nine.end(), DepositionalMethod::Tau));
    page().lwMethods->item(static_cast<int>(DepositionalMethod::Tau))->setCheckState(Qt::Unchecked);
    page().eSeed->setText("7");
    QTest::keyClick(page().eSeed, Qt::Key_Return);
    page().cbMlaParameters->setCurrentIndex(page().cbMlaParameters->findText("4"));
    page().cbComponents->setCurrentIndex(page().cbComponents->findText("3"));
    DepositionalOptions options;
    options.seed = 7;
    options.mlaParameters = 4;
    expectTableOf(samples, nine, options);
    peaksAt(fitMixture(chosen, 3));

    // The summary of the pair in use gains the table as its last sheet, header and cells exact.
    const QString summary = m_dir.filePath("dz_summary.xlsx");
    m_ui.saveAnswers.push_back(FileChoice{summary, 3});
    m_form->Saveas1Click();
    const std::vector<std::string> lines = summaryLines(summary);
    ASSERT_EQ(lines.size(), 2 + samples.size() * nine.size());
    EXPECT_EQ(lines[0], "Smry|Windows|Profiles|Depositional age");
    EXPECT_EQ(lines[1], "Sample,Grains,Method,Age,Minus,Plus,MSWD,Used");
    const auto expected = estimateDepositionalAgesOfSamples(samples, nine, options);
    size_t line = 2;
    for (size_t s = 0; s < samples.size(); ++s) {
        for (const DepositionalEstimate& e : expected[s]) {
            std::vector<std::string> cells;
            std::istringstream row(lines[line++] + ",");
            for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
            ASSERT_EQ(cells.size(), 8u) << lines[line - 1];
            EXPECT_EQ(cells[0], samples[s].name);
            EXPECT_EQ(std::stoul(cells[1]), samples[s].ages.size());
            EXPECT_EQ(cells[2], depositionalMethod(e.method).name);
            const auto same = [&](size_t c, const std::optional<double>& value) {
                if (value) {
                    EXPECT_EQ(std::stod(cells[c]), *value) << lines[line - 1];
                } else {
                    EXPECT_EQ(cells[c], "") << lines[line - 1];
                }
            };
            same(3, e.age);
            same(4, e.age ? e.minus : std::nullopt);
            same(5, e.age ? e.plus : std::nullopt);
            same(6, e.mswd);
            EXPECT_EQ(std::stoul(cells[7]), e.used);
        }
    }

    // A .csv summary holds one sheet: the table goes to a file of its own beside it.
    m_ui.saveAnswers.push_back(FileChoice{m_dir.filePath("dz_summary.csv"), 4});
    m_form->Saveas1Click();
    const std::string beside = readAll(m_dir.filePath("dz_summary_depositional.csv"));
    EXPECT_EQ(beside.substr(0, beside.find('\n')), lines[1] + "\r");

    // The table exported and copied, both graphs exported from their context menus.
    const QString table = m_dir.filePath("dz_mda.csv");
    m_ui.saveAnswers.push_back(FileChoice{table, 1});
    QTest::mouseClick(page().bbExportTable, Qt::LeftButton);
    std::istringstream exported(readAll(table));
    std::vector<std::string> rows;
    for (std::string row; std::getline(exported, row);) rows.push_back(row);
    ASSERT_EQ(rows.size(), lines.size() - 1);
    EXPECT_EQ(rows[0], lines[1] + "\r") << "the RFC 4180 line end";
    page().copyTable();
    const QStringList copied = QApplication::clipboard()->text().split('\n');
    EXPECT_EQ(copied.value(0), "Sample\tGrains\tMethod\tAge\t\u2212\t+\tMSWD\tUsed\tNote");
    EXPECT_EQ(copied.size(), int(rows.size()) + 1) << "every row, and the last line's end";
    for (const char* graph : {"Youngest", "Components"}) {
        const QString image = m_dir.filePath(QString(graph) + ".svg");
        m_ui.saveAnswers.push_back(FileChoice{image, 2});
        auto* action = m_form->findChild<QAction*>(QString(graph) + "Export");
        ASSERT_TRUE(action) << graph;
        action->trigger();
        EXPECT_NE(readAll(image).find("<svg"), std::string::npos) << graph;
    }

    // The choices in a section of their own, which the next start reads back into the page.
    m_form->close();
    EXPECT_NE(readAll(settingsPath())
                  .find("[Depositional age]\nMethods=ysg,yc1s,yc2s,y3za,y3zo,ysp,ypp,ydz,mla\n"
                        "Seed=7\nMLA parameters=4\nComponents=3\n"),
              std::string::npos)
        << readAll(settingsPath());
    resetSharedState();
    newForm();
    answerAgesDialog(kSampleAges, [](GrainAgesDialog& d) { uncertainties(d, "sheet"); });
    m_form->DepositionalAge1->trigger();
    EXPECT_EQ(page().choices(),
              (DepositionalAgeFields{"ysg,yc1s,yc2s,y3za,y3zo,ysp,ypp,ydz,mla", "7", "4", "3"}));
    expectTableOf(samples, nine, options);
}

TEST_F(DepositionalAgePageTest, ASampleTheEstimatorsCannotTakeIsRefusedAndTheOthersShown) {
    // Three samples of 20 grains, one uncertainty of B's 0; written as the laboratory's rows.
    std::vector<GrainSample> samples{{"A", {}, {}}, {"B", {}, {}}, {"C", {}, {}}};
    std::string csv = "Sample,Age,1s\n", ages = "Sample,Age\n";
    for (size_t s = 0; s < samples.size(); ++s) {
        for (int i = 0; i < 20; ++i) {
            samples[s].ages.push_back(80.0 + 10.0 * double(s) + 6.5 * i + (i % 3));
            samples[s].sigmas.push_back(s == 1 && i == 4 ? 0.0 : 1.5 + 0.25 * (i % 4));
            std::ostringstream line;
            line << samples[s].name << ',' << samples[s].ages.back() << ','
                 << samples[s].sigmas.back() << '\n';
            csv += line.str();
            ages += line.str().substr(0, line.str().rfind(',')) + "\n";
        }
    }
    const QString book = m_dir.filePath("three.csv"), plain = m_dir.filePath("three_ages.csv");
    testsupport::writeAll(book, csv);
    testsupport::writeAll(plain, ages);
    const auto rowsWith = [this](const QString& book, const char* where) {
        // With ages in use the dialog opens on their workbook: another is chosen in it.
        const bool inUse = m_form->agesSourceInUse() != nullptr;
        answerAgesDialog(book, [where, inUse](GrainAgesDialog& d) {
            if (inUse) d.bbWorkbookClick();
            d.cbLayout->setCurrentIndex(d.cbLayout->findData("rows"));
            uncertainties(d, where);
            d.updatePreview();
            d.cbSecondSample->setCurrentText("B");
        });
        m_form->OpenGrainAges1Click();
    };
    rowsWith(book, "beside");

    // Never filled, the page adds nothing: no section in the settings, no sheet in the summary.
    m_form->WriteSettings();
    EXPECT_EQ(readAll(settingsPath()).find("[Depositional age]"), std::string::npos);
    const QString before = m_dir.filePath("before.xlsx");
    m_ui.saveAnswers.push_back(FileChoice{before, 3});
    m_form->Saveas1Click();
    EXPECT_EQ(summaryLines(before).at(0), "Smry|Windows|Profiles");

    // The ages in use, without a dialog: B refused in the words of kestrel-batch, A and C shown.
    m_ui.clear();
    m_form->DepositionalAge1->trigger();
    EXPECT_TRUE(m_ui.shownOf(Shown::Modal).empty());
    std::string refusal;
    try {
        checkDepositionalSample(samples[1]);
    } catch (const KestrelError& error) {
        refusal = error.what();
    }
    ASSERT_FALSE(refusal.empty());
    EXPECT_TRUE(page().lNote->text().contains(": B (hover here for why)"))
        << page().lNote->text().toStdString();
    EXPECT_EQ(page().lNote->toolTip().toStdString(), refusal);
    EXPECT_EQ(page().cbSample->count(), 2);
    expectTableOf({samples[0], samples[2]}, everyMethod(), {});

    // The same ages without uncertainties: every sample refused, the page keeps what it showed.
    rowsWith(plain, "none");
    m_ui.clear();
    m_form->DepositionalAge1->trigger();
    const auto warnings = m_ui.shownOf(Shown::Warning);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_TRUE(warnings[0].text.contains(
        "Sample \"A\": its ages have no uncertainties, which depositional ages need"))
        << warnings[0].text.toStdString();
    expectTableOf({samples[0], samples[2]}, everyMethod(), {});
}

}  // namespace
