// The real user interaction on the offscreen platform: each message box, the input box, the file
// choosers and modal dialogs are shown for real and answered the way a person would.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "engine/KestrelError.h"
#include "sheet/widgets/QtUserInteraction.h"

namespace {

using kestrel::QtUserInteraction;

// Runs `action` on the next modal window once it is up and active, as a person sees it: the
// window has the keyboard focus where it puts it. (Acting earlier makes a test depend on when the
// platform delivers the activation: a file chooser, for one, leaves its name field alone while
// that field has the focus.) Closes the window afterwards should the action have left it open,
// so a failing check cannot hang the test.
void onNextModal(std::function<void(QWidget*)> action) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    auto polls = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, action, polls] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) return;
        if (!modal->isActiveWindow() && ++*polls < 500) return;
        timer->stop();
        timer->deleteLater();
        EXPECT_TRUE(modal->isActiveWindow()) << "the modal window was never activated";
        action(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible()) {
            dialog->reject();
        }
    });
    timer->start();
}

TEST(QtUserInteractionTest, MessageBoxesHaveTheirCaptionIconAndOneOkButton) {
    QtUserInteraction ui;
    struct Case {
        std::function<void()> show;
        QString caption;
        QMessageBox::Icon icon;
        QString text;
    };
    const std::vector<Case> cases = {
        {[&] { ui.showMessage(nullptr, "Incorrect value entered for From row"); }, "Kestrel",
         QMessageBox::NoIcon, "Incorrect value entered for From row"},
        {[&] { ui.showWarning(nullptr, "Incorrect value entered"); }, "Warning",
         QMessageBox::Warning, "Incorrect value entered"},
        {[&] { ui.showError(nullptr, "Cannot read <b>B7</b>."); }, "Kestrel", QMessageBox::Critical,
         "Cannot read <b>B7</b>."},
    };
    for (const Case& c : cases) {
        bool seen = false;
        onNextModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            seen = true;
            EXPECT_EQ(box->windowTitle(), c.caption);
            EXPECT_EQ(box->icon(), c.icon);
            EXPECT_EQ(box->text(), c.text);
            EXPECT_EQ(box->textFormat(), Qt::PlainText) << "file names are shown as they are";
            ASSERT_EQ(box->buttons().size(), 1);
            EXPECT_EQ(box->standardButton(box->buttons()[0]), QMessageBox::Ok);
            QTest::mouseClick(box->buttons()[0], Qt::LeftButton);
        });
        c.show();
        EXPECT_TRUE(seen) << c.text.toStdString();
    }
}

TEST(QtUserInteractionTest, InputBoxPreselectsLimitsAndReturnsNothingOnCancel) {
    QtUserInteraction ui;
    onNextModal([](QWidget* modal) {
        auto* box = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->windowTitle(), "Profile subdivision parameters");
        EXPECT_EQ(box->labelText(), "Minimum Peak Height");
        auto* edit = box->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->selectedText(), "10.00") << "typing replaces the whole default";
        EXPECT_EQ(edit->maxLength(), 255);
        QTest::keyClicks(edit, "7.456");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    EXPECT_EQ(
        ui.inputBox(nullptr, "Profile subdivision parameters", "Minimum Peak Height", "10.00"),
        std::optional<QString>("7.456"));

    onNextModal([](QWidget* modal) {
        auto* edit = modal->findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        QTest::keyClicks(edit, "abc");
        QTest::keyClick(modal, Qt::Key_Escape);
    });
    EXPECT_EQ(
        ui.inputBox(nullptr, "Profile subdivision parameters", "Baseline Peak Height", "2.00"),
        std::nullopt);
}

TEST(QtUserInteractionTest, RunModalReturnsTheDialogsResult) {
    QtUserInteraction ui;
    QDialog dialog;
    onNextModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->accept(); });
    EXPECT_EQ(ui.runModal(dialog), QDialog::Accepted);
    onNextModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(ui.runModal(dialog), QDialog::Rejected);
}

TEST(QtUserInteractionTest, FileChoosersStartWhereToldAndReportPathAndFilter) {
    QTemporaryDir dir;
    for (const char* name : {"a.XLS", "b.xls", "c.txt"}) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QtUserInteraction ui;
    kestrel::FileDialogSetup setup;
    setup.title = "Open";
    setup.filters = {"Excel 97/Excel 8 (*.XLS *.xls)", "Excel 5 and 7/95 (*.XLS *.xls)"};
    setup.selectedFilter = 2;
    setup.initialFolder = dir.path();
    setup.defaultSuffix = "XLS";

    onNextModal([&](QWidget* modal) {
        auto* chooser = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(chooser, nullptr);
        EXPECT_EQ(chooser->windowTitle(), "Open");
        EXPECT_EQ(chooser->directory().absolutePath(), QDir(dir.path()).absolutePath());
        EXPECT_EQ(chooser->selectedNameFilter(), setup.filters[1]);
        auto* nameEdit = chooser->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(nameEdit, nullptr);
        EXPECT_TRUE(nameEdit->hasFocus()) << "the name can be typed at once";
        QTest::keyClicks(nameEdit, "b.xls");
        static_cast<QDialog*>(chooser)->accept();  // as the Open or Save button does
    });
    std::optional<kestrel::FileChoice> choice = ui.chooseOpenFile(nullptr, setup);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(QFileInfo(choice->path).absoluteFilePath(),
              QFileInfo(dir.filePath("b.xls")).absoluteFilePath());
    EXPECT_EQ(choice->filterIndex, 2);

    onNextModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_FALSE(ui.chooseOpenFile(nullptr, setup).has_value());

    // Saving: the proposed name is offered and the default suffix is added.
    setup.title = "Save summary";
    setup.selectedFilter = 1;
    setup.proposedName = "Profiles_summary";
    onNextModal([&](QWidget* modal) {
        auto* chooser = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(chooser, nullptr);
        auto* nameEdit = chooser->findChild<QLineEdit*>("fileNameEdit");
        ASSERT_NE(nameEdit, nullptr);
        EXPECT_EQ(nameEdit->text(), "Profiles_summary");
        static_cast<QDialog*>(chooser)->accept();  // as the Open or Save button does
    });
    choice = ui.chooseSaveFile(nullptr, setup);
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(QFileInfo(choice->path).fileName(), "Profiles_summary.XLS");
    EXPECT_EQ(choice->filterIndex, 1);
}

// The test run's system has no printers (see qt_gtest_main.cpp).
TEST(QtUserInteractionTest, WithoutADefaultPrinterTheErrorSaysWhatIsMissing) {
    ASSERT_TRUE(QPrinterInfo::availablePrinterNames().isEmpty());
    QtUserInteraction ui;
    try {
        ui.defaultPrinter("Chart1");
        FAIL() << "no printer must be an error";
    } catch (const kestrel::KestrelError& e) {
        EXPECT_STREQ(e.what(),
                     "No printer is installed: add a printer in the system settings to print "
                     "the graph");
    }
    // Printers installed, none of them the default: they are there, one must be chosen.
    EXPECT_EQ(kestrel::missingPrinterMessage({"Office", "Lab"}),
              "No default printer is set: make one of the installed printers (Office, Lab) the "
              "default in the system settings to print the graph");
}

}  // namespace
