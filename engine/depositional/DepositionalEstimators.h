// The estimators of the table in DepositionalAges, each defined in a file of its own in this
// folder (named after it, its paper in its header); declared together here for the table.
#pragma once

#include "engine/depositional/DepositionalAges.h"

namespace kestrel {

DepositionalEstimate youngestSingleGrain(const GrainSample& sample, const DepositionalOptions& o);
DepositionalEstimate youngestCluster1Sigma(const GrainSample& sample, const DepositionalOptions& o);
DepositionalEstimate youngestCluster2Sigma(const GrainSample& sample, const DepositionalOptions& o);
DepositionalEstimate youngestThreeZirconsByAge(const GrainSample& sample,
                                               const DepositionalOptions& o);
DepositionalEstimate youngestThreeZirconsOverlapping(const GrainSample& sample,
                                                     const DepositionalOptions& o);
DepositionalEstimate youngestStatisticalPopulation(const GrainSample& sample,
                                                   const DepositionalOptions& o);
DepositionalEstimate youngestPdpPeak(const GrainSample& sample, const DepositionalOptions& o);
DepositionalEstimate youngestPeakTau(const GrainSample& sample, const DepositionalOptions& o);
DepositionalEstimate youngestDetritalZircon(const GrainSample& sample,
                                            const DepositionalOptions& o);
DepositionalEstimate maximumLikelihoodAge(const GrainSample& sample, const DepositionalOptions& o);

}  // namespace kestrel
