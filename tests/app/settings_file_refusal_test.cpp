// A settings file that cannot be read is never overwritten (that would reset every setting the
// user keeps in it), and a settings file kept as a symbolic link stays a link.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/SettingsFile.h"
#include "engine/KestrelError.h"
#include "tests/support/FilePermissionsEnforced.h"

namespace {

namespace fs = std::filesystem;
using kestrel::SettingsFields;

const std::string kKeptText = "[Notes]\nwho=me\n[Input fields]\nFrom Row=17\n";

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

SettingsFields someFields() {
    SettingsFields fields;
    kestrel::readSettingsText("", fields, {}, "/data");
    fields.FromRowStr = "5";
    return fields;
}

// The error of a write that must be refused.
std::string writeError(const fs::path& path) {
    try {
        kestrel::writeSettingsFile(path.string(), someFields());
    } catch (const kestrel::KestrelError& e) {
        return e.what();
    }
    ADD_FAILURE() << "writing " << path << " was not refused";
    return {};
}

std::string fromRowRead(const fs::path& path) {
    SettingsFields fields;
    kestrel::readSettingsFile(path.string(), fields, {}, "/data");
    return fields.FromRowStr;
}

class SettingsFileRefusal : public ::testing::Test {
  protected:
    fs::path file(const char* name) const { return fs::path(m_dir.path().toStdString()) / name; }
    QTemporaryDir m_dir;
};

TEST_F(SettingsFileRefusal, AFileThatCannotBeReadIsNeitherTakenNorOverwritten) {
    // Write-only: reading is refused, replacing would not be.
    const fs::path writeOnly = file("kestrel.INI");
    std::ofstream(writeOnly) << kKeptText;
    ASSERT_EQ(::chmod(writeOnly.c_str(), 0200), 0);
    kestrel::testsupport::withFilePermissionsEnforced([&] {
        EXPECT_EQ(fromRowRead(writeOnly), "2") << "an unreadable file reads as the defaults";
        EXPECT_EQ(writeError(writeOnly),
                  "Unable to write to " + writeOnly.string() + ": Permission denied");
    });
    EXPECT_EQ(fileText(writeOnly), kKeptText);
    struct stat info {};
    ASSERT_EQ(::stat(writeOnly.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0200u);

    // A loop of links in its place.
    const fs::path loop = file("loop.INI");
    fs::create_symlink("loop.INI", loop);
    EXPECT_EQ(fromRowRead(loop), "2");
    EXPECT_EQ(writeError(loop),
              "Unable to write to " + loop.string() + ": Too many levels of symbolic links");
    EXPECT_EQ(fs::read_symlink(loop), "loop.INI");

    // A folder in its place.
    const fs::path folder = file("folder.INI");
    fs::create_directory(folder);
    std::ofstream(folder / "inside") << "x";
    EXPECT_EQ(fromRowRead(folder), "2");
    EXPECT_EQ(writeError(folder), "Unable to write to " + folder.string() + ": Is a directory");
    EXPECT_EQ(fileText(folder / "inside"), "x");
}

TEST_F(SettingsFileRefusal, ALinkedFileIsUpdatedThroughTheLink) {
    fs::create_directory(file("dotfiles"));
    const fs::path target = file("dotfiles") / "kestrel.INI";
    std::ofstream(target) << kKeptText;
    const fs::path link = file("kestrel.INI");
    fs::create_symlink("dotfiles/kestrel.INI", link);

    EXPECT_EQ(fromRowRead(link), "17");
    kestrel::writeSettingsFile(link.string(), someFields());
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), "dotfiles/kestrel.INI");
    const std::string written = fileText(target);
    EXPECT_EQ(written.rfind("[Notes]\nwho=me\n", 0), 0u) << written;
    EXPECT_NE(written.find("From Row=5\n"), std::string::npos) << written;
}

}  // namespace
