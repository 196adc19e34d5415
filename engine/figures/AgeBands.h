// Named age bands drawn across a figure, e.g. the orogenies a study's sources belong to.
#pragma once

#include <string>
#include <vector>

namespace kestrel {

struct AgeBand {
    std::string label;
    double low = 0.0;   ///< age units
    double high = 0.0;  ///< above low
};

/// @brief The bands typed as "LABEL:LOW-HIGH" separated by commas, e.g.
/// "Grenville:1000-1300,Pan-African:500-650" (the label may hold "-" but not ":" or ","; the
/// label may be left out: "500-650"). Empty text gives none. Throws KestrelError naming the
/// band that does not read or whose ends are swapped or equal.
std::vector<AgeBand> parseAgeBands(const std::string& text);

}  // namespace kestrel
