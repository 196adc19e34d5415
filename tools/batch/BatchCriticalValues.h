// kestrel-batch's critical values: through the table's index when it has a current one (a few
// bytes read per size), else the whole table loaded as the window loads it. Either way the
// values, the missing sizes and the load warning are the same.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/CriticalValueIndex.h"
#include "engine/CriticalValueTable.h"

namespace kestrel::batch {

class BatchCriticalValues {
  public:
    /// @brief Opens the table at `path`; a table that cannot be loaded is warned about on `err`
    /// and gives 0 for every size.
    BatchCriticalValues(const std::string& path, std::ostream& err);

    /// @brief The first stored row's CritValue for n == m, 0 when none.
    double lookup(int32_t m);
    /// @brief The sizes the table lacked, each once, in the order first looked up.
    std::vector<int32_t> takeMissingSizes();
    const std::string& source() const { return m_path; }

  private:
    void loadWhole();

    std::string m_path;
    std::ostream& m_err;
    std::unique_ptr<IndexedCriticalValues> m_index;
    CriticalValueTable m_table;
    std::vector<int32_t> m_missing;  // found missing through the index
};

}  // namespace kestrel::batch
