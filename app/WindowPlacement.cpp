#include "WindowPlacement.h"

#include <algorithm>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QRect FirstGeometry(QSize designedSize, std::optional<QPoint> designedAt, const QRect& available) {
  const QSize room = available.size() - kFrameAllowance;
  const bool fits = designedSize.width() <= room.width() && designedSize.height() <= room.height();
  const QSize size = fits ? designedSize : designedSize.boundedTo(room).expandedTo(QSize(1, 1));
  if (!designedAt) return {available.topLeft(), size};
  // The designed place when the whole window lies on the screen there; else
  // as near to it as the screen allows.
  const int x = std::clamp(designedAt->x(), available.left(), std::max(available.left(), available.left() + room.width() - size.width()));
  const int y = std::clamp(designedAt->y(), available.top(), std::max(available.top(), available.top() + room.height() - size.height()));
  return {QPoint(x, y), size};
}

void PlaceOnScreen(QWidget& window, QSize designedSize, std::optional<QPoint> designedAt) {
  const QScreen* screen = designedAt ? QGuiApplication::screenAt(*designedAt) : nullptr;
  if (screen == nullptr) screen = window.screen();
  const QRect geometry = FirstGeometry(designedSize, designedAt, screen->availableGeometry());
  if (designedAt) window.move(geometry.topLeft());
  window.resize(geometry.size());
}
