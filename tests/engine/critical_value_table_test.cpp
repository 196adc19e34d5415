// The critical value table: lookups, loading real files (and every way a load can fail),
// saving and reading back.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/CriticalValueTable.h"
#include "engine/CriticalValueTableParser.h"
#include "engine/KestrelError.h"
#include "engine/NumberText.h"

using kestrel::CriticalValueRow;
using kestrel::CriticalValueTable;

namespace {

namespace fs = std::filesystem;

class TableFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("kestrel-table-test-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    std::string write(const std::string& name, const std::string& text) {
        const fs::path path = m_folder / name;
        std::ofstream(path, std::ios::binary) << text;
        return path.string();
    }
    static std::string readAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Loads a file that must fail: the table ends closed and empty, every lookup gives 0, and
    // the message starts with the one warning naming the path.
    void expectLoadFailure(const std::string& path, const std::string& reason) {
        CriticalValueTable table;
        table.setRows({{0.05, 10, 0.7}});
        try {
            table.load(path);
            ADD_FAILURE() << "no failure for " << path;
        } catch (const kestrel::KestrelError& error) {
            const std::string message = error.what();
            EXPECT_EQ(message.rfind(CriticalValueTable::loadFailureWarning(path), 0), 0u)
                << message;
            EXPECT_NE(message.find(reason), std::string::npos) << message;
        }
        EXPECT_FALSE(table.isOpen());
        EXPECT_TRUE(table.rows().empty());
        EXPECT_EQ(table.lookup(10), 0.0);
    }

    fs::path m_folder;
};

}  // namespace

TEST(CriticalValueLookup, FirstRowInStoredOrderWinsWhateverItsAlpha) {
    CriticalValueTable table;
    table.setRows({{0.05, 10, 0.7}, {0.01, 10, 0.8}, {0.05, 11, 0.636}});
    EXPECT_EQ(table.lookup(10), 0.7);
    table.setRows({{0.01, 10, 0.8}, {0.05, 10, 0.7}});
    EXPECT_EQ(table.lookup(10), 0.8);
    EXPECT_EQ(table.lookup(12), 0.0);  // missing sample size
    EXPECT_EQ(table.lookup(-3), 0.0);
    EXPECT_EQ(table.filterText(), "n=-3");
    EXPECT_TRUE(table.filterOn());
}

TEST(CriticalValueLookup, SizesTheLoadedTableLacksAreRecordedOnceInTheOrderAskedFor) {
    CriticalValueTable table;
    table.loadText("Alpha,n,CritValue\n0.05,10,0.7\n0.05,11,0\n", "/tables/hand.cds");
    EXPECT_EQ(table.source(), "/tables/hand.cds");
    EXPECT_EQ(table.lookup(70000), 0.0);  // still 0, as documented
    table.lookup(10);
    table.lookup(11);  // a row whose value is 0 is not missing
    table.lookup(5);
    table.lookup(70000);
    EXPECT_EQ(table.takeMissingSizes(), (std::vector<int32_t>{70000, 5}));
    EXPECT_TRUE(table.takeMissingSizes().empty()) << "taking starts a new record";
    EXPECT_EQ(CriticalValueTable::missingSizeWarning(70000, table.source()),
              "no critical value for 70000 rows in /tables/hand.cds");

    // A new load starts a new record; a table that could not be loaded records nothing.
    table.lookup(6);
    EXPECT_THROW(table.loadText("Alpha,n\n", "/tables/bad.cds"), kestrel::KestrelError);
    table.lookup(6);
    EXPECT_TRUE(table.takeMissingSizes().empty());
}

TEST(CriticalValueLookup, FilterShowsTheLookedUpRowsAndAClosedTableGivesZero) {
    CriticalValueTable table;
    table.setRows({{0.05, 10, 0.7}, {0.01, 10, 0.8}, {0.05, 37, 0.3}});
    table.lookup(10);
    EXPECT_EQ(table.filterText(), "n=10");
    ASSERT_EQ(table.visibleRows().size(), 2u);
    EXPECT_EQ(table.visibleRows()[1].CritValue, 0.8);
    table.setFilterOn(false);
    EXPECT_EQ(table.visibleRows().size(), 3u);
    table.close();
    EXPECT_EQ(table.lookup(37), 0.0);
    EXPECT_TRUE(table.visibleRows().empty());
    table.open();
    EXPECT_EQ(table.lookup(37), 0.3);
}

TEST(CriticalValueLookup, VisibleRowsAreReadInPlaceInStoredOrder) {
    // Ascending sizes (searched in the rows) and sizes out of order (searched in an index).
    CriticalValueTable ascending;
    ascending.setRows({{0.05, 5, 0.5}, {0.05, 6, 0.45}, {0.05, 7, 0.4}});
    CriticalValueTable unordered;
    unordered.setRows({{0.05, 10, 0.7}, {0.05, 5, 0.5}, {0.01, 10, 0.8}, {0.1, 10, 0.6}});
    EXPECT_EQ(ascending.visibleCount(), 3u) << "no filter: every row";
    EXPECT_EQ(&ascending.visibleRow(2), &ascending.rows()[2]);

    ascending.lookup(6);
    ASSERT_EQ(ascending.visibleCount(), 1u);
    EXPECT_EQ(ascending.visibleRow(0).CritValue, 0.45);
    ascending.lookup(8);
    EXPECT_EQ(ascending.visibleCount(), 0u);

    unordered.lookup(10);
    ASSERT_EQ(unordered.visibleCount(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(unordered.visibleRow(i).CritValue, (std::vector{0.7, 0.8, 0.6})[i]) << i;
    }
    unordered.close();
    EXPECT_EQ(unordered.visibleCount(), 0u);
}

TEST_F(TableFiles, LoadsRowsInFileOrderSkippingBlankLinesAndAcceptingCrLf) {
    const std::string path = write("KolmogorovSmirnov.cds",
                                   "Alpha,n,CritValue\r\n0.01,10,0.8\r\n\r\n  \n0.05,10,0.7\n"
                                   "0.05,2147483647,1e-05\n0.05,-4,0.25");
    CriticalValueTable table;
    table.close();
    table.load(path);
    EXPECT_TRUE(table.isOpen());
    ASSERT_EQ(table.rows().size(), 4u);
    EXPECT_EQ(table.lookup(10), 0.8);
    EXPECT_EQ(table.lookup(2147483647), 1e-05);
    EXPECT_EQ(table.lookup(-4), 0.25);
}

TEST(CriticalValueTableParser, TextReadInPiecesOfAnySizeGivesTheSameRowsAndErrors) {
    // A file is read in pieces: lines, line ends and the byte order mark may be cut anywhere.
    const std::string text =
        "\xEF\xBB\xBF"
        "Alpha,n,CritValue\r\n0.05,10,0.7\r\n\r\n \t\n0.01,10,0.8\n"
        "0.05,65536,0.0053062438964843750\n0.1,7,1e-1";
    const std::vector<CriticalValueRow> expected = {
        {0.05, 10, 0.7}, {0.01, 10, 0.8}, {0.05, 65536, 0.005306243896484375}, {0.1, 7, 0.1}};
    for (size_t pieceSize = 1; pieceSize <= text.size(); ++pieceSize) {
        kestrel::CriticalValueTableParser parser;
        for (size_t at = 0; at < text.size(); at += pieceSize) {
            parser.feed(std::string_view(text).substr(at, pieceSize));
        }
        const std::vector<CriticalValueRow> rows = parser.finish();
        ASSERT_EQ(rows.size(), expected.size()) << "pieces of " << pieceSize;
        for (size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].Alpha, expected[i].Alpha) << pieceSize << " row " << i;
            EXPECT_EQ(rows[i].n, expected[i].n) << pieceSize << " row " << i;
            EXPECT_EQ(rows[i].CritValue, expected[i].CritValue) << pieceSize << " row " << i;
        }
    }
    // The line that does not fit is named whether it ends in a piece or at the end of the text.
    for (const char* last : {"0.05,11,x\n0.05,12,0.5\n", "0.05,11,x"}) {
        kestrel::CriticalValueTableParser parser;
        std::string message;
        try {
            for (const char c : "Alpha,n,CritValue\n\n" + std::string(last)) {
                parser.feed(std::string_view(&c, 1));
            }
            parser.finish();
        } catch (const kestrel::KestrelError& error) {
            message = error.what();
        }
        EXPECT_EQ(message, "line 3: CritValue is not a real number") << last;
    }
}

TEST_F(TableFiles, FieldsReadAsTheNumberRulesReadThemInEveryForm) {
    // Plain digits (the generated form) and every other form the rules allow or refuse.
    std::vector<std::string> reals = {"0.05",   "1",    "1.",    ".5",   "007.25",
                                      "+0.5",   "-0.5", "  0.5", "5E-1", "1e400",
                                      "1e-400", "1..2", ".",     "",     "0x10"};
    reals.push_back("0.0018758773803710938");      // a generated critical value
    reals.push_back(std::string(45, '1') + ".5");  // too long for plain reading
    reals.push_back("0." + std::string(45, '0') + "1");
    const std::vector<std::string> wholes = {
        "7",   "000000010", "999999999", "1000000000", "2147483647", "2147483648", "+12",
        "-12", " 12",       "$1F",       "0x10",       "1.0",        "",           "12a"};
    for (const std::string& real : reals) {
        CriticalValueTable table;
        const auto expected = kestrel::parseRealNumber(real);
        const std::string text = "Alpha,n,CritValue\n" + real + ",3," + real + "\n";
        if (!expected) {
            EXPECT_THROW(table.loadText(text, "t.cds"), kestrel::KestrelError) << real;
            continue;
        }
        ASSERT_NO_THROW(table.loadText(text, "t.cds")) << real;
        EXPECT_EQ(table.rows().at(0).Alpha, *expected) << real;
        EXPECT_EQ(table.rows().at(0).CritValue, *expected) << real;
    }
    for (const std::string& whole : wholes) {
        CriticalValueTable table;
        const auto expected = kestrel::parseWholeNumber(whole);
        const std::string text = "Alpha,n,CritValue\n0.05," + whole + ",0.5\n";
        if (!expected) {
            EXPECT_THROW(table.loadText(text, "t.cds"), kestrel::KestrelError) << whole;
            continue;
        }
        ASSERT_NO_THROW(table.loadText(text, "t.cds")) << whole;
        EXPECT_EQ(table.rows().at(0).n, *expected) << whole;
    }
}

TEST_F(TableFiles, EveryLoadFailureGivesTheOneWarningAndAClosedEmptyTable) {
    expectLoadFailure((m_folder / "missing.cds").string(), "No such file");
    expectLoadFailure(m_folder.string(), "directory");
    expectLoadFailure(write("empty.cds", ""), "empty");
    expectLoadFailure(write("header.cds", "Alpha,N,CritValue\n0.05,10,0.7\n"), "line 1");
    expectLoadFailure(write("alpha.cds", "Alpha,n,CritValue\n0.05,10,0.7\nfive,11,0.6\n"),
                      "line 3: Alpha");
    expectLoadFailure(write("n.cds", "Alpha,n,CritValue\n0.05,10.5,0.7\n"), "line 2: n");
    expectLoadFailure(write("big.cds", "Alpha,n,CritValue\n0.05,2147483648,0.7\n"), "line 2: n");
    expectLoadFailure(write("crit.cds", "Alpha,n,CritValue\n0.05,10,0,7\n"), "three");
    expectLoadFailure(write("short.cds", "Alpha,n,CritValue\n0.05,10\n"), "three");
    expectLoadFailure(write("space.cds", "Alpha,n,CritValue\n0.05,10,0.7 \n"), "CritValue");
    if (::geteuid() != 0) {
        const std::string locked = write("locked.cds", "Alpha,n,CritValue\n0.05,10,0.7\n");
        ::chmod(locked.c_str(), 0);
        expectLoadFailure(locked, "Permission denied");
    }
}

TEST_F(TableFiles, SavedTableReadsBackExactlyAndAFailedSaveLeavesTheOldFile) {
    CriticalValueTable table;
    table.setRows({{0.05, 1, 1.0}, {0.05, 22, 9.0 / 22}, {0.1, 7, 0.1 + 0.2}, {0.05, 3, 5e-324}});
    table.lookup(22);  // the filter must not limit what is saved
    table.close();     // saving opens the table
    const std::string path = (m_folder / "saved.cds").string();
    table.save(path);
    EXPECT_TRUE(table.isOpen());
    CriticalValueTable reread;
    reread.load(path);
    ASSERT_EQ(reread.rows().size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(reread.rows()[i].Alpha, table.rows()[i].Alpha);
        EXPECT_EQ(reread.rows()[i].n, table.rows()[i].n);
        EXPECT_EQ(reread.rows()[i].CritValue, table.rows()[i].CritValue) << i;
    }
    EXPECT_EQ(readAll(path).rfind("Alpha,n,CritValue\n0.05,1,1\n", 0), 0u);

    const std::string before = readAll(path);
    table.setRows({{0.05, 5, std::nan("")}});
    EXPECT_THROW(table.save(path), kestrel::KestrelError);
    EXPECT_THROW(table.save((m_folder / "no-such-folder" / "t.cds").string()),
                 kestrel::KestrelError);
    EXPECT_EQ(readAll(path), before);
}

TEST(CriticalValueTablePaths, FolderJoinAndDeveloperSavePath) {
    EXPECT_EQ(kestrel::criticalValueTablePath("/opt/k"), "/opt/k/KolmogorovSmirnov.cds");
    EXPECT_EQ(kestrel::criticalValueTablePath("/opt/k/"), "/opt/k//KolmogorovSmirnov.cds");
    const char* home = std::getenv("HOME");
    const std::string saved = home ? home : "";
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(kestrel::defaultTableSavePath(), "/home/someone/KolmogorovSmirnov.cds");
    ::unsetenv("HOME");
    EXPECT_NE(kestrel::defaultTableSavePath().find("/KolmogorovSmirnov.cds"), std::string::npos);
    if (home) ::setenv("HOME", saved.c_str(), 1);
}

TEST(CriticalValueTableDisplay, AlphaAndCritValueFormats) {
    EXPECT_EQ(CriticalValueTable::formatAlpha(0.05), "0.05");
    EXPECT_EQ(CriticalValueTable::formatAlpha(0.025, ","), "0,025");
    EXPECT_EQ(CriticalValueTable::formatAlpha(0.1), "0.10");
    EXPECT_EQ(CriticalValueTable::formatCritValue(9.0 / 22), "0.4091");
    EXPECT_EQ(CriticalValueTable::formatCritValue(1, ","), "1,0000");
}
