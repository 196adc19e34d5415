// Export graph...: from the File menu for the graph in front, and from each graph's context
// menu for that graph.
#include <qcustomplot.h>

#include <QAction>
#include <QMenu>
#include <QTabWidget>

#include "app/KR_main.h"
#include "app/KR_var.h"

void TForm1::addGraphExport() {
    connect(ExportGraph1, &QAction::triggered, this, &TForm1::exportGraphInFront);
    for (QCustomPlot* chart : {Chart1, Chart2}) {
        auto* action = new QAction("Export graph...", chart);
        action->setObjectName(chart->objectName() + "Export");
        chart->addAction(action);
        connect(action, &QAction::triggered, this, [this, chart] { exportGraph(*chart); });
    }
    connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::updateExportGraphEnabled);
    updateExportGraphEnabled();
}

void TForm1::updateExportGraphEnabled() {
    const QWidget* page = PageControl1->currentWidget();
    ExportGraph1->setEnabled(page == tsGraph || page == tsHistogram);
}

void TForm1::exportGraphInFront() {
    const QWidget* page = PageControl1->currentWidget();
    if (page == tsGraph) exportGraph(*Chart1);
    if (page == tsHistogram) exportGraph(*Chart2);
}

void TForm1::exportGraph(QCustomPlot& chart) {
    kestrel::exportGraphAsChosen(chart, kestrel::sharedState(), m_graphExport, m_ui, this);
}
