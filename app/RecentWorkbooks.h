// The list of recently opened workbooks: the latest first, each path once, at most eight.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kestrel {

inline constexpr size_t kMaxRecentWorkbooks = 8;

/// @brief Puts `path` first in `list`, dropping an earlier entry of the same path and the
/// entries beyond kMaxRecentWorkbooks.
void rememberRecentWorkbook(std::vector<std::string>& list, const std::string& path);

/// @brief Removes every entry of `path` from `list`.
void forgetRecentWorkbook(std::vector<std::string>& list, const std::string& path);

}  // namespace kestrel
