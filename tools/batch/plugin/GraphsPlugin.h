// The entry point of kestrel-batch's graph plugin. Qt (and everything that draws) lives in the
// plugin alone, loaded only when graph images are asked for: a run without them starts without
// mapping a single Qt library.
#pragma once

#include <cstddef>

#include "engine/ProfileData.h"

/// @brief The symbol kestrel-batch looks up in the plugin.
inline constexpr const char* kBatchGraphsSymbol = "kestrel_batch_write_graphs";

/// @brief Writes both graphs of `data` into `folder` in `format` ("png", "svg" or "pdf").
/// Returns 0 on success; otherwise writes the reason (one line, cut to fit) into `message`
/// and returns 1.
extern "C" using BatchGraphsFunction = int(const kestrel::ProfileData* data, const char* folder,
                                           const char* format, char* message, size_t messageSize);
