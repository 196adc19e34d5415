// Export graph...: the file chooser with one entry per format, the PNG resolution, the proposed
// name and what the command remembers from one export to the next.
#pragma once

#include <string>

#include "output/GraphExport.h"
#include "ui/UserInteraction.h"

class QCustomPlot;
class QWidget;

namespace kestrel {

struct SettingsFields;

/// @brief What Export graph remembers for the run (never saved in the settings file): the
/// folder of the last export (empty: the summary's export folder), its format and resolution.
struct GraphExportChoices {
    std::string folder;
    GraphFormat format = GraphFormat::Png;
    int dpi = kDefaultGraphDpi;
};

/// @brief The proposed file name: the workbook's name without its extension, "_cumulative"
/// for Chart1 or "_probability" for Chart2, and the format's suffix. "Profiles.xls" and an SVG
/// of Chart1 give "Profiles_cumulative.svg".
std::string proposedGraphName(const std::string& workbookFileName, const QCustomPlot& chart,
                              GraphFormat format);

/// @brief The save dialog: "PNG image", "SVG drawing" and "PDF document", the remembered format
/// selected, its suffix following the entry chosen, the overwrite question, the remembered
/// folder (or `exportPath`) and the proposed name.
FileDialogSetup graphExportDialogSetup(const GraphExportChoices& choices,
                                       const std::string& exportPath,
                                       const std::string& workbookFileName,
                                       const QCustomPlot& chart);

/// @brief The format of a chosen file: its suffix when that names one, else the entry chosen.
GraphFormat chosenGraphFormat(const FileChoice& choice);

/// @brief Export graph...: the save dialog, then for PNG the resolution dialog, then
/// exportGraph(). Cancelling either dialog writes nothing and returns false. The folder, format
/// and resolution are remembered in `choices` before the file is written; a graph is never
/// written over the workbook the profiles were read from. A failed write throws KestrelError
/// naming the file.
bool exportGraphAsChosen(QCustomPlot& chart, const SettingsFields& state,
                         GraphExportChoices& choices, UserInteraction& ui, QWidget* parent);

}  // namespace kestrel
