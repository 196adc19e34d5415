// Graph images for kestrel-batch, as a plugin. Qt is started on the offscreen platform, so the
// images do not depend on a display.
#include "tools/batch/plugin/GraphsPlugin.h"

#include <QApplication>
#include <QtGlobal>
#include <cstdio>
#include <exception>
#include <string>

#include "output/GraphExport.h"
#include "output/GraphImages.h"

namespace {

// Qt's own notes (a missing runtime folder, font fallbacks) are no business of a script that
// reads kestrel-batch's output: failures reach the user as errors, not as library chatter.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        fprintf(stderr, "kestrel-batch: %s\n", qPrintable(message));
    }
}

int failure(const std::string& reason, char* message, size_t messageSize) {
    if (messageSize > 0) std::snprintf(message, messageSize, "%s", reason.c_str());
    return 1;
}

void writeGraphs(const kestrel::ProfileData& data, const std::string& folder,
                 kestrel::GraphFormat format) {
    qInstallMessageHandler(quietQtMessages);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "kestrel-batch";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    if (format == kestrel::GraphFormat::Png) {
        kestrel::writeGraphImages(data, folder);
    } else {
        kestrel::writeGraphDrawings(data, folder, format);
    }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int kestrel_batch_write_graphs(
    const kestrel::ProfileData* data, const char* folder, const char* format, char* message,
    size_t messageSize) {
    try {
        const auto graphFormat = kestrel::graphFormatNamed(format);
        if (!graphFormat) {
            return failure(std::string("unknown graph format ") + format, message, messageSize);
        }
        writeGraphs(*data, folder, *graphFormat);
        return 0;
    } catch (const std::exception& error) {
        return failure(error.what(), message, messageSize);
    }
}
