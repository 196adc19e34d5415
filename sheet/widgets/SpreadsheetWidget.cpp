// Grid of the spreadsheet component: two table views over the active sheet (frozen heading band
// and scrolling rows), kept in step with the core through its change listener.
#include "sheet/widgets/SpreadsheetWidget.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "sheet/widgets/CellDelegate.h"
#include "sheet/widgets/SheetTableModel.h"

namespace kestrel {

namespace {

constexpr int kDefaultColumns = 26;
constexpr int kDefaultColumnWidth = 64;  // pixels at 100 %, a spreadsheet's usual column
constexpr int kCellPadding = 4;          // pixels at 100 %, above and below the text

int scaled(int pixels, int percent) {
    return static_cast<int>(std::lround(pixels * percent / 100.0));
}

void setUpView(QTableView* view) {
    view->setFrameShape(QFrame::NoFrame);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::ContiguousSelection);
    view->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->setCornerButtonEnabled(false);
    view->setWordWrap(false);
    // Uniform rows keep a sheet of 65,536 rows as fast as one of ten.
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setMinimumSectionSize(1);
    view->horizontalHeader()->setMinimumSectionSize(1);
    view->horizontalHeader()->setHighlightSections(false);
    view->verticalHeader()->setHighlightSections(false);
}

}  // namespace

SpreadsheetWidget::SpreadsheetWidget(QWidget* parent) : QWidget(parent), m_baseFont(font()) {
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(0);
    connect(&m_refreshTimer, &QTimer::timeout, this, &SpreadsheetWidget::refreshNow);
    buildViews();
    setChangeListener([this](SheetChange change) { onCoreChange(change); });
    // A large workbook loads while the windows keep painting; what the user types or clicks
    // meanwhile waits until it is loaded.
    setReadPump([this](bool stillReading) {
        if (stillReading && !m_waitCursor) QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        if (!stillReading && m_waitCursor) QGuiApplication::restoreOverrideCursor();
        m_waitCursor = stillReading;
        if (stillReading) QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    refreshNow();
}

SpreadsheetWidget::~SpreadsheetWidget() {
    setChangeListener({});
    // The models read the core, which is destroyed before QWidget deletes its children.
    delete m_frame;
    delete m_headingModel;
    delete m_bodyModel;
}

void SpreadsheetWidget::buildViews() {
    m_headingModel = new SheetTableModel(*this, this);
    m_bodyModel = new SheetTableModel(*this, this);

    m_frame = new QFrame(this);
    m_frame->setFrameShape(QFrame::StyledPanel);
    m_heading = new QTableView(m_frame);
    m_body = new QTableView(m_frame);
    setUpView(m_heading);
    setUpView(m_body);
    m_heading->setItemDelegate(new CellDelegate(m_heading));
    m_body->setItemDelegate(new CellDelegate(m_body));
    m_heading->setModel(m_headingModel);
    m_body->setModel(m_bodyModel);

    m_heading->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_heading->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_heading->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_body->horizontalHeader()->hide();
    // Always shown, so the body's viewport is exactly as wide as the heading's beside the
    // corner piece, and the two scroll horizontally in step.
    m_body->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    m_corner = new QWidget(m_frame);

    auto* grid = new QGridLayout(m_frame);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(m_heading, 0, 0);
    grid->addWidget(m_corner, 0, 1);
    grid->addWidget(m_body, 1, 0, 1, 2);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_frame);

    connect(m_body->horizontalScrollBar(), &QScrollBar::valueChanged,
            m_heading->horizontalScrollBar(), &QScrollBar::setValue);
    connect(m_heading->horizontalScrollBar(), &QScrollBar::valueChanged,
            m_body->horizontalScrollBar(), &QScrollBar::setValue);
    connect(m_heading->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { m_body->setColumnWidth(column, width); });
    // A click in one band ends the selection in the other.
    connect(m_heading, &QTableView::pressed, m_body->selectionModel(),
            &QItemSelectionModel::clearSelection);
    connect(m_body, &QTableView::pressed, m_heading->selectionModel(),
            &QItemSelectionModel::clearSelection);
}

void SpreadsheetWidget::onCoreChange(SheetChange change) {
    switch (change) {
        case SheetChange::Workbook:
            m_minColumns = kDefaultColumns;
            refreshNow();
            break;
        case SheetChange::ShowCurrentCell:
            refreshNow();
            scrollToCurrentCell();
            break;
        case SheetChange::View:
            m_viewDirty = true;
            scheduleRefresh();
            break;
        default:
            scheduleRefresh();
            break;
    }
}

// One refresh at the next turn of the event loop for any number of changes: a table of half a
// million cells written one by one asks for it half a million times.
void SpreadsheetWidget::scheduleRefresh() {
    if (!m_refreshTimer.isActive()) m_refreshTimer.start();
}

void SpreadsheetWidget::refreshNow() {
    m_refreshTimer.stop();
    if (m_viewDirty) {
        m_viewDirty = false;
        applyViewScale();
    }
    updateShape();
    updateRowHeaderWidth();
    updateHeadingHeight();
    updateCornerWidth();
}

void SpreadsheetWidget::updateCornerWidth() {
    // The style settles the scroll bar's width only once it has polished the bar.
    const int width = m_body->verticalScrollBar()->sizeHint().width();
    if (m_corner->width() == width && m_corner->minimumWidth() == width) return;
    m_corner->setFixedWidth(width);
    m_frame->layout()->activate();
}

int SpreadsheetWidget::frozenRowCount() const {
    return std::min(FixedRows(), MaxRow());
}

void SpreadsheetWidget::applyViewScale() {
    const int percent = ViewScale();
    QFont zoomed = m_baseFont;
    if (m_baseFont.pointSizeF() > 0) {
        zoomed.setPointSizeF(std::max(1.0, m_baseFont.pointSizeF() * percent / 100.0));
    } else {
        zoomed.setPixelSize(std::max(1, scaled(m_baseFont.pixelSize(), percent)));
    }
    // A row must also hold its row number, which the style draws inside header margins.
    const int headerMargin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    m_rowHeight =
        QFontMetrics(zoomed).height() + std::max({2, scaled(kCellPadding, percent), headerMargin});
    m_columnWidth = std::max(8, scaled(kDefaultColumnWidth, percent));
    for (QTableView* view : {m_heading, m_body}) {
        view->setFont(zoomed);
        view->horizontalHeader()->setFont(zoomed);
        view->verticalHeader()->setFont(zoomed);
        view->verticalHeader()->setMinimumSectionSize(1);
        view->verticalHeader()->setDefaultSectionSize(m_rowHeight);
        view->horizontalHeader()->setDefaultSectionSize(m_columnWidth);
    }
    m_heading->horizontalHeader()->setFixedHeight(m_rowHeight);
}

void SpreadsheetWidget::fitColumnsToContents(int columns) {
    refreshNow();
    const int count = std::min(columns, m_bodyModel->columnCount());
    for (int column = 0; column < count; ++column) {
        // Through the base class, where the size hint is public.
        const QAbstractItemView* heading = m_heading;
        const QAbstractItemView* body = m_body;
        const int width = std::max(
            {m_columnWidth, heading->sizeHintForColumn(column), body->sizeHintForColumn(column)});
        // The body follows the heading band's width.
        m_heading->setColumnWidth(column, width);
    }
}

void SpreadsheetWidget::updateShape() {
    const Worksheet& sheet = workbook().sheets[static_cast<size_t>(Sheet() - 1)];
    const int columns = std::max({kDefaultColumns, sheet.lastCol(), m_minColumns});
    const int frozen = frozenRowCount();
    m_headingModel->setShape(1, frozen, columns);
    m_bodyModel->setShape(frozen + 1, MaxRow() - frozen, columns);
}

void SpreadsheetWidget::updateRowHeaderWidth() {
    // Both bands get the width of the widest row number, so their columns line up.
    const QFontMetrics metrics(m_body->verticalHeader()->font());
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    const int width =
        metrics.horizontalAdvance(QString(QString::number(MaxRow()).size(), '9')) + 4 * margin + 4;
    m_heading->verticalHeader()->setFixedWidth(width);
    m_body->verticalHeader()->setFixedWidth(width);
}

void SpreadsheetWidget::updateHeadingHeight() {
    m_heading->setFixedHeight(m_heading->horizontalHeader()->height() +
                              frozenRowCount() * m_rowHeight);
}

void SpreadsheetWidget::scrollToCurrentCell() {
    if (Col() > m_headingModel->columnCount()) {
        m_minColumns = Col();
        updateShape();
    }
    const int row = std::min(Row(), MaxRow());
    const int frozen = frozenRowCount();
    if (row <= frozen) {
        const QModelIndex index = m_headingModel->index(row - 1, Col() - 1);
        m_body->selectionModel()->clear();
        m_heading->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_heading->scrollTo(index);
        m_body->verticalScrollBar()->setValue(0);
    } else {
        const QModelIndex index = m_bodyModel->index(row - frozen - 1, Col() - 1);
        m_heading->selectionModel()->clear();
        m_body->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_body->scrollTo(index);
    }
    // The viewport may not have its final size yet (a grid just shown or not shown at all):
    // scroll again once the layout has settled, and again when a hidden grid is shown.
    m_scrollOnShow = !isVisible();
    if (!m_rescrollQueued) {
        m_rescrollQueued = true;
        QTimer::singleShot(0, this, &SpreadsheetWidget::rescrollToCurrentCell);
    }
}

void SpreadsheetWidget::rescrollToCurrentCell() {
    m_rescrollQueued = false;
    if (isVisible()) m_scrollOnShow = false;
    const QModelIndex heading = m_heading->currentIndex();
    if (heading.isValid()) m_heading->scrollTo(heading);
    const QModelIndex body = m_body->currentIndex();
    if (body.isValid()) m_body->scrollTo(body);
}

void SpreadsheetWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    refreshNow();
    if (m_scrollOnShow && !m_rescrollQueued) {
        m_scrollOnShow = false;
        m_rescrollQueued = true;
        QTimer::singleShot(0, this, &SpreadsheetWidget::rescrollToCurrentCell);
    }
}

}  // namespace kestrel
