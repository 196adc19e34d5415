// Exporting a graph as a file: a PNG image at a chosen resolution, or an SVG or PDF vector
// drawing, each drawn by the same code as the screen and written atomically.
#pragma once

#include <QSize>
#include <optional>
#include <string>
#include <string_view>

class QCustomPlot;

namespace kestrel {

enum class GraphFormat { Png, Svg, Pdf };

/// Resolution of an exported PNG image unless the user picks another, in dots per inch.
inline constexpr int kDefaultGraphDpi = 300;
/// The resolutions a PNG image may be exported at, in dots per inch.
inline constexpr int kMinGraphDpi = 50;
inline constexpr int kMaxGraphDpi = 1200;
/// The largest side of an exported PNG image, in pixels.
inline constexpr int kMaxGraphImageSide = 10000;

/// @brief The format a name stands for ("png", "svg" or "pdf", in any case), or nothing.
std::optional<GraphFormat> graphFormatNamed(std::string_view name);

/// @brief The file name suffix of a format, without the dot: "png", "svg" or "pdf".
const char* graphFormatSuffix(GraphFormat format);

/// @brief The size at which `chart` is laid out for export: its size on screen, or 1000 x 600
/// pixels for a graph that was never laid out.
QSize graphExportLayoutSize(const QCustomPlot& chart);

/// @brief The pixel size of a PNG image of a graph laid out at `layoutSize` screen pixels
/// (96 per inch) and drawn at `dpi` dots per inch: the on-screen proportions, scaled.
QSize graphPngPixelSize(QSize layoutSize, int dpi);

/// @brief Writes `chart` to `path` as `format`, laid out at graphExportLayoutSize():
/// - Png: an image of graphPngPixelSize() pixels that records `dpi` as its resolution; text and
///   lines grow with the resolution, so the image looks as the screen does, only finer;
/// - Svg: a vector drawing whose view box is the layout size in pixels;
/// - Pdf: one vector page of the layout size (at 96 pixels per inch), without margins.
/// `dpi` matters for Png only. The file is replaced atomically: on any failure the old file
/// stays as it was and KestrelError is thrown, naming the file (a `dpi` outside
/// kMinGraphDpi..kMaxGraphDpi, or an image larger than 10,000 pixels a side, is refused).
void exportGraph(QCustomPlot& chart, const std::string& path, GraphFormat format,
                 int dpi = kDefaultGraphDpi);

/// @brief As exportGraph, laid out at `layout` screen pixels (96 per inch) instead of the
/// graph's size on screen: a figure exported at a chosen width.
void exportGraphAtSize(QCustomPlot& chart, const std::string& path, GraphFormat format,
                       QSize layout, int dpi = kDefaultGraphDpi);

}  // namespace kestrel
