// File > Compare many...: the dialog that picks the workbook, sheet, rows and the profile
// columns of a many-profile comparison.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <optional>

#include "sheet/core/ProfileColumns.h"
#include "sheet/core/SpreadsheetCore.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kestrel {
class UserInteraction;
}

/// @brief What the dialog's OK leaves: the workbook (its full path), the sheet and the range.
struct ManyProfilesRequest {
    QString workbookPath;
    QString ageColumn;
    int sheet = 1;
    kestrel::ProfileColumnsRange range;
};

/// @brief Modal dialog on a workbook: the loaded one (`loaded`, whose path is `loadedPath`) to
/// begin with, or another chosen with "Workbook...". Sheet list; Age column, From row and To row
/// (the Age column's last filled row, as Find end gives it); Profile columns, by default every
/// column right of the Age column whose first row holds a number; an optional Grains row.
/// OK checks From row, To row, the rows together (the import dialog's messages), then the Age
/// column, the profile columns and the grains row; a bad entry gets a plain message and the
/// dialog stays open.
class CompareManyDialog : public QDialog {
    Q_OBJECT

  public:
    CompareManyDialog(const kestrel::SpreadsheetCore* loaded, const QString& loadedPath,
                      const QString& ageColumn, const QString& fromRow,
                      kestrel::UserInteraction& ui, QWidget* parent);

    /// @brief The workbook the dialog shows: the loaded one or its own.
    const kestrel::SpreadsheetCore* workbook() const;
    /// @brief The workbook chosen with Workbook..., handed over (null when the loaded one is used).
    std::unique_ptr<kestrel::SpreadsheetCore> takeOwnWorkbook() { return std::move(m_own); }
    /// @brief After OK: what to compare.
    const ManyProfilesRequest& request() const { return m_request; }

    void bbWorkbookClick();
    void bbOKClick();
    /// @brief Another sheet or Age column: To row and the profile columns are proposed afresh.
    void proposeRange();

    QLabel* lWorkbook = nullptr;
    QPushButton* bbWorkbook = nullptr;
    QComboBox* cbSheetName = nullptr;
    QLineEdit* eAgeColStr = nullptr;
    QLineEdit* eFromRow = nullptr;
    QLineEdit* eToRow = nullptr;
    QLineEdit* eColumns = nullptr;
    QLineEdit* eGrainsRow = nullptr;
    QPushButton* bbOK = nullptr;
    QPushButton* bbCancel = nullptr;

  private:
    void showWorkbook();
    bool refuse(QLineEdit* field, const QString& message);

    const kestrel::SpreadsheetCore* m_loaded;
    std::unique_ptr<kestrel::SpreadsheetCore> m_own;  // a workbook chosen here
    QString m_path;
    kestrel::UserInteraction& m_ui;
    ManyProfilesRequest m_request;
};
