// The results page of Compare many: the MDS map of a chosen measure (classical or nonmetric, with
// nearest-neighbour lines on demand), the heat map or the Shepard plot beside it and the matrix
// table, with the pair chosen on any of them offered for an ordinary two-profile comparison.
#pragma once

#include <QSize>
#include <QString>
#include <QWidget>
#include <memory>
#include <utility>
#include <vector>

#include "app/ManyResultsPageMeasures.h"
#include "engine/ClassicalMds.h"
#include "engine/comparison/ProfileMatrix.h"

class QCheckBox;
class QComboBox;
class QCustomPlot;
class QHelpEvent;
class QLabel;
class QLayout;
class QMouseEvent;
class QPushButton;
class QSortFilterProxyModel;
class QSplitter;
class QTableView;
class QTabWidget;

namespace kestrel {

class MatrixTableModel;

/// @brief Everything the page shows, with where the samples came from.
struct ManyProfilesResults {
    /// The page keeps its own copy, whose mapMeasure is the measure chosen.
    std::shared_ptr<const ProfileMatrix> matrix;
    /// The map of the matrix's map measure; once shown, the map in view.
    MdsMap map;
    std::vector<int32_t> columns;  // the sheet column of each sample (grain ages: its index)
    int32_t rows = 0;
    /// What was compared, when not profile columns: e.g. "16 samples of grain ages (75 to 106
    /// grains each)"; empty: "K profiles x R rows".
    QString subject;
    /// Why a measure is not offered (e.g. W2 refusing a profile of zeros); empty when all are.
    QString measuresNote;
    /// The samples left out because they do not read: each name with why.
    std::vector<std::pair<QString, QString>> leftOut;
};

class ManyResultsPage : public QWidget {
    Q_OBJECT

  public:
    explicit ManyResultsPage(QWidget* parent = nullptr);

    void showResults(ManyProfilesResults results);
    const ManyProfilesResults& results() const { return m_results; }
    /// @brief The map in view with its measure, stress, Shepard pairs and nearest neighbours.
    const ManyMapView& mapView() const { return m_view; }

    /// @brief Draws the map, the heat map and the table from `measure` (one the matrix holds).
    void chooseMeasure(Measure measure);

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
    QComboBox* cbMeasure = nullptr;
    QCheckBox* chkNonmetric = nullptr;
    QCheckBox* chkNeighbours = nullptr;
    QCustomPlot* MdsMap = nullptr;
    QTabWidget* tcGraphs = nullptr;  // the heat map and the Shepard plot, beside the map
    QCustomPlot* HeatMap = nullptr;
    QCustomPlot* Shepard = nullptr;
    QTableView* MatrixGrid = nullptr;
    QLabel* lPair = nullptr;
    QPushButton* bbCompareTwo = nullptr;
    QPushButton* bbSaveMatrix = nullptr;
    QPushButton* bbDistributions = nullptr;  // "Distributions...": the samples' figures
    QPushButton* bbUnmix = nullptr;          // "Unmix...": grain ages only
    QPushButton* bbEndMembers = nullptr;     // "End-members...": grain ages only

  signals:
    /// The user asked for the two-profile comparison of these sheet columns.
    void compareTwoRequested(int32_t firstColumn, int32_t secondColumn);
    void saveMatrixRequested();
    void distributionsRequested();
    void unmixRequested();
    void endMembersRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    static constexpr QSize kGraphMinimum{260, 220};
    static constexpr int kMapShare = 11, kHeatMapShare = 9;  // of the graphs' width
    static constexpr int kTableBelowFrom = 560;              // pixels of page height

    QLayout* createChoices();
    void createGraphs();
    void fillMeasures();
    void showMapView();
    QString noteText() const;
    void showNeighbours();
    void shareGraphsWidth();
    void mapMouseEvent(const QMouseEvent& event);
    void heatMapMouseEvent(const QMouseEvent& event);
    void showMapTip(const QHelpEvent& event);
    void showHeatMapTip(const QHelpEvent& event);
    void showChosen();
    void showChosenInTable();

    ManyProfilesResults m_results;
    ManyMapView m_view;
    std::vector<int32_t> m_order;
    std::vector<int> m_chosen;
    QSplitter* m_all = nullptr;  // the graphs and the table
    QSplitter* m_graphs = nullptr;
    MatrixTableModel* m_model = nullptr;
    QSortFilterProxyModel* m_sorted = nullptr;
    QPoint m_pressAt;
};

}  // namespace kestrel
