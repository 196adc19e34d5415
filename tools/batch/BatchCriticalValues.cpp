#include "tools/batch/BatchCriticalValues.h"

#include <algorithm>

#include "engine/KestrelError.h"

namespace kestrel::batch {

BatchCriticalValues::BatchCriticalValues(const std::string& path, std::ostream& err)
    : m_path(path), m_err(err), m_index(IndexedCriticalValues::open(path)) {
    if (!m_index) loadWhole();
}

void BatchCriticalValues::loadWhole() {
    m_index.reset();
    try {
        m_table.load(m_path);
    } catch (const KestrelError& error) {
        m_err << "kestrel-batch: warning: " << error.what() << '\n';
    }
}

double BatchCriticalValues::lookup(int32_t m) {
    if (m_index) {
        if (const auto result = m_index->lookup(m)) {
            if (!result->found &&
                std::find(m_missing.begin(), m_missing.end(), m) == m_missing.end()) {
                m_missing.push_back(m);
            }
            return result->value;
        }
        // The text no longer holds what the index says: the table is read whole after all.
        loadWhole();
    }
    return m_table.lookup(m);
}

std::vector<int32_t> BatchCriticalValues::takeMissingSizes() {
    std::vector<int32_t> sizes = std::move(m_missing);
    m_missing.clear();
    for (const int32_t m : m_table.takeMissingSizes()) {
        if (std::find(sizes.begin(), sizes.end(), m) == sizes.end()) sizes.push_back(m);
    }
    return sizes;
}

}  // namespace kestrel::batch
