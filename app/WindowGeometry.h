// Placing a window at a stored position and size without losing it off the screens.
#pragma once

#include <QRect>

class QWidget;

namespace kestrel {

/// @brief A stored position and size (left, top = the frame's top-left; width, height = the
/// window's inside size) made safe to apply: the size is kept between 1 pixel and the largest
/// available screen area, and a window that would lie wholly off every screen is moved to the
/// primary screen's top-left corner. Anything that fits on a screen is used unchanged.
QRect visibleWindowRect(int left, int top, int width, int height);

/// @brief Sets the window's left, top, height and width, in that order, from stored values.
void applyStoredGeometry(QWidget& window, int left, int top, int height, int width);

}  // namespace kestrel
