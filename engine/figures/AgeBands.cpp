// Age bands typed as "Grenville:1000-1300,Pan-African:500-650".
#include "engine/figures/AgeBands.h"

#include <cmath>

#include "engine/KestrelError.h"
#include "engine/ListText.h"
#include "engine/MessageText.h"
#include "engine/NumberText.h"

namespace kestrel {
namespace {

[[noreturn]] void refuse(const std::string& band, const std::string& why) {
    throw KestrelError("The age band \"" + messageExcerpt(band) + "\" " + why +
                       "; type bands as LABEL:LOW-HIGH separated by commas, e.g. "
                       "Grenville:1000-1300,Pan-African:500-650");
}

AgeBand parseBand(const std::string& text) {
    AgeBand band;
    std::string range = text;
    if (const size_t colon = text.rfind(':'); colon != std::string::npos) {
        band.label = withoutEndSpaces(text.substr(0, colon));
        range = text.substr(colon + 1);
    }
    // The ends' dash: the first after the low end's own sign.
    const size_t dash = range.find('-', range.find_first_not_of(" \t-+") == std::string::npos
                                            ? 0
                                            : range.find_first_not_of(" \t-+"));
    if (dash == std::string::npos) refuse(text, "has no range LOW-HIGH");
    const auto low = parseRealNumber(withoutEndSpaces(range.substr(0, dash)));
    const auto high = parseRealNumber(withoutEndSpaces(range.substr(dash + 1)));
    if (!low || !high || !std::isfinite(*low) || !std::isfinite(*high))
        refuse(text, "does not read as LOW-HIGH with two numbers");
    if (!(*high > *low)) refuse(text, "has its ends swapped: the low end comes first");
    band.low = *low;
    band.high = *high;
    return band;
}

}  // namespace

std::vector<AgeBand> parseAgeBands(const std::string& text) {
    std::vector<AgeBand> bands;
    if (withoutEndSpaces(text).empty()) return bands;
    for (const std::string& typed : commaSeparated(text)) {
        const std::string item = withoutEndSpaces(typed);
        if (item.empty()) refuse(text, "has an empty band between commas");
        bands.push_back(parseBand(item));
    }
    return bands;
}

}  // namespace kestrel
