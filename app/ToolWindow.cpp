#include "ToolWindow.h"

#include <QWidget>

void BringToFront(QWidget& window) {
  window.show();
  window.raise();
  window.activateWindow();
}
