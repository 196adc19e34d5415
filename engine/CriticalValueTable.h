// The table of two-sample Kolmogorov-Smirnov critical values (Alpha, n, CritValue), loaded from
// "KolmogorovSmirnov.cds" and looked up by sample size: exact match on n, first row in stored
// order wins, 0 when no row matches or the table is closed. The sizes a loaded table lacks are
// remembered, so that a calculation can say which of its critical values were not there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrel {

struct CriticalValueRow {
    double Alpha = 0;      // significance level
    int32_t n = 0;         // sample size: number of positions compared
    double CritValue = 0;  // critical value of the maximum difference of the two curves
};

/// @brief In-memory table with a filter "n=<m>" as used by lookups. Created open and empty.
class CriticalValueTable {
  public:
    /// @brief Closes the table, replaces its content with the file's rows and opens it. On any
    /// failure (missing, unreadable, wrong header, a field of the wrong type) the table is left
    /// closed and empty and KestrelError is thrown with the reason.
    void load(const std::string& path);
    /// @brief The loader on a text buffer (what load reads from the file); `displayName` names
    /// the source in the error. Same failure behaviour as load.
    void loadText(std::string_view text, const std::string& displayName);
    void open() { m_open = true; }
    /// @brief Closes the table: lookups return 0 until it is opened or loaded again.
    void close() { m_open = false; }
    bool isOpen() const { return m_open; }

    /// @brief Sets the filter text "n=<m>", switches the filter on and returns the CritValue of
    /// the first row (stored order) with n == m; 0 when none or when the table is closed. An open
    /// table without such a row records m as missing.
    double lookup(int32_t m);

    /// @brief The sizes recorded as missing since the last call (or load), each once, in the
    /// order they were first looked up; the record starts empty again. A closed table records
    /// nothing: its failure to load has been reported already.
    std::vector<int32_t> takeMissingSizes();
    /// @brief The name the rows were loaded from (the path given to load), "" before any load.
    const std::string& source() const { return m_source; }
    /// @brief "no critical value for <m> rows in <source>": the line that reports a missing size.
    static std::string missingSizeWarning(int32_t m, const std::string& source);

    void setFilterOn(bool on) { m_filterOn = on; }
    bool filterOn() const { return m_filterOn; }
    const std::string& filterText() const { return m_filterText; }

    const std::vector<CriticalValueRow>& rows() const { return m_rows; }
    /// @brief The rows the filter lets through (all rows when it is off; none when closed).
    std::vector<CriticalValueRow> visibleRows() const;
    /// @brief How many rows visibleRows() holds, and its i-th row (i below that count), without
    /// copying a million rows for a grid that shows a few dozen.
    size_t visibleCount() const;
    const CriticalValueRow& visibleRow(size_t i) const;

    /// @brief Opens the table if closed and writes every row, whatever the filter, atomically in
    /// the same text format as load reads. Throws KestrelError naming the file on failure.
    void save(const std::string& path);

    /// @brief Replaces the content (tests, generator). Keeps the open state.
    void setRows(std::vector<CriticalValueRow> rows);

    /// @brief Display formats of the grid: Alpha "0.00#", CritValue "0.0000", with the given
    /// decimal separator.
    static std::string formatAlpha(double alpha, std::string_view decimalSeparator = ".");
    static std::string formatCritValue(double value, std::string_view decimalSeparator = ".");

    /// @brief The file text for `rows`: header "Alpha,n,CritValue", one row per line, reals in
    /// their shortest form that reads back to the same double. A value that is not finite
    /// cannot be stored and throws KestrelError.
    static std::string fileText(const std::vector<CriticalValueRow>& rows);

    /// @brief The one warning shown for any load failure: "Unable to load critical values from "
    /// followed by the path as given.
    static std::string loadFailureWarning(const std::string& path);

  private:
    const CriticalValueRow* firstRowOf(int32_t m) const;
    // The rows holding the filter's n: positions [first, last) in the rows (ascending n) or in
    // the index, whichever lookups search.
    std::pair<size_t, size_t> filteredRange() const;

    std::vector<CriticalValueRow> m_rows;
    // Lookup index: empty when the rows' n ascend strictly (the generated table), so that a
    // binary search on the rows themselves finds n; otherwise (n, row index) pairs sorted by n
    // with equal n kept in stored order, so that the first of them is the first stored row.
    std::vector<std::pair<int32_t, size_t>> m_index;
    std::vector<int32_t> m_missing;  // in lookup order, repeats included
    std::string m_source;
    bool m_open = true;
    bool m_filterOn = false;
    std::string m_filterText;
    int32_t m_filterN = 0;
};

/// @brief The table file's name inside the folder `ClientDatasetPath`.
inline constexpr const char* kCriticalValueFileName = "KolmogorovSmirnov.cds";

/// @brief The path that load is given for a folder: folder + "/" + "KolmogorovSmirnov.cds",
/// used unchanged (a folder ending in "/" gives a doubled separator, which the system accepts).
std::string criticalValueTablePath(const std::string& folder);

/// @brief Where the developer's save writes the whole table: $HOME/KolmogorovSmirnov.cds (the
/// home folder from the user database when HOME is unset). Throws KestrelError when there is no
/// home folder at all.
std::string defaultTableSavePath();

}  // namespace kestrel
