// The real user interaction: Qt message boxes, file dialogs, the input box, modal dialogs and the
// default printer.
#pragma once

#include "ui/UserInteraction.h"

namespace kestrel {

/// @brief UserInteraction with the real Qt dialogs, as the running program uses them.
class QtUserInteraction : public UserInteraction {
  public:
    void showMessage(QWidget* parent, const QString& text) override;
    void showWarning(QWidget* parent, const QString& text) override;
    void showError(QWidget* parent, const QString& text) override;

    std::optional<FileChoice> chooseOpenFile(QWidget* parent,
                                             const FileDialogSetup& setup) override;
    std::optional<FileChoice> chooseSaveFile(QWidget* parent,
                                             const FileDialogSetup& setup) override;

    std::optional<QString> inputBox(QWidget* parent, const QString& caption, const QString& prompt,
                                    const QString& defaultText) override;

    int runModal(QDialog& dialog) override;

    std::unique_ptr<QPrinter> defaultPrinter(const QString& jobName) override;
};

/// @brief Why there is no printer to print on, given the printers that are installed: none at
/// all, or none of them chosen as the default.
QString missingPrinterMessage(const QStringList& installedPrinters);

}  // namespace kestrel
