// The Depositional age page: the chosen sample's youngest grains with every estimate of its
// maximum depositional age, its profile with the age components fitted to it, and the table of
// every sample's estimates, beside the choices they were made with.
#pragma once

#include <QString>
#include <QWidget>
#include <utility>
#include <vector>

#include "engine/density/GrainSample.h"
#include "engine/depositional/DepositionalAges.h"
#include "engine/depositional/MixtureComponents.h"
#include "ui/SettingsFields.h"

class QComboBox;
class QCustomPlot;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QTabWidget;
class QTableView;

namespace kestrel {

class DepositionalTableModel;

/// @brief What the page shows: the samples estimated, each one's estimates by every estimator
/// (in the table's order), the options they were made with, and the samples refused with why.
struct DepositionalResults {
    std::vector<GrainSample> samples;
    std::vector<std::vector<DepositionalEstimate>> estimates;
    DepositionalOptions options;
    QString subject;  // "GrainAges.xls: 8 samples"
    std::vector<std::pair<QString, QString>> refused;
};

class DepositionalAgePage : public QWidget {
    Q_OBJECT

  public:
    explicit DepositionalAgePage(QWidget* parent = nullptr);

    /// @brief Shows `results`, keeping the sample chosen when it is among them.
    void showResults(DepositionalResults results);
    const DepositionalResults& results() const { return m_results; }
    bool filled() const { return !m_results.samples.empty(); }

    /// @brief The choices as the fields stand, in the settings file's words.
    DepositionalAgeFields choices() const;
    /// @brief Sets the fields from `choices`; what does not read takes its default.
    void setChoices(const DepositionalAgeFields& choices);
    /// @brief The seed and the MLA's parameters as the fields stand.
    DepositionalOptions options() const;
    /// @brief The estimators ticked, in the table's order.
    std::vector<DepositionalMethod> chosenMethods() const;
    /// @brief Each sample's estimates by the ticked estimators: the table's rows.
    std::vector<std::vector<DepositionalEstimate>> shownEstimates() const;
    /// @brief The sample chosen (an index into results().samples), -1 when none.
    int chosenSample() const;
    /// @brief The components asked for: 1 to kMaxAutoComponents, or 0 for "auto".
    int chosenComponents() const;
    /// @brief Draws the chosen sample's profile with `fit`; `note` as fillComponentsGraph's.
    void showComponents(const MixtureFit& fit, const QString& note);
    /// @brief Copies the selected cells of the table (all of it when none is selected).
    void copyTable();

    QLabel* lNote = nullptr;
    QComboBox* cbSample = nullptr;
    QListWidget* lwMethods = nullptr;
    QComboBox* cbMlaParameters = nullptr;
    QLineEdit* eSeed = nullptr;
    QComboBox* cbComponents = nullptr;
    QPushButton* bbExportTable = nullptr;
    QCustomPlot* YoungestGraph = nullptr;
    QCustomPlot* ComponentsGraph = nullptr;
    QTableView* EstimatesGrid = nullptr;

  signals:
    /// The seed or the MLA's parameters changed: the estimates are to be made again.
    void optionsChanged();
    /// The sample or the number of components changed: the components are to be fitted.
    void componentsWanted();
    /// Any choice changed (for the settings file).
    void choicesChanged();
    void exportTableRequested();

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    static constexpr int kWideFrom = 1100, kTallFrom = 560;  // pixels of the page

    QWidget* createChoices();
    QWidget* createResults();
    void connectChoices();
    void showNote();
    void showTable();
    void showChosenSample();
    void seedEdited();
    /// A small page shows the graphs and the table as tabs, each with the whole room; a large
    /// one the two graphs side by side above the table.
    void arrangeViews(bool compact);

    DepositionalResults m_results;
    DepositionalTableModel* m_model = nullptr;
    QStackedWidget* m_views = nullptr;
    QSplitter* m_all = nullptr;  // large: the graphs above the table
    QSplitter* m_graphs = nullptr;
    QTabWidget* m_tabs = nullptr;  // small: the three as tabs
    bool m_compact = false;
    QString m_seed = "1";  // the last seed that read
};

}  // namespace kestrel
