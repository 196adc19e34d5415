// File > Open grain ages... through the real window, offscreen, on a workbook of 16 samples of
// grain ages written by openpyxl (ages sheet, uncertainties sheet in another column order, and
// one row per grain): the choices reaching the profiles, the refusals, the preview's rebuilds, the
// two-sample run against scipy, the saved Profiles sheet read back by openpyxl, and Compare many
// from the ages.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <sstream>

#include "app/GrainAgesDialog.h"
#include "app/KR_main.h"
#include "app/ManyResultsPage.h"
#include "engine/comparison/WindowsTable.h"
#include "sheet/core/SpreadsheetCore.h"
#include "sheet/widgets/SpreadsheetWidget.h"
#include "tests/app/MainWindowFixture.h"

namespace {

using kestrel::testsupport::Shown;

// Runs python3 (the system's, which has numpy, scipy and openpyxl) and gives its output.
std::string python(const QStringList& arguments) {
    QProcess process;
    process.start("/usr/bin/python3", arguments);
    process.waitForFinished(120000);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput().toStdString();
}

class GrainAgesWindow : public kestrel::testsupport::MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeSettings();
        m_book = m_dir.filePath("ages.xlsx");
        std::istringstream fixture(
            python({KESTREL_SOURCE_DIR "/tests/tools/batch_ages_fixture.py", m_book}));
        std::string word;
        fixture >> word >> m_scipyD >> m_scipyP >> word >> m_kuiperV;
        for (Pair pair;
             fixture >> word >> pair.i >> pair.j >> pair.d >> pair.p >> pair.v >> pair.kp;)
            m_pairs.push_back(pair);
        ASSERT_EQ(m_pairs.size(), 120u);
        m_form = std::make_unique<TForm1>(m_ui);
        m_form->resize(1200, 800);
        m_form->show();
    }

    // Opens the dialog on the workbook (through the file chooser), lets `act` work in it, and
    // leaves it with OK (or as `act` left it).
    void openAges(const std::function<void(GrainAgesDialog&)>& act) {
        m_ui.openAnswers.push_back(kestrel::FileChoice{m_book, 1});
        m_ui.modalActions.push_back(
            [act](QDialog& dialog) { act(dynamic_cast<GrainAgesDialog&>(dialog)); });
        m_form->OpenGrainAges1Click();
    }

    static void useErrorsSheet(GrainAgesDialog& dialog) {
        dialog.cbUncertainties->setCurrentIndex(dialog.cbUncertainties->findData("sheet"));
        dialog.cbErrorsSheet->setCurrentText("Errors");
    }

    static void ok(GrainAgesDialog& dialog) { QTest::mouseClick(dialog.bbOK, Qt::LeftButton); }

    const std::vector<kestrel::WindowsTableRow>& rows() const { return m_form->windowsTableRows(); }

    struct Pair {
        int i = 0, j = 0;
        double d = 0, p = 0, v = 0, kp = 0;  // grain D and p, Kuiper's V and p
    };
    QString m_book;
    double m_scipyD = 0, m_scipyP = 0, m_kuiperV = 0;
    std::vector<Pair> m_pairs;
    std::unique_ptr<TForm1> m_form;
};

// Every choice of the dialog reaches the reader and the profiles: the outcome equals what the
// engine builds directly from the same request.
TEST_F(GrainAgesWindow, ChoicesReachTheProfiles) {
    struct Case {
        const char* what;
        std::function<void(GrainAgesDialog&)> set;
        std::function<void(kestrel::GrainAgesRequest&, kestrel::DensityOptions&)> expect;
    };
    const std::vector<Case> cases = {
        {"KDE, own bandwidths", [](GrainAgesDialog&) {}, [](auto&, auto&) {}},
        {"PDP, errors sheet, 2 sigma in per cent",
         [](GrainAgesDialog& d) {
             useErrorsSheet(d);
             d.cbSigma->setCurrentIndex(1);
             d.chkPerCent->setChecked(true);
             d.cbProfile->setCurrentText("PDP");
         },
         [](kestrel::GrainAgesRequest& r, kestrel::DensityOptions& o) {
             r.errors = kestrel::ErrorsPlace::Sheet;
             r.errorsSheet = "Errors";
             r.sigmaLevel = 2;
             r.relative = true;
             r.uncertaintiesRequired = true;
             o.kind = kestrel::DensityKind::Pdp;
         }},
        {"adaptive KDE, bandwidth 30, grid 0:4000:2",
         [](GrainAgesDialog& d) {
             d.cbProfile->setCurrentText("adaptive KDE");
             d.eBandwidth->setText("30");
             d.eGridFrom->setText("0");
             d.eGridTo->setText("4000");
             d.eGridStep->setText("2");
         },
         [](auto&, kestrel::DensityOptions& o) {
             o.kind = kestrel::DensityKind::AdaptiveKde;
             o.bandwidth = 30;
             o.grid = kestrel::AgeGrid{0, 4000, 2};
         }},
        {"rows layout with its uncertainty column, common bandwidth",
         [](GrainAgesDialog& d) {
             d.cbSheetName->setCurrentText("Grains");
             d.cbLayout->setCurrentIndex(1);
             d.cbUncertainties->setCurrentIndex(d.cbUncertainties->findData("beside"));
             d.chkCommonBandwidth->setChecked(true);
         },
         [](kestrel::GrainAgesRequest& r, kestrel::DensityOptions& o) {
             r.sheet = 3;
             r.layout = kestrel::AgesLayout::Rows;
             r.errors = kestrel::ErrorsPlace::Beside;
             o.commonBandwidth = true;
         }},
    };
    kestrel::SpreadsheetCore book;
    int16_t type = 0;
    book.ReadWorkbook(m_book.toStdString(), type);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GrainAgesDialog dialog({}, m_book, "100", m_ui, nullptr);
        c.set(dialog);
        dialog.updatePreview();
        ok(dialog);
        ASSERT_EQ(dialog.result(), QDialog::Accepted) << dialog.previewNote().toStdString();
        const GrainAgesOutcome outcome = dialog.takeOutcome();
        kestrel::GrainAgesRequest request;
        kestrel::DensityOptions options;
        c.expect(request, options);
        const auto ages = kestrel::readGrainAges(book.workbook(), request);
        const auto expected = kestrel::buildDensityProfiles(ages.samples, options);
        const auto& built = outcome.source->built;
        ASSERT_EQ(built.ages.samples.size(), 16u);
        EXPECT_EQ(built.ages.samples[5].sigmas, ages.samples[5].sigmas);
        EXPECT_EQ(built.profiles.ages, expected.ages);
        EXPECT_EQ(built.profiles.profiles, expected.profiles);
        EXPECT_EQ(built.profiles.bandwidths, expected.bandwidths);
        EXPECT_EQ(outcome.first, 0u);
        EXPECT_EQ(outcome.second, 1u);
    }
}

// Two samples compared from their ages: the grain columns of the windows table (the whole
// range's against scipy), the sample sizes said, the Profiles sheet beside the ages and in the
// saved summary as openpyxl reads it, and the choices kept in the settings file.
TEST_F(GrainAgesWindow, ComparesTwoSamplesAndSavesTheirProfiles) {
    openAges([](GrainAgesDialog& d) {
        useErrorsSheet(d);
        d.cbSecondSample->setCurrentText("S02");
        ok(d);
    });
    ASSERT_FALSE(rows().empty());
    const kestrel::WindowsTableRow& whole = rows().front();
    ASSERT_TRUE(whole.grains && whole.grains->ks);
    EXPECT_EQ(whole.n1, 75);
    EXPECT_EQ(whole.n2, 106);
    EXPECT_DOUBLE_EQ(whole.grains->ks->d, m_scipyD);
    EXPECT_NEAR(whole.grains->ks->p, m_scipyP, 1e-12 + 1e-9 * m_scipyP);
    EXPECT_DOUBLE_EQ(whole.grains->kuiper->v, m_kuiperV);
    EXPECT_EQ(m_form->WindowsGrid->model()->columnCount(), 18);
    EXPECT_EQ(m_form->lSampleSizes->text(),
              "Sample sizes: 75 and 106 grains (the grain ages of S01 and S02)");
    EXPECT_EQ(m_form->SprdSheetSource->SheetName(m_form->SprdSheetSource->Sheet()), "Profiles");

    const QString saved = m_dir.filePath("out_summary.xlsx");
    m_ui.saveAnswers.push_back(kestrel::FileChoice{saved, 3});
    m_form->Saveas1Click();
    std::istringstream read(
        python({"-c",
                "import sys, openpyxl\n"
                "b = openpyxl.load_workbook(sys.argv[1], read_only=True)\n"
                "print(' '.join(b.sheetnames))\n"
                "rows = list(b['Profiles'].iter_rows(values_only=True))\n"
                "print(' '.join(rows[0]), len(rows) - 1)\n"
                "print(max(r[1] for r in rows[1:]), max(r[2] for r in rows[1:]))\n"
                "print(repr(rows[400][0]), repr(rows[400][2]))\n",
                saved}));
    std::string sheets[3], headers[3];
    int32_t profileRows = 0;
    double highest1 = 0, highest2 = 0, age = 0, value = 0;
    read >> sheets[0] >> sheets[1] >> sheets[2] >> headers[0] >> headers[1] >> headers[2] >>
        profileRows >> highest1 >> highest2 >> age >> value;
    EXPECT_EQ(sheets[0] + sheets[1] + sheets[2], "SmryWindowsProfiles");
    EXPECT_EQ(headers[0] + headers[1] + headers[2], "AgeS01S02");
    const auto& state = kestrel::sharedState();
    EXPECT_EQ(profileRows, state.NumRows);
    EXPECT_EQ(highest1, 100.0);
    EXPECT_EQ(highest2, 100.0);
    EXPECT_EQ(age, state.AgeData[400]);
    EXPECT_EQ(value, state.Y2Data[400]);

    m_form->WriteSettings();
    const std::string settings = kestrel::testsupport::readAll(settingsPath());
    EXPECT_NE(settings.find("[Grain ages]\nWorkbook=" + m_book.toStdString() + "\nSheet=Ages\n"),
              std::string::npos)
        << settings;
    EXPECT_NE(settings.find("Uncertainties=sheet\nUncertainties sheet=Errors\n"),
              std::string::npos);
}

// Each refusal is one plain message naming the field or the cell; the dialog stays open and the
// results of the comparison before it are still there.
TEST_F(GrainAgesWindow, RefusalsKeepThePreviousResults) {
    openAges([](GrainAgesDialog& d) { ok(d); });
    const std::vector<kestrel::WindowsTableRow> before = rows();
    ASSERT_FALSE(before.empty());
    m_ui.clear();

    struct Refusal {
        std::function<void(GrainAgesDialog&)> set;
        QString message;
    };
    const std::vector<Refusal> refusals = {
        {[](GrainAgesDialog& d) { d.eHeadingRow->setText("x"); },
         "Incorrect value entered for Heading row"},
        {[](GrainAgesDialog& d) { d.eBandwidth->setText("-3"); },
         "Incorrect value entered for Bandwidth: a number above 0 (age units) is wanted, or "
         "nothing for each sample's own"},
        {[](GrainAgesDialog& d) { d.eGridStep->setText("5"); },
         "Give the grid's From, To and Step, or leave all three empty for the automatic grid"},
        {[](GrainAgesDialog& d) {
             d.eGridFrom->setText("100");
             d.eGridTo->setText("50");
             d.eGridStep->setText("1");
         },
         "Grid to must lie above Grid from"},
        {[](GrainAgesDialog& d) { d.eAgeWindowWidth->setText("wide"); },
         "Incorrect value entered for Age window width"},
        {[](GrainAgesDialog& d) { d.cbSecondSample->setCurrentIndex(0); },
         "Choose two different samples to compare"},
        {[](GrainAgesDialog& d) { d.cbProfile->setCurrentText("PDP"); },
         "The profile needs an uncertainty for every grain: say where they are (a sheet of their "
         "own, or the column right of each age column)"},
    };
    for (const Refusal& refusal : refusals) {
        SCOPED_TRACE(refusal.message.toStdString());
        bool stayedOpen = false;
        openAges([&](GrainAgesDialog& d) {
            refusal.set(d);
            ok(d);
            stayedOpen = d.isVisible() && d.result() != QDialog::Accepted;
            d.reject();
        });
        EXPECT_TRUE(stayedOpen);
        const auto messages = m_ui.shownOf(Shown::Message);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_TRUE(messages[0].text.startsWith(refusal.message)) << messages[0].text.toStdString();
        m_ui.clear();
        ASSERT_EQ(rows().size(), before.size());
        EXPECT_EQ(rows().front().d, before.front().d);
        EXPECT_EQ(rows().front().grains->ks->d, before.front().grains->ks->d);
    }
}

// The preview builds the profiles again only when a choice they depend on changes, not when
// what is compared or drawn does; it says when a sample's own bandwidth is a last resort.
TEST_F(GrainAgesWindow, PreviewRebuildsOnlyWhenAProfileChoiceChanges) {
    GrainAgesDialog dialog({}, m_book, "100", m_ui, nullptr);
    dialog.resize(900, 560);
    dialog.show();
    dialog.updatePreview();
    const int opened = dialog.profileBuilds();
    EXPECT_GE(opened, 1);
    const std::vector<std::function<void()>> drawingOnly = {
        [&] { dialog.chkAllSamples->setChecked(true); },
        [&] { dialog.cbFirstSample->setCurrentIndex(3); },
        [&] { dialog.cbSecondSample->setCurrentIndex(5); },
        [&] { dialog.eAgeWindowWidth->setText("250"); },
        [] {},
    };
    for (const auto& change : drawingOnly) {
        change();
        dialog.updatePreview();
    }
    EXPECT_EQ(dialog.profileBuilds(), opened);
    EXPECT_TRUE(dialog.previewNote().startsWith("S01 (n = 75, bandwidth "))
        << dialog.previewNote().toStdString();
    const std::vector<std::function<void()>> building = {
        [&] { dialog.cbProfile->setCurrentText("adaptive KDE"); },
        [&] { dialog.chkCommonBandwidth->setChecked(true); },
        [&] { dialog.eBandwidth->setText("40"); },
        [&] {
            dialog.eGridFrom->setText("0");
            dialog.eGridTo->setText("4000");
            dialog.eGridStep->setText("5");
        },
        [&] { dialog.cbProfile->setCurrentText("KDE"); },
    };
    for (const auto& change : building) {
        change();
        dialog.updatePreview();
        dialog.updatePreview();
    }
    EXPECT_EQ(dialog.profileBuilds(), opened + static_cast<int>(building.size()));

    // Four grains have no diffusion bandwidth: the note says so, and a typed one quiets it.
    const QString tiny = m_dir.filePath("tiny.csv");
    kestrel::testsupport::writeAll(tiny, "A,B\n10,12\n20,25\n30,31\n15,50\n");
    GrainAgesDialog small({}, tiny, "100", m_ui, nullptr);
    EXPECT_TRUE(
        small.previewNote().contains("A has too few distinct ages (4) for its own "
                                     "bandwidth, which draws a spike per grain: type a "
                                     "bandwidth"))
        << small.previewNote().toStdString();
    small.eBandwidth->setText("5");
    small.updatePreview();
    EXPECT_FALSE(small.previewNote().contains("too few")) << small.previewNote().toStdString();
}

// "all, as many profiles": every pair by its grains (D as scipy gives it), the way back to two
// samples from their ages, and Compare many on the workbook of ages.
TEST_F(GrainAgesWindow, ComparesManyFromAges) {
    openAges([](GrainAgesDialog& d) {
        d.chkAllSamples->setChecked(true);
        ok(d);
    });
    const auto& results = m_form->ManyResults->results();
    ASSERT_TRUE(results.matrix && results.matrix->p());
    ASSERT_EQ(results.matrix->names.size(), 16u);
    for (const Pair& pair : m_pairs) {
        EXPECT_DOUBLE_EQ(results.matrix->D().at(pair.i, pair.j), pair.d);
        EXPECT_NEAR(results.matrix->p()->at(pair.i, pair.j), pair.p, 1e-12 + 1e-9 * pair.p);
    }
    EXPECT_TRUE(m_form->ManyResults->lNote->text().startsWith(
        "16 samples of grain ages (75 to 106 grains each): 120 pairs."));

    m_form->ManyResults->choosePair(2, 5);
    QTest::mouseClick(m_form->ManyResults->bbCompareTwo, Qt::LeftButton);
    ASSERT_FALSE(rows().empty());
    const auto& pair = *std::find_if(m_pairs.begin(), m_pairs.end(),
                                     [](const Pair& p) { return p.i == 2 && p.j == 5; });
    EXPECT_DOUBLE_EQ(rows().front().grains->ks->d, pair.d);
    EXPECT_TRUE(m_form->lSampleSizes->text().endsWith("(the grain ages of S03 and S06)"));

    bool allTicked = false;
    m_ui.modalActions.push_back([&](QDialog& dialog) {
        allTicked = dynamic_cast<GrainAgesDialog&>(dialog).chkAllSamples->isChecked();
    });
    m_form->CompareMany1Click();
    EXPECT_TRUE(allTicked);
}

}  // namespace

// The windows table's headings say what each column tests and on what: the profile test on the
// profiles' curves (n from the rows or the sample sizes), the grain test on the grains themselves
// (n their counts), the other measures on the profiles' curves.
TEST_F(GrainAgesWindow, WindowsHeadingsSayWhatEachColumnTests) {
    m_form->WindowsMeasures1->setChecked(true);
    openAges([](GrainAgesDialog& d) { ok(d); });
    const QAbstractItemModel& table = *m_form->WindowsGrid->model();
    ASSERT_EQ(table.columnCount(), 23);
    for (int c = 0; c < table.columnCount(); ++c) {
        const QString tip = table.headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString();
        SCOPED_TRACE(table.headerData(c, Qt::Horizontal).toString().toStdString() + ": " +
                     tip.toStdString());
        if (c >= 12 && c < 18) {
            EXPECT_TRUE(tip.startsWith("Grain test: ") && tip.contains("grains"));
        } else {
            EXPECT_TRUE(tip.contains("profile", Qt::CaseInsensitive));
            EXPECT_FALSE(tip.contains("grain test", Qt::CaseInsensitive));
        }
        if (c >= 18) {
            EXPECT_TRUE(tip.endsWith("of the two profiles' curves over the window's rows"));
        }
    }
    const auto tipOf = [&](int c) {
        return table.headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString();
    };
    EXPECT_TRUE(tipOf(5).contains("the number of rows in the window, or with sample sizes set"));
    EXPECT_EQ(tipOf(15),
              "Grain test: the p of Grain D for the grains in the window, with n = Grains 1 and "
              "Grains 2");
    EXPECT_EQ(table.headerData(15, Qt::Horizontal).toString(), "Grain p");
}
