// The End-members page: the end-member profiles that mix into every sample (inverse unmixing),
// each sample's weights, and the residual for each number of end-members tried.
#pragma once

#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "engine/unmixing/NmfEndMembers.h"

class QComboBox;
class QCustomPlot;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTabWidget;
class QTableView;

namespace kestrel {

/// @brief What the page shows: the fits for each k tried (in k order), the one chosen by the
/// residual's rule, and the grid and samples they were made of.
struct EndMembersShown {
    QString subject;
    std::vector<std::string> samples;
    std::vector<double> grid;
    std::vector<NmfFit> byK;
    size_t chosen = 0;
};

class EndMembersPage : public QWidget {
    Q_OBJECT

  public:
    explicit EndMembersPage(QWidget* parent = nullptr);

    void showResults(EndMembersShown shown);
    const EndMembersShown& shown() const { return m_shown; }
    bool filled() const { return !m_shown.byK.empty(); }
    /// @brief The fit in view: the k chosen in the list.
    const NmfFit& fitInView() const;

    QLabel* lNote = nullptr;
    QComboBox* cbK = nullptr;
    QPushButton* bbExport = nullptr;
    QTabWidget* tcEndMembers = nullptr;
    QCustomPlot* EndMembersGraph = nullptr;
    QCustomPlot* ResidualGraph = nullptr;
    QTableView* WeightsGrid = nullptr;

  signals:
    void exportRequested();

  private:
    void showFit();
    void drawResiduals();

    EndMembersShown m_shown;
    QStandardItemModel* m_model = nullptr;
};

}  // namespace kestrel
