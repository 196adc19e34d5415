// The bandwidth of a Gaussian kernel density estimate by the diffusion estimator of
// Z. I. Botev, J. F. Grotowski and D. P. Kroese (2010), "Kernel density estimation via
// diffusion", Annals of Statistics 38(5), 2916-2957 (the "improved Sheather-Jones" plug-in
// bandwidth), computed step by step as the authors' reference implementation (kde.m) does:
//
//  1. mesh: n = 2^14 points MIN + k dx, dx = R / (n - 1), k = 0 .. n - 1, over [MIN, MAX] with
//     MIN = min - range / 10, MAX = max + range / 10, range = max - min, R = MAX - MIN;
//  2. the ages binned with the mesh points as left-closed bin edges ([x_k, x_k+1); an age equal
//     to the last point in the last bin), divided by N = the number of distinct ages, then
//     normalised to sum 1;
//  3. a = its discrete cosine transform in kde.m's form: weight_0 = 1,
//     weight_k = 2 exp(-i k pi / (2n)); the data reordered as [even-indexed entries,
//     odd-indexed entries reversed]; a = Re(weight * FFT(reordered)) (a 2^14 FFT);
//  4. I_k = k^2 and a2_k = (a_k / 2)^2 for k = 1 .. n - 1;
//  5. t* the root of t - xi gamma^[l](t), l = 7: f = 2 pi^(2l) sum I^l a2 exp(-I pi^2 t); for
//     s = l - 1 down to 2: K0 = (1 * 3 * 5 ... (2s - 1)) / sqrt(2 pi),
//     c = (1 + (1/2)^(s + 1/2)) / 3, time = (2 c K0 / N / f)^(2 / (3 + 2s)),
//     f = 2 pi^(2s) sum I^s a2 exp(-I pi^2 time); then xi gamma^[l](t) = (2 N sqrt(pi) f)^(-2/5);
//  6. the root as kde.m finds it: N' = N clamped to [50, 1050], tol = 1e-12 + 0.01 (N' - 50)
//     / 1000; a sign change of the equation on [0, tol] is solved by Brent's method to full
//     precision; while there is none, tol = min(2 tol, 0.1); once tol reaches 0.1 without one,
//     t* is the t in [0, 0.1] where |t - xi gamma(t)| is least (Brent's minimiser, as kde.m's
//     fminbnd, but to about 1e-8 of t rather than fminbnd's default of 1e-4 absolute);
//  7. bandwidth h = sqrt(t*) R.
//
// kde.m's last resort (step 6's minimum) is what small samples often reach, and it gives a
// bandwidth of about 2e-5 of the age range, far below the spacing of the ages (a profile of
// spikes): in trials with detrital-like samples, two in three samples of 3-5 grains, one in
// three of 8-12, a few in a hundred of 20-30 and none of 45 or more. BotevEstimate::rootFound
// tells it.
#pragma once

#include <cstdint>

#include "engine/density/GrainSample.h"

namespace kestrel {

/// @brief The Botev bandwidth with the values it came from.
struct BotevEstimate {
    double bandwidth = 0.0;    ///< h = sqrt(t*) R, in age units
    double scaledTime = 0.0;   ///< t*, the squared bandwidth over R^2
    double meshRange = 0.0;    ///< R = MAX - MIN
    int64_t distinctAges = 0;  ///< N
    bool rootFound = false;    ///< false: t* minimises |t - xi gamma(t)| (no sign change found)
};

/// @brief The Botev bandwidth of the sample's ages (its sigmas are not used). Throws
/// KestrelError naming the sample when it has no ages or an age is not finite, when it has
/// fewer than two distinct ages, when the ages lie too far apart for a double (range not
/// finite) or too close for their size (mesh points closer than 2^-50 of the ages' size), or
/// when the estimate comes out not above 0.
BotevEstimate botevEstimate(const GrainSample& sample);

/// @brief botevEstimate(sample).bandwidth.
double botevBandwidth(const GrainSample& sample);

}  // namespace kestrel
