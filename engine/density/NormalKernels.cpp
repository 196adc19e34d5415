// Normal kernels summed on a grid by a recurrence, and at the sample's own ages directly.
#include "engine/density/NormalKernels.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numeric>

#include "engine/KestrelError.h"
#include "engine/MessageText.h"

namespace kestrel {
namespace {

// A kernel over fewer rows than this is evaluated row by row with the exponential.
constexpr int64_t kDirectRows = 8;
// The recurrence's relative error grows as the square of the rows j since its start, about
// j^2 / 4 units in the last place; it starts again from the exponential every kRestartRows
// rows, where the error stays below 64^2 / 4 units (2.3e-13) of the kernel's peak. A kernel no
// wider than kRestartRows rows needs no restart: its values fall faster than the error grows
// (error j^2 / 4 units of a value exp(-j^2 d^2 / 2) of the peak, at most 1 / (2 e d^2) units).
constexpr int64_t kRestartRows = 64;

// The kernel sums at the ages reach kPilotReach bandwidths, where a kernel has fallen to
// exp(-55) = 1e-24 of its peak, so that even a million grains just beyond change no sum by more
// than a unit in the last place. They gather the ages into boxes kBoxWidth wide (in units of
// sqrt(2) h), each summed as one Taylor series of kMoments terms about its centre: with
// |x - c| <= 7.68 within reach and |y - c| <= 0.25, the series' terms fall as 3.84^p / p!, and
// after 36 terms what is left is below 1e-19 of the kernel's peak.
constexpr double kPilotReach = 10.5;
constexpr double kBoxWidth = 0.5;
constexpr int kMoments = 36;

}  // namespace

std::string messageNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::string sampleLabel(const GrainSample& sample) {
    return "Sample \"" + messageExcerpt(sample.name) + "\"";
}

void checkGrainAges(const GrainSample& sample) {
    if (sample.ages.empty()) throw KestrelError(sampleLabel(sample) + " has no ages");
    for (size_t i = 0; i < sample.ages.size(); ++i)
        if (!std::isfinite(sample.ages[i]))
            throw KestrelError(sampleLabel(sample) + ": the age of grain " + std::to_string(i + 1) +
                               " is not a finite number");
}

void addNormalKernel(std::span<double> rows, double from, double step, double centre, double width,
                     double weight) {
    const auto count = static_cast<int64_t>(rows.size());
    if (count == 0) return;
    // The rows within reach of the centre, found in floating point first so that a kernel far
    // off the grid never overflows an integer.
    const double reach = kKernelReach * width;
    const double firstRow = std::ceil((centre - reach - from) / step);
    const double lastRow = std::floor((centre + reach - from) / step);
    if (!(firstRow <= lastRow) || lastRow < 0.0 || firstRow > static_cast<double>(count - 1))
        return;
    const int64_t first = firstRow < 0.0 ? 0 : static_cast<int64_t>(firstRow);
    const int64_t last = std::min(count - 1, static_cast<int64_t>(std::min(lastRow, 9e18)));
    const double peak = weight * kInverseSqrtTwoPi / width;
    const double inverseWidth = 1.0 / width;
    const auto standardScore = [&](int64_t r) {
        return (from + static_cast<double>(r) * step - centre) * inverseWidth;
    };
    double* out = rows.data();
    if (last - first < kDirectRows) {
        for (int64_t r = first; r <= last; ++r) {
            const double z = standardScore(r);
            out[r] += peak * std::exp(-0.5 * z * z);
        }
        return;
    }
    // With z the standard score of a row and d = step / width, the next row's value is this
    // row's times exp(-(z d + d^2 / 2)), and that ratio shrinks by exp(-d^2) from row to row;
    // the previous row's alike with exp(z d - d^2 / 2). The walks right from the peak row and
    // left from the row before it go side by side (two independent chains of multiplications)
    // in pieces of kRestartRows rows, each piece starting from the exponential (one piece each
    // way for a kernel no wider than kRestartRows rows).
    const double d = step * inverseWidth;
    const int64_t pieceRows = d * kRestartRows >= 1.0 ? count : kRestartRows;
    const double ratioStep = std::exp(-d * d);
    const auto peakRow =
        std::clamp(static_cast<int64_t>(std::nearbyint((centre - from) / step)), first, last);
    for (int64_t right = peakRow, left = peakRow - 1; right <= last || left >= first;
         right += pieceRows, left -= pieceRows) {
        const int64_t rightRows = std::clamp<int64_t>(last - right + 1, 0, pieceRows);
        const int64_t leftRows = std::clamp<int64_t>(left - first + 1, 0, pieceRows);
        const double zRight = standardScore(right), zLeft = standardScore(left);
        double rightValue = rightRows > 0 ? peak * std::exp(-0.5 * zRight * zRight) : 0.0;
        double rightRatio = rightRows > 0 ? std::exp(-(zRight * d + 0.5 * d * d)) : 0.0;
        double leftValue = leftRows > 0 ? peak * std::exp(-0.5 * zLeft * zLeft) : 0.0;
        double leftRatio = leftRows > 0 ? std::exp(zLeft * d - 0.5 * d * d) : 0.0;
        double* rightOut = rightRows > 0 ? out + right : out;
        double* leftOut = leftRows > 0 ? out + left : out;
        const int64_t both = std::min(rightRows, leftRows);
        int64_t j = 0;
        for (; j < both; ++j) {
            rightOut[j] += rightValue;
            rightValue *= rightRatio;
            rightRatio *= ratioStep;
            leftOut[-j] += leftValue;
            leftValue *= leftRatio;
            leftRatio *= ratioStep;
        }
        for (int64_t k = j; k < rightRows; ++k) {
            rightOut[k] += rightValue;
            rightValue *= rightRatio;
            rightRatio *= ratioStep;
        }
        for (int64_t k = j; k < leftRows; ++k) {
            leftOut[-k] += leftValue;
            leftValue *= leftRatio;
            leftRatio *= ratioStep;
        }
    }
}

std::vector<double> kernelSumAtAges(std::span<const double> ages, double bandwidth) {
    const size_t n = ages.size();
    std::vector<size_t> order(n);
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) { return ages[a] < ages[b]; });
    std::vector<double> sorted(n);
    for (size_t k = 0; k < n; ++k) sorted[k] = ages[order[k]];
    // Distances are taken in age units first (exact between nearby ages) and then divided by
    // sqrt(2) h, where the kernel is exp(-(x - y)^2).
    const double unit = std::sqrt(2.0) * bandwidth;

    // Boxes of consecutive ages no more than kBoxWidth units apart, each with its centre c and
    // the moments A_p = sum over its ages y of (2^p / p!) v^p exp(-v^2), v = (y - c) / unit, so
    // that the sum over its ages of exp(-((x - y) / unit)^2) is
    // exp(-e^2) sum_p A_p e^p, e = (x - c) / unit.
    struct Box {
        double centre;
        std::array<double, kMoments> moments;
    };
    std::vector<Box> boxes;
    for (size_t begin = 0, end = 0; begin < n; begin = end) {
        while (end < n && (sorted[end] - sorted[begin]) / unit <= kBoxWidth) ++end;
        Box box{sorted[begin] + (sorted[end - 1] - sorted[begin]) / 2.0, {}};
        for (size_t j = begin; j < end; ++j) {
            const double v = (sorted[j] - box.centre) / unit;
            double term = std::exp(-v * v);
            for (int p = 0; p < kMoments; ++p) {
                box.moments[p] += term;
                term *= 2.0 * v / (p + 1);
            }
        }
        boxes.push_back(box);
    }

    // Each age sums the boxes whose centre lies within reach (kPilotReach bandwidths plus half
    // a box), ages and boxes both in increasing order.
    const double reach = kPilotReach / std::sqrt(2.0) + kBoxWidth / 2.0;
    const double peak = kInverseSqrtTwoPi / bandwidth;
    std::vector<double> sums(n);
    size_t first = 0, past = 0;  // the boxes within reach of the current age
    for (size_t k = 0; k < n; ++k) {
        const double x = sorted[k];
        while ((x - boxes[first].centre) / unit > reach) ++first;
        while (past < boxes.size() && (boxes[past].centre - x) / unit <= reach) ++past;
        double sum = 0.0;
        for (size_t b = first; b < past; ++b) {
            const double e = (x - boxes[b].centre) / unit;
            double series = 0.0;
            for (int p = kMoments - 1; p >= 0; --p) series = series * e + boxes[b].moments[p];
            sum += std::exp(-e * e) * series;
        }
        sums[order[k]] = peak * sum;
    }
    return sums;
}

}  // namespace kestrel
