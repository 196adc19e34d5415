// Graph images for kestrel-batch. Qt is started only when images are asked for, and always on
// the offscreen platform, so the images do not depend on a display.
#include "tools/batch/BatchGraphs.h"

#include <QApplication>
#include <QtGlobal>
#include <cstdio>

#include "output/GraphImages.h"

namespace kestrel::batch {

namespace {

// Qt's own notes (a missing runtime folder, font fallbacks) are no business of a script that
// reads kestrel-batch's output: failures reach the user as errors, not as library chatter.
void quietQtMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        fprintf(stderr, "kestrel-batch: %s\n", qPrintable(message));
    }
}

}  // namespace

void writeBatchGraphs(const ProfileData& data, const std::string& folder) {
    qInstallMessageHandler(quietQtMessages);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "kestrel-batch";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    writeGraphImages(data, folder);
}

}  // namespace kestrel::batch
