// The Distributions page: the figures a detrital study publishes of its samples (every
// sample's profile stacked on one age axis, the cumulative curves, the shares of grains per
// age bin) and the tables of peaks and bins, beside the choices they are drawn with.
#pragma once

#include <QString>
#include <QWidget>
#include <optional>
#include <utility>
#include <vector>

#include "engine/density/DensityProfiles.h"
#include "engine/density/GrainSample.h"
#include "engine/figures/AgeBins.h"
#include "engine/figures/FigureRequest.h"
#include "ui/SettingsFields.h"

class QCheckBox;
class QComboBox;
class QCustomPlot;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollArea;
class QStandardItemModel;
class QTabWidget;
class QTableView;

namespace kestrel {

/// @brief What the page draws: grain-age samples, whose profiles it builds as the choices say,
/// or the profiles of a workbook of profiles (names and values on their own grid, no grains).
struct DistributionsData {
    QString subject;  // "GrainAges.xls"
    bool fromAges = true;
    std::vector<GrainSample> samples;  // with ages: the samples; profiles: their names only
    std::vector<double> grid;          // profiles: the Age column
    std::vector<std::vector<double>> profiles;  // profiles: as read, one per sample
    std::vector<double> mapAxis;  // profiles: each sample's place on the map's first axis
    std::vector<std::pair<QString, QString>> refused;  // samples left out, with why
};

class DistributionsPage : public QWidget {
    Q_OBJECT

  public:
    explicit DistributionsPage(QWidget* parent = nullptr);

    /// @brief Shows `data` drawn with the choices as they stand.
    void showData(DistributionsData data);
    const DistributionsData& data() const { return m_data; }
    bool filled() const { return !m_data.samples.empty(); }

    /// @brief The choices as the fields stand, in the settings file's words.
    DistributionsFields choices() const;
    /// @brief Sets the fields from `choices`; what does not read takes its default.
    void setChoices(const DistributionsFields& choices);

    /// @brief The figure of the tab in front (the stacked one when the tables are in front),
    /// as a request for a file at the typed width and font size; `path` left empty. Nothing when
    /// the page is empty.
    std::optional<FigureRequest> figureRequest() const;
    /// @brief Whether the tab in front shows a table rather than a figure, and which.
    bool binsTableInFront() const;
    bool peaksTableInFront() const;
    /// @brief The samples' names, peaks and bin counts in the order read (for the tables).
    std::vector<std::string> sampleNames() const;
    const std::vector<std::vector<ProfilePeak>>& peaks() const { return m_peaks; }
    const std::vector<BinCounts>& binCounts() const { return m_binCounts; }
    const std::vector<double>& binEdges() const { return m_edges; }
    /// @brief How many times the profiles were built since the page was made (a change of
    /// the profile method or bandwidth builds them; any other choice only redraws).
    int profileBuilds() const { return m_profileBuilds; }

    QLabel* lNote = nullptr;
    QLabel* lProblem = nullptr;
    QComboBox* cbProfile = nullptr;
    QLineEdit* eBandwidth = nullptr;
    QLineEdit* eBinWidth = nullptr;
    QLineEdit* eBands = nullptr;
    QComboBox* cbOrder = nullptr;
    QLineEdit* eOrder = nullptr;
    QCheckBox* chkLogAge = nullptr;
    QLineEdit* ePeakThreshold = nullptr;
    QLineEdit* eBinEdges = nullptr;
    QListWidget* lwBands = nullptr;  // the samples drawn with their DKW band
    QLineEdit* eFigureWidth = nullptr;
    QLineEdit* eFigureFont = nullptr;
    QPushButton* bbExportFigure = nullptr;
    QPushButton* bbExportTable = nullptr;
    QTabWidget* tcFigures = nullptr;
    QCustomPlot* StackedFigure = nullptr;
    QCustomPlot* CumulativeFigure = nullptr;
    QCustomPlot* BinsFigure = nullptr;
    QTableView* BinsGrid = nullptr;
    QTableView* PeaksGrid = nullptr;

  signals:
    void choicesChanged();
    void exportFigureRequested();
    void exportTableRequested();

  private:
    QWidget* createChoices();
    QWidget* createFigures();
    void connectChoices();
    void choiceEdited(bool profilesToo);
    /// Says what does not read at the top of the page; an empty text hides it.
    void showProblem(const QString& problem);
    /// Reads every field; on the first that does not read, says so and returns false.
    bool readChoices();
    void buildProfiles();
    void buildProfilesOrKde();
    void findPeaksAndBins();
    void drawAll();
    void drawInFront();
    void drawStacked();
    void drawCumulative();
    void drawBins();
    void fillPeaksTable();
    void fillBinsTable();
    void showNote();
    std::vector<size_t> order() const;
    std::vector<FigureSampleData> figureSamplesFor(FigureKind kind) const;
    void fitStackedHeight();

    DistributionsData m_data;
    DensityProfiles m_profiles;  // with ages: built; profiles: as read, scaled to 100
    std::vector<std::vector<ProfilePeak>> m_peaks;
    std::vector<BinCounts> m_binCounts;
    // The choices that read, as last applied.
    std::optional<double> m_bandwidth;
    double m_binWidth = 0.0;
    std::vector<AgeBand> m_bands;
    std::vector<size_t> m_order;
    mutable std::optional<std::vector<size_t>> m_mapOrder;  // found once per data
    double m_threshold = kDefaultPeakThresholdPercent;
    std::vector<double> m_edges;
    double m_widthMm = 170.0, m_fontPoints = 9.0;
    int m_profileBuilds = 0;
    QString m_builtProfile, m_builtBandwidth;  // what the profiles shown were built with
    int m_stale = 0;  // the views not drawn since the samples or choices changed
    QScrollArea* m_stackedScroll = nullptr;
    QScrollArea* m_binsScroll = nullptr;
    QStandardItemModel* m_peaksModel = nullptr;
    QStandardItemModel* m_binsModel = nullptr;
};

}  // namespace kestrel
