// The Export graph command: file chooser, resolution dialog, then the export itself.
#include "output/GraphExportCommand.h"

#include <qcustomplot.h>

#include <QFileInfo>
#include <filesystem>
#include <system_error>

#include "engine/KestrelError.h"
#include "output/PngResolutionDialog.h"
#include "output/SummarySave.h"
#include "ui/SettingsFields.h"

namespace kestrel {

namespace {

constexpr GraphFormat kFormatsByEntry[] = {GraphFormat::Png, GraphFormat::Svg, GraphFormat::Pdf};

int entryOf(GraphFormat format) {
    for (int i = 0; i < 3; ++i) {
        if (kFormatsByEntry[i] == format) return i + 1;
    }
    return 1;
}

const char* graphNameOf(const QCustomPlot& chart) {
    if (chart.objectName() == "MDS") return "mds";
    if (chart.objectName() == "Matrix") return "matrix";
    if (chart.objectName() == "Youngest") return "youngest";
    if (chart.objectName() == "Components") return "components";
    return chart.objectName() == "Chart2" ? "probability" : "cumulative";
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return !a.empty() && std::filesystem::equivalent(a, b, error);
}

}  // namespace

std::string proposedGraphName(const std::string& workbookFileName, const QCustomPlot& chart,
                              GraphFormat format) {
    const std::string base =
        QFileInfo(QString::fromStdString(workbookFileName)).completeBaseName().toStdString();
    const std::string graph = graphNameOf(chart);
    return (base.empty() ? graph : base + "_" + graph) + "." + graphFormatSuffix(format);
}

FileDialogSetup graphExportDialogSetup(const GraphExportChoices& choices,
                                       const std::string& exportPath,
                                       const std::string& workbookFileName,
                                       const QCustomPlot& chart) {
    FileDialogSetup setup;
    setup.title = "Export graph";
    setup.filters = QStringList{"PNG image (*.png)", "SVG drawing (*.svg)", "PDF document (*.pdf)"};
    setup.filterSuffixes = QStringList{"png", "svg", "pdf"};
    setup.selectedFilter = entryOf(choices.format);
    setup.defaultSuffix = graphFormatSuffix(choices.format);
    setup.initialFolder =
        QString::fromStdString(choices.folder.empty() ? exportPath : choices.folder);
    setup.proposedName =
        QString::fromStdString(proposedGraphName(workbookFileName, chart, choices.format));
    setup.confirmOverwrite = true;
    return setup;
}

GraphFormat chosenGraphFormat(const FileChoice& choice) {
    if (const auto bySuffix = graphFormatNamed(QFileInfo(choice.path).suffix().toStdString())) {
        return *bySuffix;
    }
    const int entry = choice.filterIndex >= 1 && choice.filterIndex <= 3 ? choice.filterIndex : 1;
    return kFormatsByEntry[entry - 1];
}

bool exportGraphAsChosen(QCustomPlot& chart, const SettingsFields& state,
                         GraphExportChoices& choices, UserInteraction& ui, QWidget* parent) {
    const FileDialogSetup setup =
        graphExportDialogSetup(choices, state.DataExportPath, state.WorkbookFileName, chart);
    const std::optional<FileChoice> choice = ui.chooseSaveFile(parent, setup);
    if (!choice || choice->path.isEmpty()) return false;
    const GraphFormat format = chosenGraphFormat(*choice);
    int dpi = choices.dpi;
    if (format == GraphFormat::Png) {
        PngResolutionDialog resolution(graphExportLayoutSize(chart), choices.dpi, parent);
        if (ui.runModal(resolution) != QDialog::Accepted) return false;
        dpi = resolution.dpi();
    }
    const std::string path = choice->path.toStdString();
    choices.folder = exportFolderOf(path);
    choices.format = format;
    choices.dpi = dpi;
    if (sameFile(state.WorkbookPath, path)) {
        throw KestrelError("The graph cannot be exported to " + path +
                           ": that is the workbook the profiles were read from; choose another "
                           "name");
    }
    exportGraph(chart, path, format, dpi);
    return true;
}

}  // namespace kestrel
