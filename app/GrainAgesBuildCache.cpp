// The Open grain ages dialog's profiles, built once per change of the choices they depend on.
#include "app/GrainAgesBuildCache.h"

#include <QString>

namespace kestrel {

namespace {

// The choices the profiles depend on: all but what is compared.
GrainAgesFields buildingChoices(GrainAgesFields choices) {
    choices.firstSample.clear();
    choices.secondSample.clear();
    choices.compare.clear();
    choices.ageWindowWidth.clear();
    return choices;
}

}  // namespace

const GrainAgesBuilt& GrainAgesBuildCache::builtFor(const Workbook& book,
                                                    const GrainAgesFields& choices,
                                                    const GrainAgesPlan& plan) {
    const GrainAgesFields wanted = buildingChoices(choices);
    if (!m_built || m_builtFor != wanted) {
        m_built.reset();
        m_built = buildGrainAges(book, plan);
        ++m_builds;
        m_builtFor = wanted;
        m_bandwidthWarnings = warningsOfBuilt();
    }
    return *m_built;
}

void GrainAgesBuildCache::clear() {
    m_built.reset();
    m_builtFor.reset();
}

QStringList GrainAgesBuildCache::warningsOfBuilt() const {
    QStringList warnings;
    const auto& samples = m_built->ages.samples;
    for (const auto& [sample, estimate] : samplesWithoutBandwidthRoot(m_built->profiles)) {
        warnings << QString(
                        "%1 has too few distinct ages (%2) for its own bandwidth, which "
                        "draws a spike per grain: type a bandwidth")
                        .arg(QString::fromStdString(samples[sample].name))
                        .arg(estimate.distinctAges);
    }
    return warnings;
}

}  // namespace kestrel
