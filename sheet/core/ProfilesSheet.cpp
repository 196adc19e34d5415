// The sheet of profiles built from grain ages.
#include "sheet/core/ProfilesSheet.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "sheet/core/MatrixWorkbook.h"
#include "sheet/core/WorkbookWriter.h"

namespace kestrel {
namespace {

bool sameName(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

void sendProfilesSheet(const ProfilesTable& table, CellSink& sink) {
    sink.beginSheet(kProfilesSheetName);
    const int firstAgeRow = table.bandwidths.empty() ? 2 : 3;
    sink.expectCells((table.ages.size() + static_cast<size_t>(firstAgeRow) - 1) *
                     (table.profiles.size() + 1));
    sink.text(1, 1, "Age");
    for (size_t s = 0; s < table.names.size(); ++s) {
        sink.text(1, static_cast<int>(s) + 2, table.names[s]);
    }
    if (!table.bandwidths.empty()) {
        sink.text(2, 1, "Bandwidth");
        for (size_t s = 0; s < table.bandwidths.size(); ++s) {
            sink.number(2, static_cast<int>(s) + 2, table.bandwidths[s]);
        }
    }
    for (size_t k = 0; k < table.ages.size(); ++k) {
        const int row = static_cast<int>(k) + firstAgeRow;
        sink.number(row, 1, table.ages[k]);
        for (size_t s = 0; s < table.profiles.size(); ++s) {
            sink.number(row, static_cast<int>(s) + 2, table.profiles[s][k]);
        }
    }
}

Worksheet profilesWorksheet(const ProfilesTable& table, const std::string& sheetName) {
    Worksheet sheet(sheetName);
    std::vector<std::pair<int, Cell>> cells;
    cells.emplace_back(1, Cell::makeText("Age"));
    for (size_t s = 0; s < table.names.size(); ++s) {
        cells.emplace_back(static_cast<int>(s) + 2, Cell::makeText(table.names[s]));
    }
    sheet.appendRow(1, cells);
    for (size_t k = 0; k < table.ages.size(); ++k) {
        cells.clear();
        cells.emplace_back(1, Cell::makeNumber(table.ages[k]));
        for (size_t s = 0; s < table.profiles.size(); ++s) {
            cells.emplace_back(static_cast<int>(s) + 2, Cell::makeNumber(table.profiles[s][k]));
        }
        sheet.appendRow(static_cast<int>(k) + 2, cells);
    }
    return sheet;
}

std::string freeProfilesSheetName(const Workbook& book) {
    const auto taken = [&](const std::string& name) {
        return std::any_of(book.sheets.begin(), book.sheets.end(),
                           [&](const Worksheet& sheet) { return sameName(sheet.name(), name); });
    };
    std::string name = kProfilesSheetName;
    for (int number = 2; taken(name); ++number) {
        name = std::string(kProfilesSheetName) + " (" + std::to_string(number) + ")";
    }
    return name;
}

void writeProfilesFile(const std::string& path, const std::vector<GrainSample>& samples,
                       const DensityProfiles& profiles) {
    // The bandwidths (KDE and adaptive KDE; a PDP has none) under the names, as the window's
    // preview gives them.
    ProfilesTable table{profiles.ages, {}, {}, profiles.bandwidths};
    for (size_t s = 0; s < samples.size(); ++s) {
        table.names.push_back(samples[s].name);
        table.profiles.emplace_back(profiles.profiles[s]);
    }
    writeStreamedWorkbookFile(path, matrixFileTypeOf(path),
                              [&](CellSink& sink) { sendProfilesSheet(table, sink); });
}

}  // namespace kestrel
