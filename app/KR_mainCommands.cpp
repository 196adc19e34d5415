// The main window's commands: the handlers of the four workflows (two profiles, many profiles,
// grain ages, depositional age), each handing over to its controller, the Many profiles and
// Depositional age pages, the prompts of the Options menu and printing.
#include <qcustomplot.h>

#include <QAction>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/DepositionalAgeController.h"
#include "app/DepositionalAgePage.h"
#include "app/DistributionsController.h"
#include "app/DistributionsPage.h"
#include "app/EndMembersPage.h"
#include "app/GrainAgesController.h"
#include "app/KR_chng.h"
#include "app/KR_main.h"
#include "app/KR_var.h"
#include "app/ManyProfilesController.h"
#include "app/ManyResultsPage.h"
#include "app/TwoProfileController.h"
#include "app/UnmixingController.h"
#include "app/UnmixingPage.h"
#include "output/GraphPrint.h"
#include "output/ProbabilityGraphs.h"

using kestrel::sharedState;

void TForm1::Open1Click() {
    m_twoProfile->open(QString());
}

void TForm1::bbEditClick() {
    m_twoProfile->edit();
}

void TForm1::Calculate1Click() {
    m_twoProfile->calculate();
}

void TForm1::Saveas1Click() {
    m_twoProfile->saveSummary();
}

void TForm1::addCompareMany() {
    tsManyProfiles = new QWidget;
    tsManyProfiles->setObjectName("tsManyProfiles");
    ManyResults = new kestrel::ManyResultsPage(tsManyProfiles);
    (new QVBoxLayout(tsManyProfiles))->addWidget(ManyResults);
    // The page must not make the main window's least size any larger than it was without it.
    tsManyProfiles->setMinimumSize(1, 1);
    const int tab = PageControl1->addTab(tsManyProfiles, "Many profiles");
    PageControl1->setTabVisible(tab, false);
    connect(CompareMany1, &QAction::triggered, this, &TForm1::CompareMany1Click);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::showSampleSizesNote);
    connect(ManyResults, &kestrel::ManyResultsPage::compareTwoRequested, this,
            &TForm1::compareTwoColumns);
    connect(ManyResults, &kestrel::ManyResultsPage::saveMatrixRequested, this,
            &TForm1::saveManyMatrix);
    for (QCustomPlot* chart : {ManyResults->MdsMap, ManyResults->HeatMap, ManyResults->Shepard}) {
        auto* action = new QAction("Export graph...", chart);
        action->setObjectName(chart->objectName() + "Export");
        chart->addAction(action);
        connect(action, &QAction::triggered, this, [this, chart] { exportGraph(*chart); });
    }
}

void TForm1::CompareMany1Click() {
    m_manyProfiles->compareMany();
}

void TForm1::compareTwoColumns(int32_t firstColumn, int32_t secondColumn) {
    m_manyProfiles->compareTwoColumns(firstColumn, secondColumn);
}

void TForm1::saveManyMatrix() {
    m_manyProfiles->saveMatrix();
}

void TForm1::addGrainAges() {
    connect(OpenGrainAges1, &QAction::triggered, this, &TForm1::OpenGrainAges1Click);
    connect(ExportProfiles1, &QAction::triggered, this, &TForm1::ExportProfiles1Click);
}

void TForm1::OpenGrainAges1Click() {
    m_grainAges->run(false);
}

void TForm1::ExportProfiles1Click() {
    m_grainAges->exportProfiles();
}

void TForm1::addDepositionalAge() {
    tsDepositionalAge = new QWidget;
    tsDepositionalAge->setObjectName("tsDepositionalAge");
    DepositionalAges = new kestrel::DepositionalAgePage(tsDepositionalAge);
    (new QVBoxLayout(tsDepositionalAge))->addWidget(DepositionalAges);
    // As the Many profiles page: the window's least size stays what it was without it.
    tsDepositionalAge->setMinimumSize(1, 1);
    const int tab = PageControl1->addTab(tsDepositionalAge, "Depositional age");
    PageControl1->setTabVisible(tab, false);
    connect(DepositionalAge1, &QAction::triggered, this, &TForm1::DepositionalAge1Click);
    for (QCustomPlot* chart :
         {DepositionalAges->YoungestGraph, DepositionalAges->ComponentsGraph}) {
        auto* action = new QAction("Export graph...", chart);
        action->setObjectName(chart->objectName() + "Export");
        chart->addAction(action);
        connect(action, &QAction::triggered, this, [this, chart] { exportGraph(*chart); });
    }
}

void TForm1::DepositionalAge1Click() {
    m_depositionalAge->run();
}

void TForm1::addDistributions() {
    tsDistributions = new QWidget;
    tsDistributions->setObjectName("tsDistributions");
    Distributions = new kestrel::DistributionsPage(tsDistributions);
    (new QVBoxLayout(tsDistributions))->addWidget(Distributions);
    // As the other results pages: the window's least size stays what it was without it.
    tsDistributions->setMinimumSize(1, 1);
    const int tab = PageControl1->addTab(tsDistributions, "Distributions");
    PageControl1->setTabVisible(tab, false);
    connect(Distributions1, &QAction::triggered, this, &TForm1::Distributions1Click);
    connect(ManyResults, &kestrel::ManyResultsPage::distributionsRequested, this,
            [this] { m_manyProfiles->showDistributions(); });
    for (QCustomPlot* chart : {Distributions->StackedFigure, Distributions->CumulativeFigure,
                               Distributions->BinsFigure}) {
        auto* exportFigure = new QAction("Export figure...", chart);
        exportFigure->setObjectName(chart->objectName() + "Export");
        chart->insertAction(chart->actions().value(0), exportFigure);
        connect(exportFigure, &QAction::triggered, this,
                [this] { m_distributions->exportFigure(); });
        auto* print = new QAction("Print figure", chart);
        print->setObjectName(chart->objectName() + "Print");
        chart->addAction(print);
        connect(print, &QAction::triggered, this,
                [this, chart] { m_distributions->printFigure(*chart); });
    }
}

// Unmixing and end-members, from the Many profiles page of a workbook of grain ages.
void TForm1::addUnmixing() {
    const auto addPage = [this](QWidget*& tab, const char* name, QWidget* page,
                                const QString& caption) {
        tab = new QWidget;
        tab->setObjectName(name);
        page->setParent(tab);
        (new QVBoxLayout(tab))->addWidget(page);
        tab->setMinimumSize(1, 1);
        PageControl1->setTabVisible(PageControl1->addTab(tab, caption), false);
    };
    Unmixing = new kestrel::UnmixingPage;
    addPage(tsUnmixing, "tsUnmixing", Unmixing, "Unmixing");
    EndMembers = new kestrel::EndMembersPage;
    addPage(tsEndMembers, "tsEndMembers", EndMembers, "End-members");
    connect(ManyResults, &kestrel::ManyResultsPage::unmixRequested, this,
            [this] { m_unmixing->unmix(); });
    connect(ManyResults, &kestrel::ManyResultsPage::endMembersRequested, this,
            [this] { m_unmixing->endMembers(); });
    for (QCustomPlot* chart :
         {Unmixing->ProportionsGraph, Unmixing->CumulativeGraph, Unmixing->ProfilesGraph,
          EndMembers->EndMembersGraph, EndMembers->ResidualGraph}) {
        auto* action = new QAction("Export graph...", chart);
        action->setObjectName(chart->objectName() + "Export");
        chart->addAction(action);
        connect(action, &QAction::triggered, this, [this, chart] { exportGraph(*chart); });
    }
}

void TForm1::Distributions1Click() {
    m_distributions->run();
}

const kestrel::GrainAgesSource* TForm1::agesSourceInUse() const {
    if (const kestrel::GrainAgesSource* pair = m_grainAges->sourceInUse()) return pair;
    return m_manyProfiles->agesSourceShown();
}

void TForm1::Minimumpeakheight1Click() {
    Minimumpeakheight1Prompt(sharedState(), m_ui, this);
}

void TForm1::Baselinepeakheight1Click() {
    Baselinepeakheight1Prompt(sharedState(), m_ui, this);
}

void TForm1::bbPrintGraphClick() {
    kestrel::printGraphInFront(PageControl1->currentWidget(), *Chart1, *Chart2, m_ui);
}

void TForm1::PageControl1Change() {
    bbPrintGraph->setVisible(kestrel::printButtonVisibleFor(PageControl1->currentWidget()));
}

void TForm1::bbGraphClick() {
    kestrel::fillGraphs(*Chart1, *Chart2, sharedState());
}
