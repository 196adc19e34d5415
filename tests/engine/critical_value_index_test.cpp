// The critical value index answers exactly as the whole table does, and steps aside (so that
// the table is read whole) whenever the text is not the one it was made from.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/CriticalValueIndex.h"
#include "engine/CriticalValueTable.h"
#include "engine/KestrelError.h"

namespace {

namespace fs = std::filesystem;
using kestrel::IndexedCriticalValues;

class IndexFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() / ("kestrel-index-test-" + std::to_string(::getpid()));
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }
    std::string write(const std::string& name, const std::string& text) {
        const fs::path path = m_folder / name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        return path.string();
    }
    fs::path m_folder;
};

struct timespec modified(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0);
    return info.st_mtim;
}

void setModified(const std::string& path, struct timespec when) {
    const struct timespec times[2] = {when, when};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

}  // namespace

TEST_F(IndexFiles, LookupsAgreeWithTheWholeTableUntilTheTextChanges) {
    // Byte order mark, CRLF, blank lines, a repeated size (the first stored row wins), size 0,
    // sizes out of order and a last line without its end.
    const std::string table = write("t.cds",
                                    "\xEF\xBB\xBF"
                                    "Alpha,n,CritValue\r\n0.01,10,0.8\r\n\r\n  \n0.05,10,0.7\n"
                                    "0.05,3,0.5\n0.05,0,1\n0.05,7,0.25");
    kestrel::writeCriticalValueIndex(table, kestrel::criticalValueIndexPath(table));
    kestrel::CriticalValueTable whole;
    whole.load(table);
    {
        const auto index = IndexedCriticalValues::open(table);
        ASSERT_TRUE(index);
        for (int32_t m = -1; m <= 12; ++m) {
            const auto result = index->lookup(m);
            ASSERT_TRUE(result) << m;
            EXPECT_EQ(result->value, whole.lookup(m)) << m;
            EXPECT_EQ(result->found, m == 0 || m == 3 || m == 7 || m == 10) << m;
        }
    }

    // The same number of bytes, the old time: the row moved under the index is noticed.
    const struct timespec before = modified(table);
    write("t.cds",
          "\xEF\xBB\xBF"
          "Alpha,n,CritValue\r\n0.01,10,0.8\r\n\r\n  \n0.05,10,0.7\n"
          "0.05,4,0.5\n0.05,0,1\n0.05,7,0.25");
    setModified(table, before);
    {
        const auto index = IndexedCriticalValues::open(table);
        ASSERT_TRUE(index);
        EXPECT_FALSE(index->lookup(3));
        EXPECT_EQ(index->lookup(7)->value, 0.25);
    }

    // A new time, a truncated index, or none: no index at all.
    setModified(table, {before.tv_sec + 1, before.tv_nsec});
    EXPECT_FALSE(IndexedCriticalValues::open(table));
    setModified(table, before);
    fs::resize_file(kestrel::criticalValueIndexPath(table), 40);
    EXPECT_FALSE(IndexedCriticalValues::open(table));
    fs::remove(kestrel::criticalValueIndexPath(table));
    EXPECT_FALSE(IndexedCriticalValues::open(table));
}

TEST_F(IndexFiles, OnlyATableThatLoadsWithIndexableSizesIsIndexed) {
    const std::string bad = write("bad.cds", "Alpha,n,CritValue\n0.05,x,0.5\n");
    EXPECT_THROW(kestrel::writeCriticalValueIndex(bad, bad + ".idx"), kestrel::KestrelError);
    const std::string huge = write("huge.cds", "Alpha,n,CritValue\n0.05,16777217,0.5\n");
    EXPECT_THROW(kestrel::writeCriticalValueIndex(huge, huge + ".idx"), kestrel::KestrelError);
    const std::string negative = write("negative.cds", "Alpha,n,CritValue\n0.05,-1,0.5\n");
    EXPECT_THROW(kestrel::writeCriticalValueIndex(negative, negative + ".idx"),
                 kestrel::KestrelError);
    EXPECT_FALSE(fs::exists(bad + ".idx") || fs::exists(huge + ".idx") ||
                 fs::exists(negative + ".idx"));
}
