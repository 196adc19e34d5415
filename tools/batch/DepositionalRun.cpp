// Depositional ages and age components of every sample of grain ages, without a window.
#include "tools/batch/DepositionalRun.h"

#include "engine/KestrelError.h"
#include "engine/ParallelIndices.h"
#include "engine/depositional/MixtureComponents.h"
#include "sheet/core/DepositionalSheet.h"
#include "tools/batch/AgesRun.h"

namespace kestrel::batch {
namespace {

// The samples that cannot be estimated (an age not above 0, say) are left out with a warning,
// as the reader leaves out those that do not read; with --strict the first refuses the workbook,
// and so does a workbook with none left.
std::vector<GrainSample> samplesToEstimate(GrainAges ages, const AgesSettings& settings,
                                           std::ostream& err) {
    EstimableSamples estimable = estimableSamples(std::move(ages.samples));
    const auto refusal = [&] {
        return KestrelError(settings.run.workbook + ": " + estimable.refused.front().second);
    };
    if (!estimable.refused.empty() && !settings.request.setAsideUnusable) throw refusal();
    for (const auto& refused : estimable.refused)
        err << "kestrel-batch: warning: " << refused.second << " (the sample is left out)\n";
    if (estimable.samples.empty()) throw refusal();
    return std::move(estimable.samples);
}

void reportEstimates(const std::vector<GrainSample>& samples,
                     const std::vector<std::vector<DepositionalEstimate>>& estimates,
                     std::ostream& err) {
    for (size_t s = 0; s < samples.size(); ++s) {
        for (const DepositionalEstimate& estimate : estimates[s]) {
            const std::string method = depositionalMethod(estimate.method).name;
            if (!estimate.age) {
                err << "kestrel-batch: note: sample \"" << samples[s].name << "\": " << method
                    << " finds nothing: " << estimate.reason << '\n';
            } else if (estimate.degenerate) {
                err << "kestrel-batch: warning: sample \"" << samples[s].name << "\": " << method
                    << ": " << estimate.reason << '\n';
            }
        }
    }
}

std::vector<MixtureFit> fitComponents(const std::vector<GrainSample>& samples, int k) {
    std::vector<MixtureFit> fits(samples.size());
    forEachIndexInParallel(static_cast<int64_t>(samples.size()), 0, [&](int64_t i) {
        const GrainSample& sample = samples[static_cast<size_t>(i)];
        fits[static_cast<size_t>(i)] = k == 0 ? fitMixtureAuto(sample) : fitMixture(sample, k);
    });
    return fits;
}

}  // namespace

void runDepositional(const AgesSettings& settings, std::ostream& out, std::ostream& err) {
    const DepositionalSettings& asked = *settings.depositional;
    GrainAges read = readAgesOf(settings, 1);
    warnOfUnusableSamples(read, err);
    const std::vector<GrainSample> samples = samplesToEstimate(std::move(read), settings, err);
    size_t grains = 0;
    for (const GrainSample& sample : samples) grains += sample.ages.size();
    out << samples.size() << (samples.size() == 1 ? " sample, " : " samples, ") << grains
        << " grains";
    if (asked.mdaOut) {
        const auto estimates =
            estimateDepositionalAgesOfSamples(samples, asked.methods, asked.options);
        reportEstimates(samples, estimates, err);
        out << ": " << asked.methods.size() << " methods of depositional age";
        writeDepositionalFile(*asked.mdaOut, samples, estimates);
    }
    if (asked.components) {
        const std::vector<MixtureFit> fits = fitComponents(samples, *asked.components);
        size_t count = 0;
        for (const MixtureFit& fit : fits) count += fit.components.size();
        out << (asked.mdaOut ? "; " : ": ") << count << " age components"
            << (*asked.components == 0 ? " (each sample's number chosen by BIC)" : "");
        for (size_t s = 0; s < samples.size(); ++s) {
            if (!fits[s].bicAtLargestK) continue;
            err << "kestrel-batch: note: sample \"" << samples[s].name << "\": BIC is lowest at "
                << kMaxAutoComponents
                << " components, the most auto tries: the sample may hold more, or components "
                   "with a spread of their own\n";
        }
        writeComponentsFile(*asked.componentsOut, samples, fits);
    }
    out << '\n';
}

}  // namespace kestrel::batch
