// The shipped sample workbook of grain ages: kestrel-make-samples writes the same bytes on every
// run, the same as committed and as the build ships, and the program reads it in both layouts
// as eight samples of 60 to 120 grains with their uncertainties.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "sheet/core/GrainAges.h"
#include "sheet/core/WorkbookReader.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCommitted = fs::path(KESTREL_SOURCE_DIR) / "data" / "samples" / "GrainAges.xls";
const fs::path kShipped = fs::path(KESTREL_BUILD_DATA_DIR) / "samples" / "GrainAges.xls";
const std::string kMaker = std::string(KESTREL_BINARY_DIR) + "/tools/kestrel-make-samples";

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The workbook kestrel-make-samples writes into a fresh folder of its own.
std::string madeWorkbook(const std::string& run) {
    const fs::path folder =
        fs::temp_directory_path() / ("kestrel-grain-samples-" + std::to_string(getpid()) + run);
    fs::create_directories(folder);
    const std::string command = kMaker + " '" + folder.string() + "' > /dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::string bytes = readAll(folder / "GrainAges.xls");
    fs::remove_all(folder);
    return bytes;
}

kestrel::GrainAges readLayout(const kestrel::Workbook& book, kestrel::AgesLayout layout) {
    kestrel::GrainAgesRequest request;
    request.layout = layout;
    request.uncertaintiesRequired = true;
    if (layout == kestrel::AgesLayout::Columns) {
        request.errors = kestrel::ErrorsPlace::Sheet;
        request.errorsSheet = "Errors";
    } else {
        request.sheet = 3;
        request.errors = kestrel::ErrorsPlace::Beside;  // the "1s" column, found by its heading
    }
    return kestrel::readGrainAges(book, request);
}

}  // namespace

TEST(SampleGrainAges, EveryRunWritesTheCommittedBytesAndTheBuildShipsThem) {
    const std::string first = madeWorkbook("a"), second = madeWorkbook("b");
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(first, second) << "two runs of kestrel-make-samples differ";
    EXPECT_EQ(first, readAll(kCommitted))
        << "data/samples/GrainAges.xls is stale: run kestrel-make-samples data/samples";
    EXPECT_EQ(readAll(kShipped), readAll(kCommitted)) << "not copied into the build's data folder";
}

TEST(SampleGrainAges, BothLayoutsReadAsEightSamplesWithTheirUncertainties) {
    kestrel::WorkbookFormat format;
    const kestrel::Workbook book = kestrel::readAnyWorkbookFile(kCommitted.string(), format);
    EXPECT_EQ(format, kestrel::WorkbookFormat::Excel97);
    EXPECT_EQ(book.activeSheet, 1);
    const kestrel::GrainAges columns = readLayout(book, kestrel::AgesLayout::Columns);
    const kestrel::GrainAges rows = readLayout(book, kestrel::AgesLayout::Rows);
    const std::vector<size_t> grains = {91, 79, 82, 79, 95, 120, 98, 119};
    ASSERT_EQ(columns.samples.size(), 8u);
    ASSERT_EQ(rows.samples.size(), 8u);
    for (size_t s = 0; s < 8; ++s) {
        const kestrel::GrainSample& sample = columns.samples[s];
        EXPECT_EQ(sample.name, "DZ0" + std::to_string(s + 1));
        EXPECT_EQ(sample.ages.size(), grains[s]) << sample.name;
        EXPECT_EQ(sample.sigmas.size(), sample.ages.size()) << sample.name;
        EXPECT_EQ(rows.samples[s].name, sample.name);
        EXPECT_EQ(rows.samples[s].ages, sample.ages) << sample.name;
        EXPECT_EQ(rows.samples[s].sigmas, sample.sigmas) << sample.name;
        for (size_t g = 0; g < sample.ages.size(); ++g) {
            EXPECT_TRUE(sample.ages[g] > 100 && sample.ages[g] < 3500) << sample.name;
            EXPECT_TRUE(sample.sigmas[g] > 0 && sample.sigmas[g] < 0.1 * sample.ages[g])
                << sample.name;
        }
    }
}
