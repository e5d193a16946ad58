#pragma once

#include <optional>

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where a window opens: at its designed size (and place, when it has one)
// when that fits on the part of the screen windows may use, otherwise made
// smaller and moved so that the whole window lies on it, with room for the
// frame that the window manager adds. So a window opens usable on a small
// screen or under a large QT_SCALE_FACTOR, and as designed everywhere else.

// Room kept for the window manager's frame and title bar, which are not
// known before the window is shown.
inline constexpr QSize kFrameAllowance{16, 48};

// The first geometry (frame position, client size) on `available`.
QRect FirstGeometry(QSize designedSize, std::optional<QPoint> designedAt, const QRect& available);

// Gives `window` its first geometry on the screen it opens on; without a
// designed place the window manager places it.
void PlaceOnScreen(QWidget& window, QSize designedSize, std::optional<QPoint> designedAt = std::nullopt);
