// SST writing with CONTINUE splitting and the EXTSST bucket index.
#include "sheet/core/BiffSharedStrings.h"

#include <algorithm>

namespace kestrel::biff {
namespace {

constexpr uint16_t kSst = 0x00FC;
constexpr uint16_t kExtSst = 0x00FF;

bool needsWideChars(const std::u16string& text) {
    return std::any_of(text.begin(), text.end(), [](char16_t c) { return c > 0xFF; });
}

// Characters [from, from + count) as one byte each (compressed) or two bytes each.
void writeChars(RecordWriter& w, const std::u16string& text, size_t from, size_t count, bool wide) {
    std::string chunk;
    chunk.reserve(count * (wide ? 2 : 1));
    for (size_t k = from; k < from + count; ++k) {
        chunk.push_back(static_cast<char>(text[k] & 0xFF));
        if (wide) chunk.push_back(static_cast<char>(text[k] >> 8));
    }
    w.raw(chunk);
}

struct Bucket {
    uint32_t streamOffset;
    uint16_t recordOffset;
};

Bucket writeString(RecordWriter& w, const std::u16string& text) {
    const bool wide = needsWideChars(text);
    const size_t charSize = wide ? 2 : 1;
    const uint8_t flags = wide ? 0x01 : 0x00;
    // The header and at least the first character stay in one record.
    if (w.room() < 3 + (text.empty() ? 0 : charSize)) w.continueRecord();
    const Bucket start{static_cast<uint32_t>(w.position()),
                       static_cast<uint16_t>(w.position() - w.recordStart())};
    w.u16(static_cast<uint16_t>(text.size()));
    w.u8(flags);
    size_t done = 0;
    while (done < text.size()) {
        if (w.room() < charSize) {
            w.continueRecord();
            w.u8(flags);
        }
        const size_t count = std::min(text.size() - done, w.room() / charSize);
        writeChars(w, text, done, count, wide);
        done += count;
    }
    return start;
}

}  // namespace

uint32_t SharedStringTable::add(const std::u16string& text) {
    ++m_total;
    auto [it, inserted] = m_index.try_emplace(text, static_cast<uint32_t>(m_strings.size()));
    if (inserted) m_strings.push_back(text);
    return it->second;
}

void SharedStringTable::write(RecordWriter& w) const {
    // At most 128 buckets keep EXTSST far below the record limit; Excel wants >= 8 per bucket.
    const size_t perBucket = std::max<size_t>(8, (m_strings.size() + 127) / 128);
    std::vector<Bucket> buckets;
    w.begin(kSst);
    w.u32(m_total);
    w.u32(static_cast<uint32_t>(m_strings.size()));
    for (size_t i = 0; i < m_strings.size(); ++i) {
        const Bucket start = writeString(w, m_strings[i]);
        if (i % perBucket == 0) buckets.push_back(start);
    }
    w.end();

    w.begin(kExtSst);
    w.u16(static_cast<uint16_t>(perBucket));
    for (const Bucket& b : buckets) {
        w.u32(b.streamOffset);
        w.u16(b.recordOffset);
        w.u16(0);
    }
    w.end();
}

}  // namespace kestrel::biff
