// The sheet import dialog of the Open command: workbook, sheet, rows, columns and age window.
#pragma once

#include <QDialog>

#include "sheet/widgets/SpreadsheetWidget.h"
#include "ui/SettingsFields.h"
#include "ui/UserInteraction.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

/// @brief Modal dialog in which the user picks a workbook file, one of its sheets, the rows to
/// import, the Age and the two Y data columns and the age window width. It previews the chosen
/// sheet, can find the last filled row of the Age column, checks the entries on OK and leaves
/// everything in the shared settings; the caller then loads `state.WorkbookPath`.
///
/// Errors of loading a workbook (kestrel::KestrelError) propagate out of the handlers to the
/// application's general error report; the dialog then stays open as it was.
class TfmSheetImport : public QDialog {
    Q_OBJECT
  public:
    TfmSheetImport(kestrel::SettingsFields& state, kestrel::UserInteraction& ui,
                   QWidget* parent = nullptr);

    // Button bar, left to right.
    QPushButton* bbCancel = nullptr;
    QPushButton* bbOpenSheet = nullptr;
    QPushButton* bbImport = nullptr;
    /// Preview of the chosen sheet.
    kestrel::SpreadsheetWidget* SprdSheet = nullptr;
    QGroupBox* gbDefineSheet = nullptr;
    QComboBox* cbSheetName = nullptr;
    QGroupBox* gbDefineRows = nullptr;
    QLineEdit* eFromRow = nullptr;
    QLineEdit* eToRow = nullptr;
    QToolButton* sbFindLastRow = nullptr;
    QLabel* lFindNote1 = nullptr;
    QLabel* lFindNote2 = nullptr;
    QGroupBox* gbDefineFields = nullptr;
    QLineEdit* eAgeColStr = nullptr;
    QLineEdit* eY1ColStr = nullptr;
    QLineEdit* eY2ColStr = nullptr;
    QLineEdit* eAgeWindowWidthStr = nullptr;
    /// Under the fields: the sample sizes the comparison will use (setSampleSizesNote()).
    QLabel* lSampleSizes = nullptr;

    /// @brief The file chooser's "Files of type" entries, in order; the chooser opens on the
    /// last, kAllWorkbooksFilter (1-based).
    static QStringList workbookFilters();
    static constexpr int kAllWorkbooksFilter = 6;
    /// @brief A chooser of any workbook: these entries and "All files (*)", opened on "All
    /// workbooks", titled `title`, in `folder`.
    static kestrel::FileDialogSetup anyWorkbookChooser(const QString& title, const QString& folder);
    /// @brief The line under the fields saying which sample sizes the test will use.
    void setSampleSizesNote(const QString& text);

    /// @brief Makes the first show load `path` (a full path) instead of opening the file
    /// chooser, as if the user had chosen it there with the first entry ("Excel 97/Excel 8").
    void setWorkbookToLoad(const QString& path);

    /// @brief First show: hides what needs a workbook, fills the fields from the settings and
    /// opens the file chooser at once (or loads the workbook given by setWorkbookToLoad()).
    void FormShow();
    /// @brief Open: file chooser, load into the preview, sheet list and last-row table.
    void bbOpenSheetClick();
    /// @brief A sheet was chosen from the list or its name typed: select it and find its end.
    void cbSheetNameChange();
    /// @brief Find end: the last filled row of the Age column, scanning from row 2.
    void sbFindLastRowClick();
    /// @brief OK: stores the texts, checks them in order and accepts when all pass.
    void bbImportClick();

    /// @brief The sheet list entry a text names (exactly, ignoring case), or -1.
    int sheetEntryNamed(const QString& text) const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    QWidget* buildButtonBar();
    QGroupBox* buildSheetGroup();
    QGroupBox* buildRowsGroup();
    QGroupBox* buildFieldsGroup();
    void setWorkbookControlsVisible(bool visible);
    void loadWorkbook(const QString& chosenPath, int16_t fileType);
    void fillFieldsFromSettings();
    void fillSheetList();
    void resetLastRowTable();
    void showPreviewTopLeft();
    void setLastRowEntry(int sheet, int32_t lastRow);
    int32_t lastRowEntry(int sheet) const;
    bool checkColumn(const std::string& letters, int32_t& column, const char* caption);
    /// Reads the chosen rows as the calculation will; false, with its message, when they do not.
    bool rangeReads();
    void onSheetListTextChanged(const QString& text);
    void onSheetListActivated();

    kestrel::SettingsFields& m_state;
    kestrel::UserInteraction& m_ui;
    bool m_shownOnce = false;
    QString m_workbookToLoad;  // loaded by the first show instead of the file chooser's choice
    bool m_fillingSheetList = false;
    int m_selectedEntry = -1;  // the sheet list entry last chosen
    // Sheet choices run by text changes, in all and as seen by the last activation of the list.
    int m_choicesByText = 0;
    int m_choicesByTextAtActivation = 0;
};
