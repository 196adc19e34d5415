// The depositional ages as a table: one row per sample and estimator, in the samples' order and
// the estimators' table order, with the age, its 95% interval below and above, the MSWD, the
// grains used and a note; "none" where an estimator found nothing, its reason in the tooltip.
#pragma once

#include <QAbstractTableModel>
#include <vector>

#include "engine/density/GrainSample.h"
#include "engine/depositional/DepositionalAges.h"

class QItemSelectionModel;

namespace kestrel {

class DepositionalTableModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Column { Sample, Grains, Method, Age, Minus, Plus, Mswd, Used, Note, Columns };

    using QAbstractTableModel::QAbstractTableModel;

    /// @brief The samples and each one's estimates (`estimates[s]` of `samples[s]`).
    void setEstimates(std::vector<GrainSample> samples,
                      std::vector<std::vector<DepositionalEstimate>> estimates);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    struct Row {
        size_t sample, estimate;
    };
    QVariant display(const Row& row, int column) const;
    QVariant value(const Row& row, int column) const;
    QString toolTip(const Row& row, int column) const;

    std::vector<GrainSample> m_samples;
    std::vector<std::vector<DepositionalEstimate>> m_estimates;
    std::vector<Row> m_rows;
};

/// @brief What the estimate says in words beyond its numbers: why it found nothing, or that the
/// maximum likelihood fit lies on a bound of its parameters and what that means; empty otherwise.
QString depositionalNote(const DepositionalEstimate& estimate);

/// @brief The selected cells of a view over the table (all of it when none is selected) as
/// tab-separated text, headings first; numbers in full precision with "." as decimal point,
/// an estimate that found nothing as "none".
QString depositionalSelectionText(const QAbstractItemModel& model,
                                  const QItemSelectionModel* selection);

}  // namespace kestrel
