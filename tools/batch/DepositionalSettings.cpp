// Checking the options of depositional ages and age components.
#include "tools/batch/DepositionalSettings.h"

#include <charconv>
#include <utility>

#include "engine/ListText.h"
#include "sheet/core/WorkbookWriter.h"

namespace kestrel::batch {
namespace {

std::vector<DepositionalMethod> methodsOf(const std::optional<std::string>& list) {
    if (!list || *list == "all") return everyDepositionalMethod();
    std::vector<DepositionalMethod> methods;
    for (const std::string& item : commaSeparated(*list)) {
        const DepositionalMethodInfo* info = depositionalMethodByKey(item);
        if (info == nullptr) {
            throw UsageError{"--mda-methods takes " + depositionalMethodKeys() +
                             " (a list, or all), not \"" + item + "\""};
        }
        for (DepositionalMethod taken : methods) {
            if (taken == info->method)
                throw UsageError{"--mda-methods names " + std::string(info->key) + " twice"};
        }
        methods.push_back(info->method);
    }
    return methods;
}

uint64_t seedOf(const std::string& text) {
    uint64_t seed = 0;
    const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), seed);
    if (text.empty() || fault != std::errc() || end != text.data() + text.size()) {
        throw UsageError{"--seed takes a whole number from 0 to 18446744073709551615, not \"" +
                         text + "\""};
    }
    return seed;
}

int componentsOf(const std::string& text) {
    if (text == "auto") return 0;
    int k = 0;
    const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), k);
    if (text.empty() || fault != std::errc() || end != text.data() + text.size() || k < 1) {
        throw UsageError{"--components takes a number of components from 1 up, or auto, not \"" +
                         text + "\""};
    }
    return k;
}

void checkTableFile(const std::optional<std::string>& path, const char* option) {
    if (path && !nameEndsWith(*path, ".csv") && !nameEndsWith(*path, ".xlsx"))
        throw UsageError{std::string(option) + " writes .csv or .xlsx, not " + *path};
}

}  // namespace

bool wantsDepositional(const BatchOptions& options) {
    return options.mda || options.mdaMethods || options.seed || options.mlaParameters ||
           options.components || options.componentsOut;
}

void refuseDepositionalOptions(const BatchOptions& options) {
    const std::pair<bool, const char*> agesOnly[] = {
        {options.mda.has_value(), "--mda"},
        {options.mdaMethods.has_value(), "--mda-methods"},
        {options.seed.has_value(), "--seed"},
        {options.mlaParameters.has_value(), "--mla-parameters"},
        {options.components.has_value(), "--components"},
        {options.componentsOut.has_value(), "--components-out"}};
    for (const auto& [given, name] : agesOnly) {
        if (given) throw UsageError{std::string(name) + " needs --ages"};
    }
}

DepositionalSettings checkDepositionalOptions(const BatchOptions& options) {
    DepositionalSettings settings;
    const std::pair<bool, const char*> mdaOnly[] = {
        {options.mdaMethods.has_value(), "--mda-methods"},
        {options.seed.has_value(), "--seed"},
        {options.mlaParameters.has_value(), "--mla-parameters"}};
    for (const auto& [given, name] : mdaOnly) {
        if (given && !options.mda) throw UsageError{std::string(name) + " needs --mda FILE"};
    }
    if (options.components.has_value() != options.componentsOut.has_value()) {
        throw UsageError{"--components K|auto and --components-out FILE go together"};
    }
    settings.mdaOut = options.mda;
    checkTableFile(settings.mdaOut, "--mda");
    settings.methods = methodsOf(options.mdaMethods);
    if (options.seed) settings.options.seed = seedOf(*options.seed);
    if (options.mlaParameters) {
        if (*options.mlaParameters != "3" && *options.mlaParameters != "4") {
            throw UsageError{"--mla-parameters takes 3 or 4, not \"" + *options.mlaParameters +
                             "\""};
        }
        settings.options.mlaParameters = *options.mlaParameters == "3" ? 3 : 4;
    }
    if (options.components) settings.components = componentsOf(*options.components);
    settings.componentsOut = options.componentsOut;
    checkTableFile(settings.componentsOut, "--components-out");
    return settings;
}

}  // namespace kestrel::batch
