// Where the main window's workflows meet, through the real window offscreen: a pair chosen on the
// Many profiles page of profile columns, while a grain-ages pair holds the rows and the window,
// opens with the profiles' own rows and window, and the settings file keeps each workflow's own.
#include <gtest/gtest.h>

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "app/CompareManyDialog.h"
#include "app/GrainAgesDialog.h"
#include "app/KR_main.h"
#include "app/KR_var.h"
#include "app/ManyResultsPage.h"
#include "sheet/widgets/KR_ShtIm.h"
#include "tests/app/MainWindowFixture.h"

namespace {

using kestrel::sharedState;
using kestrel::testsupport::readAll;
using kestrel::testsupport::writeAll;

class WorkflowHandover : public kestrel::testsupport::MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        writeSettings();
        m_form = std::make_unique<TForm1>(m_ui);
        m_form->show();
    }

    std::unique_ptr<TForm1> m_form;
};

TEST_F(WorkflowHandover, ManyPagePairAfterAGrainAgesPairOpensWithTheProfilesOwnSettings) {
    // Four profile columns over 20 rows, opened as rows 2 to 21 with a window of 100.
    const QString profiles = m_dir.filePath("four.csv");
    std::string text = "Age,North,South,East,West\n";
    for (int k = 1; k <= 20; ++k) {
        text += std::to_string(k * 10) + "," + std::to_string((k * 7) % 23) + "," +
                std::to_string((k * 5) % 31) + "," + std::to_string(k % 9) + "," +
                std::to_string(30 - k) + "\n";
    }
    writeAll(profiles, text);
    m_ui.openAnswers.push_back(kestrel::FileChoice{profiles, 1});
    m_ui.modalActions.push_back([](QDialog& dialog) {
        auto& import = dynamic_cast<TfmSheetImport&>(dialog);
        import.eFromRow->setText("2");
        import.eToRow->setText("21");
        import.eAgeColStr->setText("A");
        import.eY1ColStr->setText("B");
        import.eY2ColStr->setText("C");
        import.eAgeWindowWidthStr->setText("100");
        QTest::mouseClick(import.bbImport, Qt::LeftButton);
    });
    m_form->Open1Click();
    m_ui.modalActions.push_back([](QDialog& dialog) {
        QTest::mouseClick(dynamic_cast<CompareManyDialog&>(dialog).bbOK, Qt::LeftButton);
    });
    m_form->CompareMany1Click();
    ASSERT_TRUE(m_form->ManyResults->results().matrix);

    // A grain-ages pair with a window of its own takes the rows, columns and window.
    const QString ages = m_dir.filePath("ages.csv");
    writeAll(ages, "P,Q\n100,150\n200,250\n300,350\n400,420\n500,640\n");
    m_ui.openAnswers.push_back(kestrel::FileChoice{ages, 1});
    m_ui.modalActions.push_back([](QDialog& dialog) {
        auto& grain = dynamic_cast<GrainAgesDialog&>(dialog);
        grain.eAgeWindowWidth->setText("50");
        QTest::mouseClick(grain.bbOK, Qt::LeftButton);
    });
    m_form->OpenGrainAges1Click();
    ASSERT_NE(m_form->agesSourceInUse(), nullptr);
    ASSERT_EQ(sharedState().AgeWindowWidth, 50.0);
    ASSERT_NE(sharedState().ToRowStr, "21");

    // East and West from the Many page: the import dialog proposes the profiles' rows and
    // window with those two columns, and the comparison runs on them.
    m_form->PageControl1->setCurrentWidget(m_form->tsManyProfiles);
    QString proposed;
    m_ui.modalActions.push_back([&proposed](QDialog& dialog) {
        auto& import = dynamic_cast<TfmSheetImport&>(dialog);
        proposed =
            QStringList{import.eFromRow->text(), import.eToRow->text(), import.eY1ColStr->text(),
                        import.eY2ColStr->text(), import.eAgeWindowWidthStr->text()}
                .join(' ');
        QTest::mouseClick(import.bbImport, Qt::LeftButton);
    });
    m_form->ManyResults->choosePair(2, 3);
    QTest::mouseClick(m_form->ManyResults->bbCompareTwo, Qt::LeftButton);
    EXPECT_EQ(proposed.toStdString(), "2 21 D E 100");
    EXPECT_EQ(sharedState().NumRows, 20);
    EXPECT_EQ(sharedState().AgeWindowWidth, 100.0);
    EXPECT_EQ(m_form->agesSourceInUse(), nullptr) << "the ages are no longer in use";

    m_form->close();
    const std::string written = readAll(settingsPath());
    EXPECT_NE(written.find("To Row=21\n"), std::string::npos) << written;
    EXPECT_NE(written.find("Age window width=100\n"), std::string::npos) << written;
    EXPECT_NE(written.find("Age window width=50\n"), std::string::npos) << "the ages' section";
}

}  // namespace
