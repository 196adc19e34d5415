// The Edit dialog (row range and age window of the next calculation) and the two Options
// prompts for the profile subdivision thresholds.
#pragma once

#include <QDialog>

#include "ui/SettingsFields.h"

class QFrame;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;

namespace kestrel {
class UserInteraction;
}

/// @brief Modal dialog that changes the row range and the age window width. Only OK with every
/// entry accepted ends it with QDialog::Accepted; it has no Cancel button and no close box, and
/// Esc is ignored. A close request from the window system ends it without OK.
class TfmChangeSettings : public QDialog {
    Q_OBJECT

  public:
    TfmChangeSettings(kestrel::SettingsFields& state, kestrel::UserInteraction& ui,
                      QWidget* parent);

    /// @brief Fills the fields from the shared state; runs when the dialog is first shown.
    void FormShow();
    /// @brief Checks the entries in order and stores them; ends the dialog with OK when all pass,
    /// otherwise shows a plain message and leaves the dialog open.
    void bbOKClick();

    QFrame* pButtonBar = nullptr;
    QPushButton* bbOK = nullptr;
    QGroupBox* gbDefineRows = nullptr;
    QLabel* lblFromRow = nullptr;
    QLineEdit* eFromRow = nullptr;
    QLabel* lblToRow = nullptr;
    QLineEdit* eToRow = nullptr;
    QGroupBox* gbDefineFields = nullptr;
    QFrame* pParameters = nullptr;
    QLabel* lblTimeWindow = nullptr;
    QLineEdit* eAgeWindowWidthStr = nullptr;
    QLabel* lblAgeUnits = nullptr;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void buildButtonBar();
    void buildRowsGroup();
    void buildParametersGroup();
    /// @brief A failed check of bbOKClick: the plain message `text`; the dialog stays open.
    void refuse(const char* text);

    kestrel::SettingsFields& m_state;
    kestrel::UserInteraction& m_ui;
    bool m_shownOnce = false;
};

/// @brief Edit: creates the dialog with `parent` as owner, shows it modally through `ui` and
/// destroys it. Returns true when it ended with OK (the entries are then stored in `state`).
bool runChangeSettings(kestrel::SettingsFields& state, kestrel::UserInteraction& ui,
                       QWidget* parent);

/// @brief Options > Minimum peak height: asks for the threshold (default 10.0 when the entry is
/// not a number) and stores it with its "##0.00" text. No recalculation.
void Minimumpeakheight1Prompt(kestrel::SettingsFields& state, kestrel::UserInteraction& ui,
                              QWidget* parent);

/// @brief Options > Baseline peak height: as the minimum peak height prompt, default 2.0.
void Baselinepeakheight1Prompt(kestrel::SettingsFields& state, kestrel::UserInteraction& ui,
                               QWidget* parent);
