// The graph plugin's entry point for kestrel-batch --figure: a distribution figure of grain ages.
#pragma once

#include <cstddef>

#include "engine/figures/FigureRequest.h"

/// @brief The symbol kestrel-batch looks up in the plugin.
inline constexpr const char* kFigureSymbol = "kestrel_batch_write_figure";

/// @brief Writes the figure `request` asks for. Returns 0 on success; otherwise writes the
/// reason (one line, cut to fit) into `message` and returns 1.
extern "C" using FigureFunction =
    int(const kestrel::FigureRequest* request, char* message, size_t messageSize);
