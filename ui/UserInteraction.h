// Everything that waits for a person goes through this interface: message boxes, file
// choosers, the input box, modal dialogs and the printer. Production code uses the real Qt
// dialogs (QtUserInteraction); tests substitute a scripted implementation.
#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QDialog;
class QPrinter;
class QWidget;

namespace kestrel {

/// @brief How a file chooser is set up. Filters are Qt filter strings such as
/// "Excel 97/Excel 8 (*.XLS *.xls)"; `selectedFilter` is 1-based.
struct FileDialogSetup {
    QString title;
    QStringList filters;
    int selectedFilter = 1;
    QString initialFolder;
    QString proposedName;
    QString defaultSuffix;  // without the dot, e.g. "XLS"
    /// The default suffix of each filter entry in turn, where entries differ (empty: the one
    /// `defaultSuffix` for all); the suffix follows the entry the user selects.
    QStringList filterSuffixes;
    bool confirmOverwrite = false;
};

/// @brief The file a user chose, as a full path, and the 1-based filter entry in force.
struct FileChoice {
    QString path;
    int filterIndex = 1;
};

class UserInteraction {
  public:
    virtual ~UserInteraction() = default;

    /// @brief Plain message: no icon, caption "Kestrel", one OK button.
    virtual void showMessage(QWidget* parent, const QString& text) = 0;
    /// @brief Warning: warning icon, caption "Warning", one OK button.
    virtual void showWarning(QWidget* parent, const QString& text) = 0;
    /// @brief General error report: critical icon, caption "Kestrel", one OK button. `text` is
    /// shown as given (the caller has applied the "." rule).
    virtual void showError(QWidget* parent, const QString& text) = 0;

    virtual std::optional<FileChoice> chooseOpenFile(QWidget* parent,
                                                     const FileDialogSetup& setup) = 0;
    virtual std::optional<FileChoice> chooseSaveFile(QWidget* parent,
                                                     const FileDialogSetup& setup) = 0;

    /// @brief Modal one-line input box (at most 255 characters, `defaultText` pre-filled and
    /// selected). Returns the edited text on OK, and nothing on Cancel, Esc or close.
    virtual std::optional<QString> inputBox(QWidget* parent, const QString& caption,
                                            const QString& prompt, const QString& defaultText) = 0;

    /// @brief Shows a dialog modally and returns its result (QDialog::Accepted or Rejected).
    virtual int runModal(QDialog& dialog) = 0;

    /// @brief The printer a graph is printed on: the default printer at screen resolution, no
    /// dialog, the job named `jobName`. Throws KestrelError when no printer is installed.
    virtual std::unique_ptr<QPrinter> defaultPrinter(const QString& jobName) = 0;
};

/// @brief The "." rule of the general error report: "." is appended when the text's last
/// character sorts after "." (a letter or a digit, for instance).
QString errorReportText(const QString& message);

}  // namespace kestrel
