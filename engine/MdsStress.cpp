// Stress-1 and Shepard pairs: plain loops over the pairs i < j.
#include "engine/MdsStress.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

#include "engine/KestrelError.h"

namespace kestrel {
namespace {

void requireOnePointPerSample(const SquareMatrix& dissimilarities, const MdsMap& map) {
    if (map.points.size() != static_cast<size_t>(dissimilarities.size)) {
        throw KestrelError("The map does not have one point per sample");
    }
}

bool shepardOrder(const ShepardPair& a, const ShepardPair& b) {
    return std::tie(a.dissimilarity, a.disparity, a.i, a.j) <
           std::tie(b.dissimilarity, b.disparity, b.i, b.j);
}

}  // namespace

std::vector<double> pairDissimilarities(const SquareMatrix& dissimilarities) {
    std::vector<double> pairs;
    const int32_t k = dissimilarities.size;
    pairs.reserve(static_cast<size_t>(k) * static_cast<size_t>(std::max(k - 1, 0)) / 2);
    for (int32_t i = 0; i < k; ++i) {
        for (int32_t j = i + 1; j < k; ++j) pairs.push_back(dissimilarities.at(i, j));
    }
    return pairs;
}

std::vector<double> pairDistances(const MdsMap& map) {
    std::vector<double> pairs;
    const size_t k = map.points.size();
    pairs.reserve(k * (k > 0 ? k - 1 : 0) / 2);
    for (size_t i = 0; i < k; ++i) {
        for (size_t j = i + 1; j < k; ++j) {
            const double dx = map.points[i][0] - map.points[j][0];
            const double dy = map.points[i][1] - map.points[j][1];
            pairs.push_back(std::sqrt(dx * dx + dy * dy));
        }
    }
    return pairs;
}

double stress1(const std::vector<double>& disparities, const std::vector<double>& distances) {
    if (disparities.size() != distances.size()) {
        throw KestrelError("The disparities do not match the pairs of the map");
    }
    double misfit = 0.0, scale = 0.0;
    for (size_t p = 0; p < distances.size(); ++p) {
        const double gap = disparities[p] - distances[p];
        misfit += gap * gap;
        scale += distances[p] * distances[p];
    }
    if (scale == 0.0) return misfit == 0.0 ? 0.0 : std::numeric_limits<double>::infinity();
    return std::sqrt(misfit / scale);
}

double metricStress(const SquareMatrix& dissimilarities, const MdsMap& map) {
    requireOnePointPerSample(dissimilarities, map);
    return stress1(pairDissimilarities(dissimilarities), pairDistances(map));
}

ShepardData shepardData(const SquareMatrix& dissimilarities, const MdsMap& map,
                        const std::vector<double>& disparities) {
    requireOnePointPerSample(dissimilarities, map);
    const std::vector<double> distances = pairDistances(map);
    ShepardData data;
    data.hasDisparities = !disparities.empty();
    if (data.hasDisparities && disparities.size() != distances.size()) {
        throw KestrelError("The disparities do not match the pairs of the map");
    }
    size_t p = 0;
    for (int32_t i = 0; i < dissimilarities.size; ++i) {
        for (int32_t j = i + 1; j < dissimilarities.size; ++j, ++p) {
            const double dissimilarity = dissimilarities.at(i, j);
            const double disparity = data.hasDisparities ? disparities[p] : dissimilarity;
            data.pairs.push_back({i, j, dissimilarity, distances[p], disparity});
        }
    }
    std::sort(data.pairs.begin(), data.pairs.end(), shepardOrder);
    return data;
}

bool collapsedMap(const MdsMap& map, double stress) {
    constexpr double kTinyStress = 0.01, kNear = 0.01, kShareOfPairs = 0.25;
    if (!(stress < kTinyStress)) return false;
    const std::vector<double> distances = pairDistances(map);
    if (distances.empty()) return false;
    const double largest = *std::max_element(distances.begin(), distances.end());
    const auto near = std::count_if(distances.begin(), distances.end(),
                                    [&](double d) { return d < kNear * largest; });
    return static_cast<double>(near) >= kShareOfPairs * static_cast<double>(distances.size());
}

}  // namespace kestrel
