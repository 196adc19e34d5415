// The profiles the Open grain ages dialog builds from the ages: built for the preview, and kept
// for the next preview and for OK while the choices they depend on stay the same.
#pragma once

#include <QStringList>
#include <optional>

#include "app/GrainAgesChoices.h"

namespace kestrel {

/// @brief The last ages read and profiles built, with the choices they were built for.
class GrainAgesBuildCache {
  public:
    /// @brief The profiles for `choices` on `book` as `plan` says: built now, or the last ones
    /// when the choices they depend on (all but the samples compared and the age window) are
    /// those of the last build. Throws what building throws, and then keeps nothing.
    const GrainAgesBuilt& builtFor(const Workbook& book, const GrainAgesFields& choices,
                                   const GrainAgesPlan& plan);
    /// @brief The last profiles built; null before the first build, after a failed one and
    /// after clear().
    const GrainAgesBuilt* built() const { return m_built ? &*m_built : nullptr; }
    /// @brief Samples of the last build whose own bandwidth is the diffusion estimator's last
    /// resort, each said as a line of the preview's note.
    const QStringList& bandwidthWarnings() const { return m_bandwidthWarnings; }
    /// @brief How many times profiles have been built.
    int builds() const { return m_builds; }
    /// @brief Forgets the last build (another workbook).
    void clear();

  private:
    QStringList warningsOfBuilt() const;

    std::optional<GrainAgesBuilt> m_built;
    std::optional<GrainAgesFields> m_builtFor;  // the choices m_built was built for
    QStringList m_bandwidthWarnings;            // of m_built
    int m_builds = 0;
};

}  // namespace kestrel
