// The Compare many dialog: fields, proposals from the workbook and the checks of OK.
#include "app/CompareManyDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "sheet/core/AllSorts.h"
#include "sheet/core/ColumnList.h"
#include "sheet/core/Workbook.h"
#include "sheet/widgets/KR_ShtIm.h"
#include "ui/UserInteraction.h"

using kestrel::SpreadsheetCore;

namespace {

// A column field of letters only, as the import dialog reads it; 0 when it names none.
int32_t columnOf(const QString& text) {
    std::string letters = text.toUpper().toStdString();
    kestrel::RemoveSpaces(letters);
    if (letters.empty()) return 0;
    const int32_t col = kestrel::ColumnNumber(letters);
    return col >= 1 && col <= kestrel::kMaxSheetCols ? col : 0;
}

}  // namespace

CompareManyDialog::CompareManyDialog(const SpreadsheetCore* loaded, const QString& loadedPath,
                                     const QString& ageColumn, const QString& fromRow,
                                     kestrel::UserInteraction& ui, QWidget* parent)
    : QDialog(parent), m_loaded(loaded), m_path(loadedPath), m_ui(ui) {
    setWindowTitle("Compare many profiles");
    setObjectName("CompareManyDialog");
    auto* layout = new QVBoxLayout(this);
    auto* workbookRow = new QHBoxLayout;
    lWorkbook = new QLabel;
    lWorkbook->setObjectName("lWorkbook");
    bbWorkbook = new QPushButton("&Workbook...");
    bbWorkbook->setAutoDefault(false);  // Enter means OK
    workbookRow->addWidget(lWorkbook, 1);
    workbookRow->addWidget(bbWorkbook);
    layout->addLayout(workbookRow);
    auto* form = new QFormLayout;
    cbSheetName = new QComboBox;
    eAgeColStr = new QLineEdit(ageColumn.isEmpty() ? "A" : ageColumn);
    eFromRow = new QLineEdit(fromRow.isEmpty() ? "2" : fromRow);
    eToRow = new QLineEdit;
    eColumns = new QLineEdit;
    eColumns->setToolTip("A range such as B:AZ, a list such as B,D,F, or both: B:D,H");
    eGrainsRow = new QLineEdit;
    eGrainsRow->setToolTip(
        "The row that holds the number of grains behind each profile; "
        "empty: no p-values");
    form->addRow("Sheet", cbSheetName);
    form->addRow("Age column", eAgeColStr);
    form->addRow("From row", eFromRow);
    form->addRow("To row", eToRow);
    form->addRow("Profile columns", eColumns);
    form->addRow("Grains row (optional)", eGrainsRow);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox;
    bbOK = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    bbCancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    bbOK->setDefault(true);
    layout->addWidget(buttons);
    resize(460, sizeHint().height());

    connect(bbWorkbook, &QPushButton::clicked, this, &CompareManyDialog::bbWorkbookClick);
    connect(bbOK, &QPushButton::clicked, this, &CompareManyDialog::bbOKClick);
    connect(bbCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(cbSheetName, &QComboBox::currentIndexChanged, this, &CompareManyDialog::proposeRange);
    connect(eAgeColStr, &QLineEdit::editingFinished, this, &CompareManyDialog::proposeRange);
    showWorkbook();
}

const SpreadsheetCore* CompareManyDialog::workbook() const {
    return m_own ? m_own.get() : m_loaded;
}

void CompareManyDialog::showWorkbook() {
    const SpreadsheetCore* book = workbook();
    lWorkbook->setText(book ? "Workbook: " + QFileInfo(m_path).fileName()
                            : "No workbook loaded: choose one with Workbook...");
    const QSignalBlocker quiet(cbSheetName);
    cbSheetName->clear();
    if (book) {
        for (int s = 1; s <= book->NumSheets(); ++s) {
            cbSheetName->addItem(QString::fromStdString(book->SheetName(s)));
        }
        cbSheetName->setCurrentIndex(book->Sheet() - 1);
    }
    bbOK->setEnabled(book != nullptr);
    proposeRange();
}

void CompareManyDialog::proposeRange() {
    const SpreadsheetCore* book = workbook();
    if (!book || cbSheetName->currentIndex() < 0) return;
    // The proposals read the cells directly; the workbook's current cell stays put.
    const int sheet = cbSheetName->currentIndex() + 1;
    const kestrel::Worksheet& cells = book->workbook().sheets.at(static_cast<size_t>(sheet - 1));
    const int32_t ageCol = columnOf(eAgeColStr->text());
    const auto fromRow = kestrel::parseWholeNumber(eFromRow->text().toStdString());
    if (ageCol == 0) return;
    int32_t last = 0;
    for (int32_t row = 2; row <= kestrel::kMaxSheetRows; ++row) {
        const kestrel::Cell* cell = cells.cell(row, ageCol);
        if (!cell || (cell->kind != kestrel::CellKind::Number && cell->text.empty())) break;
        last = row;
    }
    eToRow->setText(QString::number(last));
    std::vector<int32_t> columns;
    const int32_t firstRow = fromRow ? *fromRow : 2;
    for (int32_t col = ageCol + 1; col <= cells.lastCol(); ++col) {
        const kestrel::Cell* cell = firstRow >= 1 && firstRow <= kestrel::kMaxSheetRows
                                        ? cells.cell(firstRow, col)
                                        : nullptr;
        if (cell &&
            (cell->kind == kestrel::CellKind::Number ||
             (cell->kind == kestrel::CellKind::Text && kestrel::parseRealNumber(cell->text)))) {
            columns.push_back(col);
        }
    }
    eColumns->setText(QString::fromStdString(kestrel::columnListText(columns)));
}

void CompareManyDialog::bbWorkbookClick() {
    const auto choice = m_ui.chooseOpenFile(
        this, TfmSheetImport::anyWorkbookChooser("Open", QFileInfo(m_path).path()));
    if (!choice) return;
    auto book = std::make_unique<SpreadsheetCore>();
    int16_t fileType = kestrel::kFileTypeExcel97;
    book->ReadWorkbook(QFile::encodeName(choice->path).toStdString(), fileType);
    m_own = std::move(book);
    m_path = choice->path;
    showWorkbook();
}

bool CompareManyDialog::refuse(QLineEdit* field, const QString& message) {
    m_ui.showMessage(this, message);
    field->setFocus();
    field->selectAll();
    return false;
}

void CompareManyDialog::bbOKClick() {
    if (!workbook()) return;
    ManyProfilesRequest request;
    request.workbookPath = m_path;
    request.sheet = cbSheetName->currentIndex() + 1;
    request.ageColumn = eAgeColStr->text().toUpper();
    auto& range = request.range;
    const auto fromRow = kestrel::parseWholeNumber(eFromRow->text().toUpper().toStdString());
    if (!fromRow) return void(refuse(eFromRow, "Incorrect value entered for From row"));
    const auto toRow = kestrel::parseWholeNumber(eToRow->text().toUpper().toStdString());
    if (!toRow) return void(refuse(eToRow, "Incorrect value entered for To row"));
    if (*toRow < *fromRow) {
        return void(refuse(eToRow, "Incorrect values entered for rows to import"));
    }
    range.FromRow = *fromRow;
    range.ToRow = *toRow;
    if (columnOf(eAgeColStr->text()) == 0) {
        return void(refuse(eAgeColStr, "Incorrect value entered for Age column"));
    }
    range.ageCol = columnOf(eAgeColStr->text());
    try {
        range.columns = kestrel::parseColumnList(eColumns->text().toStdString());
    } catch (const kestrel::KestrelError& error) {
        return void(refuse(eColumns, QString::fromStdString(error.what())));
    }
    if (range.columns.size() < 2) {
        return void(refuse(eColumns, "Give at least two profile columns to compare"));
    }
    if (!eGrainsRow->text().trimmed().isEmpty()) {
        const auto grainsRow =
            kestrel::parseWholeNumber(eGrainsRow->text().toUpper().toStdString());
        if (!grainsRow) return void(refuse(eGrainsRow, "Incorrect value entered for Grains row"));
        range.grainsRow = *grainsRow;
    }
    m_request = request;
    accept();
}
