// The reader on files on disk: what is not an .xls workbook is refused saying what it is, and
// damaged copies of real workbooks never crash the reader or make it print.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/KestrelError.h"
#include "sheet/core/BiffReader.h"

namespace fs = std::filesystem;
using kestrel::KestrelError;

namespace {

std::string fixture(const std::string& name) {
    return std::string(KESTREL_TEST_DATA_DIR) + "/xls/" + name;
}

std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class ReaderFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        m_dir =
            fs::temp_directory_path() /
            ("kestrel-reader-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string write(const std::string& name, const std::string& bytes) {
        const fs::path path = m_dir / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    /// "read", or the reason after "Cannot read <path>: " (the test fails if the path is missing).
    static std::string reasonFor(const std::string& path) {
        try {
            int16_t fileType = 11;
            kestrel::readWorkbookFile(path, fileType);
            return "read";
        } catch (const KestrelError& e) {
            const std::string prefix = "Cannot read " + path + ": ";
            const std::string message = e.what();
            EXPECT_EQ(message.rfind(prefix, 0), 0u) << message;
            return message.substr(std::min(prefix.size(), message.size()));
        }
    }

    fs::path m_dir;
};

}  // namespace

TEST_F(ReaderFiles, WhatIsNotAnXlsWorkbookIsRefusedSayingWhatItIs) {
    EXPECT_EQ(reasonFor((m_dir / "missing.xls").string()), "the file does not exist");
    EXPECT_EQ(reasonFor(m_dir.string()), "it is a folder, not a file");
    EXPECT_EQ(reasonFor(write("empty.xls", "")), "the file is empty");
    EXPECT_EQ(reasonFor(write("data.xls", "Age,Y1,Y2\n1,2,3\n")),
              "it is not an Excel workbook (.xls)");
    EXPECT_EQ(
        reasonFor(write("page.xls", "\xEF\xBB\xBF  <html><table><tr><td>1</td></tr></table>")),
        "it is a web page or XML file with an .xls name, not an Excel workbook; open it in a "
        "spreadsheet program and save it as Excel 97-2003 Workbook (.xls) and open that");
    EXPECT_EQ(reasonFor(write("biff4.xls", std::string("\x09\x04\x06\x00\x00\x00\x10\x00", 8) +
                                               std::string(8, '\0'))),
              "it is an Excel 2.x-4.0 workbook; save it as Excel 97-2003 Workbook (.xls) and open "
              "that");
    // Real files from another program, renamed to .xls as users do.
    EXPECT_EQ(reasonFor(write("book.xls", slurp(fixture("formulas.xlsx")))),
              "it is an Excel 2007 or later workbook (.xlsx/.xlsb); save it as Excel 97-2003 "
              "Workbook (.xls) and open that");
    EXPECT_EQ(reasonFor(write("book2.xls", slurp(fixture("formulas.ods")))),
              "it is an OpenDocument spreadsheet (.ods), not an Excel workbook; save it as Excel "
              "97-2003 Workbook (.xls) and open that");
}

TEST_F(ReaderFiles, ABareWorkbookStreamWithoutItsCompoundFileIsRead) {
    // Some programs write the BIFF stream alone; the records are the same.
    const std::string ole = slurp(fixture("formulas_biff8.xls"));
    const size_t bof = ole.find(std::string("\x09\x08\x10\x00\x00\x06\x05\x00", 8));
    ASSERT_NE(bof, std::string::npos);
    // The stream is in the mini stream of this small file, contiguous up to its end.
    int16_t fileType = 4;
    const auto book = kestrel::readWorkbookFile(write("bare.xls", ole.substr(bof)), fileType);
    EXPECT_EQ(fileType, 11);
    EXPECT_EQ(book.sheets.size(), 3u);
    EXPECT_EQ(book.sheets.at(1).cell(3, 1)->number, 110.0);
}

TEST_F(ReaderFiles, CutAndScrambledCopiesAreReadOrRefusedAndNothingIsPrinted) {
    std::mt19937 random(20261207);
    int refused = 0, attempts = 0;
    ::testing::internal::CaptureStderr();
    for (const char* name : {"xlwt_types.xls", "formulas_biff7.xls", "formulas_dual.xls"}) {
        const std::string original = slurp(fixture(name));
        std::vector<std::string> damaged;
        for (size_t cut = 1; cut < original.size(); cut += original.size() / 40 + 1) {
            damaged.push_back(original.substr(0, cut));
        }
        for (int i = 0; i < 150; ++i) {
            std::string copy = original;
            for (int flips = 0; flips < 1 + i % 4; ++flips) {
                copy[random() % copy.size()] = static_cast<char>(random());
            }
            damaged.push_back(copy);
        }
        for (const auto& bytes : damaged) {
            const std::string reason = reasonFor(write("damaged.xls", bytes));
            ++attempts;
            if (reason != "read") ++refused;
        }
    }
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(printed, "") << "the reader printed while reading damaged files";
    EXPECT_GT(refused, attempts / 4) << "most cut copies must be refused";
}

TEST_F(ReaderFiles, ACutCompoundFileIsRefusedNamingWhatIsBroken) {
    const std::string cut = write("cut.xls", slurp(fixture("xlwt_types.xls")).substr(0, 5000));
    ::testing::internal::CaptureStderr();
    const std::string reason = reasonFor(cut);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    // Short, and on the same line.
    EXPECT_EQ(reason,
              "it is damaged: its compound-file structure is broken (its allocation "
              "table lies outside the file)");
}

namespace {

void putU32At(std::string& bytes, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
}
uint32_t u32At(const std::string& bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    return v;
}

}  // namespace

// Compound files whose tables lead astray: each is refused at once, naming what is broken; the
// reader follows no id it has not checked against the file. The base file is a real one, written
// by xlwt; the mini stream's chains are exercised by the crafted files libgsf packs.
TEST_F(ReaderFiles, CompoundFilesWhoseTablesLeadAstrayAreRefused) {
    const std::string good = slurp(fixture("xlwt_types.xls"));
    ASSERT_EQ(reasonFor(write("good.xls", good)), "read");
    const uint32_t firstTableSector = u32At(good, 76);
    const uint32_t directorySector = u32At(good, 48);
    const size_t table = 512 * (size_t{firstTableSector} + 1);
    const size_t directory = 512 * (size_t{directorySector} + 1);
    // The workbook stream's first sector, from its directory entry (the root's child).
    const uint32_t child = u32At(good, directory + 76);
    const uint32_t streamStart = u32At(good, directory + 128 * child + 116);
    struct Case {
        const char* what;
        std::function<void(std::string&)> damage;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"stream chain looping onto itself",
         [&](std::string& f) { putU32At(f, table + 4 * streamStart, streamStart); },
         "its workbook stream is cut short or broken (its stream chain is broken)"},
        {"stream chain leaving the table",
         [&](std::string& f) { putU32At(f, table + 4 * streamStart, 0x7FFFFFF0); },
         "its workbook stream is cut short or broken (its stream chain is broken)"},
        {"directory tree looping",
         [&](std::string& f) { putU32At(f, directory + 128 * child + 68, child); },
         "its compound-file structure is broken (its directory tree loops)"},
        {"two billion table sectors", [&](std::string& f) { putU32At(f, 44, 0x7FFFFFFF); },
         "its compound-file structure is broken (its allocation table is larger than the file)"},
        {"table sector past the end", [&](std::string& f) { putU32At(f, 76, 0x00FFFFFF); },
         "its compound-file structure is broken (its allocation table lies outside the file)"},
        {"directory past the end", [&](std::string& f) { putU32At(f, 48, 0x00FFFFFF); },
         "its compound-file structure is broken (its directory chain is broken)"},
        {"no root entry", [&](std::string& f) { f[directory + 66] = 1; },
         "its compound-file structure is broken (its root entry is missing)"},
    };
    for (const Case& c : cases) {
        std::string damaged = good;
        c.damage(damaged);
        EXPECT_EQ(reasonFor(write("damaged.xls", damaged)),
                  std::string("it is damaged: ") + c.expected)
            << c.what;
    }
}
