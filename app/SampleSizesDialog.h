// Options > Sample sizes...: the grain counts behind the two profiles, or none for the classic
// rule (the number of rows compared).
#pragma once

#include <QDialog>

#include "ui/SettingsFields.h"

class QLineEdit;
class QPushButton;

namespace kestrel {
class UserInteraction;
}

/// @brief Modal dialog with two whole-number fields, "Grains in profile 1" and "Grains in
/// profile 2" (1 to 1,000,000 each, or both empty). OK checks them in order and stores them in
/// the shared state; a bad entry gets a plain message naming its field, and the dialog stays
/// open with that field selected. Cancel changes nothing.
class TfmSampleSizes : public QDialog {
    Q_OBJECT

  public:
    TfmSampleSizes(kestrel::SettingsFields& state, kestrel::UserInteraction& ui, QWidget* parent);

    void bbOKClick();

    QLineEdit* eGrains1 = nullptr;
    QLineEdit* eGrains2 = nullptr;
    QPushButton* bbOK = nullptr;
    QPushButton* bbCancel = nullptr;

  private:
    kestrel::SettingsFields& m_state;
    kestrel::UserInteraction& m_ui;
};

/// @brief Options > Sample sizes...: shows the dialog modally through `ui`. Returns true when it
/// ended with OK (the grain counts, or their absence, are then stored in `state`). No
/// recalculation: the next calculation uses them.
bool runSampleSizes(kestrel::SettingsFields& state, kestrel::UserInteraction& ui, QWidget* parent);
