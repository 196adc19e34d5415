// The main window: construction of its controls and of its workflows' controllers, and the
// window-level commands (show, close, Exit, About, the developer page's table save). The other
// handlers are in KR_mainCommands.cpp; the workflows are in their controllers.
#include "app/KR_main.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "app/CriticalValueTableModel.h"
#include "app/DepositionalAgeController.h"
#include "app/DistributionsController.h"
#include "app/GrainAgesController.h"
#include "app/KR_About.h"
#include "app/KR_var.h"
#include "app/ManyProfilesController.h"
#include "app/ProgramPaths.h"
#include "app/SettingsFile.h"
#include "app/TwoProfileController.h"
#include "app/UnmixingController.h"
#include "app/WindowGeometry.h"
#include "output/ProbabilityGraphs.h"
#include "sheet/widgets/SpreadsheetWidget.h"
#include "ui/UserInteraction.h"

using kestrel::sharedState;

namespace {

enum PageIndex { kGraphPage = 1, kHistogramPage = 2, kDeveloperPage = 3, kWindowsPage = 4 };

QPushButton* barButton(QWidget* bar, const QString& caption, QStyle::StandardPixmap picture,
                       int left) {
    auto* button = new QPushButton(bar->style()->standardIcon(picture), caption, bar);
    button->setGeometry(left, 8, 75, 25);
    return button;
}

}  // namespace

TForm1::TForm1(kestrel::UserInteraction& ui, QWidget* parent)
    : QMainWindow(parent),
      m_ui(ui),
      m_twoProfile(std::make_unique<kestrel::TwoProfileController>(*this, ui, sharedState())),
      m_manyProfiles(std::make_unique<kestrel::ManyProfilesController>(*this, ui, sharedState())),
      m_grainAges(std::make_unique<kestrel::GrainAgesController>(*this, ui, sharedState())),
      m_depositionalAge(
          std::make_unique<kestrel::DepositionalAgeController>(*this, ui, sharedState())),
      m_distributions(std::make_unique<kestrel::DistributionsController>(*this, ui, sharedState())),
      m_unmixing(std::make_unique<kestrel::UnmixingController>(*this, ui, sharedState())) {
    setWindowTitle("Compare two probability distributions");
    move(4, 3);
    resize(818, 480);
    dsKS = new kestrel::CriticalValueTableModel(cdsKS, this);

    createMenu();
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(createButtonBar());

    PageControl1 = new QTabWidget(central);
    tsSprdSheets = createSpreadsheetPage();
    tsSprdSheets->setObjectName("tsSprdSheets");
    PageControl1->addTab(tsSprdSheets, "Spreadsheets");
    tsGraph = new QWidget;
    tsGraph->setObjectName("tsGraph");
    Chart1 = kestrel::createCumulativeProbabilityGraph(tsGraph);
    (new QVBoxLayout(tsGraph))->addWidget(Chart1);
    PageControl1->addTab(tsGraph, "Cumulative Probability Graph");
    tsHistogram = new QWidget;
    tsHistogram->setObjectName("tsHistogram");
    Chart2 = kestrel::createProbabilityGraph(tsHistogram);
    (new QVBoxLayout(tsHistogram))->addWidget(Chart2);
    PageControl1->addTab(tsHistogram, "Probability Graph");
    tsDeveloper = createDeveloperPage();
    tsDeveloper->setObjectName("tsDeveloper");
    PageControl1->addTab(tsDeveloper, "tsDeveloper");
    tsWindows = createWindowsPage();
    tsWindows->setObjectName("tsWindows");
    PageControl1->addTab(tsWindows, "Windows");
    layout->addWidget(PageControl1, 1);
    setCentralWidget(central);

    createStatusBar();
    connectCommands();
    addShortcuts();
    addGraphExport();
    updateRecentWorkbooksMenu();
    addCompareMany();
    addGrainAges();
    addDepositionalAge();
    addDistributions();
    addUnmixing();
    setAcceptDrops(true);
}

TForm1::~TForm1() = default;

void TForm1::createMenu() {
    QMenu* file = menuBar()->addMenu("&File");
    Open1 = file->addAction("&Open");
    OpenGrainAges1 = file->addAction("Open gra&in ages...");
    // Open, the recent workbooks, then what saves and prints results, Compare many, and Exit
    // last, as every desktop program has it.
    RecentWorkbooks1 = file->addMenu("&Recent workbooks");
    file->addSeparator();
    Saveas1 = file->addAction("Save summary &as");
    ExportGraph1 = file->addAction("Export &graph...");
    ExportProfiles1 = file->addAction("Export pro&files...");
    // Only while profiles built from grain ages are in use.
    connect(file, &QMenu::aboutToShow, this,
            [this] { ExportProfiles1->setEnabled(agesSourceInUse() != nullptr); });
    PrintGraph1 = file->addAction("&Print graph");
    file->addSeparator();
    CompareMany1 = file->addAction("Compare &many...");
    DepositionalAge1 = file->addAction("&Depositional age...");
    Distributions1 = file->addAction("Dis&tributions...");
    file->addSeparator();
    Exit1 = file->addAction("E&xit");

    QMenu* edit = menuBar()->addMenu("&Edit");
    Edit1 = edit->menuAction();
    Edit2 = edit->addAction("&Edit");

    Calculate1 = menuBar()->addAction("&Calculate");
    Calculate1->setVisible(false);

    QMenu* options = menuBar()->addMenu("&Options");
    Minimumpeakheight1 = options->addAction("&Minimum peak height");
    Baselinepeakheight1 = options->addAction("&Baseline peak height");
    SampleSizes1 = options->addAction("&Sample sizes...");
    WindowsMeasures1 = options->addAction("&Other measures in the windows table");
    WindowsMeasures1->setCheckable(true);
    WindowsMeasures1->setToolTip(
        "Every window also by Kuiper V, Similarity, Likeness, R² and W2, in columns after the "
        "others (from the next calculation)");

    QMenu* help = menuBar()->addMenu("&Help");
    About1 = help->addAction("&About");
}

QFrame* TForm1::createButtonBar() {
    Panel1 = new QFrame;
    Panel1->setFixedHeight(41);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    bbExit = barButton(Panel1, "Exit", QStyle::SP_DialogCloseButton, 16);
    bbImport = barButton(Panel1, "Open", QStyle::SP_DialogOpenButton, 102);
    bbEdit = barButton(Panel1, "Edit", QStyle::SP_FileDialogDetailedView, 190);
    bbCalculate = barButton(Panel1, "Calculate", QStyle::SP_BrowserReload, 278);
    bbCalculate->setEnabled(false);
    bbCalculate->setVisible(false);
    bbSave = barButton(Panel1, "Save", QStyle::SP_DialogSaveButton, 368);
    bbSave->setEnabled(false);
    bbPrintGraph = barButton(Panel1, "Print", QStyle::SP_FileDialogContentsView, 526);
    bbPrintGraph->setIcon(QIcon::fromTheme("document-print", bbPrintGraph->icon()));
    bbGraph = barButton(Panel1, "Graph", QStyle::SP_FileDialogInfoView, 612);
    bbGraph->setVisible(false);
    return Panel1;
}

QWidget* TForm1::createSpreadsheetPage() {
    auto* page = new QWidget;
    Splitter1 = new QSplitter(Qt::Vertical, page);
    Splitter1->setHandleWidth(9);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->setStyleSheet(
        "QSplitter::handle { background-color: #008080; border: 1px outset #40a0a0; }");

    gbSourceSpreadsheet = new QGroupBox("Source spreadsheet");
    SprdSheetSource = new kestrel::SpreadsheetWidget(gbSourceSpreadsheet);
    (new QVBoxLayout(gbSourceSpreadsheet))->addWidget(SprdSheetSource);
    gbSummarySpreadsheet = new QGroupBox("Summary spreadsheet");
    SprdSheetTarget = new kestrel::SpreadsheetWidget(gbSummarySpreadsheet);
    (new QVBoxLayout(gbSummarySpreadsheet))->addWidget(SprdSheetTarget);

    Splitter1->addWidget(gbSourceSpreadsheet);
    Splitter1->addWidget(gbSummarySpreadsheet);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);
    Splitter1->setSizes({180, 220});
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Splitter1);
    return page;
}

QWidget* TForm1::createDeveloperPage() {
    auto* page = new QWidget;
    DBGrid1 = new QTableView(page);
    DBGrid1->setModel(dsKS);
    Button1 = new QPushButton("Button1", page);
    Memo1 = new QPlainTextEdit("Memo1", page);
    Memo1->setReadOnly(true);
    auto* layout = new QHBoxLayout(page);
    layout->addWidget(DBGrid1, 1);
    layout->addWidget(Button1, 0, Qt::AlignTop);
    layout->addWidget(Memo1, 1);
    return page;
}

void TForm1::createStatusBar() {
    sbMain = new QStatusBar(this);
    sbMain->setSizeGripEnabled(true);
    for (int width : {100, 50, 50, 50}) {
        auto* label = new QLabel(sbMain);
        label->setFixedWidth(width);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        sbMain->addWidget(label);
        m_panels.append(label);
    }
    setStatusBar(sbMain);
    createSampleSizesNote();
}

QLabel* TForm1::panel(int index) const {
    return m_panels.value(index, nullptr);
}

void TForm1::addShortcuts() {
    Open1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    OpenGrainAges1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    Saveas1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    Exit1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    Edit2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    About1->setShortcut(QKeySequence(Qt::Key_F1));
    PrintGraph1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
}

void TForm1::connectCommands() {
    // A close-kind button: it closes the window itself.
    connect(bbExit, &QPushButton::clicked, this, &QWidget::close);
    connect(Exit1, &QAction::triggered, this, &TForm1::bbExitClick);
    connect(Open1, &QAction::triggered, this, &TForm1::Open1Click);
    connect(bbImport, &QPushButton::clicked, this, &TForm1::Open1Click);
    connect(Edit2, &QAction::triggered, this, &TForm1::bbEditClick);
    connect(bbEdit, &QPushButton::clicked, this, &TForm1::bbEditClick);
    connect(Calculate1, &QAction::triggered, this, &TForm1::Calculate1Click);
    connect(bbCalculate, &QPushButton::clicked, this, &TForm1::Calculate1Click);
    connect(Saveas1, &QAction::triggered, this, &TForm1::Saveas1Click);
    connect(bbSave, &QPushButton::clicked, this, &TForm1::Saveas1Click);
    connect(bbPrintGraph, &QPushButton::clicked, this, &TForm1::bbPrintGraphClick);
    connect(PrintGraph1, &QAction::triggered, this, &TForm1::bbPrintGraphClick);
    // The menu item is available exactly when the Print button is.
    bbPrintGraph->installEventFilter(this);
    updatePrintGraphEnabled();
    connect(bbGraph, &QPushButton::clicked, this, &TForm1::bbGraphClick);
    connect(Minimumpeakheight1, &QAction::triggered, this, &TForm1::Minimumpeakheight1Click);
    connect(Baselinepeakheight1, &QAction::triggered, this, &TForm1::Baselinepeakheight1Click);
    connect(SampleSizes1, &QAction::triggered, this, &TForm1::SampleSizes1Click);
    connect(WindowsMeasures1, &QAction::toggled, this,
            [](bool on) { sharedState().WindowsMeasures = on; });
    connect(About1, &QAction::triggered, this, &TForm1::About1Click);
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this] {
        if (!m_pageChangeByCommand) PageControl1Change();
    });
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == bbPrintGraph &&
        (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent ||
         event->type() == QEvent::EnabledChange)) {
        updatePrintGraphEnabled();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::updatePrintGraphEnabled() {
    PrintGraph1->setEnabled(!bbPrintGraph->isHidden() && bbPrintGraph->isEnabled());
}

void TForm1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

void TForm1::closeEvent(QCloseEvent* event) {
    // The window closes even when the settings cannot be written: the file keeps its former
    // content, and the user has been told why.
    try {
        FormClose();
    } catch (const std::exception& e) {
        m_ui.showError(this, kestrel::errorReportText(QString::fromUtf8(e.what())));
    }
    event->accept();
}

void TForm1::hideWorkbookAndResults() {
    SprdSheetSource->setVisible(false);
    SprdSheetTarget->setVisible(false);
    Calculate1->setEnabled(false);
    bbCalculate->setEnabled(false);
    Saveas1->setEnabled(false);
    bbSave->setEnabled(false);
    setGraphTabsVisible(false);
}

void TForm1::setGraphTabsVisible(bool visible) {
    // Hiding the page in front moves to another page; that is the command's doing, not the user's.
    m_pageChangeByCommand = true;
    PageControl1->setTabVisible(kGraphPage, visible);
    PageControl1->setTabVisible(kHistogramPage, visible);
    PageControl1->setTabVisible(kWindowsPage, visible);
    m_pageChangeByCommand = false;
}

void TForm1::showPage(QWidget* page) {
    m_pageChangeByCommand = true;
    PageControl1->setCurrentWidget(page);
    m_pageChangeByCommand = false;
}

void TForm1::FormShow() {
    m_pageChangeByCommand = true;
    PageControl1->setTabVisible(kDeveloperPage, false);
    m_pageChangeByCommand = false;
    sharedState().IniBaseName = kestrel::programIniBaseName();
    Edit1->setEnabled(false);
    bbEdit->setEnabled(false);
    hideWorkbookAndResults();
    bbPrintGraph->setVisible(false);
    showPage(tsSprdSheets);
    ReadSettings();
    updateRecentWorkbooksMenu();
    const SharedState& state = sharedState();
    kestrel::applyStoredGeometry(*this, state.MainLeft, state.MainTop, state.MainHeight,
                                 state.MainWidth);
    loadCriticalValueTable();
}

void TForm1::loadCriticalValueTable() {
    const std::string path = kestrel::criticalValueTablePath(sharedState().ClientDatasetPath);
    try {
        cdsKS.load(path);
    } catch (const std::exception&) {
        m_ui.showWarning(
            this, QString::fromStdString(kestrel::CriticalValueTable::loadFailureWarning(path)));
    }
    dsKS->refresh();
}

void TForm1::FormClose() {
    cdsKS.close();
    dsKS->refresh();
    SharedState& state = sharedState();
    state.MainLeft = x();
    state.MainTop = y();
    state.MainHeight = height();
    state.MainWidth = width();
    m_grainAges->restoreTwoProfileSettings();
    WriteSettings();
}

void TForm1::bbExitClick() {
    close();
}

void TForm1::About1Click() {
    TAboutBox box(this);
    box.Version->setText(QString::fromStdString("Version " + sharedState().ProgramVersion));
    m_ui.runModal(box);
}

void TForm1::Button1Click() {
    cdsKS.save(kestrel::defaultTableSavePath());
    dsKS->refresh();
}

void TForm1::ReadSettings() {
    SharedState& state = sharedState();
    kestrel::readSettingsFile(
        kestrel::settingsFilePath(state.IniBaseName), state,
        [this](const std::string& warning) {
            m_ui.showWarning(this, QString::fromStdString(warning));
        },
        kestrel::dataFolder());
    WindowsMeasures1->setChecked(state.WindowsMeasures);
}

void TForm1::WriteSettings() {
    const SharedState& state = sharedState();
    for (const std::string& note :
         kestrel::writeSettingsFile(kestrel::settingsFilePath(state.IniBaseName), state)) {
        m_ui.showWarning(this, QString::fromStdString(note));
    }
}
