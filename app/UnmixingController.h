// The unmixing workflow of the main window, from the Many profiles page of a workbook of grain
// ages: "Unmix..." (a sink's proportions of its sources, with bootstrap intervals) on the
// Unmixing page, and "End-members..." (every sample as a mixture of end-member profiles) on
// the End-members page; their tables exported.
#pragma once

#include <string>

class TForm1;
struct SharedState;

namespace kestrel {

struct GrainAgesSource;
class UserInteraction;

class UnmixingController {
  public:
    UnmixingController(TForm1& window, UserInteraction& ui, SharedState& state);
    ~UnmixingController();

    /// @brief "Unmix...": the dialog on the Many page's samples, then the fits with their
    /// bootstrap, shown on the Unmixing page. Esc stops the bootstrap; the fits are then shown
    /// without intervals.
    void unmix();
    /// @brief "End-members...": the end-members of every sample's profile for k = 2 to 8, the
    /// k the residual's rule chooses in view, on the End-members page. Esc stops it.
    void endMembers();
    /// @brief "Export table...": the fits as .csv or .xlsx (kestrel-batch's --unmix-out file).
    void exportUnmixing();
    /// @brief "Export...": the end-members' workbook (.xlsx; kestrel-batch's --nmf-out file).
    void exportEndMembers();

  private:
    const GrainAgesSource* source() const;
    void connectPages();

    TForm1& m_window;
    UserInteraction& m_ui;
    SharedState& m_state;
    std::string m_workbookPath;
    bool m_connected = false;
};

}  // namespace kestrel
