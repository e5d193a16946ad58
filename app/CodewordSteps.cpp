#include "CodewordSteps.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextBlock>

#include "ModuleReadout.h"

namespace {

class TCodewordSteps : public QObject {
 public:
  TCodewordSteps(QPlainTextEdit& listing, std::function<const TModuleMap*()> map)
      : QObject(&listing), listing_(listing), map_(std::move(map)) {}

  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const bool down = key->key() == Qt::Key_Down;
    if ((!down && key->key() != Qt::Key_Up) || key->modifiers() != Qt::NoModifier) return false;
    const TModuleMap* map = map_();
    if (map == nullptr || map->LineOf(0) < 0) return false;
    const std::int32_t count = map->CodewordCount();
    const std::int32_t now = map->CodewordOnLine(static_cast<std::size_t>(listing_.textCursor().blockNumber()));
    const std::int32_t next = now < 0 ? (down ? 0 : count - 1) : std::clamp(now + (down ? 1 : -1), 0, count - 1);
    const QTextBlock line = listing_.document()->findBlockByNumber(static_cast<int>(map->LineOf(next)));
    if (!line.isValid()) return false;
    QTextCursor cursor(line);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    listing_.setTextCursor(cursor);
    listing_.ensureCursorVisible();
    return true;
  }

 private:
  QPlainTextEdit& listing_;
  std::function<const TModuleMap*()> map_;
};

}  // namespace

void StepCodewordsWithArrows(QPlainTextEdit& listing, std::function<const TModuleMap*()> map) {
  listing.installEventFilter(new TCodewordSteps(listing, std::move(map)));
}
