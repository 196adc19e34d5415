// Choosing where a table made from a workbook of grain ages goes: a .csv or .xlsx file, proposed
// beside the workbook, never the workbook itself.
#pragma once

#include <QString>
#include <optional>
#include <string>

class QWidget;

namespace kestrel {

class UserInteraction;

/// @brief The workbook's path as the file dialogs show it.
QString decodedPath(const std::string& path);

/// @brief The save-file chooser titled `title`, proposing NAME`nameEnding`.csv in the folder of
/// `workbookPath`; a chosen name without .csv or .xlsx takes the chosen type's. Nothing when
/// cancelled. Throws KestrelError "The <what> file ... is the workbook of the ages; choose
/// another name" when the choice is the workbook itself.
std::optional<std::string> chooseTableFile(UserInteraction& ui, QWidget* parent,
                                           const QString& title, const std::string& workbookPath,
                                           const QString& nameEnding, const std::string& what);

}  // namespace kestrel
