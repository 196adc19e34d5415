// YSP, the youngest statistical population: from the youngest grains up, the first pair whose
// MSWD is below 1, grown grain by grain in order of age while its MSWD stays at or below 1,
// and of the last set at or below 1 and the first above, the one whose MSWD is closer to 1.
// D. J. Coutts, W. J. Matthews and S. M. Hubbard (2019), "Assessment of widely used methods to
// derive depositional ages from detrital zircon populations", Geoscience Frontiers 10,
// 1421-1435.
#include <cmath>

#include "engine/depositional/DepositionalEstimators.h"
#include "engine/depositional/WeightedMean.h"
#include "engine/depositional/YoungestClusters.h"

namespace kestrel {

namespace {

// The weighted mean and scatter of a set grown one grain at a time (West's update), so that
// growing it to every grain of a large sample stays linear and keeps the digits of the scatter.
class GrowingWeightedMean {
  public:
    void add(double age, double sigma) {
        const double w = 1.0 / (sigma * sigma);
        m_weights += w;
        const double delta = age - m_mean;
        m_mean += delta * w / m_weights;
        m_scatter += w * delta * (age - m_mean);
        ++m_count;
    }
    double mswd() const { return m_scatter / static_cast<double>(m_count - 1); }

  private:
    double m_weights = 0.0, m_mean = 0.0, m_scatter = 0.0;
    size_t m_count = 0;
};

// How many grains from `first` (in order of age) the population keeps, or 0 when the pair
// starting there has an MSWD of 1 or more.
size_t populationSize(const GrainSample& sample, GrainsByUpperAge& byAge, size_t first) {
    GrowingWeightedMean set;
    for (const size_t p : {first, first + 1})
        set.add(sample.ages[byAge.at(p)], sample.sigmas[byAge.at(p)]);
    double previous = set.mswd();
    if (!(previous < 1.0)) return 0;
    for (size_t end = first + 2; end < byAge.size(); ++end) {
        set.add(sample.ages[byAge.at(end)], sample.sigmas[byAge.at(end)]);
        const double mswd = set.mswd();
        if (mswd > 1.0) {
            const size_t size = end + 1 - first;
            return std::fabs(mswd - 1.0) < std::fabs(previous - 1.0) ? size : size - 1;
        }
        previous = mswd;
    }
    return byAge.size() - first;
}

}  // namespace

DepositionalEstimate youngestStatisticalPopulation(const GrainSample& sample,
                                                   const DepositionalOptions&) {
    GrainsByUpperAge byAge(sample, 0.0);
    for (size_t first = 0; first + 1 < byAge.size(); ++first) {
        const size_t size = populationSize(sample, byAge, first);
        if (size > 0) return weightedMeanEstimate(sample, byAge.indices(first, size));
    }
    return noDepositionalEstimate("no two successive grains with an MSWD below 1");
}

}  // namespace kestrel
