// Laying out the results page and turning clicks and hovering into chosen samples.
#include "app/ManyResultsPage.h"

#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>

#include "app/MatrixTableModel.h"
#include "engine/NumberText.h"
#include "output/MatrixHeatMap.h"
#include "output/MdsGraph.h"

namespace kestrel {
namespace {

QString percent(double share) {
    return QString::fromStdString(formatFixed(100.0 * share, 1)) + "%";
}

QString nameOf(const ManyProfilesResults& results, int sample) {
    return QString::fromStdString(results.matrix->names[static_cast<size_t>(sample)]);
}

}  // namespace

ManyResultsPage::ManyResultsPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    lNote = new QLabel;
    lNote->setObjectName("lManyNote");
    lNote->setWordWrap(true);
    layout->addWidget(lNote);

    auto* graphs = new QSplitter(Qt::Horizontal);
    MdsMap = createMdsGraph(graphs);
    HeatMap = createMatrixHeatMap(graphs);
    graphs->addWidget(MdsMap);
    graphs->addWidget(HeatMap);
    graphs->setStretchFactor(0, 1);  // the map as wide as the heat map
    graphs->setStretchFactor(1, 1);
    auto* all = new QSplitter(Qt::Vertical);
    all->addWidget(graphs);
    MatrixGrid = new QTableView;
    MatrixGrid->setObjectName("MatrixGrid");
    m_model = new MatrixTableModel(this);
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(Qt::EditRole);
    MatrixGrid->setModel(m_sorted);
    MatrixGrid->setSortingEnabled(true);
    MatrixGrid->sortByColumn(-1, Qt::AscendingOrder);  // sheet order until a heading is clicked
    MatrixGrid->horizontalHeader()->setDefaultSectionSize(64);
    all->addWidget(MatrixGrid);
    all->setStretchFactor(0, 3);
    all->setStretchFactor(1, 1);
    layout->addWidget(all, 1);

    auto* bar = new QHBoxLayout;
    lPair = new QLabel("Click two samples on the map, or a cell of the heat map or the table");
    bbCompareTwo = new QPushButton("Compare these two");
    bbCompareTwo->setEnabled(false);
    bbSaveMatrix = new QPushButton("Save matrix...");
    bar->addWidget(lPair, 1);
    bar->addWidget(bbCompareTwo);
    bar->addWidget(bbSaveMatrix);
    layout->addLayout(bar);

    auto* copy = new QAction("Copy", MatrixGrid);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    MatrixGrid->addAction(copy);
    MatrixGrid->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(copy, &QAction::triggered, this, &ManyResultsPage::copyMatrix);
    connect(MatrixGrid, &QTableView::clicked, this, [this](const QModelIndex& index) {
        const QModelIndex source = m_sorted->mapToSource(index);
        if (source.row() != source.column()) choosePair(source.row(), source.column());
    });
    connect(bbCompareTwo, &QPushButton::clicked, this, [this] {
        if (m_chosen.size() != 2) return;
        emit compareTwoRequested(m_results.columns[static_cast<size_t>(m_chosen[0])],
                                 m_results.columns[static_cast<size_t>(m_chosen[1])]);
    });
    connect(bbSaveMatrix, &QPushButton::clicked, this, &ManyResultsPage::saveMatrixRequested);
    for (QCustomPlot* chart : {MdsMap, HeatMap}) {
        chart->setMouseTracking(true);
        chart->installEventFilter(this);
    }
}

void ManyResultsPage::showResults(ManyProfilesResults results) {
    m_results = std::move(results);
    m_order = orderByFirstAxis(m_results.map);
    m_chosen.clear();
    const auto& matrix = *m_results.matrix;
    const size_t k = matrix.names.size();
    QString note =
        QString(
            "%1 profiles x %2 rows: %3 pairs. MDS axis 1 holds %4 of the variance, "
            "axis 2 %5.")
            .arg(k)
            .arg(m_results.rows)
            .arg(k * (k - 1) / 2)
            .arg(percent(m_results.map.varianceShare[0]), percent(m_results.map.varianceShare[1]));
    if (!matrix.p)
        note += " No p-values: they need the number of grains behind each profile (a Grains row).";
    lNote->setText(note);
    m_model->setMatrix(m_results.matrix);
    fillMdsGraph(*MdsMap, matrix.names, m_results.map);
    fillMatrixHeatMap(*HeatMap, matrix, m_order);
    showChosen();
}

void ManyResultsPage::chooseSample(int sample) {
    if (sample < 0) return;
    if (m_chosen.size() == 2) m_chosen.clear();
    if (m_chosen.size() == 1 && m_chosen[0] == sample) return;
    m_chosen.push_back(sample);
    showChosen();
}

void ManyResultsPage::choosePair(int first, int second) {
    if (first < 0 || second < 0 || first == second) return;
    m_chosen = {first, second};
    showChosen();
}

void ManyResultsPage::showChosen() {
    markMdsPoints(*MdsMap, m_results.map, m_chosen);
    bbCompareTwo->setEnabled(m_chosen.size() == 2);
    if (m_chosen.empty() || !m_results.matrix) return;
    if (m_chosen.size() == 1) {
        lPair->setText(nameOf(m_results, m_chosen[0]) + " chosen: click its partner");
        return;
    }
    const int a = m_chosen[0], b = m_chosen[1];
    QString text = QString("%1 and %2: D = %3")
                       .arg(nameOf(m_results, a), nameOf(m_results, b),
                            QLocale().toString(m_results.matrix->D.at(a, b), 'f', 4));
    if (m_results.matrix->p) {
        text += ", p = " + QLocale().toString(m_results.matrix->p->at(a, b), 'g', 4);
    }
    lPair->setText(text);
}

void ManyResultsPage::copyMatrix() {
    QApplication::clipboard()->setText(
        matrixSelectionText(*m_sorted, MatrixGrid->selectionModel()));
}

bool ManyResultsPage::eventFilter(QObject* watched, QEvent* event) {
    const bool mouse = event->type() == QEvent::MouseMove ||
                       event->type() == QEvent::MouseButtonPress ||
                       event->type() == QEvent::MouseButtonRelease;
    if (mouse && m_results.matrix) {
        const auto& mouseEvent = static_cast<const QMouseEvent&>(*event);
        if (watched == MdsMap) mapMouseEvent(mouseEvent);
        if (watched == HeatMap) heatMapMouseEvent(mouseEvent);
    }
    return QWidget::eventFilter(watched, event);
}

// Hovering names the sample under the mouse; a click (press and release in one place) chooses it.
void ManyResultsPage::mapMouseEvent(const QMouseEvent& event) {
    const QPointF at = event.position();
    const int sample = mdsPointAt(*MdsMap, m_results.map, at.x(), at.y());
    if (event.type() == QEvent::MouseMove && event.buttons() == Qt::NoButton) {
        if (sample >= 0)
            QToolTip::showText(event.globalPosition().toPoint(), nameOf(m_results, sample), MdsMap);
    } else if (event.type() == QEvent::MouseButtonPress && event.button() == Qt::LeftButton) {
        m_pressAt = at.toPoint();
    } else if (event.type() == QEvent::MouseButtonRelease && event.button() == Qt::LeftButton &&
               (at.toPoint() - m_pressAt).manhattanLength() <= 3) {
        chooseSample(sample);
    }
}

void ManyResultsPage::heatMapMouseEvent(const QMouseEvent& event) {
    const QPointF at = event.position();
    const auto [row, col] = heatMapPairAt(*HeatMap, m_order, at.x(), at.y());
    if (event.type() == QEvent::MouseMove && event.buttons() == Qt::NoButton && row >= 0) {
        QToolTip::showText(event.globalPosition().toPoint(),
                           QString("%1 and %2\nD = %3")
                               .arg(nameOf(m_results, row), nameOf(m_results, col),
                                    QLocale().toString(m_results.matrix->D.at(row, col), 'f', 4)),
                           HeatMap);
    } else if (event.type() == QEvent::MouseButtonPress && event.button() == Qt::LeftButton) {
        m_pressAt = at.toPoint();
    } else if (event.type() == QEvent::MouseButtonRelease && event.button() == Qt::LeftButton &&
               (at.toPoint() - m_pressAt).manhattanLength() <= 3) {
        choosePair(row, col);
    }
}

}  // namespace kestrel
