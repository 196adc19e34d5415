// The graph plugin's entry point for kestrel-batch --figure, drawn on Qt's offscreen platform.
#include "tools/batch/plugin/FigurePlugin.h"

#include <QApplication>
#include <cstdio>
#include <exception>

#include "output/FigureFiles.h"

namespace {

void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        fprintf(stderr, "kestrel-batch: %s\n", qPrintable(message));
    }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int kestrel_batch_write_figure(
    const kestrel::FigureRequest* request, char* message, size_t messageSize) {
    try {
        qInstallMessageHandler(quietQtMessages);
        qputenv("QT_QPA_PLATFORM", "offscreen");
        int argc = 1;
        char name[] = "kestrel-batch";
        char* argv[] = {name, nullptr};
        QApplication app(argc, argv);
        kestrel::writeFigureFile(*request);
        return 0;
    } catch (const std::exception& error) {
        if (messageSize > 0) std::snprintf(message, messageSize, "%s", error.what());
        return 1;
    }
}
