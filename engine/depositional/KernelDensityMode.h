// The summaries YDZ takes of its drawn youngest ages: percentiles as numpy's default reads
// them, and the mode of a Gaussian kernel density.
//
// Percentile p of n values: the order statistics v_(k) and v_(k+1) (sorted, from 0) around
// position q = p / 100 (n - 1), joined by a straight line: v_(k) + (q - k)(v_(k+1) - v_(k)).
//
// The mode: the kernel density of the values with Silverman's bandwidth,
// bw = 0.9 min(sd, IQR / 1.34) n^(-1/5) (sd with n - 1; IQR = P75 - P25; sd alone when the
// IQR is 0), B. W. Silverman (1986), "Density estimation for statistics and data analysis",
// Chapman and Hall, eq. 3.31. It is read on 512 points evenly over [min, max] of the values
// (the first and last exactly min and max), the highest of them taken (the lowest of equals),
// and refined to the root of the density's slope between it and the neighbour on the side
// where the density rises (Halley's method kept inside the bracket, to 1e-13 relative; the
// grid point itself at an end of the grid where the density falls inwards). Each
// kernel is cut 8 bandwidths from its value (it adds less than 1e-14 of its height beyond).
//
// Reading 512 points exactly costs 512 n kernels. Instead the values are first spread onto a
// mesh (linear binning) and the density read from the mesh; at a grid point the mesh is within
// n (mesh step / bw)^2 / 8 of one kernel's height of the exact density (an eighth of the step
// squared times the kernel's largest second derivative), so only the grid points within twice
// that of the mesh's highest can be the highest. A mesh of the grid itself rules out most
// points, one sixteen times finer all but a few, and only those are read exactly: the result is
// the exact grid's.
#pragma once

#include <span>
#include <vector>

namespace kestrel {

/// @brief Percentiles `percents` (each in [0, 100], ascending) of `values` (at least one),
/// which are reordered.
std::vector<double> percentilesOf(std::vector<double>& values, std::span<const double> percents);

/// @brief The mode of the values' Gaussian kernel density of bandwidth `bandwidth` (> 0) on
/// [low, high], their minimum and maximum (as the file's header says).
double kernelDensityMode(std::span<const double> values, double bandwidth, double low, double high);

/// @brief Silverman's bandwidth of n values of standard deviation `sd` and interquartile range
/// `iqr`.
double silvermanBandwidth(double sd, double iqr, size_t n);

}  // namespace kestrel
