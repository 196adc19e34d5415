// The calculation's shared arrays: positions 1..NumRows of the chosen row range.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrel {

/// @brief The data arrays of one comparison. Every array is addressed by position k = 1..NumRows
/// (index 0 is unused and stays 0); position k stands for sheet row FromRow + k - 1. Ages are in
/// age units, Y data in profile units, curves and differences are shares between 0 and 1.
struct ProfileData {
    std::vector<double> AgeData, Y1Data, Y2Data;
    std::vector<double> Curve1, Curve2, Difference, DifferenceW, Cutoff, CutoffW;
    int32_t NumRows = 0;

    /// @brief Sizes every array for n positions (n + 1 entries) and zeroes them all.
    void resize(int32_t n) {
        const size_t size = n > 0 ? static_cast<size_t>(n) + 1 : 1;
        for (auto* a : {&AgeData, &Y1Data, &Y2Data, &Curve1, &Curve2, &Difference, &DifferenceW,
                        &Cutoff, &CutoffW}) {
            a->assign(size, 0.0);
        }
        NumRows = n > 0 ? n : 0;
    }
    /// @brief Sizes and zeroes only the three input arrays for n positions and empties the
    /// results, which the comparison sizes itself: what reading rows needs, while the workbook's
    /// cells still take their memory.
    void resizeInputs(int32_t n) {
        const size_t size = n > 0 ? static_cast<size_t>(n) + 1 : 1;
        for (auto* a : {&AgeData, &Y1Data, &Y2Data}) a->assign(size, 0.0);
        for (auto* a : {&Curve1, &Curve2, &Difference, &DifferenceW, &Cutoff, &CutoffW}) {
            std::vector<double>().swap(*a);
        }
        NumRows = n > 0 ? n : 0;
    }
};

}  // namespace kestrel
