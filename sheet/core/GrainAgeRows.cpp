// One row per grain: the Sample, Age and Uncertainty columns found by heading (or given), then
// every row below the headings read in one pass, the samples kept in the order they first appear.
#include "sheet/core/GrainAgeRows.h"

#include <array>
#include <span>
#include <string_view>
#include <unordered_map>

#include "engine/KestrelError.h"
#include "sheet/core/GrainAgeCells.h"

namespace kestrel::grainages {
namespace {

using Names = std::span<const std::string_view>;
constexpr std::array<std::string_view, 2> kSampleHeadings = {"Sample", "Name"};
constexpr std::array<std::string_view, 1> kAgeHeadings = {"Age"};
constexpr std::array<std::string_view, 8> kErrorHeadings = {"Uncertainty", "Error", "Err", "Sigma",
                                                            "1σ",          "1s",    "2σ",  "2s"};

// "Sample or Name", "Uncertainty, Error, ... or 2s".
std::string namesText(Names names) {
    std::string text;
    size_t i = 0;
    for (const std::string_view name : names) {
        if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
        text += name;
        ++i;
    }
    return text;
}

int32_t headedColumn(const Worksheet& sheet, int32_t headingRow, Names names) {
    for (int32_t col = 1; col <= sheet.lastCol(); ++col) {
        if (headingIs(cellLabel(sheet.cell(headingRow, col)), names)) return col;
    }
    return 0;
}

// The given column, else the first headed by one of `names`; 0 when none is and none is needed.
int32_t roleColumn(const Worksheet& sheet, int32_t headingRow, const std::optional<int32_t>& given,
                   Names names, std::string_view role, bool needed) {
    if (given) return *given;
    const int32_t col = headedColumn(sheet, headingRow, names);
    if (col > 0 || !needed) return col;
    throw KestrelError("Row " + std::to_string(headingRow) + " of sheet \"" + sheet.name() +
                       "\" has no " + std::string(role) + " column: none of its headings is " +
                       namesText(names));
}

struct GrainRow {
    int32_t row = 0;
    const Cell* sample = nullptr;
    const Cell* age = nullptr;
    const Cell* error = nullptr;
};

class SampleGatherer {
  public:
    SampleGatherer(const Worksheet& sheet, int32_t sampleCol, int32_t ageCol, int32_t errorCol,
                   const UncertaintyRule& rule, bool setAsideUnusable)
        : m_sheet(sheet),
          m_sampleCol(sampleCol),
          m_ageCol(ageCol),
          m_errorCol(errorCol),
          m_rule(rule),
          m_setAsideUnusable(setAsideUnusable) {}

    void add(const GrainRow& grain);
    GrainAges finish();

  private:
    size_t sampleNamed(const std::string& name);
    double sigma(const GrainRow& grain, double age) const;
    void setAside(size_t sample, const SampleError& error);

    const Worksheet& m_sheet;
    int32_t m_sampleCol, m_ageCol, m_errorCol;
    UncertaintyRule m_rule;
    bool m_setAsideUnusable;
    GrainAges m_result;
    std::vector<std::string> m_setAside;  // per sample: why it is set aside, or ""
    std::unordered_map<std::string, size_t> m_indexOfName;
};

size_t SampleGatherer::sampleNamed(const std::string& name) {
    const auto [it, fresh] = m_indexOfName.emplace(name, m_result.samples.size());
    if (fresh) {
        m_result.samples.push_back({name, {}, {}});
        m_setAside.emplace_back();
    }
    return it->second;
}

void SampleGatherer::setAside(size_t sample, const SampleError& error) {
    if (!m_setAsideUnusable) throw error;
    m_setAside[sample] = error.what();
}

double SampleGatherer::sigma(const GrainRow& grain, double age) const {
    if (isBlank(grain.error)) {
        throw KestrelError(cellName(m_sheet, grain.row, m_errorCol) +
                           " holds no uncertainty for the age in " +
                           cellAddress(grain.row, m_ageCol));
    }
    const double value = readNumber(m_sheet, grain.row, m_errorCol, *grain.error);
    return oneSigma(m_rule, age, value, m_sheet, grain.row, m_errorCol);
}

void SampleGatherer::add(const GrainRow& grain) {
    const std::string name = cellLabel(grain.sample);
    const bool noAge = isBlank(grain.age);
    if (name.empty() && noAge) return;  // an empty row, or a note beside the table
    if (name.empty()) {
        throw KestrelError(cellName(m_sheet, grain.row, m_sampleCol) +
                           " names no sample for the age in " + cellAddress(grain.row, m_ageCol));
    }
    const size_t index = sampleNamed(name);
    if (!m_setAside[index].empty()) return;  // the rest of a sample set aside is not read
    GrainSample& sample = m_result.samples[index];
    if (noAge) {
        ++m_result.emptyCellsSkipped;
        return;
    }
    double age = 0;
    try {
        age = readAge(m_sheet, grain.row, m_ageCol, *grain.age);
    } catch (const SampleError& error) {
        return setAside(index, error);
    }
    sample.ages.push_back(age);
    if (m_errorCol > 0) sample.sigmas.push_back(sigma(grain, age));
}

GrainAges SampleGatherer::finish() {
    GrainAges kept{{}, m_result.emptyCellsSkipped, {}};
    for (size_t s = 0; s < m_result.samples.size(); ++s) {
        GrainSample& sample = m_result.samples[s];
        try {
            if (m_setAside[s].empty()) requireTwoAges(sample, m_sheet, m_sampleCol);
        } catch (const SampleError& error) {
            setAside(s, error);
        }
        if (m_setAside[s].empty()) {
            kept.samples.push_back(std::move(sample));
        } else {
            kept.unusable.push_back({sample.name, m_setAside[s]});
        }
    }
    return kept;
}

}  // namespace

GrainAges readAgeRows(const Worksheet& sheet, const GrainAgesRequest& request) {
    const int32_t headingRow = request.headingRow;
    const bool errorsNeeded = request.errors != ErrorsPlace::None || request.uncertaintiesRequired;
    const int32_t sampleCol =
        roleColumn(sheet, headingRow, request.sampleCol, kSampleHeadings, "Sample", true);
    const int32_t ageCol = roleColumn(sheet, headingRow, request.ageCol, kAgeHeadings, "Age", true);
    const int32_t errorCol = roleColumn(sheet, headingRow, request.errorCol, kErrorHeadings,
                                        "uncertainty", errorsNeeded);
    SampleGatherer gatherer(sheet, sampleCol, ageCol, errorCol,
                            {request.sigmaLevel, request.relative, request.uncertaintiesRequired},
                            request.setAsideUnusable);
    GrainRow grain;
    sheet.forEachCell([&](int row, int col, const Cell& cell) {
        if (row <= headingRow) return;
        if (row != grain.row) {
            if (grain.row > 0) gatherer.add(grain);
            grain = GrainRow{row};
        }
        if (col == sampleCol) grain.sample = &cell;
        if (col == ageCol) grain.age = &cell;
        if (col == errorCol) grain.error = &cell;
    });
    if (grain.row > 0) gatherer.add(grain);
    return gatherer.finish();
}

}  // namespace kestrel::grainages
