// The Many profiles page with every measure, through the real window offscreen: 30 profiles in
// four families read by File > Compare many..., then the measure chooser redrawing the map, the
// heat map and the table, the nonmetric map and its stress, the Shepard plot, the nearest
// neighbour lines, Save matrix, and W2 left out for a profile of zeros.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolTip>
#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>
#include <tuple>

#include "app/CompareManyDialog.h"
#include "app/KR_main.h"
#include "app/ManyResultsPage.h"
#include "engine/ClassicalMds.h"
#include "engine/MdsStress.h"
#include "engine/NonmetricMds.h"
#include "engine/NumberText.h"
#include "engine/comparison/MeasureMatrix.h"
#include "engine/measures/Measures.h"
#include "output/FittedAxisLabels.h"
#include "output/MdsGraph.h"
#include "tests/app/ClusteredProfiles.h"
#include "tests/app/MainWindowFixture.h"
#include "tests/engine/CommandOutput.h"

namespace {

using kestrel::Measure;

constexpr int kSamples = kestrel::testsupport::kClusteredSamples;

class ManyMeasuresPage : public kestrel::testsupport::MainWindowTest {
  protected:
    void open(int zeroSample = -1) {
        writeSettings();
        m_form = std::make_unique<TForm1>(m_ui);
        m_form->resize(1500, 950);
        m_form->show();
        kestrel::testsupport::compareClusteredProfiles(*m_form, m_ui,
                                                       m_dir.filePath("families.csv"), zeroSample);
        m_page = m_form->ManyResults;
        ASSERT_TRUE(m_page->results().matrix);
        QCoreApplication::processEvents();
    }

    // What a user does: picks the measure's entry in the chooser.
    void choose(Measure measure) {
        const int index = m_page->cbMeasure->findData(int(measure));
        ASSERT_GE(index, 0);
        m_page->cbMeasure->setCurrentIndex(index);
        emit m_page->cbMeasure->activated(index);
    }

    kestrel::SquareMatrix dissimilarities() const {
        const auto& matrix = *m_page->results().matrix;
        return kestrel::dissimilaritiesOf(matrix, matrix.mapMeasure);
    }

    QString name(int s) const {
        return QString::fromStdString(m_page->results().matrix->names[size_t(s)]);
    }

    QPoint pointPixel(int sample) const {
        const auto& p = m_page->results().map.points[size_t(sample)];
        return QPointF(m_page->MdsMap->xAxis->coordToPixel(p[0]),
                       m_page->MdsMap->yAxis->coordToPixel(p[1]))
            .toPoint();
    }

    QString mapTipAt(QPoint at) const {
        QHelpEvent help(QEvent::ToolTip, at, m_page->MdsMap->mapToGlobal(at));
        QCoreApplication::sendEvent(m_page->MdsMap, &help);
        return QToolTip::text();
    }

    std::unique_ptr<TForm1> m_form;
    kestrel::ManyResultsPage* m_page = nullptr;
};

void expectSameMap(const kestrel::MdsMap& shown, const kestrel::MdsMap& expected) {
    ASSERT_EQ(shown.points.size(), expected.points.size());
    for (size_t i = 0; i < shown.points.size(); ++i) {
        EXPECT_NEAR(shown.points[i][0], expected.points[i][0], 1e-12) << i;
        EXPECT_NEAR(shown.points[i][1], expected.points[i][1], 1e-12) << i;
    }
}

// The two nearest of every sample by a plain search of the matrix, lower index first on ties.
std::vector<std::pair<int, int>> bruteNearest(const kestrel::SquareMatrix& d) {
    std::vector<std::pair<int, int>> nearest;
    for (int i = 0; i < d.size; ++i) {
        std::vector<int> others;
        for (int j = 0; j < d.size; ++j)
            if (j != i) others.push_back(j);
        std::stable_sort(others.begin(), others.end(),
                         [&](int a, int b) { return d.at(i, a) < d.at(i, b); });
        nearest.emplace_back(others[0], others[1]);
    }
    return nearest;
}

// Each neighbour line as (start sample, end sample, dashed), found by its ends on the map.
std::set<std::tuple<int, int, bool>> neighbourLines(QCustomPlot& map, const kestrel::MdsMap& mds) {
    const auto sampleAt = [&](QPointF at) {
        for (size_t i = 0; i < mds.points.size(); ++i)
            if (at == QPointF(mds.points[i][0], mds.points[i][1])) return int(i);
        return -1;
    };
    std::set<std::tuple<int, int, bool>> lines;
    for (int i = 0; i < map.itemCount(); ++i) {
        auto* line = qobject_cast<QCPItemLine*>(map.item(i));
        if (!line || line->layer()->name() != kestrel::kNeighboursLayer) continue;
        lines.emplace(sampleAt(line->start->coords()), sampleAt(line->end->coords()),
                      line->pen().style() == Qt::DashLine);
    }
    return lines;
}

// Every line of a .csv file split into its cells.
std::vector<QStringList> csvRows(const QString& path) {
    std::vector<QStringList> rows;
    const QString text = QString::fromStdString(kestrel::testsupport::readAll(path));
    for (const QString& line : text.split("\r\n", Qt::SkipEmptyParts))
        rows.push_back(line.split(','));
    return rows;
}

TEST_F(ManyMeasuresPage, EveryMeasureRedrawsTheMapHeatMapAndTable) {
    open();
    const kestrel::MdsMap firstMap = m_page->results().map;
    const QString firstNote = m_page->lNote->text();
    // Profile columns have every measure of profiles.
    std::vector<kestrel::MeasureInfo> all;
    std::copy_if(kestrel::allMeasures().begin(), kestrel::allMeasures().end(),
                 std::back_inserter(all),
                 [](const kestrel::MeasureInfo& m) { return m.ofProfiles; });
    ASSERT_EQ(m_page->cbMeasure->count(), int(all.size()));
    EXPECT_EQ(m_page->cbMeasure->itemText(0), "KS D");
    EXPECT_EQ(m_page->cbMeasure->currentData().toInt(), int(Measure::KsD));
    m_page->choosePair(0, 5);

    for (auto it = all.rbegin(); it != all.rend(); ++it) {  // D last: back where it started
        SCOPED_TRACE(it->name);
        choose(it->measure);
        const auto& matrix = *m_page->results().matrix;
        ASSERT_EQ(matrix.mapMeasure, it->measure);
        const kestrel::SquareMatrix d = kestrel::dissimilaritiesOf(matrix, it->measure);
        expectSameMap(m_page->results().map, kestrel::classicalMds(d));
        EXPECT_EQ(m_page->MdsMap->graph(0)->dataCount(), kSamples);
        auto* title = qobject_cast<QCPTextElement*>(m_page->HeatMap->plotLayout()->element(0, 0));
        const QString shown = QString::fromUtf8(it->name);
        EXPECT_EQ(title->text(), (it->likeness ? "1 - " + shown : shown) +
                                     (it->measure == Measure::KsD ? " " : "\n") +
                                     "(MDS axis 1 order)");
        const QAbstractItemModel& table = *m_page->MatrixGrid->model();
        const kestrel::SquareMatrix& values = *kestrel::measureValuesOf(matrix, it->measure);
        for (int r = 0; r < kSamples; ++r)
            for (int c = 0; c < kSamples; ++c)
                ASSERT_EQ(table.data(table.index(r, c), Qt::EditRole).toDouble(), values.at(r, c));
        const QString tip = table.data(table.index(3, 7), Qt::ToolTipRole).toString();
        EXPECT_TRUE(tip.contains(shown + " = "));
        // A measure without p-values says so; D and V without grain counts say nothing.
        const bool testable = it->measure == Measure::KsD || it->measure == Measure::KuiperV;
        EXPECT_EQ(tip.contains("p = —"), !testable) << tip.toStdString();
        EXPECT_TRUE(m_page->lPair->text().contains(shown + " = "));
        EXPECT_TRUE(
            mapTipAt(pointPixel(9))
                .contains(QString("%1 to %2 = %3")
                              .arg(shown, name(0), QLocale().toString(values.at(9, 0), 'f', 4))))
            << mapTipAt(pointPixel(9)).toStdString();
    }
    // KS D, classical, no neighbours: the page as it was first drawn.
    expectSameMap(m_page->results().map, firstMap);
    EXPECT_EQ(m_page->lNote->text(), firstNote);
    EXPECT_TRUE(
        firstNote.contains(" Classical map of D: stress-1 " +
                           QString::fromStdString(kestrel::formatFixed(
                               kestrel::metricStress(m_page->results().matrix->D(), firstMap), 4))))
        << firstNote.toStdString();
}

TEST_F(ManyMeasuresPage, NonmetricMapShepardPlotNeighboursAndSavedMatrix) {
    open();
    choose(Measure::Wasserstein2);
    const kestrel::SquareMatrix d = dissimilarities();
    const kestrel::MdsMap classical = kestrel::classicalMds(d);
    EXPECT_TRUE(m_page->lNote->text().contains(
        "Classical map of W2: stress-1 " +
        QString::fromStdString(kestrel::formatFixed(kestrel::metricStress(d, classical), 4))));

    m_page->chkNonmetric->setChecked(true);
    const kestrel::NonmetricMdsResult nonmetric = kestrel::nonmetricMds(d, classical);
    expectSameMap(m_page->results().map, nonmetric.map);
    EXPECT_LE(nonmetric.stress, kestrel::metricStress(d, classical));
    const QString stress = QString::fromStdString(kestrel::formatFixed(nonmetric.stress, 4));
    EXPECT_TRUE(m_page->lNote->text().contains("Nonmetric map of W2: stress-1 " + stress +
                                               " (excellent, by Kruskal's scale)."))
        << m_page->lNote->text().toStdString();
    EXPECT_TRUE(m_page->lNote->text().contains("holds ") &&
                m_page->lNote->text().contains(" of the map's spread"));
    EXPECT_TRUE(kestrel::fullLabel(*m_page->MdsMap->xAxis).endsWith("of the map's spread)"));
    // Shortened to fit the page's map, never cut.
    const QFontMetrics metrics(m_page->MdsMap->xAxis->labelFont());
    EXPECT_LE(metrics.horizontalAdvance(m_page->MdsMap->xAxis->label()),
              m_page->MdsMap->axisRect()->width());
    const int pairs = kSamples * (kSamples - 1) / 2;
    EXPECT_EQ(m_page->Shepard->graph(0)->dataCount(), pairs);
    EXPECT_EQ(m_page->Shepard->graph(1)->dataCount(), pairs) << "the disparities";

    m_page->chkNeighbours->setChecked(true);
    const auto nearest = bruteNearest(d);
    std::set<std::tuple<int, int, bool>> expected;
    for (int i = 0; i < kSamples; ++i) {
        expected.emplace(i, nearest[size_t(i)].first, false);
        expected.emplace(i, nearest[size_t(i)].second, true);
    }
    const auto lines = neighbourLines(*m_page->MdsMap, m_page->results().map);
    EXPECT_EQ(lines.size(), size_t(2 * kSamples));
    EXPECT_EQ(lines, expected);

    // Save matrix: every measure's block, the map in view with its neighbours and stress.
    const QString saved = m_dir.filePath("saved.csv");
    m_ui.saveAnswers.push_back(kestrel::FileChoice{saved, 1});
    QTest::mouseClick(m_page->bbSaveMatrix, Qt::LeftButton);
    const std::vector<QStringList> rows = csvRows(saved);
    QStringList headings;
    for (const QStringList& row : rows)
        if (!row[0].isEmpty() && row.size() > 1 && row[1] == "S1") headings << row[0];
    EXPECT_EQ(headings, (QStringList{"Kuiper V", "Similarity", "Likeness", "R²", "W2"}));
    const auto mds = std::find_if(rows.begin(), rows.end(),
                                  [](const QStringList& row) { return row[0] == "MDS"; });
    ASSERT_NE(mds, rows.end());
    EXPECT_EQ(*mds, (QStringList{"MDS", "Axis 1", "Axis 2", "Nearest", "Second nearest"}));
    ASSERT_GE(rows.end() - mds, kSamples + 3);
    for (int i = 0; i < kSamples; ++i) {
        const QStringList& row = mds[i + 1];
        EXPECT_EQ(row[3], name(nearest[size_t(i)].first));
        EXPECT_EQ(row[4], name(nearest[size_t(i)].second));
        EXPECT_EQ(row[1].toDouble(), nonmetric.map.points[size_t(i)][0]);
    }
    EXPECT_EQ(mds[kSamples + 2][0], "Stress-1");
    EXPECT_EQ(mds[kSamples + 2][1].toDouble(), nonmetric.stress);

    // Back to KS D with the options off: no lines, no neighbour columns, the map's stress last.
    choose(Measure::KsD);
    m_page->chkNonmetric->setChecked(false);
    m_page->chkNeighbours->setChecked(false);
    EXPECT_TRUE(neighbourLines(*m_page->MdsMap, m_page->results().map).empty());
    m_ui.saveAnswers.push_back(kestrel::FileChoice{saved, 1});
    QTest::mouseClick(m_page->bbSaveMatrix, Qt::LeftButton);
    const std::vector<QStringList> plain = csvRows(saved);
    EXPECT_TRUE(std::count(plain.begin(), plain.end(), QStringList{"MDS", "Axis 1", "Axis 2"}));
    EXPECT_EQ(plain[plain.size() - 2][0], "Share of variance");
    EXPECT_EQ(plain.back()[0], "Stress-1");
}

TEST_F(ManyMeasuresPage, ProfileOfZerosLeavesOutW2AndSaysWhy) {
    open(4);
    EXPECT_EQ(m_page->cbMeasure->findData(int(Measure::Wasserstein2)), -1);
    // Every measure of profiles but W2; a measure of grain ages alone is not offered for profiles.
    const auto ofProfiles =
        std::count_if(kestrel::allMeasures().begin(), kestrel::allMeasures().end(),
                      [](const kestrel::MeasureInfo& m) { return m.ofProfiles; });
    EXPECT_EQ(m_page->cbMeasure->count(), int(ofProfiles) - 1);
    EXPECT_TRUE(m_page->lNote->text().contains("W2 is not offered (W2 has no value for S5"))
        << m_page->lNote->text().toStdString();
}

// With no sample chosen, a point's tip names the most alike sample: the least dissimilarity in
// its row, found by a plain search, for a distance and for a likeness; with two chosen, the pair
// line gives their value. The map itself is numpy's classical map
// (tests/engine/mds_sklearn_oracle.py): the same distances between all points.
TEST_F(ManyMeasuresPage, MapTipAndPairLineNameTheRightSamplesOfNumpysMap) {
    open();
    for (const Measure measure : {Measure::KsD, Measure::Similarity}) {
        choose(measure);
        const kestrel::MeasureInfo& info = kestrel::measureInfo(measure);
        SCOPED_TRACE(info.name);
        const kestrel::SquareMatrix d = dissimilarities();
        const kestrel::SquareMatrix& values =
            *kestrel::measureValuesOf(*m_page->results().matrix, measure);
        for (const int point : {0, 9, 22}) {
            const QString tip = mapTipAt(pointPixel(point));
            // The tip's first name is the sample it speaks of (points may touch).
            const QString first = tip.section('\n', 0, 0).section(", ", 0, 0);
            int sample = -1;
            for (int s = 0; s < kSamples; ++s)
                if (name(s) == first) sample = s;
            ASSERT_GE(sample, 0) << tip.toStdString();
            int alike = -1;
            for (int s = 0; s < kSamples; ++s)
                if (s != sample && (alike < 0 || d.at(sample, s) < d.at(sample, alike))) alike = s;
            EXPECT_TRUE(
                tip.contains(QString("most alike: %1, %2 = %3")
                                 .arg(name(alike), QString::fromUtf8(info.name),
                                      QLocale().toString(values.at(sample, alike), 'f', 4))))
                << tip.toStdString();
        }
    }

    // Two samples chosen: the pair line gives their value of the measure shown.
    m_page->choosePair(3, 17);
    const QString pair =
        QString("%1 and %2: Similarity = %3")
            .arg(name(3), name(17),
                 QLocale().toString(
                     kestrel::measureValuesOf(*m_page->results().matrix, Measure::Similarity)
                         ->at(3, 17),
                     'f', 4));
    EXPECT_TRUE(m_page->lPair->text().startsWith(pair)) << m_page->lPair->text().toStdString();

    QFile matrix(m_dir.filePath("d.txt"));
    ASSERT_TRUE(matrix.open(QIODevice::WriteOnly));
    const kestrel::SquareMatrix d = dissimilarities();
    for (const double value : d.values) matrix.write(QByteArray::number(value, 'g', 17) + "\n");
    matrix.close();
    const std::string distances = kestrel::testsupport::commandOutput(
        "/usr/bin/python3 -c \"import sys, numpy as np; sys.path.insert(0, '" KESTREL_SOURCE_DIR
        "/tests/engine'); from mds_sklearn_oracle import classical, pair_distances; "
        "d = np.loadtxt('" +
        m_dir.filePath("d.txt").toStdString() + "').reshape(" + std::to_string(kSamples) +
        ", -1); "
        "print(*pair_distances(classical(d)))\"");
    std::istringstream expected(distances);
    const std::vector<double> shown = kestrel::pairDistances(m_page->results().map);
    size_t pairs = 0;
    for (double distance; expected >> distance; ++pairs) {
        ASSERT_LT(pairs, shown.size());
        EXPECT_NEAR(shown[pairs], distance, 1e-9) << pairs;
    }
    EXPECT_EQ(pairs, shown.size());
}

// A third click starts a new pair and a cell of the diagonal chooses nothing; results mapped by
// another measure than D open with it in the chooser; only a nonmetric map of three tight groups
// is said to have collapsed.
TEST_F(ManyMeasuresPage, ChoicesFollowTheClicksAndTheMapShown) {
    open();
    for (const int sample : {1, 2, 3}) m_page->chooseSample(sample);
    EXPECT_EQ(m_page->chosenSamples(), std::vector<int>{3});
    EXPECT_EQ(m_page->lPair->text(), name(3) + " chosen: click its partner");
    m_page->choosePair(3, 17);
    m_page->choosePair(5, 5);
    EXPECT_EQ(m_page->chosenSamples(), (std::vector<int>{3, 17}));

    kestrel::ManyProfilesResults bySimilarity = m_page->results();
    auto copy = std::make_shared<kestrel::ProfileMatrix>(*bySimilarity.matrix);
    copy->mapMeasure = Measure::Similarity;
    bySimilarity.map = kestrel::classicalMds(kestrel::dissimilaritiesOf(*copy, copy->mapMeasure));
    bySimilarity.matrix = copy;
    m_page->showResults(bySimilarity);
    EXPECT_EQ(m_page->cbMeasure->currentData().toInt(), int(Measure::Similarity));

    // Fifteen samples in three groups of five, 0.1 apart within a group and 0.8 across.
    const int k = 15;
    auto grouped = std::make_shared<kestrel::ProfileMatrix>();
    kestrel::SquareMatrix d{k, std::vector<double>(size_t(k) * k, 0.0)};
    for (int i = 0; i < k; ++i) {
        grouped->names.push_back("G" + std::to_string(i + 1));
        for (int j = 0; j < k; ++j)
            if (i != j) d.values[size_t(i) * k + j] = i / 5 == j / 5 ? 0.1 : 0.8;
    }
    grouped->measures.push_back({Measure::KsD, d, std::nullopt});
    kestrel::ManyProfilesResults groups;
    groups.map = kestrel::classicalMds(d);
    groups.matrix = grouped;
    groups.rows = 10;
    m_page->showResults(groups);
    const QString collapsed = "The nonmetric map has collapsed its groups to points";
    EXPECT_FALSE(m_page->lNote->text().contains(collapsed));
    m_page->chkNonmetric->setChecked(true);
    EXPECT_TRUE(m_page->lNote->text().contains(collapsed)) << m_page->lNote->text().toStdString();
}

}  // namespace
