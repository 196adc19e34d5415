// kestrel-critvalues: writes the table of exact two-sample Kolmogorov-Smirnov critical values
// for equal sample sizes in the format the program loads.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/AtomicFile.h"
#include "engine/CriticalValueIndex.h"
#include "engine/CriticalValueTable.h"
#include "engine/KestrelError.h"
#include "engine/KsDistribution.h"
#include "engine/NumberText.h"

namespace {

// The most rows a comparison can hold: the rows of a sheet.
constexpr int32_t kLargestSampleSize = 1048576;

// The tail probabilities are accurate to about 5e-13 relative (checked against a product-form
// evaluation in long double up to n = 1,048,576). A decision closer to alpha than this could go
// either way in exact arithmetic; at alpha 0.05 the closest one over the whole range is 2e-9.
constexpr double kDecisionMargin = 1e-10;

struct Options {
    double alpha = 0.05;
    int32_t from = 1;
    int32_t to = kLargestSampleSize;
    std::string output;
    std::string index;  // where the lookup index of the written table goes; none when empty
};

constexpr const char* kUsage =
    "Usage: kestrel-critvalues [OPTIONS] --output FILE\n"
    "Writes exact two-sample Kolmogorov-Smirnov critical values for two samples of equal\n"
    "size n: the smallest k/n with P(D >= k/n) <= alpha (1 where no k qualifies).\n"
    "Fails rather than write a value that double precision cannot decide exactly.\n"
    "\n"
    "  --output FILE   the table file to write (header Alpha,n,CritValue)\n"
    "  --index FILE    also write the table's lookup index (read by kestrel-batch)\n"
    "  --alpha A       significance level, 0 < A < 1 (default 0.05)\n"
    "  --from N        first sample size (default 1)\n"
    "  --to N          last sample size (default 1048576)\n"
    "  --help          show this text\n";

[[noreturn]] void usageError(const std::string& message) {
    std::fprintf(stderr, "kestrel-critvalues: %s\n(see kestrel-critvalues --help)\n",
                 message.c_str());
    std::exit(2);
}

int32_t wholeOption(std::string_view name, const char* text) {
    const auto value = kestrel::parseWholeNumber(text);
    if (!value) usageError(std::string(name) + " needs a whole number, not \"" + text + "\"");
    return *value;
}

Options parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        }
        if (i + 1 >= argc) usageError("unknown option or missing value: " + std::string(arg));
        const char* value = argv[++i];
        if (arg == "--output") {
            options.output = value;
        } else if (arg == "--index") {
            options.index = value;
        } else if (arg == "--alpha") {
            const auto alpha = kestrel::parseRealNumber(value);
            if (!alpha || !(*alpha > 0 && *alpha < 1)) {
                usageError(std::string("--alpha needs a number between 0 and 1, not \"") + value +
                           "\"");
            }
            options.alpha = *alpha;
        } else if (arg == "--from") {
            options.from = wholeOption(arg, value);
        } else if (arg == "--to") {
            options.to = wholeOption(arg, value);
        } else {
            usageError("unknown option: " + std::string(arg));
        }
    }
    if (options.output.empty()) usageError("--output FILE is required");
    if (options.from < 1 || options.to < options.from) {
        usageError("the sample sizes must satisfy 1 <= --from <= --to");
    }
    return options;
}

// Whether the tail probability at k lies clearly on its side of alpha.
bool clearOfAlpha(int32_t n, int32_t k, double alpha) {
    return std::fabs(kestrel::ksTailProbability(n, k) - alpha) > kDecisionMargin * alpha;
}

// The exact critical value for n: both the chosen k and the one below it (which must not
// qualify) are checked against the accuracy of the computation.
double exactCriticalValue(int32_t n, double alpha) {
    const int32_t k = kestrel::ksCriticalCount(n, alpha);
    const int32_t decisive = k == 0 ? n : k;
    if (!clearOfAlpha(n, decisive, alpha) || (k > 1 && !clearOfAlpha(n, k - 1, alpha))) {
        throw kestrel::KestrelError("the critical value for n=" + std::to_string(n) +
                                    " lies too close to alpha to be decided exactly");
    }
    return kestrel::ksCriticalValue(n, alpha);
}

}  // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    std::vector<kestrel::CriticalValueRow> rows;
    rows.reserve(static_cast<size_t>(options.to - options.from) + 1);
    try {
        for (int64_t n = options.from; n <= options.to; ++n) {
            const auto size = static_cast<int32_t>(n);
            rows.push_back({options.alpha, size, exactCriticalValue(size, options.alpha)});
        }
        kestrel::writeFileAtomically(options.output, kestrel::CriticalValueTable::fileText(rows));
        if (!options.index.empty()) kestrel::writeCriticalValueIndex(options.output, options.index);
    } catch (const kestrel::KestrelError& error) {
        std::fprintf(stderr, "kestrel-critvalues: %s\n", error.what());
        return 1;
    }
    return 0;
}
