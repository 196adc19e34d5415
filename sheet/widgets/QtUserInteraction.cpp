// Qt dialogs behind the user-interaction seam, and the "." rule of the general error report.
#include "sheet/widgets/QtUserInteraction.h"

#include <QDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrinter>
#include <QPrinterInfo>

#include "engine/KestrelError.h"

namespace kestrel {
namespace {

// Caption of plain messages and error reports: the application title.
constexpr const char* kApplicationTitle = "Kestrel";
constexpr int kInputBoxMaxLength = 255;

void showBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption, const QString& text) {
    QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

// A file dialog set up as the caller asks; filters match *.XLS and *.xls alike.
std::unique_ptr<QFileDialog> fileDialog(QWidget* parent, const FileDialogSetup& setup) {
    auto dialog = std::make_unique<QFileDialog>(parent, setup.title, setup.initialFolder);
    dialog->setOption(QFileDialog::DontUseNativeDialog, true);
    dialog->setOption(QFileDialog::DontConfirmOverwrite, !setup.confirmOverwrite);
    dialog->setNameFilters(setup.filters);
    if (setup.selectedFilter >= 1 && setup.selectedFilter <= setup.filters.size()) {
        dialog->selectNameFilter(setup.filters.at(setup.selectedFilter - 1));
    }
    if (!setup.defaultSuffix.isEmpty()) dialog->setDefaultSuffix(setup.defaultSuffix);
    if (!setup.filterSuffixes.isEmpty()) {
        QFileDialog* shown = dialog.get();
        const auto follow = [shown, setup](const QString& filter) {
            const qsizetype index = setup.filters.indexOf(filter);
            if (index >= 0 && index < setup.filterSuffixes.size()) {
                shown->setDefaultSuffix(setup.filterSuffixes.at(index));
            }
        };
        follow(dialog->selectedNameFilter());
        QObject::connect(shown, &QFileDialog::filterSelected, shown, follow);
    }
    if (!setup.proposedName.isEmpty()) dialog->selectFile(setup.proposedName);
    return dialog;
}

std::optional<FileChoice> runFileDialog(QFileDialog& dialog, const FileDialogSetup& setup) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    FileChoice choice;
    choice.path = dialog.selectedFiles().constFirst();
    const qsizetype index = setup.filters.indexOf(dialog.selectedNameFilter());
    choice.filterIndex = index >= 0 ? static_cast<int>(index) + 1 : 1;
    return choice;
}

}  // namespace

QString errorReportText(const QString& message) {
    if (!message.isEmpty() && message.back().unicode() > u'.') return message + u'.';
    return message;
}

void QtUserInteraction::showMessage(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::NoIcon, kApplicationTitle, text);
}

void QtUserInteraction::showWarning(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::Warning, "Warning", text);
}

void QtUserInteraction::showError(QWidget* parent, const QString& text) {
    showBox(parent, QMessageBox::Critical, kApplicationTitle, text);
}

std::optional<FileChoice> QtUserInteraction::chooseOpenFile(QWidget* parent,
                                                            const FileDialogSetup& setup) {
    auto dialog = fileDialog(parent, setup);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
    return runFileDialog(*dialog, setup);
}

std::optional<FileChoice> QtUserInteraction::chooseSaveFile(QWidget* parent,
                                                            const FileDialogSetup& setup) {
    auto dialog = fileDialog(parent, setup);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    return runFileDialog(*dialog, setup);
}

std::optional<QString> QtUserInteraction::inputBox(QWidget* parent, const QString& caption,
                                                   const QString& prompt,
                                                   const QString& defaultText) {
    QInputDialog box(parent);
    box.setWindowTitle(caption);
    box.setLabelText(prompt);
    box.setInputMode(QInputDialog::TextInput);
    box.setTextValue(defaultText.left(kInputBoxMaxLength));
    // The box's line edit exists once the input mode is set: limit it and select its text.
    if (auto* edit = box.findChild<QLineEdit*>()) {
        edit->setMaxLength(kInputBoxMaxLength);
        edit->selectAll();
    }
    if (box.exec() != QDialog::Accepted) return std::nullopt;
    return box.textValue();
}

int QtUserInteraction::runModal(QDialog& dialog) {
    return dialog.exec();
}

QString missingPrinterMessage(const QStringList& installedPrinters) {
    if (installedPrinters.isEmpty()) {
        return "No printer is installed: add a printer in the system settings to print the graph";
    }
    return QStringLiteral(
               "No default printer is set: make one of the installed printers (%1) "
               "the default in the system settings to print the graph")
        .arg(installedPrinters.join(", "));
}

std::unique_ptr<QPrinter> QtUserInteraction::defaultPrinter(const QString& jobName) {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        throw KestrelError(
            missingPrinterMessage(QPrinterInfo::availablePrinterNames()).toStdString());
    }
    auto printer = std::make_unique<QPrinter>(info, QPrinter::ScreenResolution);
    printer->setDocName(jobName);
    return printer;
}

}  // namespace kestrel
