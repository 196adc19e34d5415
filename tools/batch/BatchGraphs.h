// kestrel-batch's graph images: the screen's drawing code on Qt's offscreen platform.
#pragma once

#include <string>

#include "engine/ProfileData.h"

namespace kestrel::batch {

/// @brief Writes Chart1.png and Chart2.png into `folder`, drawn offscreen (no display needed).
void writeBatchGraphs(const ProfileData& data, const std::string& folder);

}  // namespace kestrel::batch
