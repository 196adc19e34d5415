// Laying out the results page, drawing it for the measure and map chosen, turning clicks into
// chosen samples shown on all three views, and the tooltips of the two graphs.
#include "app/ManyResultsPage.h"

#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QSortFilterProxyModel>
#include <QSplitter>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolTip>
#include <QVBoxLayout>

#include "app/MatrixTableModel.h"
#include "engine/MdsStress.h"
#include "engine/NumberText.h"
#include "engine/comparison/MeasureMatrix.h"
#include "engine/measures/Measures.h"
#include "output/MatrixHeatMap.h"
#include "output/MdsGraph.h"
#include "output/ShepardPlot.h"

namespace kestrel {
namespace {

QString percent(double share) {
    return QString::fromStdString(formatFixed(100.0 * share, 1)) + "%";
}

// Kruskal's (1964) verbal scale for stress-1: 0.2 poor, 0.1 fair, 0.05 good, 0.025 excellent.
QString stressWord(double stress) {
    if (stress <= 0.025) return "excellent";
    if (stress <= 0.05) return "good";
    if (stress <= 0.1) return "fair";
    if (stress <= 0.2) return "poor";
    return "very poor";
}

// "Left out, as they do not read: N5, T8 (their reasons in the tooltip)."; "" for none.
QString leftOutSentence(const std::vector<std::pair<QString, QString>>& leftOut) {
    if (leftOut.empty()) return {};
    QStringList names;
    for (const auto& [name, reason] : leftOut) names << name;
    return QString(" Left out, as %1 not read: %2 (hover here for why).")
        .arg(leftOut.size() == 1 ? "it does" : "they do", names.join(", "));
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
    // The choices sit beside the note rather than below it: the graphs keep their height.
    auto* top = new QHBoxLayout;
    top->addWidget(lNote, 1);
    top->addLayout(createChoices());
    layout->addLayout(top);

    createGraphs();
    m_all = new QSplitter(Qt::Vertical);
    m_all->setChildrenCollapsible(false);
    m_all->addWidget(m_graphs);
    MatrixGrid = new QTableView;
    MatrixGrid->setObjectName("MatrixGrid");
    MatrixGrid->setMinimumSize(150, 100);
    m_model = new MatrixTableModel(this);
    m_sorted = new QSortFilterProxyModel(this);
    m_sorted->setSourceModel(m_model);
    m_sorted->setSortRole(Qt::EditRole);
    MatrixGrid->setModel(m_sorted);
    MatrixGrid->setSortingEnabled(true);
    MatrixGrid->sortByColumn(-1, Qt::AscendingOrder);  // sheet order until a heading is clicked
    MatrixGrid->horizontalHeader()->setDefaultSectionSize(64);
    m_all->addWidget(MatrixGrid);
    m_all->setStretchFactor(0, 3);
    m_all->setStretchFactor(1, 1);
    // A small window scrolls the graphs and the table rather than squeezing the graphs below
    // their least size; the note and the buttons stay in sight.
    auto* scroll = new QScrollArea;
    scroll->setObjectName("ManyScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(m_all);
    layout->addWidget(scroll, 1);

    auto* bar = new QHBoxLayout;
    lPair = new QLabel("Click two samples on the map, or a cell of the heat map or the table");
    lPair->setWordWrap(true);  // beside the buttons in a narrow window
    bbCompareTwo = new QPushButton("Compare these two");
    bbCompareTwo->setEnabled(false);
    bbSaveMatrix = new QPushButton("Save matrix...");
    bar->addWidget(lPair, 1);
    bar->addWidget(bbCompareTwo);
    bar->addWidget(bbSaveMatrix);
    bbDistributions = new QPushButton("Distributions...");
    bbDistributions->setObjectName("bbDistributions");
    bbDistributions->setToolTip(
        "Every sample's profile stacked on one age axis, and with grain "
        "ages their cumulative curves, age bins and peaks");
    bar->addWidget(bbDistributions);
    bbUnmix = new QPushButton("Unmix...");
    bbUnmix->setObjectName("bbUnmix");
    bbUnmix->setToolTip(
        "A sink sample's proportions of its sources, by the curves' D and V and by "
        "the profiles, with bootstrap intervals");
    bbEndMembers = new QPushButton("End-members...");
    bbEndMembers->setObjectName("bbEndMembers");
    bbEndMembers->setToolTip(
        "Every sample as a mixture of end-member profiles (non-negative "
        "matrix factorisation), for 2 to 8 end-members");
    for (QPushButton* ages : {bbUnmix, bbEndMembers}) {
        ages->setVisible(false);  // shown for samples of grain ages
        bar->addWidget(ages);
    }
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
    connect(bbDistributions, &QPushButton::clicked, this, &ManyResultsPage::distributionsRequested);
    connect(bbUnmix, &QPushButton::clicked, this, &ManyResultsPage::unmixRequested);
    connect(bbEndMembers, &QPushButton::clicked, this, &ManyResultsPage::endMembersRequested);
    for (QCustomPlot* chart : {MdsMap, HeatMap}) {
        chart->setMouseTracking(true);
        chart->installEventFilter(this);
    }
}

// The measure on one line and how its map is drawn on the next: a narrow block beside the note.
QLayout* ManyResultsPage::createChoices() {
    auto* grid = new QGridLayout;
    cbMeasure = new QComboBox;
    cbMeasure->setObjectName("cbMeasure");
    cbMeasure->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    auto* label = new QLabel("Measure");
    label->setBuddy(cbMeasure);
    chkNonmetric = new QCheckBox("Nonmetric map");
    chkNonmetric->setObjectName("chkNonmetric");
    chkNeighbours = new QCheckBox("Nearest neighbours");
    chkNeighbours->setObjectName("chkNeighbours");
    auto* measure = new QHBoxLayout;
    measure->addWidget(label);
    measure->addWidget(cbMeasure);
    measure->addStretch(1);
    grid->addLayout(measure, 0, 0, 1, 2);
    grid->addWidget(chkNonmetric, 1, 0);
    grid->addWidget(chkNeighbours, 1, 1);
    grid->setContentsMargins(12, 0, 0, 0);
    connect(cbMeasure, &QComboBox::activated, this, [this](int index) {
        chooseMeasure(static_cast<Measure>(cbMeasure->itemData(index).toInt()));
    });
    connect(chkNonmetric, &QCheckBox::toggled, this, [this] {
        if (m_results.matrix) showMapView();
    });
    connect(chkNeighbours, &QCheckBox::toggled, this, &ManyResultsPage::showNeighbours);
    return grid;
}

// The map, and beside it the heat map and the Shepard plot as two tabs, so that the map keeps
// its share of the width.
void ManyResultsPage::createGraphs() {
    m_graphs = new QSplitter(Qt::Horizontal);
    m_graphs->setChildrenCollapsible(false);
    MdsMap = createMdsGraph(m_graphs);
    tcGraphs = new QTabWidget;
    tcGraphs->setObjectName("tcManyGraphs");
    tcGraphs->setDocumentMode(true);
    HeatMap = createMatrixHeatMap(tcGraphs);
    Shepard = createShepardPlot(tcGraphs);
    tcGraphs->addTab(HeatMap, "Heat map");
    tcGraphs->addTab(Shepard, "Shepard plot");
    // The map needs room to be square with its axis titles; the heat map gives some of its
    // width to the colour scale. The tabs' bar comes out of the graphs' least height, so that
    // the row of graphs needs no more height than the map.
    MdsMap->setMinimumSize(kGraphMinimum);
    const int tabBar = tcGraphs->tabBar()->sizeHint().height();
    for (QCustomPlot* chart : {HeatMap, Shepard}) {
        chart->setMinimumSize(kGraphMinimum.width(), kGraphMinimum.height() - tabBar);
    }
    m_graphs->addWidget(MdsMap);
    m_graphs->addWidget(tcGraphs);
    m_graphs->setStretchFactor(0, kMapShare);
    m_graphs->setStretchFactor(1, kHeatMapShare);
}

// A short page puts the table beside the graphs rather than below them, so that the graphs keep
// their height and all three views stay in sight.
void ManyResultsPage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const Qt::Orientation wanted = height() < kTableBelowFrom ? Qt::Horizontal : Qt::Vertical;
    if (m_all->orientation() == wanted) return;
    m_all->setOrientation(wanted);
    const int length = wanted == Qt::Horizontal ? width() : height();
    m_all->setSizes({length * 3 / 4, length - length * 3 / 4});
    shareGraphsWidth();
}

void ManyResultsPage::shareGraphsWidth() {
    const int width = std::max(m_graphs->width(), kMapShare + kHeatMapShare);
    const int map = width * kMapShare / (kMapShare + kHeatMapShare);
    m_graphs->setSizes({map, width - map});
}

void ManyResultsPage::showResults(ManyProfilesResults results) {
    ManyMapView view = classicalMapView(*results.matrix, results.matrix->mapMeasure, &results.map);
    m_results = std::move(results);
    m_view = std::move(view);
    m_chosen.clear();
    fillMeasures();
    showMapView();
}

// The measures the matrix holds, in the table's order, the map's measure chosen.
void ManyResultsPage::fillMeasures() {
    const QSignalBlocker quiet(cbMeasure);
    cbMeasure->clear();
    for (const MeasureInfo& info : allMeasures()) {
        if (!measureValuesOf(*m_results.matrix, info.measure)) continue;
        cbMeasure->addItem(QString::fromUtf8(info.choice), static_cast<int>(info.measure));
        if (info.measure == m_view.measure) cbMeasure->setCurrentIndex(cbMeasure->count() - 1);
    }
}

void ManyResultsPage::chooseMeasure(Measure measure) {
    if (!m_results.matrix || measure == m_view.measure) return;
    // Computed before anything changes, so that a refused measure leaves the page as it was.
    ManyMapView view = classicalMapView(*m_results.matrix, measure);
    auto matrix = std::make_shared<ProfileMatrix>(*m_results.matrix);
    matrix->mapMeasure = measure;
    m_results.matrix = std::move(matrix);
    m_view = std::move(view);
    const int index = cbMeasure->findData(static_cast<int>(measure));
    if (index >= 0) cbMeasure->setCurrentIndex(index);
    showMapView();
}

// Everything drawn from the map in view: the map, the heat map in its order, the Shepard plot,
// the table and the note.
void ManyResultsPage::showMapView() {
    showNonmetric(m_view, chkNonmetric->isChecked());
    m_results.map = m_view.map;
    m_order = orderByFirstAxis(m_results.map);
    const auto& matrix = *m_results.matrix;
    lNote->setText(noteText());
    QStringList why;
    for (const auto& [name, reason] : m_results.leftOut) why << name + ": " + reason;
    lNote->setToolTip(why.join("\n"));
    m_model->setMatrix(m_results.matrix);
    fillMdsGraph(*MdsMap, matrix.names, m_results.map);
    if (chkNeighbours->isChecked())
        drawNearestNeighbours(*MdsMap, m_results.map, m_view.neighbours);
    fillMatrixHeatMap(*HeatMap, matrix, m_order);
    fillShepardPlot(*Shepard, shepardDataOf(m_view), *m_view.map.stress1, m_view.nonmetric);
    shareGraphsWidth();
    showChosen();
}

// The first sentence is the same for every map; the stress of the map in view follows.
QString ManyResultsPage::noteText() const {
    const auto& matrix = *m_results.matrix;
    const size_t k = matrix.names.size();
    const QString subject = m_results.subject.isEmpty()
                                ? QString("%1 profiles x %2 rows").arg(k).arg(m_results.rows)
                                : m_results.subject;
    QString note =
        QString("%1: %2 pairs. MDS axis 1 holds %4 of the %3, axis 2 %5.")
            .arg(subject)
            .arg(k * (k - 1) / 2)
            .arg(m_results.map.disparities.empty() ? "variance" : "map's spread")
            .arg(percent(m_results.map.varianceShare[0]), percent(m_results.map.varianceShare[1]));
    const double stress = *m_view.map.stress1;
    const bool collapsed = m_view.nonmetric && collapsedMap(m_view.map, stress);
    // A collapsed map's stress is near 0 and judges nothing: no word for it.
    const QString judged =
        collapsed ? QString() : QString(" (%1, by Kruskal's scale)").arg(stressWord(stress));
    note += QString(" %1 map of %2: stress-1 %3%4.")
                .arg(m_view.nonmetric ? "Nonmetric" : "Classical", shownNameOf(matrix),
                     QString::fromStdString(formatFixed(stress, 4)), judged);
    if (collapsed) {
        note +=
            " The nonmetric map has collapsed its groups to points, so its stress says "
            "nothing: read the classical map.";
    }
    if (!matrix.p())
        note += " No p-values: they need the number of grains behind each profile (a Grains row).";
    if (!m_results.measuresNote.isEmpty()) note += " " + m_results.measuresNote;
    return note + leftOutSentence(m_results.leftOut);
}

void ManyResultsPage::showNeighbours() {
    if (chkNeighbours->isChecked() && m_results.matrix) {
        drawNearestNeighbours(*MdsMap, m_results.map, m_view.neighbours);
    } else {
        clearNearestNeighbours(*MdsMap);
        MdsMap->replot();
    }
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
    markMatrixPair(*HeatMap, m_order, m_chosen);
    showChosenInTable();
    bbCompareTwo->setEnabled(m_chosen.size() == 2);
    if (m_chosen.empty() || !m_results.matrix) return;
    if (m_chosen.size() == 1) {
        lPair->setText(nameOf(m_results, m_chosen[0]) + " chosen: click its partner");
        return;
    }
    const int a = m_chosen[0], b = m_chosen[1];
    const ProfileMatrix& matrix = *m_results.matrix;
    QString text = QString("%1 and %2: %3 = %4")
                       .arg(nameOf(m_results, a), nameOf(m_results, b), shownNameOf(matrix),
                            QLocale().toString(shownValuesOf(matrix).at(a, b), 'f', 4));
    lPair->setText(text + shownPValueText(matrix, a, b, ", ", 4));
}

void ManyResultsPage::showChosenInTable() {
    if (m_chosen.size() != 2) {
        m_model->setChosenPair(-1, -1);
        return;
    }
    m_model->setChosenPair(m_chosen[0], m_chosen[1]);
    const QModelIndex cell = m_sorted->mapFromSource(m_model->index(m_chosen[0], m_chosen[1]));
    MatrixGrid->scrollTo(cell);
}

void ManyResultsPage::copyMatrix() {
    QApplication::clipboard()->setText(
        matrixSelectionText(*m_sorted, MatrixGrid->selectionModel()));
}

bool ManyResultsPage::eventFilter(QObject* watched, QEvent* event) {
    if (!m_results.matrix || (watched != MdsMap && watched != HeatMap))
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::ToolTip) {
        const auto& help = static_cast<const QHelpEvent&>(*event);
        if (watched == MdsMap) showMapTip(help);
        if (watched == HeatMap) showHeatMapTip(help);
        return true;  // handled here, whether a tip shows or not
    }
    const bool mouse =
        event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease;
    if (mouse) {
        const auto& mouseEvent = static_cast<const QMouseEvent&>(*event);
        if (watched == MdsMap) mapMouseEvent(mouseEvent);
        if (watched == HeatMap) heatMapMouseEvent(mouseEvent);
    }
    return QWidget::eventFilter(watched, event);
}

// The samples under the mouse (several when their points touch, as in a tight group whose names
// had no room), with the measure to the chosen sample or else to the most alike one.
void ManyResultsPage::showMapTip(const QHelpEvent& event) {
    const QPoint at = event.pos();
    const std::vector<int> samples = mdsPointsAt(*MdsMap, m_results.map, at.x(), at.y());
    if (samples.empty()) return QToolTip::hideText();
    QStringList names;
    for (const int sample : samples) names << nameOf(m_results, sample);
    const int sample = samples.front();
    const SquareMatrix& values = shownValuesOf(*m_results.matrix);
    const SquareMatrix& apart = m_view.dissimilarities;  // what "most alike" goes by
    const QString measure = shownNameOf(*m_results.matrix);
    int partner = -1;
    for (const int chosen : m_chosen) {
        if (chosen != sample && partner < 0) partner = chosen;
    }
    QString text = names.join(", ");
    const auto value = [&](int other) {
        return QLocale().toString(values.at(sample, other), 'f', 4);
    };
    if (partner >= 0) {
        text += QString("\n%1 to %2 = %3").arg(measure, nameOf(m_results, partner), value(partner));
    } else if (apart.size > 1) {
        int alike = sample == 0 ? 1 : 0;
        for (int other = 0; other < apart.size; ++other) {
            if (other != sample && apart.at(sample, other) < apart.at(sample, alike)) alike = other;
        }
        text += QString("\nmost alike: %1, %2 = %3")
                    .arg(nameOf(m_results, alike), measure, value(alike));
    }
    // The tip goes when the mouse leaves the point.
    QToolTip::showText(event.globalPos(), text, MdsMap, QRect(at - QPoint(8, 8), QSize(17, 17)));
}

void ManyResultsPage::showHeatMapTip(const QHelpEvent& event) {
    const QPoint at = event.pos();
    const auto [row, col] = heatMapPairAt(*HeatMap, m_order, at.x(), at.y());
    if (row < 0) return QToolTip::hideText();
    // The same text as the table's cell: names, D and p.
    const QString text = m_model->data(m_model->index(row, col), Qt::ToolTipRole).toString();
    QToolTip::showText(event.globalPos(), text, HeatMap, QRect(at - QPoint(2, 2), QSize(5, 5)));
}

// A click (press and release in one place) chooses the sample under the mouse.
void ManyResultsPage::mapMouseEvent(const QMouseEvent& event) {
    const QPointF at = event.position();
    const int sample = mdsPointAt(*MdsMap, m_results.map, at.x(), at.y());
    if (event.type() == QEvent::MouseButtonPress && event.button() == Qt::LeftButton) {
        m_pressAt = at.toPoint();
    } else if (event.type() == QEvent::MouseButtonRelease && event.button() == Qt::LeftButton &&
               (at.toPoint() - m_pressAt).manhattanLength() <= 3) {
        chooseSample(sample);
    }
}

void ManyResultsPage::heatMapMouseEvent(const QMouseEvent& event) {
    const QPointF at = event.position();
    const auto [row, col] = heatMapPairAt(*HeatMap, m_order, at.x(), at.y());
    if (event.type() == QEvent::MouseButtonPress && event.button() == Qt::LeftButton) {
        m_pressAt = at.toPoint();
    } else if (event.type() == QEvent::MouseButtonRelease && event.button() == Qt::LeftButton &&
               (at.toPoint() - m_pressAt).manhattanLength() <= 3) {
        choosePair(row, col);
    }
}

}  // namespace kestrel
