// Checking the options of unmixing and end-members.
#include "tools/batch/UnmixingSettings.h"

#include <charconv>
#include <utility>

#include "engine/ListText.h"
#include "sheet/core/WorkbookWriter.h"

namespace kestrel::batch {
namespace {

// The fits asked for, always in the table's order (d, v, profiles), whatever the list's order.
std::vector<UnmixingFit> fitsOf(const std::optional<std::string>& list) {
    std::vector<UnmixingFit> fits;
    std::vector<bool> asked(allUnmixingFits().size(), !list || *list == "all");
    if (list && *list != "all") {
        for (const std::string& item : commaSeparated(*list)) {
            const UnmixingFitInfo* info = unmixingFitByKey(item);
            if (info == nullptr) {
                throw UsageError{"--fit takes " + unmixingFitKeys() + " (a list, or all), not \"" +
                                 item + "\""};
            }
            if (asked[static_cast<size_t>(info->fit)])
                throw UsageError{"--fit names " + std::string(info->key) + " twice"};
            asked[static_cast<size_t>(info->fit)] = true;
        }
    }
    for (const UnmixingFitInfo& info : allUnmixingFits()) {
        if (asked[static_cast<size_t>(info.fit)]) fits.push_back(info.fit);
    }
    return fits;
}

template <typename Number>
Number wholeOf(const std::string& text, Number least, const std::string& wanted) {
    Number value = 0;
    const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || fault != std::errc() || end != text.data() + text.size() || value < least)
        throw UsageError{wanted + ", not \"" + text + "\""};
    return value;
}

std::vector<std::string> sourcesOf(const std::string& list) {
    std::vector<std::string> names = commaSeparated(list);
    for (const std::string& name : names) {
        if (name.empty()) throw UsageError{"--sources takes sample names separated by commas"};
    }
    if (names.size() < 2)
        throw UsageError{"--sources takes two or more sample names, not \"" + list + "\""};
    return names;
}

}  // namespace

bool wantsUnmixing(const BatchOptions& options) {
    return options.unmix || options.sources || options.fit || options.bootstrap ||
           options.unmixOut || options.nmf || options.nmfOut;
}

void refuseUnmixingOptions(const BatchOptions& options) {
    const std::pair<bool, const char*> agesOnly[] = {{options.unmix.has_value(), "--unmix"},
                                                     {options.sources.has_value(), "--sources"},
                                                     {options.fit.has_value(), "--fit"},
                                                     {options.bootstrap.has_value(), "--bootstrap"},
                                                     {options.unmixOut.has_value(), "--unmix-out"},
                                                     {options.nmf.has_value(), "--nmf"},
                                                     {options.nmfOut.has_value(), "--nmf-out"}};
    for (const auto& [given, name] : agesOnly) {
        if (given) throw UsageError{std::string(name) + " needs --ages"};
    }
}

UnmixingSettings checkUnmixingOptions(const BatchOptions& options) {
    const std::pair<bool, const char*> unmixOnly[] = {
        {options.sources.has_value(), "--sources"},
        {options.fit.has_value(), "--fit"},
        {options.bootstrap.has_value(), "--bootstrap"},
        {options.seed.has_value(), "--seed"},
        {options.unmixOut.has_value(), "--unmix-out"}};
    for (const auto& [given, name] : unmixOnly) {
        if (given && !options.unmix) throw UsageError{std::string(name) + " needs --unmix SINK"};
    }
    if (options.unmix && !(options.sources && options.unmixOut))
        throw UsageError{"--unmix SINK needs --sources A,B,... and --unmix-out FILE"};
    if (options.nmf.has_value() != options.nmfOut.has_value())
        throw UsageError{"--nmf K|auto and --nmf-out FILE go together"};
    UnmixingSettings settings;
    settings.sink = options.unmix;
    if (options.sources) settings.sources = sourcesOf(*options.sources);
    settings.fits = fitsOf(options.fit);
    if (options.bootstrap) {
        settings.resamples = wholeOf<int64_t>(*options.bootstrap, 0,
                                              "--bootstrap takes a number of resamples, 0 up");
    }
    if (options.seed) {
        settings.seed = wholeOf<uint64_t>(
            *options.seed, 0, "--seed takes a whole number from 0 to 18446744073709551615");
    }
    settings.unmixOut = options.unmixOut;
    if (settings.unmixOut && !nameEndsWith(*settings.unmixOut, ".csv") &&
        !nameEndsWith(*settings.unmixOut, ".xlsx"))
        throw UsageError{"--unmix-out writes .csv or .xlsx, not " + *settings.unmixOut};
    if (options.nmf) {
        settings.nmf = *options.nmf == "auto"
                           ? 0
                           : wholeOf<int>(*options.nmf, 1,
                                          "--nmf takes a number of end-members from 1 up, or auto");
    }
    settings.nmfOut = options.nmfOut;
    if (settings.nmfOut && !nameEndsWith(*settings.nmfOut, ".xlsx"))
        throw UsageError{"--nmf-out writes .xlsx, not " + *settings.nmfOut};
    return settings;
}

}  // namespace kestrel::batch
