// The main window's windows table page, the Sample sizes command and the status bar's note of
// grain counts in use.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QSortFilterProxyModel>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/KR_main.h"
#include "app/KR_var.h"
#include "app/SampleSizesDialog.h"
#include "app/WindowsTableModel.h"

using kestrel::sharedState;

QWidget* TForm1::createWindowsPage() {
    auto* page = new QWidget;
    m_windowsModel = new kestrel::WindowsTableModel(this);
    auto* sorted = new QSortFilterProxyModel(this);
    sorted->setSourceModel(m_windowsModel);
    sorted->setSortRole(Qt::UserRole);
    WindowsGrid = new QTableView(page);
    WindowsGrid->setModel(sorted);
    WindowsGrid->setSortingEnabled(true);
    // Log order until the user clicks a heading.
    WindowsGrid->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    sorted->sort(-1);
    WindowsGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    WindowsGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    WindowsGrid->setContextMenuPolicy(Qt::ActionsContextMenu);
    CopyWindows1 = new QAction("&Copy", WindowsGrid);
    CopyWindows1->setShortcut(QKeySequence::Copy);
    CopyWindows1->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    WindowsGrid->addAction(CopyWindows1);
    connect(CopyWindows1, &QAction::triggered, this, &TForm1::copyWindowsTable);
    lSampleSizes = new QLabel(page);
    lSampleSizes->setObjectName("lSampleSizes");
    lSampleSizes->setContentsMargins(4, 2, 4, 2);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(lSampleSizes);
    layout->addWidget(WindowsGrid);
    return page;
}

void TForm1::createSampleSizesNote() {
    m_emptyCellsNote = new QLabel(sbMain);
    m_emptyCellsNote->setObjectName("EmptyCellsNote");
    m_emptyCellsNote->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_emptyCellsNote->setVisible(false);
    sbMain->addPermanentWidget(m_emptyCellsNote);
    m_sampleSizesNote = new QLabel(sbMain);
    m_sampleSizesNote->setObjectName("SampleSizesNote");
    m_sampleSizesNote->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_sampleSizesNote->setVisible(false);
    sbMain->addPermanentWidget(m_sampleSizesNote);
}

void TForm1::showEmptyCellsNote(const QString& note) {
    m_emptyCellsNote->setText(note);
    m_emptyCellsNote->setVisible(!note.isEmpty());
}

void TForm1::setSampleSizesNote(const QString& note) {
    m_sampleSizesNote->setText(note);
    showSampleSizesNote();
}

void TForm1::showSampleSizesNote() {
    if (!m_sampleSizesNote) return;
    // The two compared samples' grains say nothing of the many on the Many profiles page, nor of
    // the Depositional age page's samples.
    const QWidget* page = PageControl1->currentWidget();
    const bool many = (tsManyProfiles && page == tsManyProfiles) ||
                      (tsDepositionalAge && page == tsDepositionalAge);
    m_sampleSizesNote->setVisible(!m_sampleSizesNote->text().isEmpty() && !many);
}

const std::vector<kestrel::WindowsTableRow>& TForm1::windowsTableRows() const {
    return m_windowsModel->rows();
}

void TForm1::copyWindowsTable() {
    const QAbstractItemModel* model = WindowsGrid->model();
    QModelIndexList cells = WindowsGrid->selectionModel()->selectedIndexes();
    if (cells.isEmpty()) {
        for (int r = 0; r < model->rowCount(); ++r) {
            for (int c = 0; c < model->columnCount(); ++c) cells.append(model->index(r, c));
        }
    }
    std::sort(cells.begin(), cells.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return a.row() != b.row() ? a.row() < b.row() : a.column() < b.column();
    });
    // Headings of the copied columns first, then the rows as shown, tab-separated.
    QList<int> columns;
    for (const QModelIndex& cell : cells) {
        if (!columns.contains(cell.column())) columns.append(cell.column());
    }
    std::sort(columns.begin(), columns.end());
    QStringList headings;
    for (int c : columns) headings << model->headerData(c, Qt::Horizontal).toString();
    QString text = headings.join('\t');
    int row = -1;
    for (const QModelIndex& cell : cells) {
        text += cell.row() != row ? '\n' : '\t';
        row = cell.row();
        text += cell.data(Qt::EditRole).toString();
    }
    QApplication::clipboard()->setText(text + '\n');
}

void TForm1::SampleSizes1Click() {
    runSampleSizes(sharedState(), m_ui, this);
}
