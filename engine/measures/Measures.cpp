// The table of measures.
#include "engine/measures/Measures.h"

#include <algorithm>
#include <sstream>

#include "engine/KestrelError.h"
#include "engine/ProfileMatrix.h"
#include "engine/measures/CrossCorrelation.h"
#include "engine/measures/KuiperV.h"
#include "engine/measures/Likeness.h"
#include "engine/measures/Similarity.h"
#include "engine/measures/Wasserstein.h"

namespace kestrel {
namespace {

double ksD(const PreparedProfile& a, const PreparedProfile& b, std::span<const double>) {
    return largestDifference(a.curve.data(), b.curve.data(),
                             static_cast<int32_t>(a.curve.size()) - 1);
}

double kuiper(const PreparedProfile& a, const PreparedProfile& b, std::span<const double>) {
    return kuiperVOfProfiles(a, b);
}

double similarity(const PreparedProfile& a, const PreparedProfile& b, std::span<const double>) {
    return similarityOfProfiles(a, b);
}

double likeness(const PreparedProfile& a, const PreparedProfile& b, std::span<const double>) {
    return likenessOfProfiles(a, b);
}

double correlation(const PreparedProfile& a, const PreparedProfile& b, std::span<const double>) {
    return crossCorrelationOfProfiles(a, b);
}

}  // namespace

const std::vector<MeasureInfo>& allMeasures() {
    static const std::vector<MeasureInfo> table = {
        {Measure::KsD, "d", "D", false, ksD},
        {Measure::KuiperV, "v", "Kuiper V", false, kuiper},
        {Measure::Similarity, "s", "Similarity", true, similarity},
        {Measure::Likeness, "l", "Likeness", true, likeness},
        {Measure::CrossCorrelation, "r2", "R²", true, correlation},
        {Measure::Wasserstein2, "w2", "W2", false, wasserstein2OfProfiles},
    };
    return table;
}

const MeasureInfo& measureInfo(Measure measure) {
    for (const MeasureInfo& info : allMeasures()) {
        if (info.measure == measure) return info;
    }
    return allMeasures().front();
}

double dissimilarityOf(Measure measure, double value) {
    return measureInfo(measure).likeness ? 1.0 - value : value;
}

std::vector<Measure> parseMeasureList(const std::string& text) {
    std::vector<bool> chosen(allMeasures().size(), false);
    std::istringstream items(text);
    std::string key;
    while (std::getline(items, key, ',')) {
        if (key == "all") {
            chosen.assign(chosen.size(), true);
            continue;
        }
        const auto found = std::find_if(allMeasures().begin(), allMeasures().end(),
                                        [&](const MeasureInfo& info) { return key == info.key; });
        if (found == allMeasures().end()) {
            throw KestrelError("Unknown measure \"" + key +
                               "\": give d, v, s, l, r2 or w2, separated by commas, or all");
        }
        chosen[static_cast<size_t>(found - allMeasures().begin())] = true;
    }
    std::vector<Measure> measures;
    for (size_t m = 0; m < chosen.size(); ++m) {
        if (chosen[m]) measures.push_back(allMeasures()[m].measure);
    }
    // Every caller maps the first measure: an empty list would leave it none.
    if (measures.empty())
        throw KestrelError("Give at least one measure: d, v, s, l, r2, w2 or all");
    return measures;
}

}  // namespace kestrel
