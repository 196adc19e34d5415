// The sheet import dialog: controls, the file chooser and load, sheet choice, the last-row scan
// and the checks of OK.
#include "sheet/widgets/KR_ShtIm.h"

#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <utility>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "sheet/core/AllSorts.h"
#include "sheet/core/ProfileSheet.h"

namespace {

constexpr int kPreviewScale = 70;  // percent
constexpr int kRowsShownWithoutEnd = 10;

QString upperText(const QLineEdit* field) {
    return QString::fromStdString(kestrel::upperAscii(field->text().toStdString()));
}

std::string folderWithSeparator(const QString& folder) {
    std::string path = QFile::encodeName(folder).toStdString();
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

}  // namespace

TfmSheetImport::TfmSheetImport(kestrel::SettingsFields& state, kestrel::UserInteraction& ui,
                               QWidget* parent)
    : QDialog(parent), m_state(state), m_ui(ui) {
    setWindowTitle("Import spreadsheet");
    buildControls();
    resize(620, 560);
}

// ---------------------------------------------------------------------------------------------
// Controls

void TfmSheetImport::buildControls() {
    SprdSheet = new kestrel::SpreadsheetWidget(this);
    SprdSheet->SetFixedRows(1);
    SprdSheet->SetViewScale(kPreviewScale);

    buildFieldsGroup();
    auto* groups = new QHBoxLayout;
    groups->addWidget(buildSheetGroup());
    groups->addWidget(buildRowsGroup(), 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildButtonBar());
    layout->addWidget(SprdSheet, 1);
    layout->addLayout(groups);
    layout->addWidget(gbDefineFields);
    // Without the preview the spare room goes below the groups, not into them.
    layout->addStretch(0);
}

QWidget* TfmSheetImport::buildButtonBar() {
    auto* bar = new QFrame(this);
    bar->setFrameShape(QFrame::StyledPanel);
    bbCancel = new QPushButton(style()->standardIcon(QStyle::SP_DialogCancelButton), "Cancel", bar);
    bbOpenSheet = new QPushButton(style()->standardIcon(QStyle::SP_DialogOpenButton), "&Open", bar);
    bbImport = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton), "OK", bar);
    bbCancel->setAutoDefault(false);
    bbOpenSheet->setAutoDefault(false);
    bbImport->setDefault(true);

    auto* row = new QHBoxLayout(bar);
    row->addWidget(bbCancel);
    row->addStretch(1);
    row->addWidget(bbOpenSheet);
    row->addStretch(1);
    row->addWidget(bbImport);

    connect(bbCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(bbOpenSheet, &QPushButton::clicked, this, &TfmSheetImport::bbOpenSheetClick);
    connect(bbImport, &QPushButton::clicked, this, &TfmSheetImport::bbImportClick);
    return bar;
}

QGroupBox* TfmSheetImport::buildSheetGroup() {
    gbDefineSheet = new QGroupBox("Define sheet from which to import", this);
    cbSheetName = new QComboBox(gbDefineSheet);
    cbSheetName->setEditable(true);
    cbSheetName->setInsertPolicy(QComboBox::NoInsert);
    // Only a whole sheet name chooses a sheet: completing a partial name would choose (and scan)
    // sheets the user did not mean.
    cbSheetName->setCompleter(nullptr);
    cbSheetName->setEditText("Sheet1");
    cbSheetName->setMinimumContentsLength(16);
    auto* layout = new QVBoxLayout(gbDefineSheet);
    layout->addWidget(cbSheetName);
    layout->addStretch(1);
    connect(cbSheetName, &QComboBox::currentTextChanged, this,
            &TfmSheetImport::onSheetListTextChanged);
    connect(cbSheetName, &QComboBox::activated, this, &TfmSheetImport::onSheetListActivated);
    return gbDefineSheet;
}

QGroupBox* TfmSheetImport::buildRowsGroup() {
    gbDefineRows = new QGroupBox("Define rows to import", this);
    eFromRow = new QLineEdit(gbDefineRows);
    eToRow = new QLineEdit(gbDefineRows);
    for (QLineEdit* row : {eFromRow, eToRow}) row->setFixedWidth(70);
    sbFindLastRow = new QToolButton(gbDefineRows);
    sbFindLastRow->setIcon(style()->standardIcon(QStyle::SP_ArrowDown));
    sbFindLastRow->setToolTip("Find end of file");
    sbFindLastRow->setAutoRaise(true);
    lFindNote1 = new QLabel("Number of rows is based on finding", gbDefineRows);
    lFindNote2 = new QLabel("values in the Age column", gbDefineRows);

    auto* layout = new QGridLayout(gbDefineRows);
    layout->addWidget(new QLabel("From row", gbDefineRows), 0, 0);
    layout->addWidget(eFromRow, 0, 1);
    layout->addWidget(new QLabel("To row", gbDefineRows), 1, 0);
    layout->addWidget(eToRow, 1, 1);
    layout->addWidget(sbFindLastRow, 0, 2, 2, 1, Qt::AlignVCenter);
    layout->addWidget(lFindNote1, 0, 3);
    layout->addWidget(lFindNote2, 1, 3);
    layout->setColumnStretch(3, 1);
    connect(sbFindLastRow, &QToolButton::clicked, this, &TfmSheetImport::sbFindLastRowClick);
    return gbDefineRows;
}

QGroupBox* TfmSheetImport::buildFieldsGroup() {
    gbDefineFields = new QGroupBox("Define fields", this);
    eAgeColStr = new QLineEdit(gbDefineFields);
    eY1ColStr = new QLineEdit(gbDefineFields);
    eY2ColStr = new QLineEdit(gbDefineFields);
    eAgeWindowWidthStr = new QLineEdit(gbDefineFields);
    for (QLineEdit* column : {eAgeColStr, eY1ColStr, eY2ColStr}) column->setFixedWidth(50);
    eAgeWindowWidthStr->setFixedWidth(80);

    auto* layout = new QGridLayout(gbDefineFields);
    layout->addWidget(new QLabel("Column", gbDefineFields), 0, 1);
    layout->addWidget(new QLabel("Age column", gbDefineFields), 1, 0);
    layout->addWidget(eAgeColStr, 1, 1);
    layout->addWidget(new QLabel("Y data (1)", gbDefineFields), 2, 0);
    layout->addWidget(eY1ColStr, 2, 1);
    layout->addWidget(new QLabel("Y data (2)", gbDefineFields), 3, 0);
    layout->addWidget(eY2ColStr, 3, 1);
    layout->setColumnMinimumWidth(2, 24);
    layout->addWidget(new QLabel("Time window", gbDefineFields), 1, 3);
    layout->addWidget(eAgeWindowWidthStr, 1, 4);
    layout->addWidget(new QLabel("age units", gbDefineFields), 1, 5);
    // Which sample sizes the test will use, so that grain counts typed for another workbook
    // never apply unseen.
    lSampleSizes = new QLabel(gbDefineFields);
    lSampleSizes->setObjectName("lSampleSizes");
    layout->addWidget(lSampleSizes, 4, 0, 1, 6);
    layout->setColumnStretch(6, 1);
    return gbDefineFields;
}

void TfmSheetImport::setWorkbookControlsVisible(bool visible) {
    bbImport->setVisible(visible);
    SprdSheet->setVisible(visible);
    gbDefineFields->setVisible(visible);
    gbDefineRows->setVisible(visible);
}

// ---------------------------------------------------------------------------------------------
// Showing and opening

void TfmSheetImport::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_shownOnce) {
        m_shownOnce = true;
        FormShow();
    }
}

void TfmSheetImport::setWorkbookToLoad(const QString& path) {
    m_workbookToLoad = path;
}

void TfmSheetImport::FormShow() {
    setWorkbookControlsVisible(false);
    fillFieldsFromSettings();
    if (m_workbookToLoad.isEmpty()) return bbOpenSheetClick();
    // A load that throws leaves the dialog without a workbook; its Open button chooses another.
    const QString path = std::exchange(m_workbookToLoad, QString());
    loadWorkbook(path, kestrel::kFileTypeExcel97);
    showPreviewTopLeft();
}

void TfmSheetImport::fillFieldsFromSettings() {
    eFromRow->setText(QString::fromStdString(m_state.FromRowStr));
    eToRow->setText(QString::fromStdString(m_state.ToRowStr));
    eAgeColStr->setText(QString::fromStdString(m_state.AgeColStr));
    eY1ColStr->setText(QString::fromStdString(m_state.Y1ColStr));
    eY2ColStr->setText(QString::fromStdString(m_state.Y2ColStr));
    eAgeWindowWidthStr->setText(QString::fromStdString(m_state.AgeWindowWidthStr));
}

kestrel::FileDialogSetup TfmSheetImport::anyWorkbookChooser(const QString& title,
                                                            const QString& folder) {
    kestrel::FileDialogSetup setup;
    setup.title = title;
    setup.filters = workbookFilters() << "All files (*)";
    setup.selectedFilter = kAllWorkbooksFilter;
    setup.initialFolder = folder;
    return setup;
}

QStringList TfmSheetImport::workbookFilters() {
    return QStringList{
        "Excel 97/Excel 8 (*.XLS *.xls)", "Excel 5 and 7/95 (*.XLS *.xls)",
        "Excel workbook (*.xlsx *.xlsm)", "OpenDocument spreadsheet (*.ods)",
        "Text, comma separated (*.csv)",  "All workbooks (*.XLS *.xls *.xlsx *.xlsm *.ods *.csv)"};
}

void TfmSheetImport::setSampleSizesNote(const QString& text) {
    lSampleSizes->setText(text);
}

void TfmSheetImport::bbOpenSheetClick() {
    kestrel::FileDialogSetup setup;
    setup.title = "Open";
    // The content decides the format; the filters only narrow what the chooser lists.
    setup.filters = workbookFilters();
    // Every format shows at first: a chooser on the first entry hid .xlsx, .ods and .csv files.
    setup.selectedFilter = kAllWorkbooksFilter;
    setup.initialFolder = QFile::decodeName(QByteArray::fromStdString(m_state.DataImportPath));
    setup.defaultSuffix = "XLS";
    if (const std::optional<kestrel::FileChoice> choice = m_ui.chooseOpenFile(this, setup)) {
        loadWorkbook(choice->path, choice->filterIndex == 2 ? kestrel::kFileTypeExcel5
                                                            : kestrel::kFileTypeExcel97);
    }
    showPreviewTopLeft();
}

void TfmSheetImport::loadWorkbook(const QString& chosenPath, int16_t fileType) {
    const QFileInfo file(chosenPath);
    m_state.DataImportPath = folderWithSeparator(file.absolutePath());
    const std::string path = QFile::encodeName(file.absoluteFilePath()).toStdString();
    // A file that cannot be read throws here: nothing below runs and the dialog stays as it
    // was, apart from the data import path.
    SprdSheet->ReadWorkbook(path, fileType);
    setWorkbookControlsVisible(true);
    m_state.WorkbookFileName = QFile::encodeName(file.fileName()).toStdString();
    m_state.WorkbookPath = path;
    SprdSheet->SetViewScale(kPreviewScale);
    SprdSheet->SetRow(1);
    SprdSheet->SetCol(1);
    resetLastRowTable();
    m_state.SheetIndex = SprdSheet->Sheet();
    fillSheetList();
}

void TfmSheetImport::resetLastRowTable() {
    // Each sheet starts with the rows the preview would show for it: its last used row.
    const int active = SprdSheet->Sheet();
    m_state.SheetLastRows.assign(static_cast<size_t>(SprdSheet->NumSheets()), 1);
    for (int sheet = 1; sheet <= SprdSheet->NumSheets(); ++sheet) {
        SprdSheet->SetSheet(sheet);
        m_state.SheetLastRows[static_cast<size_t>(sheet - 1)] = SprdSheet->MaxRow();
    }
    SprdSheet->SetSheet(active);
}

void TfmSheetImport::fillSheetList() {
    // Filling the list is not a choice of the user: no scan runs.
    QScopedValueRollback<bool> filling(m_fillingSheetList, true);
    cbSheetName->clear();
    for (int sheet = 1; sheet <= SprdSheet->NumSheets(); ++sheet) {
        cbSheetName->addItem(QString::fromStdString(SprdSheet->SheetName(sheet)));
    }
    cbSheetName->setEditText(cbSheetName->itemText(0));
    m_selectedEntry = m_state.SheetIndex - 1;
    cbSheetName->setCurrentIndex(m_selectedEntry);
}

void TfmSheetImport::showPreviewTopLeft() {
    SprdSheet->SetViewScale(kPreviewScale);
    SprdSheet->SetRow(1);
    SprdSheet->SetCol(1);
    SprdSheet->ShowCurrentCell();
}

// ---------------------------------------------------------------------------------------------
// Choosing a sheet and finding its end

int TfmSheetImport::sheetEntryNamed(const QString& text) const {
    const int current = cbSheetName->currentIndex();
    if (current >= 0 && cbSheetName->itemText(current) == text) return current;
    return cbSheetName->findText(text, Qt::MatchFixedString);
}

void TfmSheetImport::onSheetListTextChanged(const QString& text) {
    // Text that names no sheet (yet) leaves the sheet chosen before.
    if (m_fillingSheetList || sheetEntryNamed(text) < 0) return;
    ++m_choicesByText;
    cbSheetNameChange();
}

void TfmSheetImport::onSheetListActivated() {
    // A pick of the entry already shown changes no text, so no choice has run
    // for it: it runs here. A pick that changed the text has run its choice already.
    const bool ranForThisPick = m_choicesByText != m_choicesByTextAtActivation;
    m_choicesByTextAtActivation = m_choicesByText;
    if (ranForThisPick || sheetEntryNamed(cbSheetName->currentText()) < 0) return;
    cbSheetNameChange();
}

void TfmSheetImport::cbSheetNameChange() {
    const int named = sheetEntryNamed(cbSheetName->currentText());
    const int entry = named >= 0 ? named : m_selectedEntry;
    if (entry < 0 || entry >= SprdSheet->NumSheets()) return;
    m_selectedEntry = entry;
    m_state.SheetIndex = entry + 1;
    SprdSheet->SetSheet(m_state.SheetIndex);
    SprdSheet->SetViewScale(kPreviewScale);
    sbFindLastRowClick();
    const int32_t lastRow = lastRowEntry(m_state.SheetIndex);
    SprdSheet->SetMaxRow(lastRow > 1 ? std::min(lastRow, kestrel::kMaxSheetRows)
                                     : kRowsShownWithoutEnd);
    SprdSheet->SetRow(1);
    SprdSheet->SetCol(1);
    SprdSheet->ShowCurrentCell();
}

void TfmSheetImport::sbFindLastRowClick() {
    eToRow->clear();
    m_state.ToRow = 0;
    showPreviewTopLeft();
    try {
        SprdSheet->SetRow(2);  // row 1 holds the headings, whatever the From row says
        SprdSheet->SetCol(kestrel::ColumnNumber(eAgeColStr->text().toStdString()));
        // Any text fills a cell, blanks included; the first empty cell ends the run, and the
        // sheet's last row ends it at the latest.
        while (!SprdSheet->Text().empty()) {
            if (SprdSheet->Row() > m_state.ToRow) m_state.ToRow = SprdSheet->Row();
            if (SprdSheet->Row() == kestrel::kMaxSheetRows) break;
            SprdSheet->SetRow(SprdSheet->Row() + 1);
        }
        eToRow->setText(QString::number(m_state.ToRow));
        setLastRowEntry(m_state.SheetIndex, m_state.ToRow + 1);
    } catch (const std::exception&) {
        m_ui.showWarning(this, "Error reading data for main variable grade");
    }
}

void TfmSheetImport::setLastRowEntry(int sheet, int32_t lastRow) {
    if (sheet < 1 || sheet > std::max<int>(SprdSheet->NumSheets(),
                                           static_cast<int>(m_state.SheetLastRows.size()))) {
        return;
    }
    if (static_cast<size_t>(sheet) > m_state.SheetLastRows.size()) {
        m_state.SheetLastRows.resize(static_cast<size_t>(sheet), 1);
    }
    m_state.SheetLastRows[static_cast<size_t>(sheet - 1)] = lastRow;
}

int32_t TfmSheetImport::lastRowEntry(int sheet) const {
    if (sheet < 1 || static_cast<size_t>(sheet) > m_state.SheetLastRows.size()) return 1;
    return m_state.SheetLastRows[static_cast<size_t>(sheet - 1)];
}

// ---------------------------------------------------------------------------------------------
// OK

bool TfmSheetImport::checkColumn(const std::string& letters, int32_t& column, const char* caption) {
    std::string name = letters;
    kestrel::RemoveSpaces(name);
    if (name.empty()) {
        m_ui.showMessage(this, QString("Incorrect value entered for ") + caption);
        return false;
    }
    column = kestrel::ColumnNumber(letters);
    return true;
}

void TfmSheetImport::bbImportClick() {
    const int named = sheetEntryNamed(cbSheetName->currentText());
    const int entry = named >= 0 ? named : m_selectedEntry;
    if (entry >= 0 && entry < SprdSheet->NumSheets()) {
        m_selectedEntry = entry;
        m_state.SheetIndex = entry + 1;
    } else {
        m_state.SheetIndex = SprdSheet->Sheet();
    }
    SprdSheet->SetSheet(m_state.SheetIndex);
    showPreviewTopLeft();

    m_state.FromRowStr = upperText(eFromRow).toStdString();
    m_state.ToRowStr = upperText(eToRow).toStdString();
    m_state.AgeColStr = upperText(eAgeColStr).toStdString();
    m_state.Y1ColStr = upperText(eY1ColStr).toStdString();
    m_state.Y2ColStr = upperText(eY2ColStr).toStdString();
    m_state.AgeWindowWidthStr = upperText(eAgeWindowWidthStr).toStdString();

    const std::optional<int32_t> fromRow = kestrel::parseWholeNumber(m_state.FromRowStr);
    if (!fromRow) return m_ui.showMessage(this, "Incorrect value entered for From row");
    m_state.FromRow = *fromRow;
    const std::optional<int32_t> toRow = kestrel::parseWholeNumber(m_state.ToRowStr);
    if (!toRow) return m_ui.showMessage(this, "Incorrect value entered for To row");
    m_state.ToRow = *toRow;
    if (m_state.ToRow < m_state.FromRow) {
        return m_ui.showMessage(this, "Incorrect values entered for rows to import");
    }
    const std::optional<double> width = kestrel::parseRealNumber(m_state.AgeWindowWidthStr);
    if (!width) return m_ui.showMessage(this, "Incorrect value entered for Age window width");
    m_state.AgeWindowWidth = *width;
    // Windows narrower than nothing would cut the profile into single rows.
    if (!(*width > 0)) return m_ui.showMessage(this, "Age window width must be above 0");

    if (!checkColumn(m_state.AgeColStr, m_state.AgeCol, "Age column") ||
        !checkColumn(m_state.Y1ColStr, m_state.Y1Col, "Y data (1)") ||
        !checkColumn(m_state.Y2ColStr, m_state.Y2Col, "Y data (2)")) {
        return;
    }
    if (!rangeReads()) return;
    accept();
}

bool TfmSheetImport::rangeReads() {
    // The rows are read here as the calculation will read them, so a range it would refuse is
    // refused while the dialog is open, and the results on show are not given up for it.
    const kestrel::ProfileRange range{m_state.FromRow, m_state.ToRow, m_state.AgeCol, m_state.Y1Col,
                                      m_state.Y2Col};
    kestrel::ProfileData rows;
    try {
        kestrel::readProfileRows(*SprdSheet, range, rows);
    } catch (const kestrel::KestrelError& error) {
        showPreviewTopLeft();
        m_ui.showMessage(this, kestrel::errorReportText(QString::fromUtf8(error.what())));
        return false;
    }
    showPreviewTopLeft();
    return true;
}
