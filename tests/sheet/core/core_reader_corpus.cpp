// The reader against real .xls files from other programs' test corpora: every file is read or
// refused with a clear message, and what is read matches an independent reader (xlrd).
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/KestrelError.h"
#include "sheet/core/BiffReader.h"

namespace fs = std::filesystem;
using kestrel::CellKind;
using kestrel::KestrelError;
using kestrel::Workbook;

namespace {

const fs::path kCorpus = KESTREL_XLS_CORPUS_DIR;

std::vector<fs::path> corpusFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(kCorpus)) {
        const std::string ext = entry.path().extension().string();
        if (ext == ".xls" || ext == ".xlsx" || ext == ".xlsb") files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Files we refuse on purpose although xlrd reads them, with the reason.
const std::map<std::string, std::string> kRefusedByDesign = {
    {"libxls__xls2csv_ole_read_MSAT_body_637.xls",
     "a fuzzed file whose sector allocation table is inconsistent; the reader refuses the "
     "container "
     "where xlrd guesses its way through"},
    {"xlrd__sample.xlsx", "an Excel 2007 workbook: the program reads Excel 97 and Excel 5 only"},
    {"xlrd__biff4_no_format_no_window2.xls",
     "an Excel 4.0 workbook: the program reads Excel 97 and Excel 5 only"},
};

struct Outcome {
    bool read = false;
    Workbook book;
    int16_t fileType = 0;
    std::string error;
};

Outcome readCorpusFile(const fs::path& path) {
    Outcome outcome;
    try {
        outcome.book = kestrel::readWorkbookFile(path.string(), outcome.fileType);
        outcome.read = true;
    } catch (const KestrelError& e) {
        outcome.error = e.what();
    }
    return outcome;
}

std::string unescape(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return out;
}

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) fields.push_back(field);
    return fields;
}

struct OracleView {
    bool readable = false;
    std::vector<std::string> sheetNames;
    int active = 0;  // 0: xlrd cannot tell
    // (sheet, row, col) -> kind letter and value text
    std::map<std::tuple<int, int, int>, std::pair<char, std::string>> cells;
};

OracleView runXlrd(const fs::path& path) {
    const std::string command = "/usr/bin/python3 '" KESTREL_SOURCE_DIR
                                "/tests/sheet/xlrd_dump.py' '" +
                                path.string() + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), &pclose);
    OracleView view;
    if (!pipe) return view;
    std::string output;
    std::array<char, 65536> buffer;
    size_t got;
    while ((got = fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0)
        output.append(buffer.data(), got);
    view.readable = pclose(pipe.release()) == 0;
    std::stringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        const auto f = splitTabs(line);
        if (f.size() == 3 && f[0] == "SHEET") view.sheetNames.push_back(unescape(f[2]));
        if (f.size() == 2 && f[0] == "ACTIVE") view.active = std::stoi(f[1]);
        if (f.size() == 6 && f[0] == "CELL") {
            view.cells[{std::stoi(f[1]), std::stoi(f[2]), std::stoi(f[3])}] = {f[4][0],
                                                                               unescape(f[5])};
        }
    }
    return view;
}

bool python3WithXlrd() {
    return std::system("/usr/bin/python3 -c 'import xlrd' >/dev/null 2>&1") == 0;
}

void compareCells(const fs::path& path, const Workbook& book, const OracleView& oracle) {
    std::set<std::tuple<int, int, int>> seen;
    for (size_t s = 0; s < book.sheets.size(); ++s) {
        const int sheetNo = static_cast<int>(s) + 1;
        book.sheets[s].forEachCell([&](int row, int col, const kestrel::Cell& cell) {
            const auto key = std::make_tuple(sheetNo, row, col);
            seen.insert(key);
            const std::string where = path.filename().string() + " sheet " +
                                      std::to_string(sheetNo) + " " +
                                      kestrel::cellAddress(row, col);
            auto it = oracle.cells.find(key);
            ASSERT_NE(it, oracle.cells.end()) << where << ": we read a cell xlrd does not see";
            const auto& [kind, value] = it->second;
            switch (cell.kind) {
                case CellKind::Number:
                    EXPECT_EQ(kind, 'N') << where;
                    if (kind == 'N') {
                        EXPECT_EQ(cell.number, std::stod(value)) << where;
                    }
                    break;
                case CellKind::Text:
                    EXPECT_EQ(kind, 'T') << where;
                    EXPECT_EQ(cell.text, value) << where;
                    break;
                case CellKind::Boolean:
                    EXPECT_EQ(kind, 'B') << where;
                    EXPECT_EQ(cell.number, std::stod(value)) << where;
                    break;
                case CellKind::Error:
                    EXPECT_EQ(kind, 'E') << where;
                    EXPECT_EQ(cell.text, value) << where;
                    break;
                case CellKind::Empty:
                    ADD_FAILURE() << where << ": an empty cell is stored";
                    break;
            }
        });
    }
    for (const auto& [key, value] : oracle.cells) {
        if (!seen.count(key)) {
            ADD_FAILURE() << path.filename().string() << " sheet " << std::get<0>(key) << " "
                          << kestrel::cellAddress(std::get<1>(key), std::get<2>(key))
                          << ": xlrd reads " << value.first << " \"" << value.second
                          << "\" where we read nothing";
        }
    }
}

}  // namespace

TEST(ReaderCorpus, EveryFileIsReadOrRefusedWithAMessageNamingIt) {
    if (!fs::is_directory(kCorpus)) GTEST_SKIP() << "No .xls corpus at " << kCorpus;
    const auto files = corpusFiles();
    ASSERT_FALSE(files.empty());
    int read = 0;
    for (const auto& path : files) {
        const Outcome outcome = readCorpusFile(path);
        if (outcome.read) {
            ++read;
            EXPECT_FALSE(outcome.book.sheets.empty()) << path;
            EXPECT_TRUE(outcome.fileType == 11 || outcome.fileType == 4) << path;
            EXPECT_GE(outcome.book.activeSheet, 1) << path;
            EXPECT_LE(outcome.book.activeSheet, static_cast<int>(outcome.book.sheets.size()))
                << path;
        } else {
            EXPECT_EQ(outcome.error.rfind("Cannot read " + path.string() + ": ", 0), 0u)
                << outcome.error;
            EXPECT_EQ(outcome.error.find('\n'), std::string::npos) << outcome.error;
            std::printf("  refused %s: %s\n", path.filename().c_str(),
                        outcome.error.substr(12 + path.string().size() + 2).c_str());
        }
    }
    // Most of the corpus is ordinary Excel output and must be read.
    EXPECT_GE(read, static_cast<int>(files.size()) * 3 / 4);
}

// Damaged copies of a real workbook (bytes changed in its container's header and directory):
// each is read or refused on one short line that names the file, with no library advice text.
TEST(ReaderCorpus, DamagedCopiesAreRefusedOnOneShortLine) {
    if (!fs::is_directory(kCorpus)) GTEST_SKIP() << "No .xls corpus at " << kCorpus;
    const fs::path original = kCorpus / "xlrd__profiles.xls";
    std::ifstream in(original, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    ASSERT_GT(bytes.size(), 4096u) << original;
    const fs::path copy = fs::temp_directory_path() / "kestrel-damaged-copy.xls";
    std::mt19937 random(20261207);
    int refused = 0;
    for (int i = 0; i < 300; ++i) {
        std::string damaged = bytes;
        for (int n = 1 + static_cast<int>(random() % 20); n > 0; --n) {
            damaged[random() % 2048] = static_cast<char>(random());
        }
        std::ofstream(copy, std::ios::binary | std::ios::trunc) << damaged;
        const Outcome outcome = readCorpusFile(copy);
        if (outcome.read) continue;
        ++refused;
        const std::string prefix = "Cannot read " + copy.string() + ": ";
        EXPECT_EQ(outcome.error.rfind(prefix, 0), 0u) << outcome.error;
        EXPECT_EQ(outcome.error.find('\n'), std::string::npos) << outcome.error;
        EXPECT_LE(outcome.error.size(), prefix.size() + 200) << outcome.error;
        EXPECT_EQ(outcome.error.find("you'll want"), std::string::npos) << outcome.error;
        EXPECT_EQ(outcome.error.find("assertion"), std::string::npos) << outcome.error;
    }
    fs::remove(copy);
    EXPECT_GT(refused, 100);
}

TEST(ReaderCorpus, AgreesWithXlrdOnSheetsActiveSheetAndEveryCell) {
    if (!fs::is_directory(kCorpus)) GTEST_SKIP() << "No .xls corpus at " << kCorpus;
    ASSERT_TRUE(python3WithXlrd()) << "the oracle needs /usr/bin/python3 with python3-xlrd";
    int compared = 0;
    for (const auto& path : corpusFiles()) {
        const OracleView oracle = runXlrd(path);
        if (!oracle.readable) continue;
        const Outcome outcome = readCorpusFile(path);
        const std::string name = path.filename().string();
        if (kRefusedByDesign.count(name)) {
            EXPECT_FALSE(outcome.read) << name << ": " << kRefusedByDesign.at(name);
            continue;
        }
        ASSERT_TRUE(outcome.read) << name << ": xlrd reads it but we refuse: " << outcome.error;
        std::vector<std::string> names;
        for (const auto& s : outcome.book.sheets) names.push_back(s.name());
        EXPECT_EQ(names, oracle.sheetNames) << name;
        if (oracle.active != 0) {
            EXPECT_EQ(outcome.book.activeSheet, oracle.active) << name;
        }
        compareCells(path, outcome.book, oracle);
        ++compared;
    }
    std::printf("  compared %d workbooks with xlrd\n", compared);
    EXPECT_GT(compared, 50);
}
