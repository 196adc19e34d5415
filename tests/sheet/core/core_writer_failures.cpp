// Saving that cannot succeed: what the format cannot hold, a bad file-type code, a folder that
// is missing or not writable, a disk that fills up midway or fails to flush. Every case reports
// an error that names the file and leaves the file that was there byte for byte as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "core_writer_support.h"
#include "engine/AtomicFile.h"
#include "engine/KestrelError.h"
#include "sheet/core/BiffWriter.h"
#include "tests/support/FilePermissionsEnforced.h"

namespace kestrel {
namespace {
using namespace writertest;

Workbook bookWithRows(const std::string& sheetName, int rows) {
    Workbook book;
    book.sheets.emplace_back(sheetName);
    for (int row = 1; row <= rows; ++row) book.sheets[0].setCell(row, 1, Cell::makeNumber(row));
    return book;
}

// Runs the write, expecting a KestrelError; returns its message.
std::string saveError(const Workbook& book, const std::string& path, int16_t code) {
    try {
        writeWorkbookFile(book, path, code);
    } catch (const KestrelError& e) {
        return e.what();
    }
    ADD_FAILURE() << "saving " << path << " with code " << code << " did not fail";
    return {};
}

class WriterRefusal : public ::testing::Test {
  protected:
    // An earlier save that must survive every failed one.
    void SetUp() override {
        writeWorkbookFile(bookWithRows("Old", 3), m_existing, 11);
        m_before = readBytes(m_existing);
    }
    void expectUntouched() {
        EXPECT_EQ(readBytes(m_existing), m_before) << "the existing file changed";
        EXPECT_EQ(m_dir.entries(), std::vector<std::string>{"existing.xls"}) << "files left over";
    }
    TempDir m_dir;
    std::string m_existing = m_dir.file("existing.xls");
    std::string m_before;
};

TEST_F(WriterRefusal, SheetsLargerThanTheFormatAreRefusedBeforeAnythingIsWritten) {
    EXPECT_NO_THROW(writeWorkbookFile(bookWithRows("Smry", 16384), m_dir.file("ok5.xls"), 4));
    EXPECT_NO_THROW(std::filesystem::remove(m_dir.file("ok5.xls")));

    EXPECT_EQ(saveError(bookWithRows("Smry", 16385), m_existing, 4),
              "Cannot save " + m_existing +
                  " as Excel 5: sheet \"Smry\" has 16385 rows, and Excel 5 holds at most 16,384");
    expectUntouched();
    const std::string fresh = m_dir.file("new.xls");
    EXPECT_NE(saveError(bookWithRows("Smry", 20001), fresh, 4).find("has 20001 rows"),
              std::string::npos);
    EXPECT_FALSE(fileExists(fresh));

    Workbook tall;
    tall.sheets.emplace_back("First");
    tall.sheets.emplace_back("Tall");
    tall.sheets[1].setCell(65537, 2, Cell::makeNumber(1));
    EXPECT_EQ(saveError(tall, m_existing, 11),
              "Cannot save " + m_existing +
                  " as Excel 97: sheet \"Tall\" has 65537 rows, and Excel 97 holds at most 65,536");
    Workbook wide;
    wide.sheets.emplace_back("Wide");
    wide.sheets[0].setCell(1, 257, Cell::makeNumber(1));
    for (const int16_t code : {int16_t{11}, int16_t{4}}) {
        EXPECT_NE(saveError(wide, m_existing, code)
                      .find("sheet \"Wide\" has 257 columns, and Excel " +
                            std::string(code == 11 ? "97" : "5") + " holds at most 256"),
                  std::string::npos);
    }
    expectUntouched();
}

TEST_F(WriterRefusal, TextsLongerThanACellHoldsAreRefusedNamingTheCell) {
    Workbook book;
    book.sheets.emplace_back("Smry");
    book.sheets[0].setCell(4, 3, Cell::makeText(std::string(255, 'e')));
    EXPECT_NO_THROW(writeWorkbookFile(book, m_dir.file("ok.xls"), 4));
    EXPECT_NO_THROW(std::filesystem::remove(m_dir.file("ok.xls")));

    // Cut short, the text would silently lose its end; the user can save as Excel 97 instead.
    book.sheets[0].setCell(4, 3, Cell::makeText(std::string(256, 'e')));
    EXPECT_EQ(saveError(book, m_existing, 4),
              "Cannot save " + m_existing +
                  " as Excel 5: cell C4 of sheet \"Smry\" holds 256 characters, and Excel 5 "
                  "holds at most 255 in a cell");
    book.sheets[0].setCell(9, 28, Cell::makeText(std::string(32767, 'e')));
    EXPECT_NO_THROW(writeWorkbookFile(book, m_dir.file("ok.xls"), 11));
    EXPECT_NO_THROW(std::filesystem::remove(m_dir.file("ok.xls")));
    book.sheets[0].setCell(9, 28, Cell::makeText(std::string(32768, 'e')));
    EXPECT_NE(saveError(book, m_existing, 11)
                  .find("cell AB9 of sheet \"Smry\" holds 32,768 characters, and Excel 97 holds "
                        "at most 32,767 in a cell"),
              std::string::npos);
    expectUntouched();
}

TEST_F(WriterRefusal, SheetNamesExcelRejectsAndUnknownCodesAreRefused) {
    const auto named = [](std::vector<std::string> names) {
        Workbook book;
        for (auto& n : names) book.sheets.emplace_back(n);
        return book;
    };
    EXPECT_NO_THROW(writeWorkbookFile(named({std::string(31, 'n')}), m_dir.file("ok.xls"), 11));
    EXPECT_NO_THROW(std::filesystem::remove(m_dir.file("ok.xls")));
    for (const int16_t code : {int16_t{11}, int16_t{4}}) {
        EXPECT_NE(saveError(named({""}), m_existing, code).find("a sheet has an empty name"),
                  std::string::npos);
        EXPECT_NE(saveError(named({std::string(32, 'n')}), m_existing, code)
                      .find("is longer than 31 characters"),
                  std::string::npos);
        EXPECT_NE(saveError(named({"Q1/Q2"}), m_existing, code).find("contains \"/\""),
                  std::string::npos);
        EXPECT_NE(saveError(named({"Smry", "SMRY"}), m_existing, code)
                      .find("two sheets are named \"SMRY\""),
                  std::string::npos);
    }
    for (const int16_t code : {int16_t{0}, int16_t{5}, int16_t{-1}, int16_t{12}}) {
        EXPECT_EQ(saveError(bookWithRows("Smry", 1), m_existing, code),
                  "Cannot save " + m_existing + ": file type code " + std::to_string(code) +
                      " is neither 11 (Excel 97) nor 4 (Excel 5)");
    }
    expectUntouched();
}

// Restores normal writing however the test ends.
struct FailWritesAfter {
    explicit FailWritesAfter(long long bytes) { testing::failWritesAfter(bytes); }
    ~FailWritesAfter() { testing::failWritesAfter(-1); }
};

TEST_F(WriterRefusal, AWriteThatFailsMidwayKeepsTheOldFile) {
    const Workbook book = bookWithRows("New", 3000);
    for (const long long after : {0LL, 1LL, 512LL, 4096LL, 30000LL}) {
        FailWritesAfter failing(after);
        const std::string message = saveError(book, m_existing, after % 2 ? 4 : 11);
        EXPECT_EQ(message, "Cannot write " + m_existing + ": No space left on device")
            << "after " << after << " bytes";
        expectUntouched();
    }
    // And once the disk has room again the same save succeeds.
    EXPECT_NO_THROW(writeWorkbookFile(book, m_existing, 11));
    EXPECT_NE(readBytes(m_existing), m_before);
}

TEST_F(WriterRefusal, FoldersThatCannotTakeTheFileGiveAnErrorNamingIt) {
    const Workbook book = bookWithRows("Smry", 2);
    const std::string missing = m_dir.file("no such folder") + "/summary.xls";
    const std::string missingError = saveError(book, missing, 11);
    EXPECT_EQ(missingError, "Cannot write " + missing + ": No such file or directory");
    // A file where a folder should be stops even the superuser.
    const std::string underFile = m_existing + "/summary.xls";
    EXPECT_EQ(saveError(book, underFile, 4), "Cannot write " + underFile + ": Not a directory");
    expectUntouched();
}

// A folder that refuses the file (its permissions hold even for the superuser here), and saves
// that fail once the temporary file exists: no file of any name is left in the folder.
TEST(WriterFailedNewFile, ARefusedOrFailingSaveLeavesNothingBehind) {
    TempDir dir;
    const std::string locked = dir.file("locked");
    std::filesystem::create_directory(locked);
    std::filesystem::permissions(
        locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const std::string refused = locked + "/summary.xls";
    testsupport::withFilePermissionsEnforced([&] {
        EXPECT_EQ(saveError(bookWithRows("Smry", 2), refused, 11),
                  "Cannot write " + refused + ": Permission denied");
    });
    EXPECT_TRUE(std::filesystem::is_empty(locked));

    const std::string path = dir.file("open/summary.xls");
    std::filesystem::create_directory(dir.file("open"));
    for (const long long after : {0LL, 700LL}) {
        FailWritesAfter failing(after);
        EXPECT_EQ(saveError(bookWithRows("Smry", 200), path, 11),
                  "Cannot write " + path + ": No space left on device");
    }
    testing::failFlushes(true);
    EXPECT_EQ(saveError(bookWithRows("Smry", 200), path, 4),
              "Cannot write " + path + ": Input/output error");
    testing::failFlushes(false);
    EXPECT_TRUE(std::filesystem::is_empty(dir.file("open")));
}

}  // namespace
}  // namespace kestrel
