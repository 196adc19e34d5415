// A fresh program start for main window tests: temporary settings and table folders, the
// shared state zeroed, a scripted user.
#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "app/KR_var.h"
#include "app/ProgramPaths.h"
#include "engine/AtomicFile.h"
#include "tests/support/ScriptedUserInteraction.h"

namespace kestrel::testsupport {

inline std::string readAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Writes a whole file, making its folder first.
inline void writeAll(const QString& path, const std::string& text) {
    QDir().mkpath(QFileInfo(path).path());
    std::ofstream(path.toStdString(), std::ios::binary) << text;
}

// The settings folder ($XDG_CONFIG_HOME) and the table folder are temporary; the table holds
// rows for the sample sizes 10 (twice), 11, 5 and 6.
class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8());
        kestrel::resetSharedState();
        QDir().mkpath(tableFolder());
        writeAll(tableFolder() + "/KolmogorovSmirnov.cds",
                 "Alpha,n,CritValue\n0.05,10,0.7\n0.01,10,0.8\n0.05,11,0.6\n0.05,5,0.5\n"
                 "0.05,6,0.45\n");
    }
    void TearDown() override {
        kestrel::testing::failWritesAfter(-1);
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
    }

    QString tableFolder() const { return m_dir.filePath("tables"); }
    // Written out, not asked of the program: $XDG_CONFIG_HOME/kestrel/ and the test program's
    // name with ".INI".
    QString settingsPath() const { return m_dir.filePath("config/kestrel/kestrel_app_tests.INI"); }
    // A settings file whose table folder is ours, plus the given lines of [Form positions] etc.
    void writeSettings(const std::string& more = "") {
        writeAll(settingsPath(),
                 "[File Paths]\nClient dataset path=" + tableFolder().toStdString() + "\n" + more);
    }

    std::vector<Shown> warnings() const { return m_ui.shownOf(Shown::Warning); }

    QTemporaryDir m_dir;
    QByteArray m_oldConfig;
    ScriptedUserInteraction m_ui;
};

}  // namespace kestrel::testsupport
