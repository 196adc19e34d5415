// kestrel-make-samples: writes the sample workbooks shipped in data/samples (profiles and grain
// ages), or a workbook of a given number of rows for benchmarks.
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "sheet/core/SpreadsheetCore.h"
#include "sheet/core/WorkbookWriter.h"
#include "tools/samples/ManyProfiles.h"
#include "tools/samples/SampleGrainAges.h"
#include "tools/samples/SampleProfiles.h"

namespace {

constexpr const char* kUsage =
    "Usage: kestrel-make-samples FOLDER\n"
    "         writes FOLDER/Profiles97.xls (Excel 97, ages 0 to 4000 in steps of 1) and\n"
    "         FOLDER/Profiles95.xls (Excel 5, ages 0 to 4000 in steps of 2) and\n"
    "         FOLDER/GrainAges.xls (Excel 97, the grain ages of 8 samples: sheets Ages,\n"
    "         Errors and Grains)\n"
    "       kestrel-make-samples --rows N [--excel5] FILE\n"
    "         writes N data rows (ages 0 to 4000) below the heading row to FILE\n"
    "       kestrel-make-samples --profiles K --rows N FILE\n"
    "         writes an Age column and K profiles in four families, named in row 1, over N\n"
    "         rows to FILE (.xlsx, .csv or .xls by its name)\n";

void writeProfiles(const std::vector<kestrel::samples::ProfileRow>& rows, const std::string& path,
                   int16_t fileType) {
    kestrel::SpreadsheetCore book;
    kestrel::samples::fillProfileSheet(book, rows);
    book.WriteWorkbook(path, fileType);
    std::cout << path << ": " << rows.size() << " rows\n";
}

int writeSamples(const std::string& folder) {
    using kestrel::samples::sampleProfiles;
    writeProfiles(sampleProfiles(1), folder + "/Profiles97.xls", kestrel::kFileTypeExcel97);
    writeProfiles(sampleProfiles(2), folder + "/Profiles95.xls", kestrel::kFileTypeExcel5);
    const std::vector<kestrel::GrainSample> grains = kestrel::samples::sampleGrainAges();
    kestrel::SpreadsheetCore book;
    kestrel::samples::fillGrainAgesWorkbook(book, grains);
    book.WriteWorkbook(folder + "/GrainAges.xls", kestrel::kFileTypeExcel97);
    std::cout << folder << "/GrainAges.xls: " << grains.size() << " samples\n";
    return 0;
}

int writeRows(const std::string& rowsText, bool excel5, const std::string& path) {
    const std::optional<int32_t> rows = kestrel::parseWholeNumber(rowsText);
    if (!rows || *rows < 1) {
        std::cerr << "kestrel-make-samples: --rows needs a whole number of at least 1\n";
        return 2;
    }
    writeProfiles(kestrel::samples::sampleProfilesOfLength(*rows), path,
                  excel5 ? kestrel::kFileTypeExcel5 : kestrel::kFileTypeExcel97);
    return 0;
}

int16_t fileTypeNamed(const std::string& path) {
    const auto endsWith = [&](const std::string& suffix) {
        return path.size() >= suffix.size() &&
               kestrel::upperAscii(path.substr(path.size() - suffix.size())) == suffix;
    };
    if (endsWith(".XLSX")) return kestrel::kFileTypeXlsx;
    if (endsWith(".CSV")) return kestrel::kFileTypeCsv;
    return kestrel::kFileTypeExcel97;
}

int writeManyProfiles(const std::string& profilesText, const std::string& rowsText,
                      const std::string& path) {
    const std::optional<int32_t> profiles = kestrel::parseWholeNumber(profilesText);
    const std::optional<int32_t> rows = kestrel::parseWholeNumber(rowsText);
    if (!profiles || *profiles < 2 || *profiles > 16383 || !rows || *rows < 1 || *rows > 1048575) {
        std::cerr << "kestrel-make-samples: --profiles needs 2 to 16383 and --rows 1 to 1048575\n";
        return 2;
    }
    kestrel::SpreadsheetCore book;
    kestrel::samples::fillManyProfilesSheet(book, *profiles, *rows);
    book.WriteWorkbook(path, fileTypeNamed(path));
    std::cout << path << ": " << *profiles << " profiles x " << *rows << " rows\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    try {
        if (args.size() == 1 && args[0].rfind("--", 0) != 0) return writeSamples(args[0]);
        if (args.size() == 3 && args[0] == "--rows") return writeRows(args[1], false, args[2]);
        if (args.size() == 5 && args[0] == "--profiles" && args[2] == "--rows") {
            return writeManyProfiles(args[1], args[3], args[4]);
        }
        if (args.size() == 4 && args[0] == "--rows" && args[2] == "--excel5") {
            return writeRows(args[1], true, args[3]);
        }
    } catch (const kestrel::KestrelError& error) {
        std::cerr << "kestrel-make-samples: " << error.what() << "\n";
        return 1;
    }
    std::cerr << kUsage;
    return 2;
}
