// GoogleTest main for widget tests: one QApplication on the offscreen platform, C locale, and a
// system without printers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QLocale::setDefault(QLocale::c());
    // Printing under test never reaches a real printer: the print system's server is one that
    // does not exist, so the system has no printers whatever the machine has.
    qputenv("CUPS_SERVER", "/nonexistent/kestrel-test/cups.sock");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kestrel");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
