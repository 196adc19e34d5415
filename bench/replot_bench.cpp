// Fill and replot of the two graphs with 5,000 positions (4 filled series each), on Qt's
// offscreen platform, at the size of a maximised window's graph page.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "output/ProbabilityGraphs.h"
#include "tests/output/GraphTestData.h"

namespace {

struct ShownGraphs {
    std::unique_ptr<QCustomPlot> chart1{kestrel::createCumulativeProbabilityGraph(nullptr)};
    std::unique_ptr<QCustomPlot> chart2{kestrel::createProbabilityGraph(nullptr)};
    kestrel::ProfileData data = kestrel::testdata::twoPeakProfile(5000, 0.6);
    ShownGraphs() {
        for (QCustomPlot* chart : {chart1.get(), chart2.get()}) {
            chart->resize(1200, 750);
            chart->show();
        }
        QApplication::processEvents();
    }
};

void BM_FillAndReplotBothGraphs(benchmark::State& state) {
    ShownGraphs graphs;
    for (auto _ : state) {
        kestrel::fillGraphs(*graphs.chart1, *graphs.chart2, graphs.data);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_FillAndReplotBothGraphs)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReplotOneGraph(benchmark::State& state) {
    ShownGraphs graphs;
    kestrel::fillGraphs(*graphs.chart1, *graphs.chart2, graphs.data);
    for (auto _ : state) {
        graphs.chart2->replot(QCustomPlot::rpImmediateRefresh);
    }
}
BENCHMARK(BM_ReplotOneGraph)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PanStepOneGraph(benchmark::State& state) {
    // One step of a pan: shift the age axes, replot; the user's drag is made of these.
    ShownGraphs graphs;
    kestrel::fillGraphs(*graphs.chart1, *graphs.chart2, graphs.data);
    double shift = 1;
    for (auto _ : state) {
        graphs.chart1->xAxis->moveRange(shift);
        graphs.chart1->xAxis2->moveRange(shift);
        shift = -shift;
        graphs.chart1->replot(QCustomPlot::rpImmediateRefresh);
    }
}
BENCHMARK(BM_PanStepOneGraph)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
