// PNG images of the two graphs, drawn by the same code as the screen (for kestrel-batch).
#pragma once

#include <QByteArray>
#include <string>

#include "engine/ProfileData.h"
#include "output/GraphExport.h"

class QCustomPlot;

namespace kestrel {

/// @brief The graph drawn at width x height pixels, as PNG bytes. Throws KestrelError for a
/// size outside 50..10,000 pixels or a failed encoding.
QByteArray graphPng(QCustomPlot& chart, int width, int height);

/// @brief Fills both graphs from `data` and writes "Chart1.png" (cumulative probability graph)
/// and "Chart2.png" (probability graph) into `folder`, each written atomically. Needs a
/// QApplication (the offscreen platform will do). Throws KestrelError naming the file.
void writeGraphImages(const ProfileData& data, const std::string& folder, int width = 1000,
                      int height = 600);

/// @brief The same two graphs laid out at 1000 x 600 pixels, as vector drawings in `format`
/// (Svg or Pdf): "Chart1.svg" and "Chart2.svg", or the same with ".pdf".
void writeGraphDrawings(const ProfileData& data, const std::string& folder, GraphFormat format);

}  // namespace kestrel
