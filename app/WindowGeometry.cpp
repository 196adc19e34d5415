// Stored window positions applied within the screens' area.
#include "app/WindowGeometry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace kestrel {

namespace {
// Far beyond any desktop, yet small enough that no coordinate sum can overflow.
constexpr int kCoordinateLimit = 1 << 20;
}  // namespace

QRect visibleWindowRect(int left, int top, int width, int height) {
    left = std::clamp(left, -kCoordinateLimit, kCoordinateLimit);
    top = std::clamp(top, -kCoordinateLimit, kCoordinateLimit);
    const QList<QScreen*> screens = QGuiApplication::screens();
    int maxWidth = kCoordinateLimit, maxHeight = kCoordinateLimit;
    if (!screens.isEmpty()) maxWidth = maxHeight = 0;
    for (const QScreen* screen : screens) {
        maxWidth = std::max(maxWidth, screen->availableGeometry().width());
        maxHeight = std::max(maxHeight, screen->availableGeometry().height());
    }
    QRect rect(left, top, std::clamp(width, 1, std::max(1, maxWidth)),
               std::clamp(height, 1, std::max(1, maxHeight)));
    if (screens.isEmpty()) return rect;
    const bool onSomeScreen = std::any_of(
        screens.begin(), screens.end(),
        [&](const QScreen* screen) { return screen->availableGeometry().intersects(rect); });
    if (!onSomeScreen)
        rect.moveTopLeft(QGuiApplication::primaryScreen()->availableGeometry().topLeft());
    return rect;
}

void applyStoredGeometry(QWidget& window, int left, int top, int height, int width) {
    const QRect rect = visibleWindowRect(left, top, width, height);
    window.move(rect.left(), rect.top());
    window.resize(rect.width(), rect.height());
}

}  // namespace kestrel
