// The general error report: the "." rule, and errors thrown by a command during real event
// delivery are reported once and the program goes on.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <new>

#include "app/KestrelApplication.h"
#include "engine/KestrelError.h"
#include "tests/support/ScriptedUserInteraction.h"

namespace {

using kestrel::errorReportText;
using kestrel::testsupport::ScriptedUserInteraction;
using kestrel::testsupport::Shown;

TEST(ErrorReportText, AppendsAPointOnlyAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(errorReportText("Cannot read B7"), "Cannot read B7.");
    EXPECT_EQ(errorReportText("value 12"), "value 12.");
    EXPECT_EQ(errorReportText("ends in a slash/"), "ends in a slash/.");  // '/' follows '.'
    EXPECT_EQ(errorReportText(QString::fromUtf8("Datei \xC3\xA9")),
              QString::fromUtf8("Datei \xC3\xA9."));
    EXPECT_EQ(errorReportText("Already ended."), "Already ended.");
    EXPECT_EQ(errorReportText("Stop!"), "Stop!");
    EXPECT_EQ(errorReportText("(see above)"), "(see above)");
    EXPECT_EQ(errorReportText("a-"), "a-");
    EXPECT_EQ(errorReportText(""), "");
}

// A button whose command throws, clicked through Qt's own event delivery.
class ThrowingCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        m_button.resize(80, 30);
        m_button.show();
    }

    bool clickReportingErrors() {
        return kestrel::deliverReportingErrors(
            [&] {
                QTest::mouseClick(&m_button, Qt::LeftButton);
                return true;
            },
            m_ui, [&] { return &m_button; });
    }

    QPushButton m_button{"Run"};
    ScriptedUserInteraction m_ui;
};

TEST_F(ThrowingCommand, ErrorTextIsShownOnceAndTheProgramGoesOn) {
    int runs = 0;
    QObject::connect(&m_button, &QPushButton::clicked, [&] {
        ++runs;
        if (runs == 1) throw kestrel::KestrelError("Cannot read /tmp/Profiles.xls: not a workbook");
    });
    EXPECT_FALSE(clickReportingErrors());
    auto errors = m_ui.shownOf(Shown::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text, "Cannot read /tmp/Profiles.xls: not a workbook.");
    EXPECT_TRUE(m_ui.shownOf(Shown::Warning).empty());

    // The next click of the same button runs normally.
    EXPECT_TRUE(clickReportingErrors());
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(m_ui.shownOf(Shown::Error).size(), 1u);
}

// The program's own application object (the tests run under it, see qt_gtest_main.cpp): a
// command that throws while Qt delivers the click is reported from its notify(), once, and the
// next click runs normally.
TEST_F(ThrowingCommand, TheApplicationReportsWhatACommandThrows) {
    auto* application = qobject_cast<kestrel::KestrelApplication*>(QCoreApplication::instance());
    ASSERT_NE(application, nullptr);
    QWidget mainWindow;
    application->setErrorReporting(&m_ui, &mainWindow);
    struct StopReporting {
        kestrel::KestrelApplication* application;
        ~StopReporting() { application->setErrorReporting(nullptr, nullptr); }
    } stopReporting{application};
    int runs = 0;
    QObject::connect(&m_button, &QPushButton::clicked, [&] {
        if (++runs == 1)
            throw kestrel::KestrelError("Cannot read /tmp/Profiles.xls: not a workbook");
    });
    QTest::mouseClick(&m_button, Qt::LeftButton);
    QTest::mouseClick(&m_button, Qt::LeftButton);

    EXPECT_EQ(runs, 2);
    const auto errors = m_ui.shownOf(Shown::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text, "Cannot read /tmp/Profiles.xls: not a workbook.");
    EXPECT_EQ(m_ui.shown.size(), 1u) << "the error report is all the user sees";
}

TEST_F(ThrowingCommand, AnyStandardErrorIsReportedToo) {
    QObject::connect(&m_button, &QPushButton::clicked, [] { throw std::bad_alloc(); });
    EXPECT_FALSE(clickReportingErrors());
    auto errors = m_ui.shownOf(Shown::Error);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].text, "std::bad_alloc.");
}

}  // namespace
