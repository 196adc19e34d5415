// The application object: catches what a command throws and shows the general error report;
// names the desktop entry and the icon of every window.
#pragma once

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <functional>

namespace kestrel {

class UserInteraction;

/// @brief Runs `deliver`; when it throws, shows errorReportText() of the error's text through
/// `ui.showError` (owned by `reportParent()`) and returns false, so the program goes on with the
/// state the command had reached.
bool deliverReportingErrors(const std::function<bool()>& deliver, UserInteraction& ui,
                            const std::function<QWidget*()>& reportParent);

/// @brief QApplication whose event delivery reports the errors of any command, from one place,
/// and whose windows carry the program's desktop entry id and icon.
class KestrelApplication : public QApplication {
    Q_OBJECT
  public:
    KestrelApplication(int& argc, char** argv);

    /// @brief Where error reports are shown; `mainWindow` is the owner when no window is active.
    void setErrorReporting(UserInteraction* ui, QWidget* mainWindow);

    bool notify(QObject* receiver, QEvent* event) override;

  private:
    QWidget* reportParent() const;

    UserInteraction* m_ui = nullptr;
    QPointer<QWidget> m_mainWindow;
};

}  // namespace kestrel
