// The grain-ages workflow of the main window: Open grain ages, a pair of samples compared from
// the profiles built from their ages (with their grains as sample sizes), every sample compared
// by its grains on the Many profiles page, and Export profiles.
#pragma once

#include <QString>
#include <cstddef>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "app/TwoProfileSettings.h"
#include "engine/SampleSizes.h"
#include "sheet/core/ProfilesSheet.h"

class TForm1;
struct SharedState;

namespace kestrel {

struct GrainAgesSource;
struct WindowsTableRow;
class UserInteraction;

/// @brief The grain-ages workflow, with its own choices. While one of its pairs holds the
/// shared state, it keeps the two-profile rows, columns and window aside, and it writes them
/// only through the two-profile controller.
class GrainAgesController {
  public:
    GrainAgesController(TForm1& window, UserInteraction& ui, SharedState& state);
    ~GrainAgesController();

    /// @brief The Open grain ages dialog, with "all, as many profiles" ticked when `all`, on
    /// `workbook` when given, else on the one in use or last chosen.
    void run(bool all, const QString& workbook = {});
    /// @brief Compares samples `first` and `second` of `source` from their profiles.
    void openPair(std::shared_ptr<const GrainAgesSource> source, size_t first, size_t second);
    /// @brief Export profiles: every profile of the ages in use to a .csv or .xlsx file.
    void exportProfiles();

    /// @brief The grain ages of the open workbook, if it is one of grain ages.
    const GrainAgesSource* sourceInUse() const { return m_agesInUse.get(); }
    /// @brief An ordinary Open has replaced the ages in use.
    void closePair() { m_agesInUse.reset(); }

    /// @brief Puts the two-profile settings set aside back, when there are any.
    void restoreTwoProfileSettings();
    /// @brief For an Open while a pair is loaded: the two-profile settings put back, and the
    /// pair's returned (none when no pair holds the shared state).
    std::optional<TwoProfileSettings> giveBackTwoProfileSettings();
    /// @brief The Open was cancelled: `pair` (as given back) takes the shared state again.
    void retakeTwoProfileSettings(const TwoProfileSettings& pair);

    // What the two-profile calculation and Save take from the pair in use; nothing when the
    // profiles in use are not a pair of the sheet of profiles built from grain ages.
    /// @brief The two samples' grain counts.
    std::optional<GrainCounts> pairGrains() const;
    /// @brief The grain columns of the windows table.
    void fillGrainColumns(std::vector<WindowsTableRow>& rows) const;
    /// @brief "Sample sizes: 75 and 106 grains (the grain ages of S01 and S02)".
    QString sampleSizesLine() const;
    /// @brief "N empty cells among the ages skipped" when the ages in use skipped any.
    QString skippedNote() const;
    /// @brief The pair's grains that the profiles' grid leaves out, when it leaves any.
    QString gridNote() const;
    /// @brief The pair's profiles, saved with the summary.
    std::optional<ProfilesTable> pairProfiles() const;

  private:
    void showMatrix(std::shared_ptr<const GrainAgesSource> source);
    /// The samples of the profiles in use, when they are two columns of the sheet of profiles
    /// built from grain ages (whatever Edit changed since).
    std::optional<std::pair<size_t, size_t>> agesPairInUse() const;

    TForm1& m_window;
    UserInteraction& m_ui;
    SharedState& m_state;
    std::shared_ptr<const GrainAgesSource> m_agesInUse;  // of the open workbook
    /// The two-profile rows, columns and window set aside while a grain-ages pair holds the
    /// shared state; none otherwise.
    std::optional<TwoProfileSettings> m_twoProfileSettings;
    int m_agesProfilesSheet = 0;  // the sheet of their profiles in the source spreadsheet
    std::vector<size_t> m_agesSheetSamples;  // the sample in each of its columns from B on
};

}  // namespace kestrel
