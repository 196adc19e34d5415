// GoogleTest main for widget tests: one QApplication on the offscreen platform, C locale, and a
// system without printers. The application's tests run under the program's own application
// class (KESTREL_TEST_KESTREL_APPLICATION), as the program does.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

#ifdef KESTREL_TEST_KESTREL_APPLICATION
#include "app/KestrelApplication.h"
using TestApplication = kestrel::KestrelApplication;
#else
using TestApplication = QApplication;
#endif

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QLocale::setDefault(QLocale::c());
    // Printing under test never reaches a real printer: the print system's server is one that
    // does not exist, so the system has no printers whatever the machine has.
    qputenv("CUPS_SERVER", "/nonexistent/kestrel-test/cups.sock");
    TestApplication app(argc, argv);
    QApplication::setApplicationName("Kestrel");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
