// General error report for every command, raised from event delivery.
#include "app/KestrelApplication.h"

#include <QIcon>
#include <clocale>
#include <exception>

#include "ui/UserInteraction.h"

namespace kestrel {

bool deliverReportingErrors(const std::function<bool()>& deliver, UserInteraction& ui,
                            const std::function<QWidget*()>& reportParent) {
    QString message;
    try {
        return deliver();
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        message = QStringLiteral("An unexpected error ended the command");
    }
    // The report is shown outside the handler, after the command has been unwound.
    ui.showError(reportParent ? reportParent() : nullptr, errorReportText(message));
    return false;
}

KestrelApplication::KestrelApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // QApplication takes the user's C locale; numbers in files and logs are formatted by the C
    // library, and must keep "." as their decimal point whatever the user's settings.
    std::setlocale(LC_NUMERIC, "C");
    // Task bars and window managers show the program's icon and group its windows under its
    // desktop entry. No application display name: Qt would append it to every window caption.
    setDesktopFileName(QStringLiteral(KESTREL_APP_ID));
    setWindowIcon(QIcon(QStringLiteral(":/icons/" KESTREL_APP_ID ".svg")));
}

void KestrelApplication::setErrorReporting(UserInteraction* ui, QWidget* mainWindow) {
    m_ui = ui;
    m_mainWindow = mainWindow;
}

bool KestrelApplication::notify(QObject* receiver, QEvent* event) {
    if (!m_ui) return QApplication::notify(receiver, event);
    return deliverReportingErrors([&] { return QApplication::notify(receiver, event); }, *m_ui,
                                  [this] { return reportParent(); });
}

QWidget* KestrelApplication::reportParent() const {
    if (QWidget* modal = activeModalWidget()) return modal;
    if (QWidget* active = activeWindow()) return active;
    return m_mainWindow;
}

}  // namespace kestrel
