// Atomic file replacement on real files: a failed write keeps the old file, symbolic links are
// written through to their target, a replaced file keeps its permissions, and a failed flush to
// disk leaves the old file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/AtomicFile.h"
#include "engine/KestrelError.h"

namespace {

namespace fs = std::filesystem;
using kestrel::writeFileAtomically;

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// The error a write that must fail reports.
std::string writeError(const fs::path& path, const std::string& bytes) {
    try {
        writeFileAtomically(path.string(), bytes);
    } catch (const kestrel::KestrelError& e) {
        return e.what();
    }
    ADD_FAILURE() << "writing " << path << " did not fail";
    return {};
}

unsigned modeOf(const fs::path& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

// A fresh folder with a "config" folder of links and a "dotfiles" folder of real files, as
// people keep their settings in a managed folder.
class AtomicFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrel-atomic-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_root = pattern;
        fs::create_directory(config());
        fs::create_directory(dotfiles());
    }
    void TearDown() override {
        kestrel::testing::failWritesAfter(-1);
        kestrel::testing::failFlushes(false);
        fs::remove_all(m_root);
    }
    fs::path config() const { return m_root / "config"; }
    fs::path dotfiles() const { return m_root / "dotfiles"; }
    // Names in a folder, links included, sorted: temporary files left over show up here.
    static std::vector<std::string> names(const fs::path& folder) {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(folder)) {
            found.push_back(entry.path().filename().string());
        }
        std::sort(found.begin(), found.end());
        return found;
    }

    fs::path m_root;
};

TEST_F(AtomicFileTest, ReplacesContentOrKeepsTheOldFileAndNamesIt) {
    const fs::path file = config() / "keep.txt";
    writeFileAtomically(file.string(), "first");
    writeFileAtomically(file.string(), "precious data");
    EXPECT_EQ(readText(file), "precious data");
    kestrel::testing::failWritesAfter(3);
    EXPECT_EQ(writeError(file, std::string(10000, 'x')),
              "Cannot write " + file.string() + ": No space left on device");
    kestrel::testing::failWritesAfter(-1);
    EXPECT_EQ(readText(file), "precious data");
    EXPECT_EQ(names(config()), std::vector<std::string>{"keep.txt"});

    const fs::path missing = config() / "no-such-folder" / "x.txt";
    EXPECT_EQ(writeError(missing, "x"),
              "Cannot write " + missing.string() + ": No such file or directory");
}

TEST_F(AtomicFileTest, LinksAreWrittenThroughToTheFileAtTheEndOfTheirChain) {
    const fs::path target = dotfiles() / "kestrel.INI";
    writeText(target, "old");
    fs::create_symlink("../dotfiles/kestrel.INI", config() / "kestrel.INI");  // relative
    fs::create_symlink(config() / "kestrel.INI", config() / "second.INI");    // absolute, chained

    writeFileAtomically((config() / "kestrel.INI").string(), "new");
    EXPECT_EQ(readText(target), "new");
    writeFileAtomically((config() / "second.INI").string(), "newer");
    EXPECT_EQ(readText(target), "newer");

    EXPECT_TRUE(fs::is_symlink(config() / "kestrel.INI"));
    EXPECT_EQ(fs::read_symlink(config() / "kestrel.INI"), "../dotfiles/kestrel.INI");
    EXPECT_TRUE(fs::is_symlink(config() / "second.INI"));
    EXPECT_EQ(fs::read_symlink(config() / "second.INI"), config() / "kestrel.INI");
    EXPECT_EQ(names(config()), (std::vector<std::string>{"kestrel.INI", "second.INI"}));
    EXPECT_EQ(names(dotfiles()), std::vector<std::string>{"kestrel.INI"});

    // A write that fails through the link leaves the target as it was and nothing beside it.
    kestrel::testing::failWritesAfter(2);
    EXPECT_EQ(writeError(config() / "kestrel.INI", "lost"),
              "Cannot write " + (config() / "kestrel.INI").string() + ": No space left on device");
    kestrel::testing::failWritesAfter(-1);
    EXPECT_EQ(readText(target), "newer");
    EXPECT_EQ(names(dotfiles()), std::vector<std::string>{"kestrel.INI"});
}

TEST_F(AtomicFileTest, ADanglingLinkGetsTheFileItNames) {
    fs::create_symlink(dotfiles() / "summary.xls", config() / "summary.xls");
    writeFileAtomically((config() / "summary.xls").string(), "cells");
    EXPECT_EQ(readText(dotfiles() / "summary.xls"), "cells");
    EXPECT_TRUE(fs::is_symlink(config() / "summary.xls"));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(dotfiles() / "summary.xls")));
}

TEST_F(AtomicFileTest, ALoopOfLinksIsAnErrorThatLeavesTheLinks) {
    fs::create_symlink("b.INI", config() / "a.INI");
    fs::create_symlink("a.INI", config() / "b.INI");
    fs::create_symlink("self.INI", config() / "self.INI");
    for (const char* name : {"a.INI", "self.INI"}) {
        const fs::path link = config() / name;
        EXPECT_EQ(writeError(link, "text"),
                  "Cannot write " + link.string() + ": Too many levels of symbolic links");
    }
    EXPECT_EQ(fs::read_symlink(config() / "a.INI"), "b.INI");
    EXPECT_EQ(fs::read_symlink(config() / "b.INI"), "a.INI");
    EXPECT_EQ(fs::read_symlink(config() / "self.INI"), "self.INI");
    EXPECT_EQ(names(config()), (std::vector<std::string>{"a.INI", "b.INI", "self.INI"}));
}

TEST_F(AtomicFileTest, AReplacedFileKeepsItsPermissionsAndANewOneFollowsTheUmask) {
    const fs::path privateFile = config() / "private.xls";
    writeText(privateFile, "old");
    ASSERT_EQ(::chmod(privateFile.c_str(), 0600), 0);
    writeFileAtomically(privateFile.string(), "new");
    EXPECT_EQ(modeOf(privateFile), 0600u);

    const fs::path shared = dotfiles() / "shared.INI";
    writeText(shared, "old");
    ASSERT_EQ(::chmod(shared.c_str(), 0640), 0);
    fs::create_symlink(shared, config() / "shared.INI");
    writeFileAtomically((config() / "shared.INI").string(), "new");
    EXPECT_EQ(modeOf(shared), 0640u);
    EXPECT_EQ(readText(shared), "new");

    const mode_t oldMask = ::umask(027);
    writeFileAtomically((config() / "fresh.xls").string(), "new");
    ::umask(oldMask);
    EXPECT_EQ(modeOf(config() / "fresh.xls"), 0640u) << "0666 less the umask, not mkstemp's 0600";
}

TEST_F(AtomicFileTest, AFailedFlushToDiskLeavesTheOldFile) {
    const fs::path file = config() / "summary.xls";
    writeText(file, "old");
    kestrel::testing::failFlushes(true);
    EXPECT_EQ(writeError(file, "new"), "Cannot write " + file.string() + ": Input/output error");
    EXPECT_EQ(readText(file), "old");
    EXPECT_EQ(names(config()), std::vector<std::string>{"summary.xls"});
    kestrel::testing::failFlushes(false);
    writeFileAtomically(file.string(), "new");
    EXPECT_EQ(readText(file), "new");
}

}  // namespace
