// The distributions workflow of the main window: File > Distributions... (or Distributions...
// on the Many profiles page) draws the figures of every sample on the Distributions page, and
// exports a figure at a chosen width or the peaks and bins tables.
#pragma once

#include <memory>
#include <string>
#include <vector>

class QCustomPlot;
class TForm1;
struct SharedState;

namespace kestrel {

struct GrainAgesSource;
struct ProfileSamples;
class UserInteraction;

/// @brief The distributions workflow. It writes only its own settings
/// (SettingsFields::DistributionsChoices).
class DistributionsController {
  public:
    DistributionsController(TForm1& window, UserInteraction& ui, SharedState& state);
    ~DistributionsController();

    /// @brief Distributions...: every sample of the grain ages in use; with none in use, the
    /// Open grain ages dialog first, and on from the ages it opens.
    void run();
    /// @brief The profiles of a workbook of profiles, as Compare many read them: the stacked
    /// figure only. `mapAxis`: each sample's place on the many page's map, for the map order.
    void showProfiles(const ProfileSamples& profiles, const std::string& workbookPath,
                      const std::vector<double>& mapAxis);
    /// @brief "Export figure...": the figure in front as SVG, PDF or PNG at the typed width.
    void exportFigure();
    /// @brief "Export table...": the bins or peaks table in front as .csv or .xlsx.
    void exportTable();
    /// @brief Prints `chart` (one of the page's figures) as on screen.
    void printFigure(QCustomPlot& chart);

  private:
    void showAges(const GrainAgesSource& source);
    void showPage();
    void connectPage();
    void rememberChoices();

    TForm1& m_window;
    UserInteraction& m_ui;
    SharedState& m_state;
    std::string m_workbookPath;
    bool m_connected = false;
};

}  // namespace kestrel
