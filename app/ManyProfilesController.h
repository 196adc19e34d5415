// The many-profiles workflow of the main window: Compare many, the results shown on the Many
// profiles page, a chosen pair compared on its own, and the matrix saved.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class TForm1;
struct SharedState;

namespace kestrel {

struct GrainAgesSource;
struct ProfileSamples;
struct ManyProfilesResults;
class UserInteraction;

/// @brief The many-profiles workflow, with where the results on its page came from.
class ManyProfilesController {
  public:
    ManyProfilesController(TForm1& window, UserInteraction& ui, SharedState& state);
    ~ManyProfilesController();

    /// @brief Compare many: the dialog, then every pair of the chosen columns compared, mapped
    /// and shown; a workbook of grain ages goes to the grain-ages dialog instead.
    void compareMany();
    /// @brief "Compare these two": the pair as two profiles (or as two grain-age samples).
    void compareTwoColumns(int32_t firstColumn, int32_t secondColumn);
    /// @brief "Save matrix...": the matrices and the map as .csv or .xlsx.
    void saveMatrix();
    /// @brief Shows `results` of every sample of `source` compared by its grains.
    void showAgesResults(ManyProfilesResults results,
                         std::shared_ptr<const GrainAgesSource> source);
    /// @brief "Distributions...": the figures of the page's samples, from their grain ages or
    /// from the profiles read.
    void showDistributions();
    /// @brief The grain ages behind the page, while the page is shown and they are ages.
    const GrainAgesSource* agesSourceShown() const;

  private:
    void show(ManyProfilesResults results, const QString& emptyCellsNote);

    TForm1& m_window;
    UserInteraction& m_ui;
    SharedState& m_state;
    struct ManySource {  // where the last Compare many read its profiles
        QString workbookPath, ageColumn;
        int32_t fromRow = 0, toRow = 0;
        std::vector<int32_t> columns;                    // the sheet column of each sample
        std::optional<std::vector<int32_t>> grains;      // from the Grains row, one per sample
        std::shared_ptr<const GrainAgesSource> ages;     // grain ages: columns are samples
        std::shared_ptr<const ProfileSamples> profiles;  // profile columns, as read
    } m_manySource;
};

}  // namespace kestrel
