// Tol's muted qualitative colours for samples and viridis for ordered categories.
#include "output/SamplePalette.h"

#include <array>

namespace kestrel {
namespace {

constexpr std::array<QRgb, kSampleColours> kMuted = {
    0xCC6677, 0x332288, 0xDDCC77, 0x117733, 0x88CCEE, 0x882255, 0x44AA99, 0x999933, 0xAA4499,
};

// viridis at 0, 1/8, ..., 1 (matplotlib's table).
constexpr std::array<QRgb, 9> kViridis = {
    0x440154, 0x472D7B, 0x3B528B, 0x2C728E, 0x21918C, 0x28AE80, 0x5EC962, 0xADDC30, 0xFDE725,
};

}  // namespace

QColor sampleColour(size_t index) {
    return QColor::fromRgb(kMuted[index % kSampleColours]);
}

Qt::PenStyle sampleLineStyle(size_t index) {
    constexpr Qt::PenStyle kStyles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine};
    return kStyles[(index / kSampleColours) % 4];
}

QColor orderedColour(size_t index, size_t count) {
    const double at = count > 1 ? static_cast<double>(index) / static_cast<double>(count - 1) : 0.0;
    const double scaled = at * (kViridis.size() - 1);
    const size_t low = std::min(static_cast<size_t>(scaled), kViridis.size() - 2);
    const double t = scaled - static_cast<double>(low);
    const QColor a = QColor::fromRgb(kViridis[low]), b = QColor::fromRgb(kViridis[low + 1]);
    return QColor::fromRgbF(static_cast<float>(a.redF() + t * (b.redF() - a.redF())),
                            static_cast<float>(a.greenF() + t * (b.greenF() - a.greenF())),
                            static_cast<float>(a.blueF() + t * (b.blueF() - a.blueF())));
}

}  // namespace kestrel
