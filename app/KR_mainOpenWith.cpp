// Open with a workbook known in advance: from the recent workbooks menu, a file dropped on the
// window or the command line. Each runs the Open command with the import dialog showing that
// workbook instead of the file chooser.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <algorithm>

#include "app/GrainAgesController.h"
#include "app/KR_main.h"
#include "app/KR_var.h"
#include "app/RecentWorkbooks.h"
#include "app/TwoProfileController.h"
#include "ui/UserInteraction.h"

using kestrel::sharedState;

namespace {

// The first local file among the dropped URLs, or nothing.
QString droppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls()) return {};
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) return url.toLocalFile();
    }
    return {};
}

// A menu entry's text: its number as access key, then the full path ("&" shown as itself).
QString recentEntryText(int number, const QString& path) {
    QString shown = path;
    shown.replace('&', "&&");
    return QString("&%1 %2").arg(number).arg(shown);
}

}  // namespace

void TForm1::openWorkbook(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        m_ui.showWarning(this, "Cannot open " + path + ": there is no such file.");
        return;
    }
    m_twoProfile->open(QFileInfo(path).absoluteFilePath());
}

void TForm1::openRecentWorkbook(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        kestrel::forgetRecentWorkbook(sharedState().RecentWorkbooks,
                                      QFile::encodeName(path).toStdString());
        updateRecentWorkbooksMenu();
        m_ui.showWarning(this, "The workbook " + path +
                                   " no longer exists; it has been removed from the recent "
                                   "workbooks.");
        return;
    }
    // A workbook of grain ages opens again as grain ages, through their dialog.
    const auto& ages = sharedState().RecentAgesWorkbooks;
    if (std::find(ages.begin(), ages.end(), QFile::encodeName(path).toStdString()) != ages.end())
        return m_grainAges->run(false, QFileInfo(path).absoluteFilePath());
    openWorkbook(path);
}

void TForm1::openFromCommandLine(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (arguments.at(i).startsWith('-')) continue;
        // Made absolute now: the file chooser may change the current folder later.
        const QString path = QFileInfo(arguments.at(i)).absoluteFilePath();
        QMetaObject::invokeMethod(
            this, [this, path] { openWorkbook(path); }, Qt::QueuedConnection);
        return;
    }
}

void TForm1::updateRecentWorkbooksMenu() {
    RecentWorkbooks1->clear();
    int number = 0;
    const auto& ages = sharedState().RecentAgesWorkbooks;
    for (const std::string& stored : sharedState().RecentWorkbooks) {
        const QString path = QFile::decodeName(QByteArray::fromStdString(stored));
        const bool ofAges = std::find(ages.begin(), ages.end(), stored) != ages.end();
        QAction* entry = RecentWorkbooks1->addAction(recentEntryText(++number, path) +
                                                     (ofAges ? "  (grain ages)" : ""));
        entry->setData(path);
        connect(entry, &QAction::triggered, this, [this, path] { openRecentWorkbook(path); });
    }
    if (number > 0) {
        RecentWorkbooks1->addSeparator();
        QAction* clear = RecentWorkbooks1->addAction("Clear list");
        clear->setObjectName("ClearRecentWorkbooks");
        connect(clear, &QAction::triggered, this, [this] {
            sharedState().RecentWorkbooks.clear();
            sharedState().RecentAgesWorkbooks.clear();
            updateRecentWorkbooksMenu();
        });
    }
    RecentWorkbooks1->menuAction()->setEnabled(number > 0);
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFile(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty()) return;
    event->acceptProposedAction();
    // The import dialog runs once the drop is over, not inside the source's drag.
    QMetaObject::invokeMethod(
        this, [this, path] { openWorkbook(path); }, Qt::QueuedConnection);
}
