// The table of profile methods holds together and is what both readers of a method's name go
// by: the grain-ages dialog's choices (labels, as the settings file stores them) and
// kestrel-batch's --profile (keys, the program run as a process on a workbook on disk).
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/GrainAgesChoices.h"
#include "engine/density/ProfileMethods.h"
#include "sheet/core/WorkbookReader.h"
#include "tests/tools/BatchProcess.h"

namespace {

using namespace kestrel;
using kestrel::batchtest::Outcome;
namespace fs = std::filesystem;

const std::string kProgram = std::string(KESTREL_BINARY_DIR) + "/tools/kestrel-batch";

class ProfileMethods : public kestrel::batchtest::ScratchFolderTest {
  protected:
    Outcome batch(const std::vector<std::string>& args) {
        return kestrel::batchtest::runProgram(kProgram, args, m_folder);
    }
    // The profiles of a profiles file, by sample column, its Age and Bandwidth rows left out.
    static std::vector<std::vector<double>> profilesIn(const Workbook& book) {
        const Worksheet& sheet = book.sheets.at(0);
        std::vector<std::vector<double>> profiles(sheet.lastCol() - 1);
        for (int row = 2; row <= sheet.lastRow(); ++row) {
            if (sheet.cell(row, 1)->kind != CellKind::Number) continue;
            for (int col = 2; col <= sheet.lastCol(); ++col)
                profiles[col - 2].push_back(sheet.cell(row, col)->number);
        }
        return profiles;
    }
};

// "a, b or c", written here rather than taken from the table's own list.
std::string spokenList(const std::vector<std::string>& items) {
    std::string text;
    for (size_t i = 0; i < items.size(); ++i)
        text += (i == 0 ? "" : i + 1 == items.size() ? " or " : ", ") + items[i];
    return text;
}

TEST_F(ProfileMethods, TableDrivesTheDialogChoicesAndKestrelBatch) {
    const fs::path bookPath = m_folder / "ages.csv";
    std::ofstream(bookPath) << "A,A err,B,B err\n100,5,120,4\n150,6,160,3\n200,4,210,5\n"
                               "260,7,300,6\n310,3,330,2\n";
    WorkbookFormat format{};
    const Workbook book = readAnyWorkbookFile(bookPath.string(), format);
    GrainAgesFields choices;
    choices.sheet = book.sheets.at(0).name();
    choices.uncertainties = "beside";
    choices.gridFrom = "0", choices.gridTo = "400", choices.gridStep = "1";

    // The labels are what settings files hold: they stay as they are.
    std::vector<std::string> labels, keys, bandwidthKeys;
    for (const ProfileMethod& method : allProfileMethods()) labels.push_back(method.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"PDP", "KDE", "adaptive KDE"}));

    std::set<std::vector<double>> distinct;
    const GrainSample bare{"bare", {100, 150, 200}, {}};
    for (const DensityKind kind : {DensityKind::Pdp, DensityKind::Kde, DensityKind::AdaptiveKde}) {
        const ProfileMethod& method = profileMethod(kind);
        SCOPED_TRACE(method.key);
        ASSERT_EQ(method.kind, kind);
        EXPECT_EQ(profileMethodByKey(method.key), &method);
        EXPECT_EQ(profileMethodByLabel(method.label), &method);
        EXPECT_FALSE(std::string(method.tooltip).empty());
        keys.push_back(method.key);
        if (method.usesBandwidth) bandwidthKeys.push_back(method.key);

        // The flags say what the functions do: a method that needs uncertainties refuses a
        // sample without them, and only one that uses a bandwidth changes with it.
        if (method.needsUncertainties) {
            EXPECT_ANY_THROW(method.checkSample(bare));
        } else {
            EXPECT_NO_THROW(method.checkSample(bare));
        }
        const GrainSample sample{"S", {100, 150, 200}, {5, 6, 4}};
        const AgeGrid grid{0, 400, 1};
        EXPECT_EQ(method.build(sample, grid, 5) != method.build(sample, grid, 20),
                  method.usesBandwidth);

        // The dialog's label reads as this method, with the uncertainties it needs and the
        // bandwidth it uses; a bandwidth that is none is refused only where one is used.
        choices.profile = method.label;
        choices.bandwidth = "7";
        auto plan = planGrainAges(choices, book);
        ASSERT_TRUE(std::holds_alternative<GrainAgesPlan>(plan));
        const GrainAgesPlan& read = std::get<GrainAgesPlan>(plan);
        EXPECT_EQ(profileMethod(read.density.kind).label, std::string(method.label));
        EXPECT_EQ(read.request.uncertaintiesRequired, method.needsUncertainties);
        EXPECT_EQ(read.density.bandwidth.has_value(), method.usesBandwidth);
        choices.bandwidth = "0";
        EXPECT_EQ(std::holds_alternative<GrainAgesRefusal>(planGrainAges(choices, book)),
                  method.usesBandwidth);

        // kestrel-batch's key builds the same profiles as the dialog's label.
        const DensityProfiles built = buildGrainAges(book, read).profiles;
        distinct.insert(built.profiles.at(0));
        const fs::path out = m_folder / (std::string(method.key) + ".csv");
        std::vector<std::string> args{"--ages",   "--samples",      "A,B",       "--errors",
                                      "beside",   "--grid",         "0:400:1",   "--profile",
                                      method.key, "--profiles-out", out.string()};
        if (method.usesBandwidth) args.insert(args.end(), {"--bandwidth", "7"});
        args.push_back(bookPath.string());
        const Outcome run = batch(args);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(profilesIn(readAnyWorkbookFile(out.string(), format)), built.profiles);
    }
    EXPECT_EQ(distinct.size(), allProfileMethods().size());  // the methods tell apart
    EXPECT_EQ(allProfileMethods().size(), keys.size());      // no row beyond the kinds

    // An unknown key is refused with every key; a bandwidth for a method without one with
    // every method that has one; the help lists every key.
    const Outcome unknown =
        batch({"--ages", "--samples", "A,B", "--profile", "KDE", bookPath.string()});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("--profile takes " + spokenList(keys) + ", not \"KDE\""),
              std::string::npos)
        << unknown.err;
    const Outcome unused = batch({"--ages", "--samples", "A,B", "--errors", "beside", "--profile",
                                  "pdp", "--bandwidth", "7", bookPath.string()});
    EXPECT_EQ(unused.status, 2);
    EXPECT_NE(unused.err.find("--bandwidth is for --profile " + spokenList(bandwidthKeys)),
              std::string::npos)
        << unused.err;
    std::istringstream helpWords(batch({"--help"}).out);
    std::string help;  // its words one space apart, whatever the lines
    for (std::string word; helpWords >> word;) help += word + " ";
    for (const ProfileMethod& method : allProfileMethods()) {
        EXPECT_NE(help.find(std::string(method.key) + " (" + method.batchNote + ")"),
                  std::string::npos)
            << method.key;
    }
}

}  // namespace
