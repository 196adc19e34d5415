// Reading and writing the settings file: defaults, the checks on reading, key order, in-place
// replacement and atomic writing, on real files in a temporary folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "app/SettingsFile.h"
#include "engine/AtomicFile.h"
#include "engine/KestrelError.h"

namespace {

using kestrel::SettingsFields;

struct ReadResult {
    SettingsFields fields;
    std::vector<std::string> warnings;
};

ReadResult readText(const std::string& text) {
    ReadResult result;
    kestrel::readSettingsText(
        text, result.fields, [&](const std::string& w) { result.warnings.push_back(w); },
        "/opt/kestrel/data");
    return result;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Section and key lines of an INI text, in file order ("[Section]" or "key=value").
std::vector<std::string> meaningfulLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] != ';') lines.push_back(line);
    }
    return lines;
}

TEST(SettingsRead, MissingFileGivesEveryDefaultWithoutWarning) {
    QTemporaryDir dir;
    SettingsFields fields;
    std::vector<std::string> warnings;
    kestrel::readSettingsFile((dir.path() + "/absent.INI").toStdString(), fields,
                              [&](const std::string& w) { warnings.push_back(w); },
                              "/opt/kestrel/data");
    EXPECT_TRUE(warnings.empty());
    EXPECT_EQ(fields.DataImportPath, "/opt/kestrel/data");
    EXPECT_EQ(fields.DataExportPath, "/opt/kestrel/data");
    EXPECT_EQ(fields.ClientDatasetPath, "/opt/kestrel/data");
    EXPECT_EQ(fields.AgeColStr, "A");
    EXPECT_EQ(fields.Y1ColStr, "B");
    EXPECT_EQ(fields.Y2ColStr, "C");
    EXPECT_EQ(fields.AgeWindowWidthStr, "100.0");
    EXPECT_EQ(fields.FromRowStr, "2");
    EXPECT_EQ(fields.ToRowStr, "3");
    EXPECT_EQ(fields.MinPeakHeightStr, "10.00");
    EXPECT_DOUBLE_EQ(fields.MinPeakHeight, 10.0);
    EXPECT_EQ(fields.BaselinePeakHeightStr, "2.00");
    EXPECT_DOUBLE_EQ(fields.BaselinePeakHeight, 2.0);
    EXPECT_EQ(fields.MainLeft, 1);
    EXPECT_EQ(fields.MainTop, 1);
    EXPECT_EQ(fields.MainHeight, 480);
    EXPECT_EQ(fields.MainWidth, 800);
    EXPECT_EQ(fields.SheetLeft, 1);
    EXPECT_EQ(fields.SheetTop, 50);
    EXPECT_EQ(fields.SheetHeight, 530);
    EXPECT_EQ(fields.SheetWidth, 800);
}

TEST(SettingsRead, PeakHeightsAreParsedWithPointAndReformatted) {
    auto r = readText(
        "[Profile subdivision parameters]\nMinimum Peak Height=1e1\nBaseline Peak Height= 7\n");
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_DOUBLE_EQ(r.fields.MinPeakHeight, 10.0);
    EXPECT_EQ(r.fields.MinPeakHeightStr, "10.00");
    EXPECT_DOUBLE_EQ(r.fields.BaselinePeakHeight, 7.0);
    EXPECT_EQ(r.fields.BaselinePeakHeightStr, "7.00");

    r = readText(
        "[Profile subdivision parameters]\nMinimum Peak Height=1234.567\n"
        "Baseline Peak Height=0.125\n");
    EXPECT_EQ(r.fields.MinPeakHeightStr, "1234.57");
    EXPECT_EQ(r.fields.BaselinePeakHeightStr, "0.13");     // half away from zero
    EXPECT_DOUBLE_EQ(r.fields.BaselinePeakHeight, 0.125);  // the value keeps its precision
}

TEST(SettingsRead, MalformedPeakHeightsWarnInOrderAndTakeDefaults) {
    auto r = readText(
        "[Profile subdivision parameters]\nMinimum Peak Height=abc\nBaseline Peak Height=2,5\n");
    ASSERT_EQ(r.warnings.size(), 2u);
    EXPECT_EQ(r.warnings[0], "Incorrect Minimum Peak Height from .ini file");
    EXPECT_EQ(r.warnings[1], "Incorrect Baseline Peak Height from .ini file");
    EXPECT_DOUBLE_EQ(r.fields.MinPeakHeight, 10.0);
    EXPECT_EQ(r.fields.MinPeakHeightStr, "10.00");
    EXPECT_DOUBLE_EQ(r.fields.BaselinePeakHeight, 2.0);
    EXPECT_EQ(r.fields.BaselinePeakHeightStr, "2.00");

    // Only the bad one warns.
    r = readText(
        "[Profile subdivision parameters]\nMinimum Peak Height=12.5\n"
        "Baseline Peak Height=1.5x\n");
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_EQ(r.warnings[0], "Incorrect Baseline Peak Height from .ini file");
    EXPECT_DOUBLE_EQ(r.fields.MinPeakHeight, 12.5);
}

TEST(SettingsRead, EmptyValuesFollowTheirKind) {
    auto r = readText(
        "[File Paths]\nData import path=\n[Input fields]\nAge Column=\n"
        "[Profile subdivision parameters]\nMinimum Peak Height=\n[Form positions]\nMain Width=\n");
    EXPECT_EQ(r.fields.DataImportPath, "");  // a text: empty, not the default
    EXPECT_EQ(r.fields.DataExportPath, "/opt/kestrel/data");
    EXPECT_EQ(r.fields.AgeColStr, "");
    EXPECT_EQ(r.fields.MainWidth, 800);  // an integer: the default
    ASSERT_EQ(r.warnings.size(), 1u);    // a peak height: a failed parse
    EXPECT_EQ(r.warnings[0], "Incorrect Minimum Peak Height from .ini file");
    EXPECT_EQ(r.fields.MinPeakHeightStr, "10.00");
}

TEST(SettingsRead, IntegersFollowTheWholeNumberRule) {
    auto r = readText(
        "[Form positions]\nMain Width=0x400\nMain Height=wide\nMain Left=$10\nMain Top=X1f\n"
        "Sheet Left=-2147483648\nSheet Top=2147483648\nSheet Height=12abc\nSheet Width=-\n");
    EXPECT_EQ(r.fields.MainWidth, 1024);
    EXPECT_EQ(r.fields.MainHeight, 480);
    EXPECT_EQ(r.fields.MainLeft, 16);
    EXPECT_EQ(r.fields.MainTop, 31);
    EXPECT_EQ(r.fields.SheetLeft, INT32_MIN);
    EXPECT_EQ(r.fields.SheetTop, 50);      // beyond 32 bits
    EXPECT_EQ(r.fields.SheetHeight, 530);  // trailing characters
    EXPECT_EQ(r.fields.SheetWidth, 800);   // a lone sign
    EXPECT_TRUE(r.warnings.empty());
}

TEST(SettingsRead, TextsAreTakenUnvalidatedAndClippedAt2047Characters) {
    const std::string longPath = "/" + std::string(3000, 'p');
    // 2046 ASCII characters then two-byte characters: the clip must not split one.
    const std::string wide = std::string(2046, 'a') + "\xC3\xA9\xC3\xA9\xC3\xA9";
    auto r =
        readText("[File Paths]\nClient dataset path=" + longPath + "\nData export path=" + wide +
                 "\n[Input fields]\nFrom Row=abc\nAge Column=b c\n");
    EXPECT_TRUE(r.warnings.empty());
    EXPECT_EQ(r.fields.FromRowStr, "abc");
    EXPECT_EQ(r.fields.AgeColStr, "b c");
    EXPECT_EQ(r.fields.ClientDatasetPath, longPath.substr(0, 2047));
    EXPECT_EQ(r.fields.DataExportPath, std::string(2046, 'a') + "\xC3\xA9");
}

TEST(SettingsRead, SectionAndKeyNamesMatchWithoutRegardToCase) {
    auto r = readText("\xEF\xBB\xBF[form POSITIONS]\nmain width=640\n[input FIELDS]\nto row=12\n");
    EXPECT_EQ(r.fields.MainWidth, 640);
    EXPECT_EQ(r.fields.ToRowStr, "12");
}

class SettingsWrite : public ::testing::Test {
  protected:
    void TearDown() override { kestrel::testing::failWritesAfter(-1); }

    std::string path() const { return (m_dir.path() + "/kestrel.INI").toStdString(); }
    static SettingsFields sample() {
        SettingsFields fields;
        kestrel::readSettingsText("", fields, {}, "/data");
        fields.FromRowStr = "5";
        fields.MainLeft = -7;
        fields.MinPeakHeightStr = "7.46";
        return fields;
    }

    QTemporaryDir m_dir;
};

TEST_F(SettingsWrite, NewFileHoldsFourSectionsAndNineteenKeysInTableOrder) {
    kestrel::writeSettingsFile(path(), sample());
    const std::vector<std::string> expected = {
        "[File Paths]",
        "Data import path=/data",
        "Data export path=/data",
        "Client dataset path=/data",
        "[Input fields]",
        "Age Column=A",
        "Y data (1) Column=B",
        "Y data (2) Column=C",
        "Age window width=100.0",
        "From Row=5",
        "To Row=3",
        "[Profile subdivision parameters]",
        "Minimum Peak Height=7.46",
        "Baseline Peak Height=2.00",
        "[Form positions]",
        "Main Left=-7",
        "Main Top=1",
        "Main Height=480",
        "Main Width=800",
        "Sheet Left=1",
        "Sheet Top=50",
        "Sheet Height=530",
        "Sheet Width=800",
    };
    EXPECT_EQ(meaningfulLines(fileText(path())), expected);

    // What was written reads back unchanged.
    SettingsFields back;
    kestrel::readSettingsFile(path(), back, {}, "/elsewhere");
    EXPECT_EQ(back.FromRowStr, "5");
    EXPECT_EQ(back.MainLeft, -7);
    EXPECT_EQ(back.DataImportPath, "/data");
    EXPECT_DOUBLE_EQ(back.MinPeakHeight, 7.46);
}

TEST_F(SettingsWrite, ExistingKeysAreReplacedInPlaceAndOtherContentKept) {
    writeText(path(),
              "[Form positions]\nMain Width=1\nExtra=kept\nMain Left=2\n"
              "[Notes]\nwho=me\n"
              "[Input fields]\nTo Row=99\n");
    kestrel::writeSettingsFile(path(), sample());
    const std::vector<std::string> lines = meaningfulLines(fileText(path()));
    const std::vector<std::string> expectedStart = {
        "[Form positions]", "Main Width=800",  "Extra=kept",   "Main Left=-7",
        "Main Top=1",       "Main Height=480", "Sheet Left=1", "Sheet Top=50",
        "Sheet Height=530", "Sheet Width=800", "[Notes]",      "who=me",
        "[Input fields]",   "To Row=3",        "Age Column=A"};
    ASSERT_GE(lines.size(), expectedStart.size());
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + expectedStart.size()),
              expectedStart);
    EXPECT_EQ(lines.size(), 19u + 4u + 3u);  // nineteen keys, four sections, plus the kept ones
}

TEST_F(SettingsWrite, FailedWriteKeepsTheOldFileAndNamesIt) {
    const std::string before = "[Form positions]\nMain Width=1234\n";
    writeText(path(), before);
    kestrel::testing::failWritesAfter(10);
    try {
        kestrel::writeSettingsFile(path(), sample());
        FAIL() << "a failed write must be reported";
    } catch (const kestrel::KestrelError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Unable to write to " + path() + ": No space left on device");
    }
    EXPECT_EQ(fileText(path()), before);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
        << "no temporary file may be left behind";
}

TEST_F(SettingsWrite, RecentWorkbooksHaveASectionOfTheirOwnOnlyWhileListed) {
    // A file of today's program: written again with no recent workbooks, byte for byte the same.
    SettingsFields fields = sample();
    const std::string today = kestrel::settingsText("", fields);
    EXPECT_EQ(kestrel::settingsText(today, fields), today);
    EXPECT_EQ(today.find("Recent"), std::string::npos);

    // Nine paths: the first eight are kept, after the four sections, and read back in order.
    for (int i = 1; i <= 9; ++i)
        fields.RecentWorkbooks.push_back("/data/w" + std::to_string(i) + ".xls");
    fields.RecentWorkbooks[2] = " /data/with blank ends.xls ";
    const std::string listed = kestrel::settingsText(today, fields);
    ASSERT_EQ(listed.substr(0, today.size()), today) << "the four sections stay as they were";
    const std::vector<std::string> section = meaningfulLines(listed.substr(today.size()));
    ASSERT_EQ(section.size(), 9u);
    EXPECT_EQ(section[0], "[Recent workbooks]");
    EXPECT_EQ(section[1], "File1=/data/w1.xls");
    EXPECT_EQ(section[8], "File8=/data/w8.xls");
    SettingsFields back;
    kestrel::readSettingsText(listed, back, {});
    EXPECT_EQ(back.RecentWorkbooks, std::vector<std::string>(fields.RecentWorkbooks.begin(),
                                                             fields.RecentWorkbooks.begin() + 8));
    EXPECT_EQ(back.FromRowStr, "5");

    // The list emptied: the section goes, and the file is today's again.
    fields.RecentWorkbooks.clear();
    EXPECT_EQ(kestrel::settingsText(listed, fields), today);
}

TEST_F(SettingsWrite, GrainAgesChoicesRoundTripInASectionOfTheirOwn) {
    SettingsFields fields = sample();
    const std::string today = kestrel::settingsText("", fields);
    EXPECT_EQ(today.find("Grain"), std::string::npos) << "no section before the dialog is used";

    kestrel::GrainAgesFields choices;
    choices.workbook = "/data/zircons 2026.xlsx";
    choices.sheet = "Ages";
    choices.layout = "rows";
    choices.uncertainties = "sheet";
    choices.errorsSheet = "Errors";
    choices.sigma = "2";
    choices.perCent = "1";
    choices.profile = "adaptive KDE";
    choices.bandwidth = "25.5";
    choices.gridFrom = "0";
    choices.gridTo = "4000";
    choices.gridStep = "2";
    choices.firstSample = "SB-12 ";
    choices.secondSample = "Río Grande";
    choices.compare = "all";
    fields.GrainAgesChoices = choices;
    const std::string written = kestrel::settingsText(today, fields);
    ASSERT_EQ(written.substr(0, today.size()), today) << "the four sections stay as they were";
    EXPECT_EQ(meaningfulLines(written.substr(today.size())).front(), "[Grain ages]");
    SettingsFields back;
    kestrel::readSettingsText(written, back, {});
    ASSERT_TRUE(back.GrainAgesChoices);
    EXPECT_EQ(*back.GrainAgesChoices, choices);

    // A section with some keys only: the others keep their defaults.
    kestrel::readSettingsText("[Grain ages]\nProfile=PDP\n", back, {});
    kestrel::GrainAgesFields expected;
    expected.profile = "PDP";
    EXPECT_EQ(back.GrainAgesChoices, expected);
}

}  // namespace
