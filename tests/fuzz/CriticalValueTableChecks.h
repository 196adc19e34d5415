// Properties of the critical value table loader on any text: it loads or refuses cleanly, a
// loaded table answers lookups first-row-wins, and its saved text loads back unchanged.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/CriticalValueTable.h"
#include "engine/KestrelError.h"
#include "tests/fuzz/FuzzCheck.h"

namespace kestrel::fuzz {

namespace detail {

inline bool sameDouble(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

inline bool sameRows(const std::vector<CriticalValueRow>& a,
                     const std::vector<CriticalValueRow>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (!sameDouble(a[i].Alpha, b[i].Alpha) || a[i].n != b[i].n ||
            !sameDouble(a[i].CritValue, b[i].CritValue)) {
            return false;
        }
    }
    return true;
}

// The first row holding n, by a plain scan in stored order; 0 when none.
inline double firstCritValue(const std::vector<CriticalValueRow>& rows, int32_t n) {
    for (const CriticalValueRow& row : rows) {
        if (row.n == n) return row.CritValue;
    }
    return 0.0;
}

}  // namespace detail

inline void checkCriticalValueTable(std::string_view text) {
    const std::string name = "fuzz/KolmogorovSmirnov.cds";
    CriticalValueTable table;
    try {
        table.loadText(text, name);
    } catch (const KestrelError& error) {
        require(std::string(error.what()).starts_with(CriticalValueTable::loadFailureWarning(name)),
                "a load failure does not name the file");
        require(!table.isOpen() && table.rows().empty(),
                "a failed load left rows or an open table");
        require(table.lookup(1) == 0.0, "a failed load still answers lookups");
        return;
    }
    require(table.isOpen(), "a loaded table is not open");
    const std::vector<CriticalValueRow> rows = table.rows();
    size_t lines = 1;
    for (char c : text) lines += c == '\n';
    require(rows.size() < lines, "the table holds more rows than the text has data lines");
    for (const CriticalValueRow& row : rows) {
        require(std::isfinite(row.Alpha) && std::isfinite(row.CritValue),
                "a loaded value is not finite");
        require(detail::sameDouble(table.lookup(row.n), detail::firstCritValue(rows, row.n)),
                "lookup(" + std::to_string(row.n) + ") is not the first row's CritValue");
        require(table.filterOn() && table.filterText() == "n=" + std::to_string(row.n),
                "lookup left another filter text: " + table.filterText());
    }
    if (!rows.empty()) {
        // The filter of the last lookup lets through exactly the rows holding its n, in order.
        std::vector<CriticalValueRow> expected;
        for (const CriticalValueRow& row : rows) {
            if (row.n == rows.back().n) expected.push_back(row);
        }
        require(detail::sameRows(table.visibleRows(), expected),
                "the filter shows other rows than those of its n");
    }

    // Every size looked up above has a row, so none is recorded as missing; a size without a
    // row is recorded, once however often it is looked up.
    require(table.takeMissingSizes().empty(), "a size the table holds was recorded as missing");
    for (const int32_t size : {0, 1, 2147483647}) {
        if (std::any_of(rows.begin(), rows.end(),
                        [size](const CriticalValueRow& row) { return row.n == size; })) {
            continue;
        }
        table.lookup(size);
        table.lookup(size);
        require(table.takeMissingSizes() == std::vector<int32_t>{size},
                "a size without a row is not recorded once");
    }

    const std::string saved = CriticalValueTable::fileText(rows);
    CriticalValueTable reloaded;
    reloaded.loadText(saved, name);
    require(detail::sameRows(reloaded.rows(), rows), "the saved text loads back to other rows");
}

}  // namespace kestrel::fuzz
