// The plugin's entry point for the graphs of kestrel-batch --matrix: the MDS map and the heat
// map of the pair matrix.
#pragma once

#include <cstddef>

#include "engine/ClassicalMds.h"
#include "engine/comparison/ProfileMatrix.h"

/// @brief The symbol kestrel-batch looks up in the plugin.
inline constexpr const char* kMatrixGraphsSymbol = "kestrel_batch_write_matrix_graphs";

/// @brief Writes MDS and Matrix into `folder` in `format` ("png", "svg" or "pdf"). Returns 0
/// on success; otherwise writes the reason (one line, cut to fit) into `message` and returns 1.
extern "C" using MatrixGraphsFunction =
    int(const kestrel::ProfileMatrix* matrix, const kestrel::MdsMap* map, const char* folder,
        const char* format, char* message, size_t messageSize);
