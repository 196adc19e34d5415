// Wasserstein-2 distances by merging the steps of two quantile functions.
#include "engine/measures/Wasserstein.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "engine/KestrelError.h"
#include "engine/measures/GrainMatrix.h"

namespace kestrel {
namespace {

// Each merged step moves past a step of one quantile function or the other, so a walk that takes
// more steps than both have has stopped moving (a value that is not a number does that): it is
// refused rather than left to run.
void requireProgress(int64_t steps, int64_t most, const char* what) {
    if (steps <= most) return;
    throw KestrelError(std::string("W2 could not be computed: the walk along the two ") + what +
                       " did not come to an end after " + std::to_string(most) +
                       " steps (is a value not a number?)");
}

}  // namespace

double wasserstein2OfProfiles(const PreparedProfile& a, const PreparedProfile& b,
                              std::span<const double> sortedAges) {
    if (!a.hasMass || !b.hasMass) return std::nan("");
    const std::vector<double>& cumA = a.ageCumulative;
    const std::vector<double>& cumB = b.ageCumulative;
    const size_t n = cumA.size();
    // Q_a(u) is the age of the first row whose cumulative mass reaches u; rows without mass are
    // stepped over as their cumulative mass equals the one before.
    double integral = 0.0, u = 0.0;
    size_t i = 0, j = 0;
    int64_t steps = 0;
    const auto most = 2 * static_cast<int64_t>(n) + 1;
    while (i < n && j < n) {
        requireProgress(++steps, most, "profiles");
        while (i < n && cumA[i] <= u) ++i;
        while (j < n && cumB[j] <= u) ++j;
        if (i == n || j == n) break;
        const double next = std::min(cumA[i], cumB[j]);
        const double gap = sortedAges[i] - sortedAges[j];
        integral += (next - u) * gap * gap;
        u = next;
    }
    return std::sqrt(integral);
}

double wasserstein2OfAges(std::span<const double> a, std::span<const double> b) {
    // After i ages of a the quantile level is i / na; the levels are compared as i * nb against
    // j * na, exactly.
    const auto na = static_cast<int64_t>(a.size()), nb = static_cast<int64_t>(b.size());
    const double total = static_cast<double>(na) * static_cast<double>(nb);
    double integral = 0.0;
    int64_t i = 0, j = 0, level = 0;  // level: u * na * nb
    int64_t steps = 0;
    while (i < na && j < nb) {
        requireProgress(++steps, na + nb, "age lists");
        const int64_t endA = (i + 1) * nb, endB = (j + 1) * na;
        const int64_t next = std::min(endA, endB);
        const double gap = a[static_cast<size_t>(i)] - b[static_cast<size_t>(j)];
        integral += static_cast<double>(next - level) * gap * gap;
        level = next;
        if (endA == next) ++i;
        if (endB == next) ++j;
    }
    return std::sqrt(integral / total);
}

MeasureMatrix wasserstein2MatrixOfAges(const std::vector<GrainSample>& samples, unsigned threads) {
    return grainPairMatrix(Measure::Wasserstein2, sortedGrainSamples(samples), threads, false,
                           [](const std::vector<double>& a, const std::vector<double>& b) {
                               return std::pair(wasserstein2OfAges(a, b), 0.0);
                           });
}

}  // namespace kestrel
