// The table of measures.
#include "engine/measures/Measures.h"

#include <algorithm>
#include <sstream>

#include "engine/CumulativeCurve.h"
#include "engine/KestrelError.h"
#include "engine/KsTwoSample.h"
#include "engine/measures/CrossCorrelation.h"
#include "engine/measures/GrainMatrix.h"
#include "engine/measures/Kuiper.h"
#include "engine/measures/KuiperV.h"
#include "engine/measures/Likeness.h"
#include "engine/measures/Similarity.h"
#include "engine/measures/SircombeHazelton.h"
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

double ksP(int64_t n1, int64_t n2, double d) {
    return ksTwoSampleTail(n1, n2, d).p;
}

std::string masslessProfile(const MeasuredSamples& samples) {
    // Grain ages are moved by their grains, not by their profiles.
    if (samples.grainAges) return {};
    if (!samples.profileAges) return "W2 needs the ages: give the Age column";
    for (size_t i = 0; i < samples.profiles.size(); ++i) {
        if (!samples.profiles[i].hasMass) {
            return "W2 has no value for " + samples.names[i] +
                   ": the profile is all zeros and holds no mass to move";
        }
    }
    return {};
}

}  // namespace

const std::vector<MeasureInfo>& allMeasures() {
    // key, name, description, choice, unit, likeness, p label, of profiles, their p, of ages,
    // check, needs uncertainties
    static const std::vector<MeasureInfo> table = {
        {Measure::KsD, "d", "D", "Kolmogorov-Smirnov D", "KS D", "", false, "p", ksD, ksP,
         ksMatrixOfAges, nullptr, false},
        {Measure::KuiperV, "v", "Kuiper V", "Kuiper V", "Kuiper V", "", false, "Kuiper p", kuiper,
         kuiperP, kuiperMatrixOfAges, nullptr, false},
        {Measure::Similarity, "s", "Similarity", "Similarity", "Similarity", "", true, nullptr,
         similarity, nullptr, nullptr, nullptr, false},
        {Measure::Likeness, "l", "Likeness", "Likeness", "Likeness", "", true, nullptr, likeness,
         nullptr, nullptr, nullptr, false},
        {Measure::CrossCorrelation, "r2", "R²", "cross-correlation", "R²", "", true, nullptr,
         correlation, nullptr, nullptr, nullptr, false},
        {Measure::Wasserstein2, "w2", "W2", "Wasserstein-2", "W2", "age units", false, nullptr,
         wasserstein2OfProfiles, nullptr, wasserstein2MatrixOfAges, masslessProfile, false},
        {Measure::SircombeHazelton, "sh", "Sircombe-Hazelton", "Sircombe-Hazelton distance",
         "Sircombe-Hazelton", "1/sqrt(age units)", false, nullptr, nullptr, nullptr,
         sircombeHazeltonMatrix, sircombeHazeltonRefusal, true},
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

namespace {

// The table positions the list names, in the order first named ("all": those not yet named,
// in table order).
std::vector<size_t> namedPositions(const std::string& text) {
    std::vector<size_t> named;
    const auto name = [&](size_t position) {
        if (std::find(named.begin(), named.end(), position) == named.end())
            named.push_back(position);
    };
    std::istringstream items(text);
    std::string key;
    bool any = false;
    while (std::getline(items, key, ',')) {
        any = true;
        if (key == "all") {
            for (size_t m = 0; m < allMeasures().size(); ++m) name(m);
            continue;
        }
        const auto found = std::find_if(allMeasures().begin(), allMeasures().end(),
                                        [&](const MeasureInfo& info) { return key == info.key; });
        if (found == allMeasures().end()) {
            throw KestrelError("Unknown measure \"" + key + "\": give " + measureKeysText(" or ") +
                               ", separated by commas, or all");
        }
        name(static_cast<size_t>(found - allMeasures().begin()));
    }
    if (!any) throw KestrelError("Give at least one measure: " + measureKeysText(", ") + " or all");
    return named;
}

std::vector<Measure> measuresAt(const std::vector<size_t>& positions) {
    std::vector<Measure> measures;
    for (const size_t m : positions) measures.push_back(allMeasures()[m].measure);
    return measures;
}

}  // namespace

std::vector<Measure> parseMeasureList(const std::string& text) {
    std::vector<size_t> positions = namedPositions(text);
    std::sort(positions.begin(), positions.end());
    return measuresAt(positions);
}

std::vector<Measure> parseMeasureListAsGiven(const std::string& text) {
    return measuresAt(namedPositions(text));
}

bool measureListSaysAll(const std::string& text) {
    std::istringstream items(text);
    std::string key;
    while (std::getline(items, key, ',')) {
        if (key == "all") return true;
    }
    return false;
}

std::string measureKeysText(const std::string& lastJoin) {
    std::string text;
    const auto& table = allMeasures();
    for (size_t m = 0; m < table.size(); ++m) {
        if (m > 0) text += m + 1 == table.size() ? lastJoin : ", ";
        text += table[m].key;
    }
    return text;
}

namespace {

bool everyGrainHasItsSigma(const std::vector<GrainSample>& samples) {
    for (const GrainSample& sample : samples) {
        if (sample.sigmas.size() != sample.ages.size()) return false;
    }
    return true;
}

}  // namespace

bool comparesGrainAgesByProfiles(Measure measure) {
    return measureInfo(measure).ofAges == nullptr;
}

bool measureApplies(Measure measure, const MeasuredSamples& samples) {
    const MeasureInfo& info = measureInfo(measure);
    if (!samples.grainAges) return info.ofProfiles != nullptr;
    if (info.needsUncertainties && !everyGrainHasItsSigma(*samples.grainAges)) return false;
    return info.ofAges != nullptr || info.ofProfiles != nullptr;
}

std::string refusalOf(Measure measure, const MeasuredSamples& samples) {
    const MeasureInfo& info = measureInfo(measure);
    if (info.refuses) {
        if (std::string reason = info.refuses(samples); !reason.empty()) return reason;
    }
    if (measureApplies(measure, samples)) return {};
    return std::string(info.name) + (info.needsUncertainties
                                         ? " needs grain ages with each grain's uncertainty"
                                         : " needs grain ages");
}

}  // namespace kestrel
