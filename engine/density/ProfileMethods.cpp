// The table of profile methods and its look-ups.
#include "engine/density/ProfileMethods.h"

#include "engine/density/AdaptiveKde.h"
#include "engine/density/Kde.h"
#include "engine/density/NormalKernels.h"
#include "engine/density/Pdp.h"

namespace kestrel {
namespace {

std::vector<double> pdp(const GrainSample& sample, const AgeGrid& grid, double) {
    return pdpProfile(sample, grid);
}

}  // namespace

const std::vector<ProfileMethod>& allProfileMethods() {
    static const std::vector<ProfileMethod> table{
        {DensityKind::Pdp, "pdp", "PDP",
         "PDP (probability density plot): every grain drawn as a normal curve of its own "
         "uncertainty and the curves summed; needs the uncertainties, and precise grains make "
         "spikes.",
         "needs uncertainties", true, false, checkPdpSample, pdp},
        {DensityKind::Kde, "kde", "KDE",
         "KDE (kernel density estimate): every grain the same normal curve, as wide as the "
         "bandwidth (by default each sample's own, by Botev's diffusion estimate); the usual "
         "choice for comparing samples.",
         "default", false, true, checkGrainAges, kdeProfile},
        {DensityKind::AdaptiveKde, "adaptive", "adaptive KDE",
         "Adaptive KDE: narrow curves where grains crowd and broad ones where they are sparse "
         "(Abramson's rule on the KDE); for samples with sharp peaks and long, thin tails.",
         "Abramson's adaptive KDE", false, true, checkGrainAges, adaptiveKdeProfile},
    };
    return table;
}

const ProfileMethod& profileMethod(DensityKind kind) {
    for (const ProfileMethod& method : allProfileMethods()) {
        if (method.kind == kind) return method;
    }
    return allProfileMethods().front();  // every kind has its row (a test holds the table to it)
}

const ProfileMethod* profileMethodByKey(std::string_view key) {
    for (const ProfileMethod& method : allProfileMethods()) {
        if (method.key == key) return &method;
    }
    return nullptr;
}

const ProfileMethod* profileMethodByLabel(std::string_view label) {
    for (const ProfileMethod& method : allProfileMethods()) {
        if (method.label == label) return &method;
    }
    return nullptr;
}

std::string profileMethodKeys(ProfileKeys which) {
    std::vector<std::string> keys;
    for (const ProfileMethod& method : allProfileMethods()) {
        if (which == ProfileKeys::UsingBandwidth && !method.usesBandwidth) continue;
        keys.emplace_back(method.key);
        if (which == ProfileKeys::WithNotes)
            keys.back() += std::string(" (") + method.batchNote + ")";
    }
    std::string text;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (i > 0) text += i + 1 == keys.size() ? " or " : ", ";
        text += keys[i];
    }
    return text;
}

}  // namespace kestrel
