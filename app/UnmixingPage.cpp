// Drawing the Unmixing page: proportions with their intervals, the sink's curves over the best
// mixtures', and the table of the fits.
#include "app/UnmixingPage.h"

#include <qcustomplot.h>

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "app/TableCells.h"
#include "output/SamplePalette.h"

namespace kestrel {
namespace {

const QColor kSinkColour(30, 30, 30);

QColor fitColour(UnmixingFit fit) {
    return sampleColour(static_cast<size_t>(fit) * 3 + 1);
}

QCustomPlot* graph(const char* name, const QString& ageLabel, const QString& valueLabel) {
    auto* chart = new QCustomPlot;
    chart->setObjectName(name);
    chart->setMinimumSize(250, 180);
    chart->xAxis->setLabel(ageLabel);
    chart->yAxis->setLabel(valueLabel);
    chart->legend->setVisible(true);
    chart->setContextMenuPolicy(Qt::ActionsContextMenu);
    return chart;
}

// The empirical cumulative distribution of `ages` at each of the sorted `at`.
std::vector<double> cumulativeAt(std::vector<double> ages, const std::vector<double>& at) {
    std::sort(ages.begin(), ages.end());
    std::vector<double> shares;
    shares.reserve(at.size());
    for (double x : at) {
        const auto below = std::upper_bound(ages.begin(), ages.end(), x) - ages.begin();
        shares.push_back(static_cast<double>(below) / static_cast<double>(ages.size()));
    }
    return shares;
}

void addSteps(QCustomPlot& chart, const std::vector<double>& at, const std::vector<double>& shares,
              const QString& name, const QPen& pen) {
    QCPGraph* line = chart.addGraph();
    line->setName(name);
    line->setPen(pen);
    line->setLineStyle(QCPGraph::lsStepLeft);
    line->setAdaptiveSampling(false);
    QVector<double> keys(at.begin(), at.end()), values(shares.begin(), shares.end());
    line->setData(keys, values, true);
}

std::vector<double> unitSum(std::vector<double> profile) {
    double sum = 0;
    for (double value : profile) sum += value;
    if (sum > 0)
        for (double& value : profile) value /= sum;
    return profile;
}

const UnmixingEstimate* estimateOf(const UnmixingResult& result, UnmixingFit fit) {
    for (const UnmixingEstimate& estimate : result.estimates)
        if (estimate.fit == fit) return &estimate;
    return nullptr;
}

}  // namespace

UnmixingPage::UnmixingPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    lNote = new QLabel;
    lNote->setObjectName("lUnmixingNote");
    lNote->setWordWrap(true);
    bbExportTable = new QPushButton("Export table...");
    bbExportTable->setObjectName("bbExportUnmixing");
    auto* top = new QHBoxLayout;
    top->addWidget(lNote, 1);
    top->addWidget(bbExportTable, 0, Qt::AlignTop);
    layout->addLayout(top);
    ProportionsGraph = graph("ProportionsGraph", "Source", "Proportion of the sink");
    CumulativeGraph = graph("UnmixingCumulativeGraph", "Age", "Cumulative proportion");
    ProfilesGraph = graph("UnmixingProfilesGraph", "Age", "Share of grains per grid step");
    m_model = new QStandardItemModel(this);
    UnmixingGrid = new QTableView;
    UnmixingGrid->setObjectName("UnmixingGrid");
    UnmixingGrid->setModel(m_model);
    UnmixingGrid->verticalHeader()->setVisible(false);
    UnmixingGrid->verticalHeader()->setDefaultSectionSize(UnmixingGrid->fontMetrics().height() + 4);
    tcUnmixing = new QTabWidget;
    tcUnmixing->setObjectName("tcUnmixing");
    tcUnmixing->setDocumentMode(true);
    tcUnmixing->addTab(ProportionsGraph, "Proportions");
    tcUnmixing->addTab(CumulativeGraph, "Cumulative");
    tcUnmixing->addTab(ProfilesGraph, "Profiles");
    tcUnmixing->addTab(UnmixingGrid, "Table");
    layout->addWidget(tcUnmixing, 1);
    connect(bbExportTable, &QPushButton::clicked, this, &UnmixingPage::exportTableRequested);
}

std::vector<std::string> UnmixingPage::sourceNames() const {
    std::vector<std::string> names;
    for (const GrainSample& source : m_shown.sources) names.push_back(source.name);
    return names;
}

void UnmixingPage::showResults(UnmixingShown shown) {
    m_shown = std::move(shown);
    showNote();
    drawProportions();
    drawCumulative();
    drawProfiles();
    fillTable();
}

void UnmixingPage::showNote() {
    QStringList names;
    for (const GrainSample& source : m_shown.sources) names << QString::fromStdString(source.name);
    QString note =
        QString("%1: %2 unmixed into %3.")
            .arg(m_shown.subject, QString::fromStdString(m_shown.sink.name), names.join(", "));
    const UnmixingResult& result = m_shown.result;
    if (result.cancelled)
        note += " The bootstrap was stopped: the fits have no intervals.";
    else if (result.resamples > 0)
        note += QString(" 95% intervals from %1 bootstrap resamples.").arg(result.resamples);
    lNote->setText(note);
}

// One group of bars per source, one bar per fit, each with its bootstrap interval.
void UnmixingPage::drawProportions() {
    QCustomPlot& chart = *ProportionsGraph;
    chart.clearPlottables();
    auto* group = new QCPBarsGroup(&chart);
    auto names = QSharedPointer<QCPAxisTickerText>::create();
    for (size_t s = 0; s < m_shown.sources.size(); ++s)
        names->addTick(static_cast<double>(s + 1), QString::fromStdString(m_shown.sources[s].name));
    chart.xAxis->setTicker(names);
    for (const UnmixingEstimate& estimate : m_shown.result.estimates) {
        const UnmixingFitInfo& info = unmixingFit(estimate.fit);
        auto* bars = new QCPBars(chart.xAxis, chart.yAxis);
        bars->setName(QString("%1 (%2 = %3)")
                          .arg(info.name, info.valueName)
                          .arg(QLocale().toString(estimate.value, 'f', 4)));
        bars->setBrush(fitColour(estimate.fit));
        bars->setPen(QPen(fitColour(estimate.fit).darker(130)));
        bars->setWidth(0.8 / static_cast<double>(m_shown.result.estimates.size()));
        bars->setBarsGroup(group);
        QCPErrorBars* errors = nullptr;
        if (estimate.lower.size() == estimate.proportions.size()) {
            errors = new QCPErrorBars(chart.xAxis, chart.yAxis);
            errors->removeFromLegend();
            errors->setDataPlottable(bars);
            errors->setPen(QPen(QColor(40, 40, 40), 1.2));
        }
        for (size_t s = 0; s < estimate.proportions.size(); ++s) {
            const double p = estimate.proportions[s];
            bars->addData(static_cast<double>(s + 1), p);
            if (errors) errors->addData(p - estimate.lower[s], estimate.upper[s] - p);
        }
    }
    chart.xAxis->setRange(0.4, static_cast<double>(m_shown.sources.size()) + 0.6);
    chart.yAxis->setRange(0, 1);
    chart.legend->setVisible(!m_shown.result.estimates.empty());
    // The fits' legend in a row above the bars, which it would hide inside the axes.
    if (chart.plotLayout()->rowCount() == 1) {
        chart.plotLayout()->insertRow(0);
        chart.plotLayout()->addElement(0, 0, chart.legend);
        chart.plotLayout()->setRowStretchFactor(0, 0.001);
        chart.legend->setFillOrder(QCPLegend::foColumnsFirst);
    }
    chart.replot(QCustomPlot::rpQueuedReplot);
}

// The sink's cumulative curve and, for the fits of the curves, the best mixture's.
void UnmixingPage::drawCumulative() {
    QCustomPlot& chart = *CumulativeGraph;
    chart.clearPlottables();
    std::vector<double> pooled = m_shown.sink.ages;
    for (const GrainSample& source : m_shown.sources)
        pooled.insert(pooled.end(), source.ages.begin(), source.ages.end());
    std::sort(pooled.begin(), pooled.end());
    pooled.erase(std::unique(pooled.begin(), pooled.end()), pooled.end());
    if (pooled.empty()) return;
    addSteps(chart, pooled, cumulativeAt(m_shown.sink.ages, pooled),
             QString::fromStdString(m_shown.sink.name) + " (sink)", QPen(kSinkColour, 2.0));
    std::vector<std::vector<double>> sources;
    for (const GrainSample& source : m_shown.sources)
        sources.push_back(cumulativeAt(source.ages, pooled));
    for (UnmixingFit fit : {UnmixingFit::D, UnmixingFit::V}) {
        const UnmixingEstimate* estimate = estimateOf(m_shown.result, fit);
        if (!estimate) continue;
        std::vector<double> mixture(pooled.size(), 0.0);
        for (size_t s = 0; s < sources.size(); ++s)
            for (size_t j = 0; j < pooled.size(); ++j)
                mixture[j] += estimate->proportions[s] * sources[s][j];
        addSteps(chart, pooled, mixture, QString("best mixture by %1").arg(unmixingFit(fit).name),
                 QPen(fitColour(fit), 1.5, fit == UnmixingFit::V ? Qt::DashLine : Qt::SolidLine));
    }
    chart.xAxis->setRange(pooled.front(), pooled.back());
    chart.yAxis->setRange(0, 1);
    chart.replot(QCustomPlot::rpQueuedReplot);
}

// The sink's profile and the mixture of the sources' profiles by the profile fit (or, without
// it, by the first fit), each at unit sum on one grid.
void UnmixingPage::drawProfiles() {
    QCustomPlot& chart = *ProfilesGraph;
    chart.clearPlottables();
    const UnmixingEstimate* estimate = estimateOf(m_shown.result, UnmixingFit::Profiles);
    if (!estimate && !m_shown.result.estimates.empty()) estimate = &m_shown.result.estimates[0];
    if (!estimate) return;
    std::vector<GrainSample> samples{m_shown.sink};
    samples.insert(samples.end(), m_shown.sources.begin(), m_shown.sources.end());
    DensityProfiles profiles;
    try {
        profiles = buildDensityProfiles(samples, m_shown.density);
    } catch (const std::exception&) {
        return;  // the fit itself said what the samples lack
    }
    const std::vector<double> sink = unitSum(profiles.profiles[0]);
    std::vector<double> mixture(sink.size(), 0.0);
    for (size_t s = 0; s < m_shown.sources.size(); ++s) {
        const std::vector<double> source = unitSum(profiles.profiles[s + 1]);
        for (size_t r = 0; r < mixture.size(); ++r)
            mixture[r] += estimate->proportions[s] * source[r];
    }
    const QVector<double> ages(profiles.ages.begin(), profiles.ages.end());
    QCPGraph* sinkLine = chart.addGraph();
    sinkLine->setName(QString::fromStdString(m_shown.sink.name) + " (sink)");
    sinkLine->setPen(QPen(kSinkColour, 2.0));
    sinkLine->setData(ages, QVector<double>(sink.begin(), sink.end()), true);
    QCPGraph* mixed = chart.addGraph();
    mixed->setName(QString("best mixture by %1").arg(unmixingFit(estimate->fit).name));
    mixed->setPen(QPen(fitColour(estimate->fit), 1.5));
    mixed->setBrush(QColor(fitColour(estimate->fit).red(), fitColour(estimate->fit).green(),
                           fitColour(estimate->fit).blue(), 50));
    mixed->setData(ages, QVector<double>(mixture.begin(), mixture.end()), true);
    chart.rescaleAxes();
    chart.yAxis->setRangeLower(0);
    chart.replot(QCustomPlot::rpQueuedReplot);
}

void UnmixingPage::fillTable() {
    m_model->clear();
    m_model->setHorizontalHeaderLabels({"Fit", "Item", "Estimate", "Lower", "Upper"});
    // A bound the bootstrap did not give is an empty cell.
    const auto bound = [](const std::optional<double>& value) {
        return value ? numberCell(*value, 4) : textCell(QString());
    };
    for (const UnmixingEstimate& estimate : m_shown.result.estimates) {
        const QString fit = unmixingFit(estimate.fit).name;
        const bool intervals = estimate.lower.size() == estimate.proportions.size();
        for (size_t s = 0; s < estimate.proportions.size(); ++s) {
            m_model->appendRow(
                {textCell(fit), textCell(QString::fromStdString(m_shown.sources[s].name)),
                 numberCell(estimate.proportions[s], 4),
                 bound(intervals ? std::optional(estimate.lower[s]) : std::nullopt),
                 bound(intervals ? std::optional(estimate.upper[s]) : std::nullopt)});
        }
        m_model->appendRow({textCell(fit), textCell("value"), numberCell(estimate.value, 4),
                            bound(estimate.valueLower), bound(estimate.valueUpper)});
    }
    UnmixingGrid->resizeColumnsToContents();
}

}  // namespace kestrel
