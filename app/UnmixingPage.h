// The Unmixing page: how much of a sink sample each source gives, by every fit asked for, with
// the bootstrap's intervals; the sink's cumulative curve and profile over the best mixtures';
// and the table of the fits.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "engine/density/DensityProfiles.h"
#include "engine/density/GrainSample.h"
#include "engine/unmixing/Unmixing.h"

class QCustomPlot;
class QLabel;
class QPushButton;
class QStandardItemModel;
class QTabWidget;
class QTableView;

namespace kestrel {

/// @brief What the page shows: the samples unmixed, the fits, and the profiles' options.
struct UnmixingShown {
    QString subject;  // "GrainAges.xls"
    GrainSample sink;
    std::vector<GrainSample> sources;
    UnmixingResult result;
    DensityOptions density;
};

class UnmixingPage : public QWidget {
    Q_OBJECT

  public:
    explicit UnmixingPage(QWidget* parent = nullptr);

    void showResults(UnmixingShown shown);
    const UnmixingShown& shown() const { return m_shown; }
    bool filled() const { return !m_shown.result.estimates.empty(); }
    /// @brief The sources' names, in the fits' order.
    std::vector<std::string> sourceNames() const;

    QLabel* lNote = nullptr;
    QPushButton* bbExportTable = nullptr;
    QTabWidget* tcUnmixing = nullptr;
    QCustomPlot* ProportionsGraph = nullptr;
    QCustomPlot* CumulativeGraph = nullptr;
    QCustomPlot* ProfilesGraph = nullptr;
    QTableView* UnmixingGrid = nullptr;

  signals:
    void exportTableRequested();

  private:
    void showNote();
    void drawProportions();
    void drawCumulative();
    void drawProfiles();
    void fillTable();

    UnmixingShown m_shown;
    QStandardItemModel* m_model = nullptr;
};

}  // namespace kestrel
