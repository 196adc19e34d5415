// Unmix... and End-members... from the Many profiles page of a workbook of grain ages, through
// the real window offscreen: the dialog's refusals, the fits and intervals on the page equal to
// the engine's for the same samples and seed, the table exported as kestrel-batch writes it, and
// the end-members for k = 2 to 8 with the k the rule chooses in view.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "app/EndMembersPage.h"
#include "app/GrainAgesDialog.h"
#include "app/KR_main.h"
#include "app/ManyResultsPage.h"
#include "app/UnmixDialog.h"
#include "app/UnmixingPage.h"
#include "sheet/core/GrainAges.h"
#include "sheet/core/WorkbookReader.h"
#include "tests/app/MainWindowFixture.h"

namespace {

using namespace kestrel;
using kestrel::testsupport::readAll;
using kestrel::testsupport::Shown;

const QString kSampleAges = KESTREL_SOURCE_DIR "/data/samples/GrainAges.xls";

class UnmixingPages : public testsupport::MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeSettings();
        m_form = std::make_unique<TForm1>(m_ui);
        m_form->resize(1200, 800);
        m_form->show();
        // Every sample of the sample workbook compared, its uncertainties on their own sheet.
        m_ui.openAnswers.push_back(FileChoice{kSampleAges, 1});
        m_ui.modalActions.push_back([](QDialog& dialog) {
            auto& ages = dynamic_cast<GrainAgesDialog&>(dialog);
            ages.cbUncertainties->setCurrentIndex(ages.cbUncertainties->findData("sheet"));
            ages.chkAllSamples->setChecked(true);
            QTest::mouseClick(ages.bbOK, Qt::LeftButton);
        });
        m_form->OpenGrainAges1Click();
    }
    std::vector<GrainSample> samples() const {
        WorkbookFormat format;
        const Workbook book = readAnyWorkbookFile(kSampleAges.toStdString(), format);
        GrainAgesRequest request;
        request.errors = ErrorsPlace::Sheet;
        request.errorsSheet = "Errors";
        return readGrainAges(book, request).samples;
    }
    std::unique_ptr<TForm1> m_form;
};

TEST_F(UnmixingPages, UnmixShowsTheEnginesFitsAndExportsThem) {
    ManyResultsPage& many = *m_form->ManyResults;
    ASSERT_TRUE(many.bbUnmix->isVisibleTo(&many));
    // One source only is refused and the dialog stays; then sink 0 into sources 1, 2, 3.
    m_ui.modalActions.push_back([](QDialog& dialog) {
        auto& unmix = dynamic_cast<UnmixDialog&>(dialog);
        for (int i = 1; i < unmix.lwSources->count(); ++i)
            unmix.lwSources->item(i)->setCheckState(i <= 3 ? Qt::Checked : Qt::Unchecked);
        unmix.lwSources->item(2)->setCheckState(Qt::Unchecked);
        unmix.lwSources->item(3)->setCheckState(Qt::Unchecked);
        QTest::mouseClick(unmix.bbOK, Qt::LeftButton);
        EXPECT_TRUE(unmix.isVisible());
        unmix.lwSources->item(2)->setCheckState(Qt::Checked);
        unmix.lwSources->item(3)->setCheckState(Qt::Checked);
        unmix.eBootstrap->setText("40");
        unmix.eSeed->setText("7");
        QTest::mouseClick(unmix.bbOK, Qt::LeftButton);
    });
    QTest::mouseClick(many.bbUnmix, Qt::LeftButton);
    EXPECT_EQ(m_ui.shownOf(Shown::Message).size(), 1u);
    EXPECT_EQ(m_form->PageControl1->currentWidget(), m_form->tsUnmixing);
    const UnmixingPage& page = *m_form->Unmixing;
    ASSERT_TRUE(page.filled());

    const std::vector<GrainSample> all = samples();
    UnmixingOptions options;
    options.resamples = 40;
    options.seed = 7;
    const UnmixingResult expected = unmixSample(all[0], {all[1], all[2], all[3]}, options);
    const UnmixingResult& shown = page.shown().result;
    ASSERT_EQ(shown.estimates.size(), 3u);
    for (size_t f = 0; f < 3; ++f) {
        EXPECT_EQ(shown.estimates[f].proportions, expected.estimates[f].proportions) << f;
        EXPECT_EQ(shown.estimates[f].lower, expected.estimates[f].lower) << f;
        EXPECT_EQ(shown.estimates[f].upper, expected.estimates[f].upper) << f;
        EXPECT_EQ(shown.estimates[f].value, expected.estimates[f].value) << f;
    }
    EXPECT_EQ(page.UnmixingGrid->model()->rowCount(), 3 * 4);
    EXPECT_EQ(page.ProportionsGraph->plottableCount(), 6) << "bars and intervals per fit";
    EXPECT_EQ(page.CumulativeGraph->graphCount(), 3) << "the sink, D's and V's mixtures";

    const QString table = m_dir.filePath("unmix.csv");
    m_ui.saveAnswers.push_back(FileChoice{table, 1});
    QTest::mouseClick(page.bbExportTable, Qt::LeftButton);
    const std::string written = readAll(table);
    EXPECT_EQ(written.rfind("Fit,Item,Estimate,Lower,Upper\r\n", 0), 0u) << written;
    EXPECT_NE(written.find("\r\nD,value,"), std::string::npos) << written;
}

TEST_F(UnmixingPages, EndMembersForEveryKWithTheChosenInView) {
    QTest::mouseClick(m_form->ManyResults->bbEndMembers, Qt::LeftButton);
    EXPECT_EQ(m_form->PageControl1->currentWidget(), m_form->tsEndMembers);
    EndMembersPage& page = *m_form->EndMembers;
    ASSERT_TRUE(page.filled());
    const EndMembersShown& shown = page.shown();
    ASSERT_EQ(shown.byK.front().k, 2);
    EXPECT_EQ(shown.byK.back().k, 7) << "k below the eight samples";
    EXPECT_EQ(shown.chosen, chooseEndMemberCount(shown.byK));
    for (size_t k = 1; k < shown.byK.size(); ++k)
        EXPECT_LE(shown.byK[k].residual, shown.byK[k - 1].residual * 1.0001) << k;
    // Another k: its end-members drawn and each sample's weights, summing to 1, in the table.
    page.cbK->setCurrentIndex(1);
    EXPECT_EQ(page.EndMembersGraph->graphCount(), 3);
    const QAbstractItemModel& weights = *page.WeightsGrid->model();
    ASSERT_EQ(weights.rowCount(), 8);
    ASSERT_EQ(weights.columnCount(), 1 + 3 + 1);
    for (int s = 0; s < 8; ++s) {
        double sum = 0;
        for (int e = 1; e <= 3; ++e) sum += weights.index(s, e).data(Qt::UserRole).toDouble();
        EXPECT_NEAR(sum, 1.0, 1e-12) << s;
    }
    EXPECT_EQ(page.ResidualGraph->graph(0)->dataCount(), static_cast<int>(shown.byK.size()));
}

}  // namespace
