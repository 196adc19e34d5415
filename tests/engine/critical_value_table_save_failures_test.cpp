// Saving the critical value table when the disk fills up part way: wherever the write stops,
// the table saved before stays byte for byte, no temporary file is left, and the error names
// the file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/AtomicFile.h"
#include "engine/CriticalValueTable.h"
#include "engine/KestrelError.h"

namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

struct FailingWrites {
    explicit FailingWrites(long long bytes) { kestrel::testing::failWritesAfter(bytes); }
    ~FailingWrites() { kestrel::testing::failWritesAfter(-1); }
};

}  // namespace

TEST(CriticalValueTableSaveFailures, APartialWriteAnywhereKeepsTheOldTable) {
    const fs::path folder =
        fs::temp_directory_path() / ("kestrel-table-save-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path path = folder / kestrel::kCriticalValueFileName;

    kestrel::CriticalValueTable old;
    old.setRows({{0.05, 1, 1.0}, {0.05, 2, 1.0}});
    old.save(path.string());
    const std::string before = readAll(path);

    std::vector<kestrel::CriticalValueRow> rows;
    for (int32_t n = 1; n <= 5000; ++n) rows.push_back({0.05, n, 1.36 / n});
    kestrel::CriticalValueTable table;
    table.setRows(rows);
    const long long size =
        static_cast<long long>(kestrel::CriticalValueTable::fileText(rows).size());
    for (long long after : {0LL, 1LL, 4096LL, size / 2, size - 1}) {
        FailingWrites failing(after);
        try {
            table.save(path.string());
            ADD_FAILURE() << "a write stopped after " << after << " bytes was reported as saved";
        } catch (const kestrel::KestrelError& error) {
            EXPECT_NE(std::string(error.what()).find(path.string()), std::string::npos)
                << error.what();
        }
        EXPECT_EQ(readAll(path), before) << "write stopped after " << after << " bytes";
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1)
            << "a temporary file was left behind";
    }
    table.save(path.string());  // with room on the disk again, the save goes through whole
    kestrel::CriticalValueTable reread;
    reread.load(path.string());
    EXPECT_EQ(reread.rows().size(), rows.size());
    fs::remove_all(folder);
}
