// Drawing the End-members page: the profiles, the weights and the residual by k.
#include "app/EndMembersPage.h"

#include <qcustomplot.h>

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "app/TableCells.h"
#include "output/SamplePalette.h"

namespace kestrel {
EndMembersPage::EndMembersPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    lNote = new QLabel;
    lNote->setObjectName("lEndMembersNote");
    lNote->setWordWrap(true);
    cbK = new QComboBox;
    cbK->setObjectName("cbEndMembersK");
    cbK->setToolTip(
        "The number of end-members shown; the residual plot shows where adding one "
        "stops helping");
    bbExport = new QPushButton("Export...");
    bbExport->setObjectName("bbExportEndMembers");
    auto* top = new QHBoxLayout;
    top->addWidget(lNote, 1);
    top->addWidget(new QLabel("End-members"), 0, Qt::AlignTop);
    top->addWidget(cbK, 0, Qt::AlignTop);
    top->addWidget(bbExport, 0, Qt::AlignTop);
    layout->addLayout(top);
    EndMembersGraph = new QCustomPlot;
    EndMembersGraph->setObjectName("EndMembersGraph");
    EndMembersGraph->xAxis->setLabel("Age");
    EndMembersGraph->yAxis->setLabel("Share per grid step");
    EndMembersGraph->legend->setVisible(true);
    ResidualGraph = new QCustomPlot;
    ResidualGraph->setObjectName("ResidualGraph");
    ResidualGraph->xAxis->setLabel("End-members (k)");
    ResidualGraph->yAxis->setLabel("Residual (relative)");
    for (QCustomPlot* chart : {EndMembersGraph, ResidualGraph}) {
        chart->setMinimumSize(250, 180);
        chart->setContextMenuPolicy(Qt::ActionsContextMenu);
    }
    m_model = new QStandardItemModel(this);
    WeightsGrid = new QTableView;
    WeightsGrid->setObjectName("WeightsGrid");
    WeightsGrid->setModel(m_model);
    WeightsGrid->verticalHeader()->setVisible(false);
    WeightsGrid->verticalHeader()->setDefaultSectionSize(WeightsGrid->fontMetrics().height() + 4);
    tcEndMembers = new QTabWidget;
    tcEndMembers->setObjectName("tcEndMembers");
    tcEndMembers->setDocumentMode(true);
    tcEndMembers->addTab(EndMembersGraph, "End-members");
    tcEndMembers->addTab(WeightsGrid, "Weights");
    tcEndMembers->addTab(ResidualGraph, "Residual by k");
    layout->addWidget(tcEndMembers, 1);
    connect(cbK, &QComboBox::currentIndexChanged, this, [this] { showFit(); });
    connect(bbExport, &QPushButton::clicked, this, &EndMembersPage::exportRequested);
}

const NmfFit& EndMembersPage::fitInView() const {
    const int index = std::clamp(cbK->currentIndex(), 0, static_cast<int>(m_shown.byK.size()) - 1);
    return m_shown.byK[static_cast<size_t>(index)];
}

void EndMembersPage::showResults(EndMembersShown shown) {
    m_shown = std::move(shown);
    {
        const QSignalBlocker quiet(cbK);
        cbK->clear();
        for (const NmfFit& fit : m_shown.byK) cbK->addItem(QString::number(fit.k));
        cbK->setCurrentIndex(static_cast<int>(m_shown.chosen));
    }
    const NmfFit& chosen = m_shown.byK[m_shown.chosen];
    const bool last = m_shown.chosen + 1 == m_shown.byK.size();
    QString why = QString(
                      "k = %1 is where one more end-member stops lowering the residual by "
                      "a tenth.")
                      .arg(chosen.k);
    if (chosen.residual < 0.001)
        why = QString("k = %1 explains the profiles to a thousandth.").arg(chosen.k);
    else if (last)
        why = QString(
                  "k = %1, the most tried: each end-member added still lowered the residual "
                  "by a tenth or more.")
                  .arg(chosen.k);
    lNote->setText(QString("%1: %2 samples as mixtures of end-members, k = %3 to %4 tried; %5")
                       .arg(m_shown.subject)
                       .arg(m_shown.samples.size())
                       .arg(m_shown.byK.front().k)
                       .arg(m_shown.byK.back().k)
                       .arg(why));
    drawResiduals();
    showFit();
}

void EndMembersPage::showFit() {
    if (!filled()) return;
    const NmfFit& fit = fitInView();
    QCustomPlot& chart = *EndMembersGraph;
    chart.clearPlottables();
    const QVector<double> ages(m_shown.grid.begin(), m_shown.grid.end());
    for (size_t e = 0; e < fit.endMembers.size(); ++e) {
        QCPGraph* line = chart.addGraph();
        line->setName(QString("EM%1").arg(e + 1));
        line->setPen(QPen(sampleColour(e), 1.8));
        line->setData(ages, QVector<double>(fit.endMembers[e].begin(), fit.endMembers[e].end()),
                      true);
    }
    chart.rescaleAxes();
    chart.yAxis->setRangeLower(0);
    chart.replot(QCustomPlot::rpQueuedReplot);

    m_model->clear();
    QStringList headings{"Sample"};
    for (size_t e = 0; e < fit.endMembers.size(); ++e) headings << QString("EM%1").arg(e + 1);
    headings << "Residual";
    m_model->setHorizontalHeaderLabels(headings);
    for (size_t s = 0; s < m_shown.samples.size() && s < fit.weights.size(); ++s) {
        QList<QStandardItem*> row{textCell(QString::fromStdString(m_shown.samples[s]))};
        for (double weight : fit.weights[s]) row << numberCell(weight, 4);
        row << numberCell(fit.sampleResiduals[s], 4);
        m_model->appendRow(row);
    }
    WeightsGrid->resizeColumnsToContents();
}

void EndMembersPage::drawResiduals() {
    QCustomPlot& chart = *ResidualGraph;
    chart.clearPlottables();
    QCPGraph* line = chart.addGraph();
    line->setPen(QPen(QColor(40, 40, 40), 1.5));
    line->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssDisc, 7));
    for (const NmfFit& fit : m_shown.byK) line->addData(fit.k, fit.residual);
    auto ticks = QSharedPointer<QCPAxisTickerFixed>::create();
    ticks->setTickStep(1);
    chart.xAxis->setTicker(ticks);
    chart.rescaleAxes();
    chart.xAxis->setRange(m_shown.byK.front().k - 0.5, m_shown.byK.back().k + 0.5);
    chart.yAxis->setRangeLower(0);
    chart.replot(QCustomPlot::rpQueuedReplot);
}

}  // namespace kestrel
