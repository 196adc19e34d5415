// Sums of normal (Gaussian) kernels, the one computation every profile method is made of: on
// the rows of an age grid, and at the sample's own ages (the adaptive KDE's pilot). Shared by
// Pdp, Kde and AdaptiveKde; also the checks of a sample's ages every method makes.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "engine/density/GrainSample.h"

namespace kestrel {

/// How far a kernel reaches, in its standard deviations: sqrt(2 ln 1e13), where the normal
/// density falls to 1e-13 of its peak. Beyond it a kernel adds nothing.
inline constexpr double kKernelReach = 7.737390543189945;

/// 1 / sqrt(2 pi), the normal density's peak for a standard deviation of 1.
inline constexpr double kInverseSqrtTwoPi = 0.3989422804014327;

/// @brief A number as messages show it: up to 10 significant digits ("%.10g").
std::string messageNumber(double value);

/// @brief "Sample \"name\"" for messages (the name cut to a message's length).
std::string sampleLabel(const GrainSample& sample);

/// @brief Throws KestrelError naming the sample when it has no ages or an age (named by its
/// grain number, from 1) is not a finite number.
void checkGrainAges(const GrainSample& sample);

/// @brief Adds, to every row r of `rows` (the grid's rows, row r at age from + r * step),
/// the normal density with mean `centre` and standard deviation `width` (> 0) at that age,
/// times `weight`: weight * exp(-(age - centre)^2 / (2 width^2)) / (width sqrt(2 pi)), for the
/// rows within kKernelReach widths of the centre (the kernel is cut there, at 1e-13 of its
/// peak). Evaluated by a two-multiplication recurrence outward from the peak row, started from
/// the exponential at the peak and, for a kernel wider than 64 rows, again every 64 rows: each
/// value is within about 2e-13 of the kernel's peak (1.1e-13 measured at 2,500 rows per
/// width; the grain's own sigma or bandwidth being known to a few digits at best).
void addNormalKernel(std::span<double> rows, double from, double step, double centre, double width,
                     double weight = 1.0);

/// @brief For each grain i, the fixed-bandwidth kernel sum at its own age:
/// sum over grains j of N(ages[i]; ages[j], bandwidth) (normal density), in the order of
/// `ages`; `bandwidth` > 0. Grains more than 10.5 bandwidths apart are left out (each would add
/// less than 1e-24 of a kernel's peak, where the grid's profiles cut at 1e-13: each grain's sum
/// is near-exact, for the adaptive KDE's bandwidths follow it grain by grain). The ages are
/// gathered in boxes half a sqrt(2) bandwidth wide, each box's kernels summed at once by a
/// 36-term Taylor series about its centre (a fast Gauss transform, after L. Greengard and
/// J. Strain (1991), "The fast Gauss transform", SIAM Journal on Scientific and Statistical
/// Computing 12(1), 79-94), to about 1e-15 of the sum; the work grows as the number of grains,
/// not as its square.
std::vector<double> kernelSumAtAges(std::span<const double> ages, double bandwidth);

}  // namespace kestrel
