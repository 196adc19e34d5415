// The Open grain ages dialog: its fields, the choices they stand for, the workbook, and the
// checks of OK.
#include "app/GrainAgesDialog.h"

#include <qcustomplot.h>

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/KestrelError.h"
#include "engine/NumberText.h"
#include "engine/density/ProfileMethods.h"
#include "sheet/core/AgesLayoutGuess.h"
#include "sheet/widgets/KR_ShtIm.h"
#include "ui/UserInteraction.h"

namespace {

constexpr int kPreviewDelayMs = 60;
constexpr int kWidth = 1000, kHeight = 620;  // pixels, when the screen has them
constexpr int kFrame = 20;                   // about what a window manager adds around it
constexpr int kComboCharacters = 12;
constexpr int kNoteLines = 4;  // the preview's note shows this many lines, and scrolls past them
constexpr int kSpareFieldsWidth =
    60;  // the choices may grow this much; the preview takes the rest  // the choices' lists show
         // this much, or more  // after the last change, before the preview is redrawn

const char* const kThresholdsTip =
    "Every profile's highest point is 100, so the Minimum and Baseline peak heights mean per "
    "cent of the highest peak.";

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

void selectData(QComboBox* box, const QString& data) {
    const int index = box->findData(data);
    if (index >= 0) box->setCurrentIndex(index);
}

void narrow(QComboBox* box) {
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(kComboCharacters);
}

QLineEdit* gridEdit(const QString& placeholder) {
    auto* edit = new QLineEdit;
    edit->setPlaceholderText(placeholder);
    edit->setMinimumWidth(48);
    return edit;
}

}  // namespace

GrainAgesDialog::GrainAgesDialog(const kestrel::GrainAgesFields& choices,
                                 const QString& workbookPath, const QString& ageWindowWidth,
                                 kestrel::UserInteraction& ui, QWidget* parent)
    : QDialog(parent), m_ui(ui) {
    setWindowTitle("Open grain ages");
    setObjectName("GrainAgesDialog");
    auto* layout = new QVBoxLayout(this);
    auto* workbookRow = new QHBoxLayout;
    lWorkbook = new QLabel;
    lWorkbook->setObjectName("lWorkbook");
    bbWorkbook = new QPushButton("&Workbook...");
    bbWorkbook->setAutoDefault(false);  // Enter means OK
    workbookRow->addWidget(lWorkbook, 1);
    workbookRow->addWidget(bbWorkbook);
    layout->addLayout(workbookRow);

    auto* columns = new QHBoxLayout;
    // The choices scroll on a small screen; the preview takes the width left.
    auto* fields = new QWidget;
    auto* left = new QVBoxLayout(fields);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(createAgesBox());
    left->addWidget(createProfilesBox());
    left->addStretch(1);
    auto* scroll = new QScrollArea;
    scroll->setWidget(fields);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int fieldsWidth =
        fields->minimumSizeHint().width() + scroll->verticalScrollBar()->sizeHint().width();
    scroll->setMinimumWidth(fieldsWidth);
    scroll->setMaximumWidth(fieldsWidth + kSpareFieldsWidth);
    columns->addWidget(scroll);
    auto* right = new QVBoxLayout;
    right->addWidget(createCompareBox());
    Preview = new QCustomPlot;
    Preview->setObjectName("Preview");
    Preview->setMinimumSize(240, 150);
    right->addWidget(Preview, 1);
    lPreviewNote = new QLabel;
    lPreviewNote->setObjectName("lPreviewNote");
    lPreviewNote->setWordWrap(true);
    lPreviewNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lPreviewNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Every sample's line (with "all") runs longer than a small screen has room for: the note
    // scrolls below the preview instead of running over its age axis.
    auto* noteScroll = new QScrollArea;
    noteScroll->setObjectName("PreviewNoteScroll");
    noteScroll->setWidget(lPreviewNote);
    noteScroll->setWidgetResizable(true);
    noteScroll->setFrameShape(QFrame::NoFrame);
    noteScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    noteScroll->setMaximumHeight(kNoteLines * lPreviewNote->fontMetrics().lineSpacing() + 4);
    noteScroll->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
    right->addWidget(noteScroll);
    columns->addLayout(right, 1);
    layout->addLayout(columns, 1);

    auto* buttons = new QDialogButtonBox;
    bbOK = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    bbCancel = buttons->addButton("Cancel", QDialogButtonBox::RejectRole);
    bbOK->setDefault(true);
    layout->addWidget(buttons);
    eAgeWindowWidth->setText(ageWindowWidth);
    // As large as it is useful, within the screen.
    const QRect screen = this->screen()->availableGeometry();
    resize(std::min(kWidth, screen.width() - kFrame),
           std::min(kHeight, screen.height() - 2 * kFrame));

    m_previewTimer.setSingleShot(true);
    connect(&m_previewTimer, &QTimer::timeout, this, &GrainAgesDialog::updatePreview);
    connect(bbWorkbook, &QPushButton::clicked, this, &GrainAgesDialog::bbWorkbookClick);
    connect(bbOK, &QPushButton::clicked, this, &GrainAgesDialog::bbOKClick);
    connect(bbCancel, &QPushButton::clicked, this, &QDialog::reject);
    if (!workbookPath.isEmpty()) {
        try {
            loadWorkbook(workbookPath);
        } catch (const kestrel::KestrelError& error) {
            m_loadError = QString::fromStdString(error.what());
        }
    }
    showWorkbook();
    setChoices(choices);
    // A workbook other than the one the choices were made on is read in its own layout.
    if (m_book &&
        m_path != QFileInfo(QFile::decodeName(choices.workbook.c_str())).absoluteFilePath())
        guessLayout();
    connectChanges();
    updatePreview();
}

GrainAgesDialog::~GrainAgesDialog() = default;

QWidget* GrainAgesDialog::createAgesBox() {
    auto* box = new QGroupBox("Ages");
    auto* form = new QFormLayout(box);
    cbSheetName = new QComboBox;
    cbLayout = new QComboBox;
    cbLayout->addItem("One column per sample", "columns");
    cbLayout->addItem("One row per grain", "rows");
    cbLayout->setToolTip(
        "One column per sample: a heading row of sample names, each sample's ages below its "
        "name.\nOne row per grain: columns headed Sample (or Name), Age and, when there are "
        "uncertainties, Uncertainty (or Error, Sigma, 1s, 2s).");
    eHeadingRow = new QLineEdit;
    cbUncertainties = new QComboBox;
    cbErrorsSheet = new QComboBox;
    cbErrorsSheet->setToolTip(
        "A sheet shaped like the ages sheet: the same headings, each grain's uncertainty in "
        "the same row as its age.");
    auto* sigmaRow = new QHBoxLayout;
    cbSigma = new QComboBox;
    cbSigma->addItem("1σ", "1");
    cbSigma->addItem("2σ", "2");
    chkPerCent = new QCheckBox("per cent of the age");
    sigmaRow->addWidget(cbSigma);
    sigmaRow->addWidget(chkPerCent, 1);
    for (QComboBox* box : {cbSheetName, cbLayout, cbUncertainties, cbErrorsSheet}) narrow(box);
    form->addRow("Sheet", cbSheetName);
    form->addRow("Layout", cbLayout);
    form->addRow("Heading row", eHeadingRow);
    form->addRow("Uncertainties", cbUncertainties);
    form->addRow("Uncertainties sheet", cbErrorsSheet);
    form->addRow("Uncertainties are", sigmaRow);
    return box;
}

QWidget* GrainAgesDialog::createProfilesBox() {
    auto* box = new QGroupBox("Profiles");
    box->setToolTip(kThresholdsTip);
    auto* form = new QFormLayout(box);
    cbProfile = new QComboBox;
    QString profileTip;
    for (const kestrel::ProfileMethod& method : kestrel::allProfileMethods()) {
        cbProfile->addItem(method.label, method.label);
        cbProfile->setItemData(cbProfile->count() - 1, method.tooltip, Qt::ToolTipRole);
        profileTip += QString(method.tooltip) + "\n";
    }
    cbProfile->setToolTip(profileTip + kThresholdsTip);
    eBandwidth = new QLineEdit;
    eBandwidth->setPlaceholderText("each sample's own");
    eBandwidth->setToolTip(
        "The kernels' width in age units; empty: each sample's own bandwidth by Botev's "
        "diffusion estimate.");
    chkCommonBandwidth = new QCheckBox("the samples' median for all");
    chkCommonBandwidth->setToolTip(
        "One bandwidth for every sample, the median of their own: profiles alike in smoothness.");
    auto* grid = new QHBoxLayout;
    eGridFrom = gridEdit("from");
    eGridTo = gridEdit("to");
    eGridStep = gridEdit("step");
    for (QLineEdit* edit : {eGridFrom, eGridTo, eGridStep}) grid->addWidget(edit);
    const QString gridTip =
        "The ages the profiles are built at, in age units; all three empty: from below the "
        "youngest to above the oldest grain, at most 5,000 rows.";
    for (QLineEdit* edit : {eGridFrom, eGridTo, eGridStep}) edit->setToolTip(gridTip);
    form->addRow("Profile", cbProfile);
    form->addRow("Bandwidth", eBandwidth);
    form->addRow("", chkCommonBandwidth);
    form->addRow("Grid", grid);
    return box;
}

QWidget* GrainAgesDialog::createCompareBox() {
    auto* box = new QGroupBox("Compare");
    auto* form = new QFormLayout(box);
    auto* samples = new QHBoxLayout;
    cbFirstSample = new QComboBox;
    cbSecondSample = new QComboBox;
    samples->addWidget(cbFirstSample, 1);
    samples->addWidget(new QLabel("with"));
    samples->addWidget(cbSecondSample, 1);
    chkAllSamples = new QCheckBox("all, as many profiles");
    chkAllSamples->setToolTip(
        "Every pair of samples by their grains (Kolmogorov-Smirnov D and p), mapped on the "
        "Many profiles page");
    eAgeWindowWidth = new QLineEdit;
    form->addRow("Samples", samples);
    form->addRow("", chkAllSamples);
    form->addRow("Age window width", eAgeWindowWidth);
    return box;
}

void GrainAgesDialog::connectChanges() {
    for (QComboBox* box : {cbSheetName, cbUncertainties, cbErrorsSheet, cbSigma, cbProfile,
                           cbFirstSample, cbSecondSample}) {
        connect(box, &QComboBox::currentIndexChanged, this, &GrainAgesDialog::schedulePreview);
    }
    // The list is refilled with its signals blocked: any change seen here is a choice.
    connect(cbErrorsSheet, &QComboBox::currentIndexChanged, this,
            [this] { m_errorsSheetChosen = cbErrorsSheet->currentText(); });
    connect(cbSheetName, &QComboBox::currentIndexChanged, this, [this] {
        if (m_errorsSheetChosen.isEmpty()) fillErrorsSheets();
    });
    connect(cbLayout, &QComboBox::currentIndexChanged, this, [this] {
        fillUncertaintyPlaces();
        schedulePreview();
    });
    for (QCheckBox* box : {chkPerCent, chkCommonBandwidth, chkAllSamples}) {
        connect(box, &QCheckBox::toggled, this, &GrainAgesDialog::schedulePreview);
    }
    for (QLineEdit* edit : {eHeadingRow, eBandwidth, eGridFrom, eGridTo, eGridStep}) {
        connect(edit, &QLineEdit::textChanged, this, &GrainAgesDialog::schedulePreview);
    }
}

void GrainAgesDialog::loadWorkbook(const QString& path) {
    auto book = std::make_unique<kestrel::SpreadsheetCore>();
    int16_t fileType = kestrel::kFileTypeExcel97;
    book->ReadWorkbook(QFile::encodeName(path).toStdString(), fileType);
    m_book = std::move(book);
    m_path = QFileInfo(path).absoluteFilePath();
    m_loadError.clear();
    m_builds.clear();
}

void GrainAgesDialog::showWorkbook() {
    lWorkbook->setText(m_book ? "Workbook: " + QFileInfo(m_path).fileName()
                       : m_loadError.isEmpty()
                           ? QString("No workbook: choose one with Workbook...")
                           : m_loadError + "\nChoose a workbook with Workbook...");
    lWorkbook->setWordWrap(true);
    lWorkbook->setToolTip(m_path);
    const QSignalBlocker quietSheets(cbSheetName);
    const QString sheet = cbSheetName->currentText();
    cbSheetName->clear();
    if (m_book) {
        for (int s = 1; s <= m_book->NumSheets(); ++s) {
            cbSheetName->addItem(text(m_book->SheetName(s)));
        }
        cbSheetName->setCurrentIndex(std::max(0, cbSheetName->findText(sheet)));
        if (cbSheetName->findText(sheet) < 0) cbSheetName->setCurrentIndex(m_book->Sheet() - 1);
    }
    fillErrorsSheets();
    bbOK->setEnabled(m_book != nullptr);
}

void GrainAgesDialog::fillErrorsSheets() {
    const QSignalBlocker quiet(cbErrorsSheet);
    cbErrorsSheet->clear();
    if (!m_book) return;
    for (int s = 1; s <= m_book->NumSheets(); ++s) {
        cbErrorsSheet->addItem(text(m_book->SheetName(s)));
    }
    if (!m_errorsSheetChosen.isEmpty()) {
        // A sheet the user named stays named: missing from this workbook, it is listed (in red)
        // and refused, never silently swapped for another sheet.
        int chosen = cbErrorsSheet->findText(m_errorsSheetChosen, Qt::MatchFixedString);
        if (chosen < 0) {
            cbErrorsSheet->insertItem(0, m_errorsSheetChosen);
            cbErrorsSheet->setItemData(0, QColor(0xa0, 0, 0), Qt::ForegroundRole);
            cbErrorsSheet->setItemData(0, "Not a sheet of this workbook", Qt::ToolTipRole);
            chosen = 0;
        }
        cbErrorsSheet->setCurrentIndex(chosen);
        return;
    }
    // Not chosen yet: the sheet after the ages, else the first other one; never the ages sheet.
    const int ages = cbSheetName->currentIndex(), sheets = cbErrorsSheet->count();
    int other = ages + 1 < sheets ? ages + 1 : -1;
    for (int s = 0; other < 0 && s < sheets; ++s) {
        if (s != ages) other = s;
    }
    cbErrorsSheet->setCurrentIndex(other);
}

void GrainAgesDialog::guessLayout() {
    if (!m_book) return;
    const int sheet = cbSheetName->currentIndex();
    if (sheet < 0 || sheet >= static_cast<int>(m_book->workbook().sheets.size())) return;
    const auto headingRow = kestrel::parseWholeNumber(eHeadingRow->text().trimmed().toStdString());
    const kestrel::AgesLayout layout = kestrel::guessAgesLayout(
        m_book->workbook().sheets[static_cast<size_t>(sheet)], headingRow.value_or(1));
    selectData(cbLayout, layout == kestrel::AgesLayout::Rows ? "rows" : "columns");
    fillUncertaintyPlaces();
}

void GrainAgesDialog::fillUncertaintyPlaces() {
    const QString wanted = cbUncertainties->currentData().toString();
    const QSignalBlocker quiet(cbUncertainties);
    cbUncertainties->clear();
    cbUncertainties->addItem("None", "none");
    if (cbLayout->currentData() == "rows") {
        cbUncertainties->addItem("In their own column", "beside");
    } else {
        cbUncertainties->addItem("On a sheet of their own", "sheet");
        cbUncertainties->addItem("Right of each age column", "beside");
    }
    const int index = cbUncertainties->findData(
        wanted == "sheet" && cbLayout->currentData() == "rows" ? QString("beside") : wanted);
    cbUncertainties->setCurrentIndex(std::max(0, index));
    enableFields();
}

void GrainAgesDialog::setChoices(const kestrel::GrainAgesFields& choices) {
    const int sheet = cbSheetName->findText(text(choices.sheet));
    if (sheet >= 0) cbSheetName->setCurrentIndex(sheet);
    // A sheet kept from a run without uncertainties on a sheet was never the user's choice.
    m_errorsSheetChosen = choices.uncertainties == "sheet" ? text(choices.errorsSheet) : QString();
    fillErrorsSheets();
    selectData(cbLayout, text(choices.layout));
    eHeadingRow->setText(text(choices.headingRow));
    fillUncertaintyPlaces();
    selectData(cbUncertainties, text(choices.uncertainties));
    selectData(cbSigma, text(choices.sigma));
    chkPerCent->setChecked(choices.perCent == "1");
    selectData(cbProfile, text(choices.profile));
    eBandwidth->setText(text(choices.bandwidth));
    chkCommonBandwidth->setChecked(choices.commonBandwidth == "1");
    eGridFrom->setText(text(choices.gridFrom));
    eGridTo->setText(text(choices.gridTo));
    eGridStep->setText(text(choices.gridStep));
    chkAllSamples->setChecked(choices.compare == "all");
    // The sample lists are filled by the first preview, which picks these names when it can.
    cbFirstSample->addItem(text(choices.firstSample));
    cbSecondSample->addItem(text(choices.secondSample));
    enableFields();
}

kestrel::GrainAgesFields GrainAgesDialog::choices() const {
    kestrel::GrainAgesFields choices;
    choices.workbook = QFile::encodeName(m_path).toStdString();
    choices.sheet = cbSheetName->currentText().toStdString();
    choices.layout = cbLayout->currentData().toString().toStdString();
    choices.headingRow = eHeadingRow->text().trimmed().toStdString();
    choices.uncertainties = cbUncertainties->currentData().toString().toStdString();
    choices.errorsSheet = cbErrorsSheet->currentText().toStdString();
    choices.sigma = cbSigma->currentData().toString().toStdString();
    choices.perCent = chkPerCent->isChecked() ? "1" : "0";
    choices.profile = cbProfile->currentData().toString().toStdString();
    choices.bandwidth = eBandwidth->text().trimmed().toStdString();
    choices.commonBandwidth = chkCommonBandwidth->isChecked() ? "1" : "0";
    choices.gridFrom = eGridFrom->text().trimmed().toStdString();
    choices.gridTo = eGridTo->text().trimmed().toStdString();
    choices.gridStep = eGridStep->text().trimmed().toStdString();
    choices.firstSample = cbFirstSample->currentText().toStdString();
    choices.secondSample = cbSecondSample->currentText().toStdString();
    choices.compare = chkAllSamples->isChecked() ? "all" : "two";
    choices.ageWindowWidth = eAgeWindowWidth->text().toUpper().toStdString();
    return choices;
}

void GrainAgesDialog::enableFields() {
    const bool uncertainties = cbUncertainties->currentData() != "none";
    cbErrorsSheet->setEnabled(cbUncertainties->currentData() == "sheet");
    cbSigma->setEnabled(uncertainties);
    chkPerCent->setEnabled(uncertainties);
    // Every item is a method's label; none selected reads as the default, a kernel method.
    const auto* method =
        kestrel::profileMethodByLabel(cbProfile->currentData().toString().toStdString());
    const bool kernels = method == nullptr || method->usesBandwidth;
    eBandwidth->setEnabled(kernels);
    chkCommonBandwidth->setEnabled(kernels && eBandwidth->text().trimmed().isEmpty());
    cbSecondSample->setEnabled(!chkAllSamples->isChecked());
    cbFirstSample->setEnabled(!chkAllSamples->isChecked());
}

void GrainAgesDialog::schedulePreview() {
    enableFields();
    m_previewTimer.start(kPreviewDelayMs);
}

void GrainAgesDialog::bbWorkbookClick() {
    const auto choice = m_ui.chooseOpenFile(
        this, TfmSheetImport::anyWorkbookChooser("Open grain ages", QFileInfo(m_path).path()));
    if (!choice) return;
    const QString before = m_path;
    try {
        loadWorkbook(choice->path);
    } catch (const kestrel::KestrelError& error) {
        m_ui.showMessage(this, QString::fromStdString(error.what()));
        return;
    }
    showWorkbook();
    if (m_path != before) guessLayout();
    updatePreview();
}

QWidget* GrainAgesDialog::fieldOf(kestrel::GrainAgesField field) const {
    switch (field) {
        case kestrel::GrainAgesField::Sheet:
            return cbSheetName;
        case kestrel::GrainAgesField::HeadingRow:
            return eHeadingRow;
        case kestrel::GrainAgesField::ErrorsSheet:
            return cbErrorsSheet;
        case kestrel::GrainAgesField::Bandwidth:
            return eBandwidth;
        case kestrel::GrainAgesField::GridFrom:
            return eGridFrom;
        case kestrel::GrainAgesField::GridTo:
            return eGridTo;
        case kestrel::GrainAgesField::GridStep:
            return eGridStep;
    }
    return nullptr;
}

bool GrainAgesDialog::refuse(QWidget* field, const QString& message) {
    m_ui.showMessage(this, message);
    if (field) {
        field->setFocus();
        if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    }
    return false;
}

void GrainAgesDialog::bbOKClick() {
    if (!m_book) return;
    const kestrel::GrainAgesFields chosen = choices();
    const auto plan = kestrel::planGrainAges(chosen, m_book->workbook());
    if (const auto* refusal = std::get_if<kestrel::GrainAgesRefusal>(&plan)) {
        return void(refuse(fieldOf(refusal->field), QString::fromStdString(refusal->message)));
    }
    const std::string widthText = eAgeWindowWidth->text().toUpper().toStdString();
    const auto width = kestrel::parseRealNumber(widthText);
    if (!width)
        return void(refuse(eAgeWindowWidth, "Incorrect value entered for Age window width"));
    if (!(*width > 0)) return void(refuse(eAgeWindowWidth, "Age window width must be above 0"));
    const kestrel::GrainAgesBuilt* built = nullptr;
    try {
        built = &builtFor(std::get<kestrel::GrainAgesPlan>(plan));
    } catch (const kestrel::KestrelError& error) {
        return void(refuse(nullptr, QString::fromStdString(error.what())));
    }
    const size_t samples = built->ages.samples.size();
    if (samples < 2 && !built->ages.unusable.empty()) {
        return void(refuse(nullptr, QString::fromStdString(built->ages.unusable.front().reason)));
    }
    if (samples < 2) {
        return void(refuse(cbSheetName,
                           "The sheet holds one sample only: two are needed to "
                           "compare"));
    }
    m_outcome.all = chkAllSamples->isChecked();
    if (!m_outcome.all) {
        const int first = cbFirstSample->currentIndex(), second = cbSecondSample->currentIndex();
        if (first < 0 || second < 0 || first == second) {
            return void(refuse(cbSecondSample, "Choose two different samples to compare"));
        }
        m_outcome.first = static_cast<size_t>(first);
        m_outcome.second = static_cast<size_t>(second);
    }
    m_outcome.source = std::make_shared<kestrel::GrainAgesSource>(kestrel::GrainAgesSource{
        QFile::encodeName(m_path).toStdString(), m_book->workbook(), chosen, *built});
    accept();
}
