// The depositional-age workflow of the main window: File > Depositional age... on the grain ages
// in use, every sample's maximum depositional age by the chosen estimators on the Depositional
// age page, the chosen sample's age components, the table exported, and the sheet the summary
// workbook gains.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "engine/depositional/MixtureComponents.h"
#include "sheet/core/WindowsSheet.h"
#include "ui/SettingsFields.h"

class TForm1;
struct SharedState;

namespace kestrel {

struct GrainAgesSource;
class UserInteraction;

/// @brief The depositional-age workflow, with where its page's results came from. It writes
/// only its own settings (SettingsFields::DepositionalChoices).
class DepositionalAgeController {
  public:
    DepositionalAgeController(TForm1& window, UserInteraction& ui, SharedState& state);
    ~DepositionalAgeController();

    /// @brief Depositional age...: the estimates of every sample of the grain ages in use; with
    /// none in use, the Open grain ages dialog first, and on from the ages it opens.
    void run();
    /// @brief "Export table...": the table's rows as .csv or .xlsx.
    void exportTable();
    /// @brief The sheet "Depositional age" for the summary of the grain ages in use, when the
    /// page holds theirs; none otherwise.
    std::optional<SummarySheet> summarySheet() const;

  private:
    void connectPage();
    void estimate(const GrainAgesSource& source);
    void estimateAgain();
    void fitComponents();
    void rememberChoices();

    TForm1& m_window;
    UserInteraction& m_ui;
    SharedState& m_state;
    /// The workbook and the choices the page's samples were read with: the ages they belong to.
    std::string m_workbookPath;
    std::optional<GrainAgesFields> m_agesChoices;
    /// The fits of this page's samples: (sample, k) -> the fit, or why there is none.
    std::map<std::pair<int, int>, std::pair<MixtureFit, std::string>> m_fits;
    bool m_connected = false;
};

}  // namespace kestrel
