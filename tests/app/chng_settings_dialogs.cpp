// The Edit dialog and the Options prompts driven as a user would, on the offscreen platform.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QStyle>
#include <QTest>

#include "app/KR_chng.h"
#include "engine/NumberText.h"
#include "tests/support/ScriptedUserInteraction.h"

using kestrel::testsupport::ScriptedUserInteraction;
using kestrel::testsupport::Shown;

namespace {

void typeInto(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

QStringList textsOf(const std::vector<Shown>& shown) {
    QStringList texts;
    for (const Shown& s : shown) texts << s.text;
    return texts;
}

class ChangeSettingsDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        state.FromRowStr = "2";
        state.ToRowStr = "40";
        state.AgeWindowWidthStr = "100.0";
        state.FromRow = 2;
        state.ToRow = 40;
        state.AgeWindowWidth = 100.0;
    }

    struct Outcome {
        bool accepted = false;
        bool stayedOpen = false;  // still shown after the OK click
        QStringList messages;
    };

    /// One Edit: the user types the three entries and clicks OK; a dialog that stays open is
    /// then closed from the window system.
    Outcome edit(const QString& from, const QString& to, const QString& width) {
        ui.clear();
        Outcome outcome;
        ui.modalActions.push_back([&](QDialog& dialog) {
            auto& d = dynamic_cast<TfmChangeSettings&>(dialog);
            typeInto(d.eFromRow, from);
            typeInto(d.eToRow, to);
            typeInto(d.eAgeWindowWidthStr, width);
            QTest::mouseClick(d.bbOK, Qt::LeftButton);
            outcome.stayedOpen = d.isVisible();
            if (outcome.stayedOpen) d.close();
        });
        outcome.accepted = runChangeSettings(state, ui, &owner);
        outcome.messages = textsOf(ui.shownOf(Shown::Message));
        return outcome;
    }

    kestrel::SettingsFields state;
    ScriptedUserInteraction ui;
    QWidget owner;
};

TEST_F(ChangeSettingsDialog, ShowsCaptionsFieldsAndNoWayOutButOk) {
    TfmChangeSettings dialog(state, ui, &owner);
    EXPECT_EQ(dialog.eFromRow->text(), "2");  // design texts before the first show
    EXPECT_EQ(dialog.eToRow->text(), "3");
    dialog.show();

    EXPECT_EQ(dialog.windowTitle(), "Change calculation settings");
    EXPECT_EQ(dialog.geometry(), QRect(211, 114, 319, 188));
    const Qt::WindowFlags flags = dialog.windowFlags();
    // Qt itself adds the system menu hint to a window with min/max buttons; what the user
    // sees is the close box, which must be absent.
    EXPECT_FALSE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMaximizeButtonHint));

    EXPECT_EQ(dialog.bbOK->text(), "OK");
    EXPECT_TRUE(dialog.bbOK->isDefault());
    EXPECT_FALSE(dialog.bbOK->icon().isNull());
    EXPECT_EQ(dialog.gbDefineRows->title(), "Define rows to import");
    EXPECT_EQ(dialog.lblFromRow->text(), "From row");
    EXPECT_EQ(dialog.lblToRow->text(), "To row");
    EXPECT_EQ(dialog.gbDefineFields->title(), "Calculation Parameters");
    EXPECT_TRUE(dialog.gbDefineFields->isAncestorOf(dialog.eAgeWindowWidthStr));
    EXPECT_TRUE(dialog.pParameters->isAncestorOf(dialog.lblAgeUnits));
    EXPECT_EQ(dialog.lblTimeWindow->text(), "Time window");
    EXPECT_EQ(dialog.lblAgeUnits->text(), "age units");
    // The bands keep their designed heights, top to bottom.
    EXPECT_EQ(dialog.pButtonBar->height(), 33);
    EXPECT_EQ(dialog.gbDefineRows->height(), 46);
    EXPECT_EQ(dialog.gbDefineFields->height(), 70);
    EXPECT_LT(dialog.pButtonBar->y(), dialog.gbDefineRows->y());
    EXPECT_LT(dialog.gbDefineRows->y(), dialog.gbDefineFields->y());

    // Shown: the fields carry the shared state's texts and the width field is usable.
    EXPECT_EQ(dialog.eFromRow->text(), "2");
    EXPECT_EQ(dialog.eToRow->text(), "40");
    EXPECT_EQ(dialog.eAgeWindowWidthStr->text(), "100.0");
    EXPECT_TRUE(dialog.eAgeWindowWidthStr->isEnabled());
    EXPECT_TRUE(dialog.pParameters->isEnabled());
}

TEST_F(ChangeSettingsDialog, EscDoesNotEndItAndAWindowCloseEndsItWithoutOk) {
    bool openAfterEsc = false;
    ui.modalActions.push_back([&](QDialog& dialog) {
        auto& d = dynamic_cast<TfmChangeSettings&>(dialog);
        typeInto(d.eFromRow, "7");
        QTest::keyClick(d.eFromRow, Qt::Key_Escape);
        QTest::keyClick(&d, Qt::Key_Escape);
        openAfterEsc = d.isVisible();
        d.close();
    });
    EXPECT_FALSE(runChangeSettings(state, ui, &owner));
    EXPECT_TRUE(openAfterEsc);
    EXPECT_TRUE(ui.shownOf(Shown::Message).empty());
    EXPECT_EQ(state.FromRowStr, "2");
    EXPECT_EQ(state.FromRow, 2);
    ASSERT_EQ(ui.shownOf(Shown::Modal).size(), 1u);
    EXPECT_EQ(ui.shownOf(Shown::Modal)[0].text, "Change calculation settings");
}

TEST_F(ChangeSettingsDialog, SingleRowAndWholeNumberFormsAreAccepted) {
    Outcome single = edit("5", "5", "250");
    EXPECT_TRUE(single.accepted);
    EXPECT_TRUE(single.messages.isEmpty());
    EXPECT_EQ(state.FromRow, 5);
    EXPECT_EQ(state.ToRow, 5);
    EXPECT_EQ(state.FromRowStr, "5");
    EXPECT_EQ(state.AgeWindowWidthStr, "250");
    EXPECT_DOUBLE_EQ(state.AgeWindowWidth, 250.0);

    // Hexadecimal rows, a leading blank and a negative start pass; texts are upper-cased.
    Outcome hex = edit(" -3", "0x1f", "12.5");
    EXPECT_TRUE(hex.accepted);
    EXPECT_EQ(state.FromRow, -3);
    EXPECT_EQ(state.ToRow, 31);
    EXPECT_EQ(state.FromRowStr, " -3");
    EXPECT_EQ(state.ToRowStr, "0X1F");
    EXPECT_DOUBLE_EQ(state.AgeWindowWidth, 12.5);

    Outcome exponent = edit("$a", "$B", "1e2");
    EXPECT_TRUE(exponent.accepted);
    EXPECT_EQ(state.FromRow, 10);
    EXPECT_EQ(state.ToRow, 11);
    EXPECT_EQ(state.FromRowStr, "$A");
    EXPECT_EQ(state.AgeWindowWidthStr, "1E2");
    EXPECT_DOUBLE_EQ(state.AgeWindowWidth, 100.0);
}

TEST_F(ChangeSettingsDialog, BadRowEntriesNameTheFieldAndStoreNoText) {
    struct Case {
        const char* from;
        const char* to;
        const char* message;
    };
    const Case cases[] = {
        {"abc", "10", "Incorrect value entered for From row"},
        {"", "10", "Incorrect value entered for From row"},
        {"-", "10", "Incorrect value entered for From row"},
        {"2.5", "10", "Incorrect value entered for From row"},
        {"2147483648", "10", "Incorrect value entered for From row"},
        {"4", "10 ", "Incorrect value entered for To row"},
        {"4", "", "Incorrect value entered for To row"},
        {"4", "x", "Incorrect value entered for To row"},
        {"11", "10", "Incorrect values entered for rows to import"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " / " + c.to);
        Outcome outcome = edit(c.from, c.to, "75");
        EXPECT_FALSE(outcome.accepted);
        EXPECT_TRUE(outcome.stayedOpen);
        EXPECT_EQ(outcome.messages, QStringList{c.message});
        EXPECT_EQ(state.FromRowStr, "2");
        EXPECT_EQ(state.ToRowStr, "40");
        EXPECT_EQ(state.AgeWindowWidthStr, "100.0");
        EXPECT_DOUBLE_EQ(state.AgeWindowWidth, 100.0);
    }
}

TEST_F(ChangeSettingsDialog, ReversedRowsAreRefusedOnEveryEnterUntilCorrected) {
    int visibleAfterEnters = 0;
    ui.modalActions.push_back([&](QDialog& dialog) {
        auto& d = dynamic_cast<TfmChangeSettings&>(dialog);
        typeInto(d.eFromRow, "9");
        typeInto(d.eToRow, "3");
        QTest::keyClick(d.eToRow, Qt::Key_Return);
        visibleAfterEnters += d.isVisible();
        QTest::keyClick(d.eToRow, Qt::Key_Enter);
        visibleAfterEnters += d.isVisible();
        typeInto(d.eToRow, "30");
        QTest::keyClick(d.eToRow, Qt::Key_Return);
    });
    EXPECT_TRUE(runChangeSettings(state, ui, &owner));
    EXPECT_EQ(visibleAfterEnters, 2);
    EXPECT_EQ(textsOf(ui.shownOf(Shown::Message)),
              QStringList({"Incorrect values entered for rows to import",
                           "Incorrect values entered for rows to import"}));
    EXPECT_EQ(state.FromRow, 9);
    EXPECT_EQ(state.ToRow, 30);
    EXPECT_EQ(state.ToRowStr, "30");
}

TEST_F(ChangeSettingsDialog, BadWidthKeepsTheStoredTextsAndTheOldWidth) {
    Outcome outcome = edit("3", "12", "50a");
    EXPECT_FALSE(outcome.accepted);
    EXPECT_TRUE(outcome.stayedOpen);
    EXPECT_EQ(outcome.messages, QStringList{"Incorrect value entered for Grade cutoff"});
    EXPECT_EQ(state.FromRowStr, "3");
    EXPECT_EQ(state.ToRowStr, "12");
    EXPECT_EQ(state.AgeWindowWidthStr, "50A");
    EXPECT_DOUBLE_EQ(state.AgeWindowWidth, 100.0);

    // A decimal comma is not a decimal point, whatever the locale.
    EXPECT_EQ(edit("3", "12", "2,5").messages,
              QStringList{"Incorrect value entered for Grade cutoff"});
    EXPECT_EQ(edit("3", "12", "").messages,
              QStringList{"Incorrect value entered for Grade cutoff"});
}

TEST_F(ChangeSettingsDialog, EachEditStartsAFreshDialogFromTheState) {
    ASSERT_TRUE(edit("4", "8", "2.5e1").accepted);
    QStringList shownTexts;
    ui.modalActions.push_back([&](QDialog& dialog) {
        auto& d = dynamic_cast<TfmChangeSettings&>(dialog);
        shownTexts << d.eFromRow->text() << d.eToRow->text() << d.eAgeWindowWidthStr->text();
        d.close();
    });
    EXPECT_FALSE(runChangeSettings(state, ui, &owner));
    EXPECT_EQ(shownTexts, QStringList({"4", "8", "2.5E1"}));
    EXPECT_DOUBLE_EQ(state.AgeWindowWidth, 25.0);
    EXPECT_TRUE(owner.findChildren<TfmChangeSettings*>().isEmpty());
}

class SubdivisionThresholdPrompts : public ::testing::Test {
  protected:
    void SetUp() override {
        state.MinPeakHeightStr = "10.00";
        state.MinPeakHeight = 10.0;
        state.BaselinePeakHeightStr = "2.00";
        state.BaselinePeakHeight = 2.0;
    }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    void minimum(std::optional<QString> answer) {
        ui.inputAnswers.push_back(std::move(answer));
        Minimumpeakheight1Prompt(state, ui, nullptr);
    }
    void baseline(std::optional<QString> answer) {
        ui.inputAnswers.push_back(std::move(answer));
        Baselinepeakheight1Prompt(state, ui, nullptr);
    }

    kestrel::SettingsFields state;
    ScriptedUserInteraction ui;
};

TEST_F(SubdivisionThresholdPrompts, MinimumTakesTheEntryKeepsItOnCancelAndReparsesItOnOk) {
    minimum(QString("7.456"));
    EXPECT_EQ(state.MinPeakHeight, 7.456);
    EXPECT_EQ(state.MinPeakHeightStr, "7.46");

    minimum(std::nullopt);
    EXPECT_EQ(state.MinPeakHeight, 7.456) << "Cancel keeps the exact value";
    EXPECT_EQ(state.MinPeakHeightStr, "7.46");

    minimum(QString("7.46"));  // OK on the text as shown
    EXPECT_EQ(state.MinPeakHeight, 7.46) << "OK parses the text again";
    EXPECT_EQ(state.MinPeakHeightStr, "7.46");
    EXPECT_TRUE(ui.shownOf(Shown::Warning).empty());
    EXPECT_EQ(textsOf(ui.shownOf(Shown::InputBox)),
              QStringList({"Profile subdivision parameters|Minimum Peak Height|10.00",
                           "Profile subdivision parameters|Minimum Peak Height|7.46",
                           "Profile subdivision parameters|Minimum Peak Height|7.46"}));
    EXPECT_EQ(state.BaselinePeakHeightStr, "2.00");
}

TEST_F(SubdivisionThresholdPrompts, BadEntriesWarnAndFallBackToTheDefaults) {
    state.MinPeakHeightStr = "3.00";
    state.MinPeakHeight = 3.0;
    minimum(QString(""));
    EXPECT_DOUBLE_EQ(state.MinPeakHeight, 10.0);
    EXPECT_EQ(state.MinPeakHeightStr, "10.00");

    baseline(QString("abc"));
    EXPECT_DOUBLE_EQ(state.BaselinePeakHeight, 2.0);
    EXPECT_EQ(state.BaselinePeakHeightStr, "2.00");

    state.BaselinePeakHeightStr = "0.40";
    state.BaselinePeakHeight = 0.4;
    baseline(QString("0,5"));  // a comma is not a decimal point
    EXPECT_DOUBLE_EQ(state.BaselinePeakHeight, 2.0);

    EXPECT_EQ(textsOf(ui.shownOf(Shown::Warning)),
              QStringList({"Incorrect Minimum Peak Height entered. Set to default.",
                           "Incorrect Baseline Peak Height from .ini file",
                           "Incorrect Baseline Peak Height from .ini file"}));
    EXPECT_EQ(textsOf(ui.shownOf(Shown::InputBox)).last(),
              "Profile subdivision parameters|Baseline Peak Height|0.40");
}

TEST_F(SubdivisionThresholdPrompts, ZeroNegativeAndExponentEntriesAreTakenAsEntered) {
    minimum(QString("0"));
    EXPECT_DOUBLE_EQ(state.MinPeakHeight, 0.0);
    EXPECT_EQ(state.MinPeakHeightStr, "0.00");
    baseline(QString(" -1.005e0"));
    EXPECT_DOUBLE_EQ(state.BaselinePeakHeight, -1.005);
    EXPECT_EQ(state.BaselinePeakHeightStr, "-1.00");  // the double nearest -1.005 is -1.00499...
    minimum(QString("1E1"));
    EXPECT_DOUBLE_EQ(state.MinPeakHeight, 10.0);
    EXPECT_EQ(state.MinPeakHeightStr, "10.00");
    EXPECT_TRUE(ui.shownOf(Shown::Warning).empty());
}

TEST_F(SubdivisionThresholdPrompts, CancelOnATextThatIsNoNumberFallsBackToTheDefault) {
    // Only a zeroed state holds such a text; Cancel re-parses it like any other entry.
    state.BaselinePeakHeightStr.clear();
    state.BaselinePeakHeight = 0.0;
    baseline(std::nullopt);
    EXPECT_EQ(textsOf(ui.shownOf(Shown::Warning)),
              QStringList{"Incorrect Baseline Peak Height from .ini file"});
    EXPECT_DOUBLE_EQ(state.BaselinePeakHeight, 2.0);
    EXPECT_EQ(state.BaselinePeakHeightStr, "2.00");
}

TEST_F(SubdivisionThresholdPrompts, TextsUseAPointInACommaLocale) {
    QLocale::setDefault(QLocale(QLocale::German));
    ASSERT_EQ(QLocale().decimalPoint(), ",");
    minimum(QString("7.456"));
    EXPECT_EQ(state.MinPeakHeightStr, "7.46");
    baseline(QString("0.5"));
    EXPECT_EQ(state.BaselinePeakHeightStr, "0.50");

    // The next prompt shows the same text and it reads back as the value it stands for.
    minimum(std::nullopt);
    EXPECT_EQ(textsOf(ui.shownOf(Shown::InputBox)).last(),
              "Profile subdivision parameters|Minimum Peak Height|7.46");
    EXPECT_EQ(kestrel::parseRealNumber(state.MinPeakHeightStr), 7.46);
    EXPECT_EQ(kestrel::parseRealNumber(state.BaselinePeakHeightStr), 0.5);
    EXPECT_TRUE(ui.shownOf(Shown::Warning).empty());
}

}  // namespace
