// "Unmix...": the dialog that picks the sink, its candidate sources, the fits and the bootstrap
// of a forward unmixing of grain-age samples.
#pragma once

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <vector>

#include "engine/unmixing/Unmixing.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kestrel {

class UserInteraction;

/// @brief What the dialog's OK leaves: indices into the samples it was given.
struct UnmixRequest {
    int sink = 0;
    std::vector<int> sources;
    std::vector<UnmixingFit> fits;
    int64_t resamples = 1000;
    uint64_t seed = 1;
};

/// @brief Modal dialog over the samples' names. The sink is not offered as a source. OK checks
/// that two or more sources are ticked and that the bootstrap and the seed are whole numbers
/// (0 to 100,000 resamples); a bad entry gets a plain message and the dialog stays open.
class UnmixDialog : public QDialog {
    Q_OBJECT

  public:
    UnmixDialog(const QStringList& samples, UserInteraction& ui, QWidget* parent);
    const UnmixRequest& request() const { return m_request; }
    void bbOKClick();

    QComboBox* cbSink = nullptr;
    QListWidget* lwSources = nullptr;
    QComboBox* cbFit = nullptr;
    QLineEdit* eBootstrap = nullptr;
    QLineEdit* eSeed = nullptr;
    QPushButton* bbOK = nullptr;
    QPushButton* bbCancel = nullptr;

  private:
    void sinkChanged();

    UserInteraction& m_ui;
    UnmixRequest m_request;
};

}  // namespace kestrel
