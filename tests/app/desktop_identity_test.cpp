// The program as the desktop sees it: its windows grouped under the shipped desktop entry, its
// own icon drawn from the built-in SVG, and the main window's caption exactly as it was.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QWindow>

#include "app/KR_main.h"
#include "tests/app/MainWindowFixture.h"

namespace {

using kestrel::testsupport::MainWindowTest;

TEST_F(MainWindowTest, WindowsCarryTheDesktopEntryAndIconWithTheirCaptionsUnchanged) {
    writeSettings();
    TForm1 form(m_ui);
    form.show();

    const QString id = QGuiApplication::desktopFileName();
    EXPECT_EQ(id.toStdString(), "org.kestrel_ks.Kestrel");
    EXPECT_TRUE(
        QFileInfo(QStringLiteral(KESTREL_SOURCE_DIR "/packaging/") + id + ".desktop").isFile())
        << "the windows name a desktop entry that is installed";

    // Qt appends an application display name that differs from the application's name to every
    // caption; the captions stay exactly the program's own.
    EXPECT_EQ(QGuiApplication::applicationDisplayName().toStdString(),
              QCoreApplication::applicationName().toStdString());
    EXPECT_EQ(form.windowTitle().toStdString(), "Compare two probability distributions");
    ASSERT_NE(form.windowHandle(), nullptr);
    EXPECT_EQ(form.windowHandle()->title().toStdString(), "Compare two probability distributions");

    // Drawn by the SVG icon engine: a rounded square, so the corners stay transparent and the
    // middle is covered.
    const QIcon icon = form.windowIcon();
    ASSERT_FALSE(icon.isNull())
        << "the icon did not load: its resource, or Qt's SVG icon engine plugin, is missing";
    const QImage image = icon.pixmap(QSize(64, 64)).toImage();
    ASSERT_EQ(image.size(), QSize(64, 64));
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(image.pixel(63, 63)), 0);
    EXPECT_EQ(qAlpha(image.pixel(32, 32)), 255);
    EXPECT_EQ(qAlpha(image.pixel(12, 50)), 255);
}

}  // namespace
