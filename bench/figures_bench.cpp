// The distribution figures of 100 samples of 1,000 grains: the stacked figure from the grain
// ages (KDE profiles, peaks, drawing) written as SVG and as PDF, and the Distributions page
// redrawn after a change of the bin width, on Qt's offscreen platform.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <random>

#include "app/DistributionsPage.h"
#include "engine/density/DensityProfiles.h"
#include "engine/figures/AgeBins.h"
#include "engine/figures/ProfilePeaks.h"
#include "output/FigureFiles.h"

namespace {

using kestrel::GrainSample;

// Detrital samples: each a mixture of four of eight age populations, 1-3% uncertainties.
std::vector<GrainSample> detritalSamples(int count, int grains) {
    std::mt19937_64 random(100);
    const double centres[] = {95, 320, 560, 1050, 1180, 1650, 1850, 2700};
    std::vector<GrainSample> samples;
    for (int s = 0; s < count; ++s) {
        GrainSample sample{"S" + std::to_string(s + 1), {}, {}};
        for (int g = 0; g < grains; ++g) {
            const double centre = centres[(s + g % 4 * 2) % 8];
            const double age = std::normal_distribution<double>(centre, centre * 0.03)(random);
            sample.ages.push_back(age);
            sample.sigmas.push_back(age *
                                    std::uniform_real_distribution<double>(0.01, 0.03)(random));
        }
        samples.push_back(std::move(sample));
    }
    return samples;
}

// Everything from the grains to the file: profiles, peaks, the figure drawn and written.
void writeStacked(const std::vector<GrainSample>& samples, const std::string& path) {
    const kestrel::DensityProfiles profiles = kestrel::buildDensityProfiles(samples, {});
    kestrel::FigureRequest request;
    request.path = path;
    request.grid = profiles.ages;
    double low = 1e300, high = -1e300;
    for (size_t s = 0; s < samples.size(); ++s) {
        request.samples.push_back(
            {samples[s].name, samples[s].ages, profiles.profiles[s],
             kestrel::findProfilePeaks(profiles.ages, profiles.profiles[s], samples[s].ages), s,
             false});
        for (double age : samples[s].ages) low = std::min(low, age), high = std::max(high, age);
    }
    request.binWidth = kestrel::roundBinWidth(low, high);
    request.bands = {{"Grenville", 1000, 1300}, {"Pan-African", 500, 650}};
    kestrel::writeFigureFile(request);
}

void BM_StackedFigure100x1000(benchmark::State& state, const char* suffix) {
    const auto samples = detritalSamples(100, 1000);
    QTemporaryDir folder;
    const std::string path = folder.filePath(QString("stacked.") + suffix).toStdString();
    for (auto _ : state) writeStacked(samples, path);
}
BENCHMARK_CAPTURE(BM_StackedFigure100x1000, Svg, "svg")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_StackedFigure100x1000, Pdf, "pdf")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// A new bin width typed on a shown page: peaks, bins, every figure and table redrawn.
void BM_DistributionsRedraw100x1000(benchmark::State& state) {
    kestrel::DistributionsPage page;
    page.resize(1600, 1000);
    page.show();
    kestrel::DistributionsData data;
    data.subject = "bench";
    data.samples = detritalSamples(100, 1000);
    page.showData(std::move(data));
    QApplication::processEvents();
    bool wide = false;
    for (auto _ : state) {
        page.eBinWidth->setText(wide ? "20" : "25");
        page.eBinWidth->setModified(true);
        emit page.eBinWidth->editingFinished();
        QApplication::processEvents();
        wide = !wide;
    }
}
BENCHMARK(BM_DistributionsRedraw100x1000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
