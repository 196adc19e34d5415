// The graph plugin's entry point for kestrel-batch --matrix: the MDS map and the heat map,
// drawn on Qt's offscreen platform.
#include "tools/batch/plugin/MatrixGraphsPlugin.h"

#include <QApplication>
#include <cstdio>
#include <exception>
#include <string>

#include "output/GraphExport.h"
#include "output/MatrixGraphFiles.h"

namespace {

void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        fprintf(stderr, "kestrel-batch: %s\n", qPrintable(message));
    }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int kestrel_batch_write_matrix_graphs(
    const kestrel::ProfileMatrix* matrix, const kestrel::MdsMap* map, const char* folder,
    const char* format, char* message, size_t messageSize) {
    try {
        const auto graphFormat = kestrel::graphFormatNamed(format);
        if (!graphFormat) throw std::runtime_error(std::string("unknown graph format ") + format);
        qInstallMessageHandler(quietQtMessages);
        qputenv("QT_QPA_PLATFORM", "offscreen");
        int argc = 1;
        char name[] = "kestrel-batch";
        char* argv[] = {name, nullptr};
        QApplication app(argc, argv);
        kestrel::writeMatrixGraphs(*matrix, *map, folder, *graphFormat);
        return 0;
    } catch (const std::exception& error) {
        if (messageSize > 0) std::snprintf(message, messageSize, "%s", error.what());
        return 1;
    }
}
