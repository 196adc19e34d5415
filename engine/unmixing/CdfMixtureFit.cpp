// Minimum-D and minimum-V mixtures of source age distributions, by constraint generation on
// GLPK's dual simplex.
#include "engine/unmixing/CdfMixtureFit.h"

#include <glpk.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <utility>

#include "engine/KestrelError.h"

namespace kestrel {
namespace {

constexpr double kViolation = 1e-12;  // a point the mixture misses by more is added
constexpr size_t kStartPoints = 16;   // points of each side the first programme holds
constexpr size_t kAddedPerRound = 8;  // the most violated points added per round

// One point's side: 0 the sink above the mixture, 1 the mixture above the sink.
struct Side {
    size_t row;
    int side;
};

// The sorted copy of the ages.
std::vector<double> sorted(std::vector<double> ages) {
    std::sort(ages.begin(), ages.end());
    return ages;
}

// A linear programme of GLPK, freed with GLPK's per-thread environment when done, so worker
// threads leave nothing behind.
class Programme {
  public:
    Programme() : m_lp(glp_create_prob()) {}
    ~Programme() {
        glp_delete_prob(m_lp);
        glp_free_env();
    }
    Programme(const Programme&) = delete;
    Programme& operator=(const Programme&) = delete;
    glp_prob* get() const { return m_lp; }

  private:
    glp_prob* m_lp;
};

// Columns 1..m: the weights; m+1: t (D) or t+ (V); m+2: t- (V). Row 1: the weights sum to 1.
void setUpColumns(glp_prob* lp, size_t m, CdfDistance distance) {
    const int gaps = distance == CdfDistance::D ? 1 : 2;
    glp_set_obj_dir(lp, GLP_MIN);
    glp_add_cols(lp, static_cast<int>(m) + gaps);
    for (int j = 1; j <= static_cast<int>(m) + gaps; ++j) {
        glp_set_col_bnds(lp, j, GLP_LO, 0.0, 0.0);
        glp_set_obj_coef(lp, j, j > static_cast<int>(m) ? 1.0 : 0.0);
    }
    std::vector<int> index(m + 1);
    std::vector<double> ones(m + 1, 1.0);
    for (size_t j = 1; j <= m; ++j) index[j] = static_cast<int>(j);
    glp_add_rows(lp, 1);
    glp_set_mat_row(lp, 1, static_cast<int>(m), index.data(), ones.data());
    glp_set_row_bnds(lp, 1, GLP_FX, 1.0, 1.0);
}

// Side 0: sum_i w_i F_i + gap >= F_sink; side 1: sum_i w_i F_i - gap <= F_sink.
void addPointRow(glp_prob* lp, const CdfTable& table, Side point, CdfDistance distance) {
    const size_t m = table.sources;
    const double* row = table.values.data() + point.row * (1 + m);
    std::vector<int> index(m + 2);
    std::vector<double> value(m + 2);
    for (size_t i = 1; i <= m; ++i) {
        index[i] = static_cast<int>(i);
        value[i] = row[i];
    }
    const bool below = point.side == 1 && distance == CdfDistance::V;
    index[m + 1] = static_cast<int>(m) + (below ? 2 : 1);
    value[m + 1] = point.side == 0 ? 1.0 : -1.0;
    const int r = glp_add_rows(lp, 1);
    glp_set_mat_row(lp, r, static_cast<int>(m) + 1, index.data(), value.data());
    if (point.side == 0) {
        glp_set_row_bnds(lp, r, GLP_LO, row[0], 0.0);
    } else {
        glp_set_row_bnds(lp, r, GLP_UP, 0.0, row[0]);
    }
}

// The weights (clipped at 0 and summing to 1) and gaps of the programme's optimum.
std::pair<std::vector<double>, std::vector<double>> solve(glp_prob* lp, size_t m) {
    glp_smcp parameters;
    glp_init_smcp(&parameters);
    parameters.msg_lev = GLP_MSG_OFF;
    parameters.meth = GLP_DUALP;
    if (glp_simplex(lp, &parameters) != 0 || glp_get_status(lp) != GLP_OPT) {
        throw KestrelError("Unmixing: the linear programme of the mixture found no optimum (GLPK)");
    }
    std::vector<double> weights(m);
    double sum = 0.0;
    for (size_t i = 0; i < m; ++i) {
        weights[i] = std::max(0.0, glp_get_col_prim(lp, static_cast<int>(i) + 1));
        sum += weights[i];
    }
    for (double& w : weights) w /= sum;
    std::vector<double> gaps;
    for (int j = static_cast<int>(m) + 1; j <= glp_get_num_cols(lp); ++j)
        gaps.push_back(glp_get_col_prim(lp, j));
    return {weights, gaps};
}

// F_sink - M at every row.
std::vector<double> differences(const CdfTable& table, const std::vector<double>& weights) {
    const size_t m = table.sources;
    std::vector<double> gap(table.rows());
    for (size_t j = 0; j < gap.size(); ++j) {
        const double* row = table.values.data() + j * (1 + m);
        double mixture = 0.0;
        for (size_t i = 0; i < m; ++i) mixture += weights[i] * row[1 + i];
        gap[j] = row[0] - mixture;
    }
    return gap;
}

// The points the solution misses by more than kViolation, the worst first, at most
// kAddedPerRound, leaving out those already in the programme.
std::vector<Side> worstViolations(const std::vector<double>& gap, const std::vector<double>& t,
                                  const std::vector<char>& taken) {
    std::vector<std::pair<double, Side>> found;
    const double above = t.front(), below = t.back();
    for (size_t j = 0; j < gap.size(); ++j) {
        if (gap[j] - above > kViolation && !taken[2 * j]) found.push_back({gap[j] - above, {j, 0}});
        if (-gap[j] - below > kViolation && !taken[2 * j + 1])
            found.push_back({-gap[j] - below, {j, 1}});
    }
    const size_t count = std::min(found.size(), kAddedPerRound);
    std::partial_sort(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(count),
                      found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<Side> worst;
    for (size_t q = 0; q < count; ++q) worst.push_back(found[q].second);
    return worst;
}

}  // namespace

CdfTable cdfTable(const std::vector<double>& sinkAges,
                  const std::vector<std::vector<double>>& sourceAges) {
    std::vector<std::vector<double>> samples{sorted(sinkAges)};
    for (const auto& ages : sourceAges) samples.push_back(sorted(ages));
    std::vector<double> pooled;
    for (const auto& ages : samples) pooled.insert(pooled.end(), ages.begin(), ages.end());
    std::sort(pooled.begin(), pooled.end());
    pooled.erase(std::unique(pooled.begin(), pooled.end()), pooled.end());
    CdfTable table;
    table.sources = sourceAges.size();
    const size_t columns = samples.size();
    table.values.assign(pooled.size() * columns, 0.0);
    for (size_t c = 0; c < columns; ++c) {
        const std::vector<double>& ages = samples[c];
        size_t below = 0;
        for (size_t j = 0; j < pooled.size(); ++j) {
            while (below < ages.size() && ages[below] <= pooled[j]) ++below;
            table.values[j * columns + c] =
                static_cast<double>(below) / static_cast<double>(ages.size());
        }
    }
    return table;
}

double mixtureDistance(const CdfTable& table, const std::vector<double>& proportions,
                       CdfDistance distance) {
    double above = 0.0, below = 0.0;
    for (double gap : differences(table, proportions)) {
        above = std::max(above, gap);
        below = std::max(below, -gap);
    }
    return distance == CdfDistance::D ? std::max(above, below) : above + below;
}

SourceMixture fitCdfMixture(const CdfTable& table, CdfDistance distance) {
    const size_t m = table.sources, rows = table.rows();
    Programme programme;
    glp_prob* lp = programme.get();
    setUpColumns(lp, m, distance);
    std::vector<char> taken(2 * rows, 0);
    const auto add = [&](Side point) {
        taken[2 * point.row + static_cast<size_t>(point.side)] = 1;
        addPointRow(lp, table, point, distance);
    };
    for (size_t j = 0; j < rows; j += rows / kStartPoints + 1) {
        add({j, 0});
        add({j, 1});
    }
    while (true) {
        const auto [weights, t] = solve(lp, m);
        const std::vector<Side> worst = worstViolations(differences(table, weights), t, taken);
        if (worst.empty()) return {weights, mixtureDistance(table, weights, distance)};
        for (Side point : worst) add(point);
    }
}

}  // namespace kestrel
