// Laying out the Depositional age page, reading its choices, and drawing the chosen sample and
// the table from the results.
#include "app/DepositionalAgePage.h"

#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <charconv>
#include <string>

#include "app/DepositionalTableModel.h"
#include "output/ComponentsGraph.h"
#include "output/YoungestGrainsGraph.h"

namespace kestrel {
namespace {

constexpr QSize kGraphMinimum{250, 190};

std::optional<uint64_t> seedOf(const QString& text) {
    const std::string digits = text.trimmed().toStdString();
    uint64_t seed = 0;
    const auto [end, fault] = std::from_chars(digits.data(), digits.data() + digits.size(), seed);
    if (digits.empty() || fault != std::errc() || end != digits.data() + digits.size()) return {};
    return seed;
}

// " Left out: DZ03, DZ05 (hover here for why)."; empty for none.
QString refusedSentence(const std::vector<std::pair<QString, QString>>& refused) {
    if (refused.empty()) return {};
    QStringList names;
    for (const auto& [name, reason] : refused) names << name;
    return QString(" Left out: %1 (hover here for why).").arg(names.join(", "));
}

QLabel* boldLabel(const QString& text) {
    auto* label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

}  // namespace

DepositionalAgePage::DepositionalAgePage(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    lNote = new QLabel;
    lNote->setObjectName("lDepositionalNote");
    lNote->setWordWrap(true);
    bbExportTable = new QPushButton("Export table...");
    bbExportTable->setObjectName("bbExportDepositional");
    auto* top = new QHBoxLayout;
    top->addWidget(lNote, 1);
    top->addWidget(bbExportTable, 0, Qt::AlignTop);
    layout->addLayout(top);
    auto* sides = new QHBoxLayout;
    sides->addWidget(createChoices());
    sides->addWidget(createResults(), 1);
    layout->addLayout(sides, 1);
    connectChoices();
    arrangeViews(true);
}

// The choices in a narrow column that scrolls in a short window.
QWidget* DepositionalAgePage::createChoices() {
    auto* box = new QWidget;
    auto* form = new QVBoxLayout(box);
    form->setContentsMargins(0, 0, 4, 0);
    cbSample = new QComboBox;
    cbSample->setObjectName("cbDepositionalSample");
    form->addWidget(boldLabel("Sample"));
    form->addWidget(cbSample);
    lwMethods = new QListWidget;
    lwMethods->setObjectName("lwDepositionalMethods");
    int widest = 0;
    for (const DepositionalMethodInfo& info : allDepositionalMethods()) {
        auto* item = new QListWidgetItem(QString::fromUtf8(info.name), lwMethods);
        item->setToolTip(QString::fromUtf8(info.description));
        item->setForeground(depositionalMethodColour(info.method));
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        widest =
            std::max(widest, lwMethods->sizeHintForIndex(lwMethods->indexFromItem(item)).width());
    }
    // Two columns, every estimator in sight without a scroll bar of its own.
    const QSize cell(widest + 8, lwMethods->sizeHintForRow(0) + 2);
    lwMethods->setFlow(QListView::LeftToRight);
    lwMethods->setWrapping(true);
    lwMethods->setGridSize(cell);
    lwMethods->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lwMethods->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int rows = (lwMethods->count() + 1) / 2;
    lwMethods->setFixedSize(2 * cell.width() + 2 * lwMethods->frameWidth() + 4,
                            rows * cell.height() + 2 * lwMethods->frameWidth() + 4);
    form->addWidget(boldLabel("Methods"));
    form->addWidget(lwMethods);

    auto* options = new QFormLayout;
    options->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    cbMlaParameters = new QComboBox;
    cbMlaParameters->setObjectName("cbMlaParameters");
    cbMlaParameters->addItem("3", 3);
    cbMlaParameters->addItem("4", 4);
    cbMlaParameters->setToolTip(
        "The minimum age model's parameters: 3 (the rest of the grains spread from the minimum) "
        "or 4 (from a mean of their own)");
    options->addRow("MLA parameters", cbMlaParameters);
    eSeed = new QLineEdit("1");
    eSeed->setObjectName("eYdzSeed");
    eSeed->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{1,20}"), eSeed));
    eSeed->setToolTip(
        "YDZ's random draws: the same seed gives the same draws, here and in kestrel-batch");
    options->addRow("YDZ seed", eSeed);
    cbComponents = new QComboBox;
    cbComponents->setObjectName("cbComponents");
    cbComponents->addItem("auto", 0);
    for (int k = 1; k <= kMaxAutoComponents; ++k) cbComponents->addItem(QString::number(k), k);
    cbComponents->setToolTip(
        "The number of age components fitted to the chosen sample; auto: the one with the lowest "
        "BIC, up to 8");
    options->addRow("Components", cbComponents);
    form->addLayout(options);
    form->addStretch(1);

    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(box);
    scroll->setFixedWidth(box->sizeHint().width() +
                          scroll->verticalScrollBar()->sizeHint().width());
    return scroll;
}

QWidget* DepositionalAgePage::createResults() {
    YoungestGraph = createYoungestGrainsGraph(nullptr);
    ComponentsGraph = createComponentsGraph(nullptr);
    for (QCustomPlot* chart : {YoungestGraph, ComponentsGraph})
        chart->setMinimumSize(kGraphMinimum);

    EstimatesGrid = new QTableView;
    EstimatesGrid->setObjectName("EstimatesGrid");
    EstimatesGrid->setMinimumSize(200, 90);
    m_model = new DepositionalTableModel(this);
    EstimatesGrid->setModel(m_model);
    EstimatesGrid->verticalHeader()->setVisible(false);
    EstimatesGrid->verticalHeader()->setDefaultSectionSize(EstimatesGrid->fontMetrics().height() +
                                                           4);
    EstimatesGrid->horizontalHeader()->setStretchLastSection(true);
    auto* copy = new QAction("Copy", EstimatesGrid);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    EstimatesGrid->addAction(copy);
    EstimatesGrid->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(copy, &QAction::triggered, this, &DepositionalAgePage::copyTable);

    m_graphs = new QSplitter(Qt::Horizontal);
    m_graphs->setChildrenCollapsible(false);
    m_all = new QSplitter(Qt::Vertical);
    m_all->setChildrenCollapsible(false);
    m_all->addWidget(m_graphs);
    // A window too small for the large arrangement scrolls rather than squeezing the graphs.
    auto* scroll = new QScrollArea;
    scroll->setObjectName("DepositionalScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(m_all);
    m_tabs = new QTabWidget;
    m_tabs->setObjectName("tcDepositional");
    m_tabs->setDocumentMode(true);
    m_views = new QStackedWidget;
    m_views->addWidget(scroll);
    m_views->addWidget(m_tabs);
    return m_views;
}

void DepositionalAgePage::arrangeViews(bool compact) {
    m_compact = compact;
    if (compact) {
        const int shown = m_tabs->currentIndex();
        m_tabs->addTab(YoungestGraph, "Youngest grains");
        m_tabs->addTab(ComponentsGraph, "Age components");
        m_tabs->addTab(EstimatesGrid, "Table");
        m_tabs->setCurrentIndex(std::max(0, shown));
        m_views->setCurrentWidget(m_tabs);
        return;
    }
    m_graphs->addWidget(YoungestGraph);
    m_graphs->addWidget(ComponentsGraph);
    m_graphs->setStretchFactor(0, 1);
    m_graphs->setStretchFactor(1, 1);
    m_all->addWidget(EstimatesGrid);
    m_all->setStretchFactor(0, 3);
    m_all->setStretchFactor(1, 2);
    // The tabs left them hidden.
    for (QWidget* view :
         {static_cast<QWidget*>(YoungestGraph), static_cast<QWidget*>(ComponentsGraph),
          static_cast<QWidget*>(EstimatesGrid)})
        view->show();
    m_views->setCurrentIndex(0);
}

void DepositionalAgePage::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const bool compact = width() < kWideFrom || height() < kTallFrom;
    if (compact != m_compact) arrangeViews(compact);
}

void DepositionalAgePage::connectChoices() {
    connect(cbSample, &QComboBox::currentIndexChanged, this, [this] {
        showChosenSample();
        emit componentsWanted();
    });
    connect(lwMethods, &QListWidget::itemChanged, this, [this] {
        showTable();
        showChosenSample();
        emit choicesChanged();
    });
    connect(cbMlaParameters, &QComboBox::currentIndexChanged, this, [this] {
        emit optionsChanged();
        emit choicesChanged();
    });
    connect(eSeed, &QLineEdit::editingFinished, this, &DepositionalAgePage::seedEdited);
    connect(cbComponents, &QComboBox::currentIndexChanged, this, [this] {
        emit componentsWanted();
        emit choicesChanged();
    });
    connect(bbExportTable, &QPushButton::clicked, this, &DepositionalAgePage::exportTableRequested);
}

// A seed too large for 64 bits goes back to the last one that read.
void DepositionalAgePage::seedEdited() {
    if (!seedOf(eSeed->text())) {
        eSeed->setText(m_seed);
        return;
    }
    const QString seed = QString::number(*seedOf(eSeed->text()));
    eSeed->setText(seed);
    if (seed == m_seed) return;
    m_seed = seed;
    emit optionsChanged();
    emit choicesChanged();
}

DepositionalAgeFields DepositionalAgePage::choices() const {
    DepositionalAgeFields fields;
    QStringList keys;
    for (int i = 0; i < lwMethods->count(); ++i) {
        if (lwMethods->item(i)->checkState() == Qt::Checked)
            keys << QString::fromUtf8(allDepositionalMethods()[static_cast<size_t>(i)].key);
    }
    fields.methods =
        keys.size() == lwMethods->count() ? std::string("all") : keys.join(',').toStdString();
    fields.seed = m_seed.toStdString();
    fields.mlaParameters = cbMlaParameters->currentText().toStdString();
    fields.components = cbComponents->currentText().toStdString();
    return fields;
}

void DepositionalAgePage::setChoices(const DepositionalAgeFields& choices) {
    const QSignalBlocker quietList(lwMethods), quietMla(cbMlaParameters),
        quietComponents(cbComponents);
    const QStringList keys = QString::fromStdString(choices.methods).split(',');
    const bool all = choices.methods == "all";
    for (int i = 0; i < lwMethods->count(); ++i) {
        const char* key = allDepositionalMethods()[static_cast<size_t>(i)].key;
        const bool ticked = all || keys.contains(QString::fromUtf8(key), Qt::CaseInsensitive);
        lwMethods->item(i)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
    }
    const auto seed = seedOf(QString::fromStdString(choices.seed));
    m_seed = QString::number(seed.value_or(1));
    eSeed->setText(m_seed);
    cbMlaParameters->setCurrentIndex(choices.mlaParameters == "4" ? 1 : 0);
    cbComponents->setCurrentIndex(
        std::max(0, cbComponents->findText(QString::fromStdString(choices.components))));
}

DepositionalOptions DepositionalAgePage::options() const {
    DepositionalOptions options;
    options.seed = seedOf(m_seed).value_or(1);
    options.mlaParameters = cbMlaParameters->currentData().toInt();
    return options;
}

std::vector<DepositionalMethod> DepositionalAgePage::chosenMethods() const {
    std::vector<DepositionalMethod> methods;
    for (int i = 0; i < lwMethods->count(); ++i) {
        if (lwMethods->item(i)->checkState() == Qt::Checked)
            methods.push_back(allDepositionalMethods()[static_cast<size_t>(i)].method);
    }
    return methods;
}

std::vector<std::vector<DepositionalEstimate>> DepositionalAgePage::shownEstimates() const {
    const std::vector<DepositionalMethod> methods = chosenMethods();
    std::vector<std::vector<DepositionalEstimate>> shown(m_results.estimates.size());
    for (size_t s = 0; s < shown.size(); ++s) {
        for (const DepositionalEstimate& estimate : m_results.estimates[s]) {
            if (std::find(methods.begin(), methods.end(), estimate.method) != methods.end())
                shown[s].push_back(estimate);
        }
    }
    return shown;
}

int DepositionalAgePage::chosenSample() const {
    const int index = cbSample->currentIndex();
    return index >= 0 && static_cast<size_t>(index) < m_results.samples.size() ? index : -1;
}

int DepositionalAgePage::chosenComponents() const {
    return cbComponents->currentData().toInt();
}

void DepositionalAgePage::showResults(DepositionalResults results) {
    const QString chosen = cbSample->currentText();
    m_results = std::move(results);
    {
        const QSignalBlocker quiet(cbSample);
        cbSample->clear();
        for (const GrainSample& sample : m_results.samples)
            cbSample->addItem(QString::fromStdString(sample.name));
        cbSample->setCurrentIndex(std::max(0, cbSample->findText(chosen)));
    }
    showNote();
    showTable();
    showChosenSample();
}

void DepositionalAgePage::showNote() {
    lNote->setText(QString("%1: depositional ages of %2 %3.%4")
                       .arg(m_results.subject)
                       .arg(m_results.samples.size())
                       .arg(m_results.samples.size() == 1 ? "sample" : "samples")
                       .arg(refusedSentence(m_results.refused)));
    QStringList why;
    for (const auto& [name, reason] : m_results.refused) why << reason;
    lNote->setToolTip(why.join("\n"));
}

void DepositionalAgePage::showTable() {
    m_model->setEstimates(m_results.samples, shownEstimates());
    EstimatesGrid->resizeColumnsToContents();
}

void DepositionalAgePage::showChosenSample() {
    const int sample = chosenSample();
    if (sample < 0) return;
    fillYoungestGrainsGraph(*YoungestGraph, m_results.samples[static_cast<size_t>(sample)],
                            shownEstimates()[static_cast<size_t>(sample)]);
}

void DepositionalAgePage::showComponents(const MixtureFit& fit, const QString& note) {
    const int sample = chosenSample();
    if (sample < 0) return;
    fillComponentsGraph(*ComponentsGraph, m_results.samples[static_cast<size_t>(sample)], fit,
                        note);
}

void DepositionalAgePage::copyTable() {
    QApplication::clipboard()->setText(
        depositionalSelectionText(*m_model, EstimatesGrid->selectionModel()));
}

}  // namespace kestrel
