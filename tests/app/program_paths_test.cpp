// The settings file's name and folder against paths written out by hand: the program file's name
// less its final extension, in $XDG_CONFIG_HOME/kestrel or else ~/.config/kestrel.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/ProgramPaths.h"

namespace {

using kestrel::iniBaseNameFrom;

TEST(IniBaseName, TheProgramFilesNameLessItsFinalExtension) {
    EXPECT_EQ(iniBaseNameFrom("/usr/bin/kestrel"), "kestrel");
    EXPECT_EQ(iniBaseNameFrom("/opt/Kestrel/Kestrel.exe"), "Kestrel");
    EXPECT_EQ(iniBaseNameFrom("kestrel.tar.gz"), "kestrel.tar");
    EXPECT_EQ(iniBaseNameFrom("/home/ann/bin.d/kestrel"), "kestrel")
        << "a folder's dot is no extension";
    EXPECT_EQ(iniBaseNameFrom("/home/ann/.kestrel"), ".kestrel")
        << "a leading dot starts no extension";
    EXPECT_EQ(iniBaseNameFrom("kestrel"), "kestrel");
    // The running program is this test: its file is .../tests/app/kestrel_app_tests.
    EXPECT_EQ(kestrel::programIniBaseName(), "kestrel_app_tests");
}

// $XDG_CONFIG_HOME and $HOME point into a temporary folder for the test and are restored after.
class SettingsFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        m_oldHome = qgetenv("HOME");
        m_hadConfig = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        qputenv("HOME", home().toUtf8());
    }
    void TearDown() override {
        qputenv("HOME", m_oldHome);
        if (m_hadConfig) {
            qputenv("XDG_CONFIG_HOME", m_oldConfig);
        } else {
            qunsetenv("XDG_CONFIG_HOME");
        }
    }
    QString home() const { return m_dir.path() + "/home/ann"; }

    QTemporaryDir m_dir;
    QByteArray m_oldConfig, m_oldHome;
    bool m_hadConfig = false;
};

TEST_F(SettingsFolder, ConfigHomeWhenAbsoluteElseDotConfigInTheHomeFolderAndCreated) {
    const std::string configured = (m_dir.path() + "/cfg").toStdString();
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(configured + "/"));
    EXPECT_EQ(kestrel::settingsFolder(), configured + "/kestrel");
    EXPECT_TRUE(QFileInfo(QString::fromStdString(configured + "/kestrel")).isDir());
    EXPECT_EQ(kestrel::settingsFilePath("kestrel"), configured + "/kestrel/kestrel.INI");

    const std::string fallback = home().toStdString() + "/.config/kestrel";
    for (const char* unusable : {"", "relative/cfg"}) {
        qputenv("XDG_CONFIG_HOME", unusable);
        EXPECT_EQ(kestrel::settingsFolder(), fallback) << "XDG_CONFIG_HOME=" << unusable;
    }
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(kestrel::settingsFolder(), fallback);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(fallback)).isDir());
    EXPECT_EQ(kestrel::settingsFilePath("Kestrel"), fallback + "/Kestrel.INI");
}

}  // namespace
