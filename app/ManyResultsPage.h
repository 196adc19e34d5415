// The results page of Compare many: the MDS map, the heat map and the matrix table, with the
// pair chosen on any of them offered for an ordinary two-profile comparison.
#pragma once

#include <QSize>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

#include "engine/ClassicalMds.h"
#include "engine/ProfileMatrix.h"

class QCustomPlot;
class QHelpEvent;
class QLabel;
class QMouseEvent;
class QPushButton;
class QSortFilterProxyModel;
class QSplitter;
class QTableView;

namespace kestrel {

class MatrixTableModel;

/// @brief Everything the page shows, with where the samples came from.
struct ManyProfilesResults {
    std::shared_ptr<const ProfileMatrix> matrix;
    MdsMap map;
    std::vector<int32_t> columns;  // the sheet column of each sample (grain ages: its index)
    int32_t rows = 0;
    /// What was compared, when not profile columns: e.g. "16 samples of grain ages (75 to 106
    /// grains each)"; empty: "K profiles x R rows".
    QString subject;
};

class ManyResultsPage : public QWidget {
    Q_OBJECT

  public:
    explicit ManyResultsPage(QWidget* parent = nullptr);

    void showResults(ManyProfilesResults results);
    const ManyProfilesResults& results() const { return m_results; }

    /// @brief A sample clicked on the map: the first click chooses one sample, the second its
    /// partner (the pair is then offered), a third starts a new pair.
    void chooseSample(int sample);
    /// @brief Chooses the pair (i, j) at once (a heat map or table cell).
    void choosePair(int first, int second);
    /// @brief The chosen samples: none, one, or the pair.
    const std::vector<int>& chosenSamples() const { return m_chosen; }
    /// @brief Copies the selected cells of the table (all of it when none is selected).
    void copyMatrix();

    QLabel* lNote = nullptr;
    QCustomPlot* MdsMap = nullptr;
    QCustomPlot* HeatMap = nullptr;
    QTableView* MatrixGrid = nullptr;
    QLabel* lPair = nullptr;
    QPushButton* bbCompareTwo = nullptr;
    QPushButton* bbSaveMatrix = nullptr;

  signals:
    /// The user asked for the two-profile comparison of these sheet columns.
    void compareTwoRequested(int32_t firstColumn, int32_t secondColumn);
    void saveMatrixRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    static constexpr QSize kGraphMinimum{260, 260};
    static constexpr int kMapShare = 11, kHeatMapShare = 9;  // of the graphs' width
    static constexpr int kTableBelowFrom = 560;              // pixels of page height

    void shareGraphsWidth();
    void mapMouseEvent(const QMouseEvent& event);
    void heatMapMouseEvent(const QMouseEvent& event);
    void showMapTip(const QHelpEvent& event);
    void showHeatMapTip(const QHelpEvent& event);
    void showChosen();
    void showChosenInTable();

    ManyProfilesResults m_results;
    std::vector<int32_t> m_order;
    std::vector<int> m_chosen;
    QSplitter* m_all = nullptr;  // the graphs and the table
    QSplitter* m_graphs = nullptr;
    MatrixTableModel* m_model = nullptr;
    QSortFilterProxyModel* m_sorted = nullptr;
    QPoint m_pressAt;
};

}  // namespace kestrel
