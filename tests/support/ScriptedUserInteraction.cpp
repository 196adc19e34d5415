// Scripted answers for the tests' user.
#include "tests/support/ScriptedUserInteraction.h"

#include "engine/KestrelError.h"

// GCC 12 reports moving a std::optional<QString> as a read of uninitialized memory at -O2 (and
// more so with the sanitizers); the code is sound, so the false positive is silenced here.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

namespace kestrel::testsupport {

template <class T>
static T takeFront(std::deque<T>& queue, T otherwise) {
    if (queue.empty()) return otherwise;
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
}

std::optional<FileChoice> ScriptedUserInteraction::chooseOpenFile(QWidget*,
                                                                  const FileDialogSetup& setup) {
    record(Shown::OpenChooser, setup.title, setup);
    return takeFront(openAnswers, std::optional<FileChoice>{});
}

std::optional<FileChoice> ScriptedUserInteraction::chooseSaveFile(QWidget*,
                                                                  const FileDialogSetup& setup) {
    record(Shown::SaveChooser, setup.title, setup);
    return takeFront(saveAnswers, std::optional<FileChoice>{});
}

std::optional<QString> ScriptedUserInteraction::inputBox(QWidget*, const QString& caption,
                                                         const QString& prompt,
                                                         const QString& defaultText) {
    record(Shown::InputBox, caption + "|" + prompt + "|" + defaultText);
    std::optional<QString> answer = takeFront(inputAnswers, std::optional<QString>{});
    if (answer) return answer->left(255);
    return std::nullopt;
}

int ScriptedUserInteraction::runModal(QDialog& dialog) {
    record(Shown::Modal, dialog.windowTitle());
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    auto action = takeFront(modalActions, std::function<void(QDialog&)>{});
    if (action) action(dialog);
    const int result = dialog.result();
    dialog.hide();
    return result;
}

std::unique_ptr<QPrinter> ScriptedUserInteraction::defaultPrinter(const QString& jobName) {
    record(Shown::Printer, jobName);
    if (printerPdfPath.isEmpty()) {
        throw KestrelError("No printer is installed: add a printer to print the graph");
    }
    auto printer = std::make_unique<QPrinter>(QPrinter::ScreenResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(printerPdfPath);
    printer->setDocName(jobName);
    return printer;
}

std::vector<Shown> ScriptedUserInteraction::shownOf(Shown::Kind kind) const {
    std::vector<Shown> result;
    for (const auto& s : shown) {
        if (s.kind == kind) result.push_back(s);
    }
    return result;
}

}  // namespace kestrel::testsupport
