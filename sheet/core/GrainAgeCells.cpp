// Cells, uncertainties and sample checks shared by the two grain-age layouts.
#include "sheet/core/GrainAgeCells.h"

#include <charconv>
#include <cmath>
#include <unordered_map>

#include "engine/KestrelError.h"
#include "engine/MessageText.h"
#include "engine/NumberText.h"
#include "sheet/core/CellValueText.h"

namespace kestrel::grainages {
namespace {

std::string shortestText(double value) {
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    return std::string(buffer, end);
}

}  // namespace

std::string cellName(const Worksheet& sheet, int32_t row, int32_t col) {
    return "Cell " + cellAddress(row, col) + " of sheet \"" + sheet.name() + "\"";
}

std::string columnName(const Worksheet& sheet, int32_t col) {
    return "column " + columnLetters(col) + " of sheet \"" + sheet.name() + "\"";
}

bool isBlank(const Cell* cell) {
    if (cell == nullptr || cell->kind == CellKind::Empty) return true;
    return cell->kind == CellKind::Text && trimmed(cell->text).empty();
}

bool isNumber(const Cell& cell) {
    return cell.kind == CellKind::Number ||
           (cell.kind == CellKind::Text && parseRealNumber(cell.text).has_value());
}

double readNumber(const Worksheet& sheet, int32_t row, int32_t col, const Cell& cell) {
    if (cell.kind == CellKind::Number) return cell.number;
    // TRUE, FALSE and error values are no measurements: refused like any other text.
    if (cell.kind == CellKind::Text) {
        if (auto value = parseRealNumber(cell.text)) return *value;
    }
    throw KestrelError(cellName(sheet, row, col) + " holds \"" + messageExcerpt(cell.text) +
                       "\", which is not a number");
}

double readAge(const Worksheet& sheet, int32_t row, int32_t col, const Cell& cell) {
    try {
        return readNumber(sheet, row, col, cell);
    } catch (const KestrelError& error) {
        throw SampleError(error.what());
    }
}

std::string cellLabel(const Cell* cell) {
    if (isBlank(cell)) return {};
    return cell->kind == CellKind::Number ? shortestText(cell->number) : trimmed(cell->text);
}

bool headingIs(std::string_view heading, std::span<const std::string_view> names) {
    const std::string upper = upperAscii(heading);
    for (const std::string_view name : names) {
        if (upper == upperAscii(name)) return true;
    }
    return false;
}

double oneSigma(const UncertaintyRule& rule, double age, double value, const Worksheet& sheet,
                int32_t row, int32_t col) {
    double sigma = rule.relative ? std::fabs(age) * value / 100.0 : value;
    if (rule.sigmaLevel == 2) sigma /= 2.0;
    if (rule.required && !(sigma > 0.0)) {
        throw KestrelError(cellName(sheet, row, col) + " holds the uncertainty " +
                           shortestText(value) +
                           ", which gives no positive 1σ: the profile needs a positive "
                           "uncertainty for every grain");
    }
    return sigma;
}

void requireTwoAges(const GrainSample& sample, const Worksheet& sheet, int32_t col) {
    if (sample.ages.size() >= 2) return;
    throw SampleError("Sample \"" + messageExcerpt(sample.name) + "\" (" + columnName(sheet, col) +
                      ") has " + std::to_string(sample.ages.size()) +
                      (sample.ages.size() == 1 ? " age" : " ages") + ": a sample needs at least 2");
}

std::vector<UnusableSample> repeatedLabels(const std::vector<LabelCell>& labels,
                                           const Worksheet& sheet, std::string_view what) {
    std::unordered_map<std::string, std::pair<const LabelCell*, bool>> seen;  // first, said
    std::vector<UnusableSample> repeated;
    for (const LabelCell& label : labels) {
        if (label.label.empty()) continue;
        const auto [first, fresh] = seen.emplace(label.label, std::pair{&label, false});
        if (fresh || first->second.second) continue;
        first->second.second = true;
        const LabelCell& earlier = *first->second.first;
        repeated.push_back({label.label, std::string(what) + " \"" + messageExcerpt(label.label) +
                                             "\" is used twice: cells " +
                                             cellAddress(earlier.row, earlier.col) + " and " +
                                             cellAddress(label.row, label.col) + " of sheet \"" +
                                             sheet.name() + "\""});
    }
    return repeated;
}

void refuseRepeatedLabels(const std::vector<LabelCell>& labels, const Worksheet& sheet,
                          std::string_view what) {
    const std::vector<UnusableSample> repeated = repeatedLabels(labels, sheet, what);
    if (!repeated.empty()) throw KestrelError(repeated.front().reason);
}

}  // namespace kestrel::grainages
