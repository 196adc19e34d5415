// The spreadsheet component as a widget: the current-cell core plus a grid of the active sheet
// with a frozen heading band, zoom and scrolling to the current cell.
#pragma once

#include <QFont>
#include <QTimer>
#include <QWidget>

#include "sheet/core/SpreadsheetCore.h"

class QFrame;
class QTableView;

namespace kestrel {

class SheetTableModel;

/// @brief A SpreadsheetCore shown as a grid. The grid has `MaxRow` rows of the active sheet and
/// max(last used column, 26) columns headed A, B, ...; the first `FixedRows` rows stay in view
/// above the scrolling rows; `ViewScale` zooms font and cell sizes in percent; ShowCurrentCell
/// scrolls to the current cell and selects it. Cell changes made through the core are gathered
/// and shown once on the next turn of the event loop, so a loop of SetNumber calls costs one
/// repaint; loading a workbook and ShowCurrentCell bring the grid up to date at once.
class SpreadsheetWidget : public QWidget, public SpreadsheetCore {
    Q_OBJECT
  public:
    explicit SpreadsheetWidget(QWidget* parent = nullptr);
    ~SpreadsheetWidget() override;

    /// @brief Brings the grid up to date with the core now instead of on the next event loop
    /// turn.
    void refreshNow();
    /// @brief True while changes of the core wait to be shown.
    bool refreshPending() const { return m_refreshTimer.isActive(); }

    /// @brief The frozen band (column letters and the first FixedRows rows) and the scrolling
    /// rows below it. Both share column widths and horizontal scrolling.
    QTableView* headingView() const { return m_heading; }
    QTableView* bodyView() const { return m_body; }
    SheetTableModel* headingModel() const { return m_headingModel; }
    SheetTableModel* bodyModel() const { return m_bodyModel; }

    /// @brief Widens columns 1..`columns` to their contents (the frozen band and the first
    /// thousand or so rows below it), never below the default width. Lasts until the grid's
    /// shape or zoom changes.
    void fitColumnsToContents(int columns);

    /// @brief Row height and column width in pixels at the current ViewScale.
    int rowHeight() const { return m_rowHeight; }
    int columnWidth() const { return m_columnWidth; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildViews();
    void onCoreChange(SheetChange change);
    void applyViewScale();
    void updateShape();
    void updateRowHeaderWidth();
    void updateHeadingHeight();
    void updateCornerWidth();
    void scrollToCurrentCell();
    void rescrollToCurrentCell();
    int frozenRowCount() const;

    QFont m_baseFont;
    QTableView* m_heading = nullptr;
    QTableView* m_body = nullptr;
    QWidget* m_corner = nullptr;
    QFrame* m_frame = nullptr;
    SheetTableModel* m_headingModel = nullptr;
    SheetTableModel* m_bodyModel = nullptr;
    QTimer m_refreshTimer;
    bool m_waitCursor = false;  // shown while a workbook loads
    void scheduleRefresh();
    bool m_viewDirty = true;
    bool m_scrollOnShow = false;
    bool m_rescrollQueued = false;
    int m_minColumns = 26;
    int m_rowHeight = 0;
    int m_columnWidth = 0;
};

}  // namespace kestrel
