// The shared string table of a BIFF8 workbook: unique cell texts, written as SST + EXTSST.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "sheet/core/BiffRecordWriter.h"

namespace kestrel::biff {

class SharedStringTable {
  public:
    /// @brief The index of `text` in the table, adding it when new. Every call counts as one
    /// use (the SST's total count).
    uint32_t add(const std::u16string& text);

    size_t uniqueCount() const { return m_strings.size(); }
    uint32_t totalCount() const { return m_total; }

    /// @brief Writes SST, split into CONTINUE records where a record would exceed the limit,
    /// followed by EXTSST, the index of every bucket's first string by stream offset. A string
    /// header never straddles two records; a string's characters may, and then the CONTINUE
    /// record starts with the string's option byte again.
    void write(RecordWriter& w) const;

  private:
    std::vector<std::u16string> m_strings;
    std::unordered_map<std::u16string, uint32_t> m_index;
    uint32_t m_total = 0;
};

}  // namespace kestrel::biff
