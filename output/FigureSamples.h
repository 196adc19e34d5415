// What the distribution figures draw of each sample, and the choices they share.
#pragma once

#include <QFont>
#include <QString>
#include <vector>

#include "engine/figures/AgeBands.h"
#include "engine/figures/ProfilePeaks.h"

class QCustomPlot;

namespace kestrel {

struct FigureSample {
    QString name;
    /// The grain ages, in age units; empty for a profile read from a workbook of profiles,
    /// which has no grains to count or bin.
    std::vector<double> ages;
    /// The profile on the figures' grid, its highest point 100.
    std::vector<double> profile;
    std::vector<ProfilePeak> peaks;
    size_t colour = 0;  ///< the sample's place in the order read: its colour in every figure
};

/// @brief The choices every figure shares.
struct FigureStyle {
    double fontPoints = 9.0;
    bool logAge = false;
};

/// The font sizes a figure may be drawn at, in points.
inline constexpr double kMinFigureFont = 5.0, kMaxFigureFont = 24.0;
/// The widths a figure may be exported at, in millimetres.
inline constexpr double kMinFigureWidth = 40.0, kMaxFigureWidth = 1000.0;
inline constexpr double kDefaultFigureWidth = 170.0;

/// @brief Screen pixels (96 per inch) of a width in millimetres.
int figurePixels(double millimetres);

/// @brief The figures' font at the style's size, `scale` times it (peak and band labels are
/// smaller than the axes' text).
QFont figureFont(const FigureStyle& style, double scale = 1.0);

struct StackedChoices {
    /// The histogram's bin width in age units; 0 draws no histogram.
    double binWidth = 0.0;
    std::vector<AgeBand> bands;
    bool peaks = true;
};

/// @brief The stacked figure: one row per sample of `rows` (top to bottom), on one age axis;
/// its profile as a filled curve scaled to the row, its grains' histogram behind (samples with
/// ages, when a bin width is given), its name and grain count at the left, its peaks marked
/// with their ages, and the bands shaded across every row with their labels above.
void fillStackedFigure(QCustomPlot& chart, const std::vector<double>& grid,
                       const std::vector<FigureSample>& rows, const StackedChoices& choices,
                       const FigureStyle& style);

/// @brief The height in screen pixels the stacked figure of `rows` samples needs at `style`.
int stackedFigureHeight(size_t rows, const FigureStyle& style);

/// @brief The cumulative figure: each sample's empirical cumulative distribution as a step
/// line in its colour, and for the samples whose `withBand` is set the DKW 95% band, shaded.
void fillCumulativeFigure(QCustomPlot& chart, const std::vector<FigureSample>& samples,
                          const std::vector<bool>& withBand, const FigureStyle& style);

/// @brief The age-bins figure: one horizontal bar per sample of `rows` (top to bottom), its
/// shares of grains per bin of `edges` stacked, in per cent of all its grains.
void fillAgeBinsFigure(QCustomPlot& chart, const std::vector<FigureSample>& rows,
                       const std::vector<double>& edges, const FigureStyle& style);

/// @brief The height in screen pixels the bins figure of `rows` samples needs at `style`.
int ageBinsFigureHeight(size_t rows, const FigureStyle& style);

}  // namespace kestrel
