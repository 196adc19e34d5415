// Laying out the Distributions page, reading its choices, and drawing the figures and tables
// from the samples.
#include "app/DistributionsPage.h"

#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "app/TableCells.h"
#include "engine/KestrelError.h"
#include "engine/density/ProfileMethods.h"
#include "engine/figures/AgeBands.h"
#include "engine/figures/SampleOrder.h"
#include "output/FigureFiles.h"

namespace kestrel {
namespace {

enum FigureTab { kStackedTab, kCumulativeTab, kBinsTab, kPeaksTab };
// The views drawn from the samples, each redrawn when it next comes to the front.
enum StaleView {
    kStackedView = 1,
    kCumulativeView = 2,
    kBinsView = 4,
    kPeaksView = 8,
    kEveryView = 15
};

QLabel* boldLabel(const QString& text) {
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QLineEdit* lineEdit(const char* name, const QString& placeholder, const QString& tip) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setPlaceholderText(placeholder);
    edit->setToolTip(tip);
    return edit;
}

// A typed number: "." or "," as the decimal mark.
std::optional<double> typedNumber(const QString& text) {
    QString typed = text.trimmed();
    typed.replace(',', '.');
    bool ok = false;
    const double value = typed.toDouble(&ok);
    if (!ok || !std::isfinite(value)) return std::nullopt;
    return value;
}

double typedIn(const QLineEdit& edit, double low, double high, const QString& what) {
    const auto value = typedNumber(edit.text());
    if (!value || *value < low || *value > high) throw KestrelError(what.toStdString());
    return *value;
}

QTableView* tableView(const char* name, QStandardItemModel* model) {
    auto* view = new QTableView;
    view->setObjectName(name);
    view->setModel(model);
    view->verticalHeader()->setVisible(false);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->setMinimumSize(200, 80);
    auto* copy = new QAction("Copy", view);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    view->addAction(copy);
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    QObject::connect(copy, &QAction::triggered, view, [view] {
        // The selected rows and columns, or the whole table, with its headings, tab-separated.
        const QAbstractItemModel& table = *view->model();
        const QModelIndexList picked = view->selectionModel()->selectedIndexes();
        int top = 0, left = 0, bottom = table.rowCount() - 1, right = table.columnCount() - 1;
        if (!picked.isEmpty()) {
            top = left = std::numeric_limits<int>::max();
            bottom = right = -1;
            for (const QModelIndex& index : picked) {
                top = std::min(top, index.row());
                bottom = std::max(bottom, index.row());
                left = std::min(left, index.column());
                right = std::max(right, index.column());
            }
        }
        QStringList lines, headings;
        for (int c = left; c <= right; ++c)
            headings << table.headerData(c, Qt::Horizontal).toString();
        lines << headings.join('\t');
        for (int r = top; r <= bottom; ++r) {
            QStringList cells;
            for (int c = left; c <= right; ++c) cells << table.index(r, c).data().toString();
            lines << cells.join('\t');
        }
        QApplication::clipboard()->setText(lines.join('\n') + '\n');
    });
    return view;
}

QCustomPlot* figure(const char* name) {
    auto* chart = new QCustomPlot;
    chart->setObjectName(name);
    chart->setMinimumSize(250, 180);
    chart->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* copy = new QAction("Copy figure", chart);
    copy->setObjectName(QString(name) + "Copy");
    chart->addAction(copy);
    QObject::connect(copy, &QAction::triggered, chart,
                     [chart] { QApplication::clipboard()->setPixmap(chart->toPixmap()); });
    return chart;
}

QScrollArea* scrolled(QWidget* inside, const char* name) {
    auto* scroll = new QScrollArea;
    scroll->setObjectName(name);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(inside);
    return scroll;
}

}  // namespace

DistributionsPage::DistributionsPage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    lNote = new QLabel;
    lNote->setObjectName("lDistributionsNote");
    lNote->setWordWrap(true);
    bbExportFigure = new QPushButton("Export figure...");
    bbExportFigure->setObjectName("bbExportFigure");
    bbExportTable = new QPushButton("Export table...");
    bbExportTable->setObjectName("bbExportDistributionsTable");
    // A choice that does not read is said at the top, where it is seen in any window.
    lProblem = new QLabel;
    lProblem->setObjectName("lDistributionsProblem");
    lProblem->setWordWrap(true);
    lProblem->setStyleSheet("color: #b00020");
    lProblem->hide();
    auto* notes = new QVBoxLayout;
    notes->addWidget(lNote);
    notes->addWidget(lProblem);
    auto* top = new QHBoxLayout;
    top->addLayout(notes, 1);
    top->addWidget(bbExportFigure, 0, Qt::AlignTop);
    top->addWidget(bbExportTable, 0, Qt::AlignTop);
    layout->addLayout(top);
    auto* sides = new QHBoxLayout;
    sides->addWidget(createChoices());
    sides->addWidget(createFigures(), 1);
    layout->addLayout(sides, 1);
    connectChoices();
    setChoices(DistributionsFields{});
}

QWidget* DistributionsPage::createChoices() {
    auto* box = new QWidget;
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 4, 0);
    auto* form = new QFormLayout;
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    cbProfile = new QComboBox;
    cbProfile->setObjectName("cbDistributionsProfile");
    for (const ProfileMethod& method : allProfileMethods()) {
        cbProfile->addItem(method.label, method.label);
        cbProfile->setItemData(cbProfile->count() - 1, method.tooltip, Qt::ToolTipRole);
    }
    form->addRow("Profile", cbProfile);
    eBandwidth = lineEdit("eDistributionsBandwidth", "each sample's own",
                          "The kernels' width in age units; empty: each sample's own bandwidth "
                          "by Botev's diffusion estimate.");
    form->addRow("Bandwidth", eBandwidth);
    eBinWidth = lineEdit("eHistogramBinWidth", "about 50 bins",
                         "The histograms' bin width in age units; 0: no histograms");
    form->addRow("Bin width", eBinWidth);
    eBands = lineEdit("eAgeBands", "Grenville:1000-1300",
                      "Age bands shaded across the stacked figure: LABEL:LOW-HIGH separated by "
                      "commas, e.g. Grenville:1000-1300,Pan-African:500-650");
    form->addRow("Bands", eBands);
    cbOrder = new QComboBox;
    cbOrder->setObjectName("cbSampleOrder");
    cbOrder->addItem("as in the workbook", "workbook");
    cbOrder->addItem("along the map", "map");
    cbOrder->addItem("as typed", "typed");
    cbOrder->setToolTip("Along the map: by the first axis of the samples' MDS map (KS D)");
    form->addRow("Order", cbOrder);
    eOrder = lineEdit("eSampleOrder", "names, e.g. S03,S01",
                      "The samples' names in the order wanted, separated by commas; those not "
                      "named follow as read");
    form->addRow("", eOrder);
    chkLogAge = new QCheckBox("logarithmic");
    chkLogAge->setObjectName("chkLogAge");
    form->addRow("Age axis", chkLogAge);
    ePeakThreshold = lineEdit("ePeakThreshold", "5",
                              "A peak is marked when it reaches this per cent of its profile's "
                              "highest point");
    form->addRow("Peaks from (%)", ePeakThreshold);
    eBinEdges = lineEdit("eBinEdges", "0,300,600,1000",
                         "The age bins' ascending edges; a bin holds its lower edge, the last "
                         "also its upper one");
    form->addRow("Bin edges", eBinEdges);
    eFigureWidth = lineEdit("eFigureWidth", "170", "The exported figure's width, 40 to 1000 mm");
    form->addRow("Width (mm)", eFigureWidth);
    eFigureFont = lineEdit("eFigureFont", "9", "The figures' font size, 5 to 24 points");
    form->addRow("Font (pt)", eFigureFont);
    column->addLayout(form);
    column->addWidget(boldLabel("DKW 95% band"));
    lwBands = new QListWidget;
    lwBands->setObjectName("lwDkwBands");
    lwBands->setToolTip(
        "The samples drawn with their Dvoretzky-Kiefer-Wolfowitz 95% band on the "
        "cumulative figure");
    lwBands->setMinimumHeight(60);
    column->addWidget(lwBands, 1);

    auto* scroll = scrolled(box, "DistributionsChoices");
    scroll->setFixedWidth(260 + scroll->verticalScrollBar()->sizeHint().width());
    return scroll;
}

QWidget* DistributionsPage::createFigures() {
    StackedFigure = figure("StackedFigure");
    CumulativeFigure = figure("CumulativeFigure");
    BinsFigure = figure("BinsFigure");
    m_peaksModel = new QStandardItemModel(this);
    m_binsModel = new QStandardItemModel(this);
    PeaksGrid = tableView("PeaksGrid", m_peaksModel);
    BinsGrid = tableView("BinsGrid", m_binsModel);
    m_stackedScroll = scrolled(StackedFigure, "StackedScroll");
    m_binsScroll = scrolled(BinsFigure, "BinsScroll");
    auto* bins = new QSplitter(Qt::Vertical);
    bins->setChildrenCollapsible(false);
    bins->addWidget(m_binsScroll);
    bins->addWidget(BinsGrid);
    bins->setStretchFactor(0, 3);
    bins->setStretchFactor(1, 1);
    tcFigures = new QTabWidget;
    tcFigures->setObjectName("tcFigures");
    tcFigures->setDocumentMode(true);
    tcFigures->addTab(m_stackedScroll, "Stacked");
    tcFigures->addTab(CumulativeFigure, "Cumulative");
    tcFigures->addTab(bins, "Bins");
    tcFigures->addTab(PeaksGrid, "Peaks");
    return tcFigures;
}

void DistributionsPage::connectChoices() {
    for (QLineEdit* edit :
         {eBinWidth, eBands, eOrder, ePeakThreshold, eBinEdges, eFigureWidth, eFigureFont}) {
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
            if (edit->isModified()) choiceEdited(false);
            edit->setModified(false);
        });
    }
    connect(eBandwidth, &QLineEdit::editingFinished, this, [this] {
        if (eBandwidth->isModified()) choiceEdited(true);
        eBandwidth->setModified(false);
    });
    connect(cbProfile, &QComboBox::currentIndexChanged, this, [this] { choiceEdited(true); });
    connect(cbOrder, &QComboBox::currentIndexChanged, this, [this] {
        eOrder->setEnabled(cbOrder->currentData().toString() == "typed");
        choiceEdited(false);
    });
    connect(chkLogAge, &QCheckBox::toggled, this, [this] { choiceEdited(false); });
    connect(lwBands, &QListWidget::itemChanged, this, [this] {
        m_stale |= kCumulativeView;
        drawInFront();
        emit choicesChanged();
    });
    connect(tcFigures, &QTabWidget::currentChanged, this, [this] {
        const int tab = tcFigures->currentIndex();
        bbExportTable->setEnabled(filled() && (tab == kBinsTab || tab == kPeaksTab));
        bbExportFigure->setEnabled(filled() && tab != kPeaksTab);
        drawInFront();
    });
    connect(bbExportFigure, &QPushButton::clicked, this, &DistributionsPage::exportFigureRequested);
    connect(bbExportTable, &QPushButton::clicked, this, &DistributionsPage::exportTableRequested);
}

void DistributionsPage::showProblem(const QString& problem) {
    lProblem->setText(problem);
    lProblem->setVisible(!problem.isEmpty());
}

DistributionsFields DistributionsPage::choices() const {
    DistributionsFields fields;
    fields.profile = cbProfile->currentData().toString().toStdString();
    fields.bandwidth = eBandwidth->text().trimmed().toStdString();
    fields.binWidth = eBinWidth->text().trimmed().toStdString();
    fields.bands = eBands->text().trimmed().toStdString();
    const QString order = cbOrder->currentData().toString();
    fields.order = order == "typed" ? eOrder->text().trimmed().toStdString() : order.toStdString();
    fields.logAge = chkLogAge->isChecked() ? "yes" : "no";
    fields.peakThreshold = ePeakThreshold->text().trimmed().toStdString();
    fields.binEdges = eBinEdges->text().trimmed().toStdString();
    fields.width = eFigureWidth->text().trimmed().toStdString();
    fields.font = eFigureFont->text().trimmed().toStdString();
    return fields;
}

void DistributionsPage::setChoices(const DistributionsFields& choices) {
    const QSignalBlocker quietProfile(cbProfile), quietOrder(cbOrder), quietLog(chkLogAge);
    cbProfile->setCurrentIndex(
        std::max(0, cbProfile->findData(QString::fromStdString(choices.profile))));
    eBandwidth->setText(QString::fromStdString(choices.bandwidth));
    eBinWidth->setText(QString::fromStdString(choices.binWidth));
    eBands->setText(QString::fromStdString(choices.bands));
    const QString order = QString::fromStdString(choices.order);
    const int named = cbOrder->findData(order);
    cbOrder->setCurrentIndex(order.isEmpty() ? 0 : named >= 0 ? named : 2);
    eOrder->setText(named < 0 ? order : QString());
    eOrder->setEnabled(cbOrder->currentData().toString() == "typed");
    chkLogAge->setChecked(choices.logAge == "yes");
    ePeakThreshold->setText(QString::fromStdString(choices.peakThreshold));
    eBinEdges->setText(QString::fromStdString(choices.binEdges));
    eFigureWidth->setText(QString::fromStdString(choices.width));
    eFigureFont->setText(QString::fromStdString(choices.font));
}

void DistributionsPage::showData(DistributionsData data) {
    m_data = std::move(data);
    m_mapOrder.reset();
    {
        const QSignalBlocker quiet(lwBands);
        lwBands->clear();
        for (const GrainSample& sample : m_data.samples) {
            auto* item = new QListWidgetItem(QString::fromStdString(sample.name), lwBands);
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
            item->setCheckState(Qt::Unchecked);
        }
    }
    for (int tab : {kCumulativeTab, kBinsTab, kPeaksTab})
        tcFigures->setTabVisible(tab, m_data.fromAges);
    for (QWidget* ages : {static_cast<QWidget*>(cbProfile), static_cast<QWidget*>(eBandwidth),
                          static_cast<QWidget*>(eBinWidth), static_cast<QWidget*>(eBinEdges),
                          static_cast<QWidget*>(lwBands)})
        ages->setEnabled(m_data.fromAges);
    if (!m_data.fromAges) tcFigures->setCurrentIndex(kStackedTab);
    showNote();
    showProblem(QString());
    if (!readChoices()) {
        // The defaults always read: a stored choice that does not is put back to its default.
        setChoices(DistributionsFields{});
        readChoices();
    }
    buildProfilesOrKde();
    findPeaksAndBins();
    drawAll();
    emit tcFigures->currentChanged(tcFigures->currentIndex());
}

// Profiles the samples cannot give (a PDP of ages without uncertainties, say) are said, and the
// samples drawn by KDE with their own bandwidths instead; when even those fail the page is left
// empty and the error goes on to the caller.
void DistributionsPage::buildProfilesOrKde() {
    try {
        buildProfiles();
        return;
    } catch (const KestrelError& error) {
        if (!m_data.fromAges) throw;
        showProblem(QString::fromUtf8(error.what()) +
                    ". The profiles are drawn by KDE with each sample's own bandwidth.");
    }
    {
        const QSignalBlocker quiet(cbProfile);
        cbProfile->setCurrentIndex(std::max(0, cbProfile->findData("KDE")));
        eBandwidth->clear();
    }
    m_bandwidth.reset();
    try {
        buildProfiles();
    } catch (const KestrelError&) {
        m_data = DistributionsData{};
        throw;
    }
}

void DistributionsPage::showNote() {
    const size_t count = m_data.samples.size();
    QString note =
        QString("%1: %2 %3").arg(m_data.subject).arg(count).arg(count == 1 ? "sample" : "samples");
    if (!m_data.fromAges) {
        note +=
            " of profiles. A workbook of profiles holds no grains: the stacked figure draws "
            "the profiles without histograms; the cumulative curves, bins and peaks' grains "
            "need grain ages.";
    } else {
        size_t grains = 0;
        for (const GrainSample& sample : m_data.samples) grains += sample.ages.size();
        note += QString(", %1 grains.").arg(grains);
    }
    QStringList names, why;
    for (const auto& [name, reason] : m_data.refused) {
        names << name;
        why << reason;
    }
    if (!names.isEmpty())
        note += QString(" Left out: %1 (hover here for why).").arg(names.join(", "));
    lNote->setText(note);
    lNote->setToolTip(why.join("\n"));
}

// A change of the profile method or bandwidth builds the profiles again; any other choice only
// redraws. A choice that does not read is said beside the choices, the figures left as they were.
void DistributionsPage::choiceEdited(bool profilesToo) {
    if (!filled()) return;
    if (!readChoices()) return;
    try {
        if (profilesToo) buildProfiles();
    } catch (const KestrelError& error) {
        // The figures keep the profiles they were drawn with, and the fields say which.
        showProblem(QString::fromUtf8(error.what()));
        const QSignalBlocker quiet(cbProfile);
        cbProfile->setCurrentIndex(std::max(0, cbProfile->findData(m_builtProfile)));
        eBandwidth->setText(m_builtBandwidth);
        return;
    }
    findPeaksAndBins();
    drawAll();
    emit choicesChanged();
}

bool DistributionsPage::readChoices() {
    try {
        m_bandwidth.reset();
        if (!eBandwidth->text().trimmed().isEmpty())
            m_bandwidth = typedIn(*eBandwidth, std::numeric_limits<double>::min(),
                                  std::numeric_limits<double>::max(),
                                  "The bandwidth must be a number above 0 in age units, or empty "
                                  "for each sample's own");
        double low = std::numeric_limits<double>::max(),
               high = std::numeric_limits<double>::lowest();
        for (const GrainSample& sample : m_data.samples)
            for (double age : sample.ages) {
                low = std::min(low, age);
                high = std::max(high, age);
            }
        m_binWidth = eBinWidth->text().trimmed().isEmpty()
                         ? roundBinWidth(low, high)
                         : typedIn(*eBinWidth, 0, std::numeric_limits<double>::max(),
                                   "The bin width must be 0 (no histograms) or a number above 0 "
                                   "in age units");
        m_bands = parseAgeBands(eBands->text().toStdString());
        m_threshold = ePeakThreshold->text().trimmed().isEmpty()
                          ? kDefaultPeakThresholdPercent
                          : typedIn(*ePeakThreshold, 0, 100,
                                    "The peaks' threshold must be 0 to 100 per cent");
        if (m_data.fromAges) m_edges = parseBinEdges(eBinEdges->text().toStdString());
        m_widthMm = typedIn(*eFigureWidth, kMinFigureWidth, kMaxFigureWidth,
                            "The figure's width must be 40 to 1000 mm");
        m_fontPoints = typedIn(*eFigureFont, kMinFigureFont, kMaxFigureFont,
                               "The font size must be 5 to 24 points");
        m_order = order();
    } catch (const KestrelError& error) {
        showProblem(QString::fromUtf8(error.what()));
        return false;
    }
    showProblem(QString());
    return true;
}

std::vector<size_t> DistributionsPage::order() const {
    const QString how = cbOrder->currentData().toString();
    if (how == "typed") return sampleOrder(m_data.samples, eOrder->text().toStdString());
    if (how != "map") return sampleOrder(m_data.samples, "workbook");
    if (!m_data.fromAges) {
        if (m_data.mapAxis.size() == m_data.samples.size()) return orderAlongAxis(m_data.mapAxis);
        return sampleOrder(m_data.samples, "workbook");
    }
    if (!m_mapOrder) m_mapOrder = sampleOrder(m_data.samples, "map");
    return *m_mapOrder;
}

void DistributionsPage::buildProfiles() {
    if (!m_data.fromAges) {
        m_profiles = DensityProfiles{};
        m_profiles.ages = m_data.grid;
        m_profiles.profiles = m_data.profiles;
        for (auto& profile : m_profiles.profiles) scaleToHundred(profile);
        return;
    }
    DensityOptions options;
    const ProfileMethod* method =
        profileMethodByLabel(cbProfile->currentData().toString().toStdString());
    options.kind = method ? method->kind : DensityKind::Kde;
    options.bandwidth = m_bandwidth;
    m_profiles = buildDensityProfiles(m_data.samples, options);
    m_builtProfile = cbProfile->currentData().toString();
    m_builtBandwidth = eBandwidth->text();
    ++m_profileBuilds;
}

void DistributionsPage::findPeaksAndBins() {
    m_peaks.clear();
    m_binCounts.clear();
    for (size_t s = 0; s < m_data.samples.size() && s < m_profiles.profiles.size(); ++s) {
        m_peaks.push_back(findProfilePeaks(m_profiles.ages, m_profiles.profiles[s],
                                           m_data.samples[s].ages, m_threshold));
        if (m_data.fromAges) m_binCounts.push_back(countInBins(m_data.samples[s].ages, m_edges));
    }
}

// The stacked and bins figures stack the samples in the chosen order; the cumulative one draws
// them as read (its legend likewise), each with its DKW band when ticked.
std::vector<FigureSampleData> DistributionsPage::figureSamplesFor(FigureKind kind) const {
    const bool withBands = kind == FigureKind::Cumulative;
    std::vector<size_t> asRead(m_data.samples.size());
    std::iota(asRead.begin(), asRead.end(), size_t{0});
    std::vector<FigureSampleData> samples;
    for (size_t s : withBands ? asRead : m_order) {
        if (s >= m_profiles.profiles.size()) continue;
        const bool band = withBands && lwBands->item(static_cast<int>(s)) &&
                          lwBands->item(static_cast<int>(s))->checkState() == Qt::Checked;
        samples.push_back({m_data.samples[s].name, m_data.samples[s].ages, m_profiles.profiles[s],
                           m_peaks[s], s, band});
    }
    return samples;
}

std::optional<FigureRequest> DistributionsPage::figureRequest() const {
    if (!filled()) return std::nullopt;
    FigureRequest request;
    const int tab = tcFigures->currentIndex();
    request.kind = tab == kCumulativeTab ? FigureKind::Cumulative
                   : tab == kBinsTab     ? FigureKind::Bins
                                         : FigureKind::Stacked;
    request.grid = m_profiles.ages;
    request.samples = figureSamplesFor(request.kind);
    request.bands = m_bands;
    request.binWidth = m_data.fromAges ? m_binWidth : 0.0;
    request.edges = m_edges;
    request.logAge = chkLogAge->isChecked();
    request.widthMm = m_widthMm;
    request.fontPoints = m_fontPoints;
    return request;
}

bool DistributionsPage::binsTableInFront() const {
    return tcFigures->currentIndex() == kBinsTab;
}

bool DistributionsPage::peaksTableInFront() const {
    return tcFigures->currentIndex() == kPeaksTab;
}

std::vector<std::string> DistributionsPage::sampleNames() const {
    std::vector<std::string> names;
    for (const GrainSample& sample : m_data.samples) names.push_back(sample.name);
    return names;
}

// Only the tab in front is drawn; the others are drawn when they come to the front.
void DistributionsPage::drawAll() {
    m_stale = kEveryView;
    drawInFront();
}

void DistributionsPage::drawInFront() {
    if (!filled()) return;
    const int tab = tcFigures->currentIndex();
    const auto fresh = [this](int view) {
        const bool stale = (m_stale & view) != 0;
        m_stale &= ~view;
        return stale;
    };
    if (tab == kStackedTab && fresh(kStackedView)) drawStacked();
    if (!m_data.fromAges) return;
    if (tab == kCumulativeTab && fresh(kCumulativeView)) drawCumulative();
    if (tab == kBinsTab && fresh(kBinsView)) {
        drawBins();
        fillBinsTable();
    }
    if (tab == kPeaksTab && fresh(kPeaksView)) fillPeaksTable();
}

void DistributionsPage::drawStacked() {
    StackedChoices choices;
    choices.binWidth = m_data.fromAges ? m_binWidth : 0.0;
    choices.bands = m_bands;
    const FigureStyle style{m_fontPoints, chkLogAge->isChecked()};
    fillStackedFigure(*StackedFigure, m_profiles.ages,
                      figureSamples(figureSamplesFor(FigureKind::Stacked)), choices, style);
    fitStackedHeight();
    StackedFigure->replot(QCustomPlot::rpQueuedReplot);
}

void DistributionsPage::fitStackedHeight() {
    const FigureStyle style{m_fontPoints, chkLogAge->isChecked()};
    StackedFigure->setFixedHeight(stackedFigureHeight(m_order.size(), style));
    BinsFigure->setFixedHeight(ageBinsFigureHeight(m_order.size(), style));
}

void DistributionsPage::drawCumulative() {
    if (!m_data.fromAges || !filled()) return;
    const std::vector<FigureSampleData> all = figureSamplesFor(FigureKind::Cumulative);
    std::vector<bool> bands;
    for (const FigureSampleData& sample : all) bands.push_back(sample.band);
    fillCumulativeFigure(*CumulativeFigure, figureSamples(all), bands,
                         FigureStyle{m_fontPoints, chkLogAge->isChecked()});
    CumulativeFigure->replot(QCustomPlot::rpQueuedReplot);
}

void DistributionsPage::drawBins() {
    fillAgeBinsFigure(*BinsFigure, figureSamples(figureSamplesFor(FigureKind::Bins)), m_edges,
                      FigureStyle{m_fontPoints, false});
    BinsFigure->replot(QCustomPlot::rpQueuedReplot);
}

void DistributionsPage::fillPeaksTable() {
    m_peaksModel->clear();
    m_peaksModel->setHorizontalHeaderLabels({"Sample", "Peak", "Age", "Height (%)", "Grains"});
    for (size_t s = 0; s < m_peaks.size(); ++s) {
        int number = 0;
        for (const ProfilePeak& peak : m_peaks[s]) {
            m_peaksModel->appendRow({textCell(QString::fromStdString(m_data.samples[s].name)),
                                     numberCell(++number, 0), numberCell(peak.age, 1),
                                     numberCell(peak.height, 1), numberCell(peak.grains, 0)});
        }
    }
    PeaksGrid->resizeColumnsToContents();
}

void DistributionsPage::fillBinsTable() {
    m_binsModel->clear();
    QStringList headings{"Sample", "Grains"};
    for (size_t b = 0; b + 1 < m_edges.size(); ++b) {
        const QString label = QString::fromStdString(binLabel(m_edges[b], m_edges[b + 1]));
        headings << label << label + " %";
    }
    headings << "Outside";
    m_binsModel->setHorizontalHeaderLabels(headings);
    for (size_t s = 0; s < m_binCounts.size(); ++s) {
        const BinCounts& counts = m_binCounts[s];
        QList<QStandardItem*> row{textCell(QString::fromStdString(m_data.samples[s].name)),
                                  numberCell(counts.grains, 0)};
        for (int count : counts.counts) {
            row << numberCell(count, 0)
                << numberCell(counts.grains > 0 ? 100.0 * count / counts.grains : 0.0, 1);
        }
        row << numberCell(counts.outside, 0);
        m_binsModel->appendRow(row);
    }
    BinsGrid->resizeColumnsToContents();
}

}  // namespace kestrel
