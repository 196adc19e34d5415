// A UserInteraction for tests: records everything shown and answers as a scripted user would.
#pragma once

#include <QDialog>
#include <QPrinter>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "ui/UserInteraction.h"

namespace kestrel::testsupport {

/// @brief One thing the program showed to the user.
struct Shown {
    enum Kind { Message, Warning, Error, OpenChooser, SaveChooser, InputBox, Modal, Printer } kind;
    QString text;             // message text, input box prompt, dialog window title, job name
    FileDialogSetup chooser;  // for OpenChooser / SaveChooser
};

class ScriptedUserInteraction : public UserInteraction {
  public:
    void showMessage(QWidget*, const QString& text) override { record(Shown::Message, text); }
    void showWarning(QWidget*, const QString& text) override { record(Shown::Warning, text); }
    void showError(QWidget*, const QString& text) override { record(Shown::Error, text); }

    std::optional<FileChoice> chooseOpenFile(QWidget*, const FileDialogSetup& setup) override;
    std::optional<FileChoice> chooseSaveFile(QWidget*, const FileDialogSetup& setup) override;
    std::optional<QString> inputBox(QWidget*, const QString& caption, const QString& prompt,
                                    const QString& defaultText) override;
    int runModal(QDialog& dialog) override;
    std::unique_ptr<QPrinter> defaultPrinter(const QString& jobName) override;

    // Script: answers are taken in order; with none queued a chooser is cancelled, an input box
    // is cancelled and a modal dialog is rejected.
    std::deque<std::optional<FileChoice>> openAnswers, saveAnswers;
    std::deque<std::optional<QString>> inputAnswers;  // nullopt = Cancel
    /// Called with the dialog while it is shown (visible, as with exec()); it acts as the user
    /// would (fill fields, click buttons). The dialog's result is then returned.
    std::deque<std::function<void(QDialog&)>> modalActions;
    /// Where defaultPrinter() prints: a PDF file. Empty: behave as a machine with no printer.
    QString printerPdfPath;

    std::vector<Shown> shown;
    std::vector<Shown> shownOf(Shown::Kind kind) const;
    void clear() { shown.clear(); }

  private:
    void record(Shown::Kind kind, const QString& text, FileDialogSetup setup = {}) {
        shown.push_back(Shown{kind, text, std::move(setup)});
    }
};

}  // namespace kestrel::testsupport
