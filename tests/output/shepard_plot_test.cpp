// The Shepard plot through the real widget: one point per pair, the fitted line only for a
// nonmetric map, and the stress in the title.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <memory>

#include "engine/ClassicalMds.h"
#include "engine/MdsStress.h"
#include "engine/NonmetricMds.h"
#include "output/ShepardPlot.h"

using namespace kestrel;

TEST(ShepardPlot, OnePointPerPairTheFittedLineAndTheStressInTheTitle) {
    // Six samples on a bent line: a map cannot keep these dissimilarities exactly.
    const int32_t k = 6;
    SquareMatrix d{k, std::vector<double>(k * k, 0.0)};
    for (int32_t i = 0; i < k; ++i) {
        for (int32_t j = 0; j < k; ++j)
            d.values[static_cast<size_t>(i * k + j)] = (i - j) * (i - j) % 7;
    }
    const NonmetricMdsResult nonmetric = nonmetricMds(d, classicalMds(d));
    std::unique_ptr<QCustomPlot> chart(createShepardPlot(nullptr));
    chart->resize(600, 400);
    fillShepardPlot(*chart, shepardData(d, nonmetric.map, nonmetric.disparities), 0.123449, true);
    EXPECT_EQ(chart->graph(0)->dataCount(), k * (k - 1) / 2);
    EXPECT_EQ(chart->graph(1)->dataCount(), k * (k - 1) / 2);
    auto* title = qobject_cast<QCPTextElement*>(chart->plotLayout()->element(0, 0));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), "Shepard plot\nstress-1 = 0.1234");
    EXPECT_EQ(chart->xAxis->label(), "Dissimilarity");
    EXPECT_EQ(chart->yAxis->label(), "Map distance");

    const MdsMap classical = classicalMds(d);
    fillShepardPlot(*chart, shepardData(d, classical), metricStress(d, classical), false);
    EXPECT_EQ(chart->graph(0)->dataCount(), k * (k - 1) / 2);
    EXPECT_EQ(chart->graph(1)->dataCount(), 0);
}
