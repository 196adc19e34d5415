// Keeping the recent workbooks list in order.
#include "app/RecentWorkbooks.h"

#include <algorithm>

namespace kestrel {

void rememberRecentWorkbook(std::vector<std::string>& list, const std::string& path) {
    forgetRecentWorkbook(list, path);
    list.insert(list.begin(), path);
    if (list.size() > kMaxRecentWorkbooks) list.resize(kMaxRecentWorkbooks);
}

void forgetRecentWorkbook(std::vector<std::string>& list, const std::string& path) {
    list.erase(std::remove(list.begin(), list.end(), path), list.end());
}

}  // namespace kestrel
