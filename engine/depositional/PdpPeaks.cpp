// The walk over a sample's PDP from the young end, peak by peak and minimum by minimum.
#include "engine/depositional/PdpPeaks.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "engine/depositional/SlopeRoot.h"

namespace kestrel {

namespace {

constexpr double kSqrtTwoPi = 2.5066282746310002;
constexpr double kReach = 8.0;  // sigmas beyond which a grain adds nothing to a grid value

}  // namespace

PdpWalk::PdpWalk(const GrainSample& sample) : m_sample(sample) {
    const auto& a = sample.ages;
    const auto& s = sample.sigmas;
    std::vector<std::pair<double, size_t>> edges(a.size());
    for (size_t i = 0; i < a.size(); ++i) edges[i] = {a[i] - kReach * s[i], i};
    std::sort(edges.begin(), edges.end());
    m_byLowerEdge.resize(a.size());
    for (size_t i = 0; i < a.size(); ++i) m_byLowerEdge[i] = edges[i].second;
    double lowest = a[0] - 5.0 * s[0], highest = a[0] + 5.0 * s[0], narrowest = s[0];
    for (size_t i = 1; i < a.size(); ++i) {
        lowest = std::min(lowest, a[i] - 5.0 * s[i]);
        highest = std::max(highest, a[i] + 5.0 * s[i]);
        narrowest = std::min(narrowest, s[i]);
    }
    m_x0 = lowest;
    m_step = narrowest / 10.0;
    const double rows = std::ceil((highest - m_x0) / m_step);
    m_last = rows > static_cast<double>(kMostRows) ? kMostRows + 1 : static_cast<long long>(rows);
    m_row = 0;
    if (tooFine()) return;
    admitAndRetire(gridAge(0), gridAge(1));
    m_values[1] = density(gridAge(0));
    m_values[2] = density(gridAge(1));
}

void PdpWalk::admitAndRetire(double lowest, double highest) {
    const auto& a = m_sample.ages;
    const auto& s = m_sample.sigmas;
    while (m_admitted < m_byLowerEdge.size()) {
        const size_t i = m_byLowerEdge[m_admitted];
        if (a[i] - kReach * s[i] > highest) break;
        m_active.push_back(i);
        ++m_admitted;
    }
    std::erase_if(m_active, [&](size_t i) { return a[i] + kReach * s[i] < lowest; });
}

double PdpWalk::density(double x) const {
    double sum = 0.0;
    for (const size_t i : m_active) {
        const double a = m_sample.ages[i], s = m_sample.sigmas[i];
        if (std::fabs(x - a) > kReach * s) continue;
        const double z = (x - a) / s;
        sum += std::exp(-0.5 * z * z) / (s * kSqrtTwoPi);
    }
    return sum;
}

void PdpWalk::slope(double x, double& first, double& second) const {
    first = second = 0.0;
    for (const size_t i : m_active) {
        const double a = m_sample.ages[i], s = m_sample.sigmas[i];
        if (std::fabs(x - a) > kReach * s) continue;
        const double z = (x - a) / s;
        const double n = std::exp(-0.5 * z * z) / (s * kSqrtTwoPi);
        first -= z / s * n;
        second += (z * z - 1.0) / (s * s) * n;
    }
}

double PdpWalk::refine(double below, double at, double above) const {
    const auto slopeAt = [this](double x, double& first, double& second) {
        slope(x, first, second);
    };
    return slopeRoot(slopeAt, below, at, above, 1e-13 * (std::fabs(at) + m_step));
}

void PdpWalk::skipEmptyRows() {
    const auto& a = m_sample.ages;
    const auto& s = m_sample.sigmas;
    const double x = gridAge(m_row + 1);
    for (const size_t i : m_active)
        if (!(a[i] + kReach * s[i] < x)) return;
    if (m_admitted == m_byLowerEdge.size()) {
        m_row = m_last;  // nothing above: the PDP stays 0 to the end
        return;
    }
    // Rows up to two below the next grain's reach hold 0 as the two held now do.
    const size_t i = m_byLowerEdge[m_admitted];
    const auto target =
        static_cast<long long>(std::floor((a[i] - kReach * s[i] - m_x0) / m_step)) - 2;
    if (target <= m_row) return;
    m_active.clear();
    m_row = target;
}

std::optional<PdpTurn> PdpWalk::next() {
    if (tooFine()) return std::nullopt;
    while (m_row + 1 < m_last) {
        // Between far-apart grains the PDP is 0 for many rows; no turn lies there.
        if (m_values[1] == 0.0 && m_values[2] == 0.0) {
            skipEmptyRows();
            if (m_row + 1 >= m_last) break;
        }
        ++m_row;
        m_values[0] = m_values[1];
        m_values[1] = m_values[2];
        admitAndRetire(gridAge(m_row - 1), gridAge(m_row + 1));
        m_values[2] = density(gridAge(m_row + 1));
        const double before = m_values[0], here = m_values[1], after = m_values[2];
        const bool peak = before < here && here >= after;
        const bool minimum = before > here && here <= after;
        if (!peak && !minimum) continue;
        return PdpTurn{refine(gridAge(m_row - 1), gridAge(m_row), gridAge(m_row + 1)), peak};
    }
    return std::nullopt;
}

size_t PdpWalk::grainsWithinOneSigma(double age) const {
    return static_cast<size_t>(std::count_if(m_active.begin(), m_active.end(), [&](size_t i) {
        return std::fabs(m_sample.ages[i] - age) <= m_sample.sigmas[i];
    }));
}

}  // namespace kestrel
