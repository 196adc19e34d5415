// A binary index kept beside a critical value table: for each sample size, where the first row
// of that size starts in the table's text. A program that needs a handful of critical values
// then reads a few bytes of a 35 MB table instead of parsing all of it. The index describes
// one version of the text (its size and modification time); any other version is read whole.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace kestrel {

/// @brief Where the index of the table at `tablePath` lives: the same name with ".idx" added.
std::string criticalValueIndexPath(const std::string& tablePath);

/// @brief Reads and checks the whole table at `tablePath` (the table's own loading rules) and
/// writes its index to `indexPath` atomically. Throws KestrelError naming the reason when the
/// table cannot be loaded or its sizes cannot be indexed (below 0, above 2^24, a text over
/// 4 GB).
void writeCriticalValueIndex(const std::string& tablePath, const std::string& indexPath);

/// @brief Lookups through an index that matches its table's current text.
class IndexedCriticalValues {
  public:
    /// @brief The lookups of the table at `tablePath` through the index beside it; nothing when
    /// there is no index, it is damaged, or the table is not the text it was made from.
    static std::unique_ptr<IndexedCriticalValues> open(const std::string& tablePath);
    ~IndexedCriticalValues();
    IndexedCriticalValues(const IndexedCriticalValues&) = delete;
    IndexedCriticalValues& operator=(const IndexedCriticalValues&) = delete;

    /// @brief The CritValue of the first stored row with n == m, 0 when the table holds no such
    /// row (`found` false); nothing when the text at the indexed place does not hold that row
    /// (the table changed underneath: the caller reads the table whole instead).
    struct Result {
        double value = 0;
        bool found = false;
    };
    std::optional<Result> lookup(int32_t m) const;

  private:
    IndexedCriticalValues(int tableFd, int indexFd, uint32_t maxN);
    std::optional<uint32_t> offsetOf(int32_t m) const;

    int m_tableFd;
    int m_indexFd;
    uint32_t m_maxN;
};

}  // namespace kestrel
