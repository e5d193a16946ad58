#include "PictureAdjust.h"

#include <QAction>
#include <QMenu>

#include "PaneTools.h"
#include "SampleMaker.h"
#include "UiLanguage.h"

TPictureAdjuster::TPictureAdjuster(QMenu* tools, QAction* before, TShow show, QObject* parent)
    : QObject(parent), show_(std::move(show)) {
  auto* menu = new QMenu(Both(QStringLiteral("画像の調整"), QStringLiteral("Adjust the picture")), tools);
  menu->setObjectName(QStringLiteral("AdjustMenu"));
  menu->setToolTip(Both(QStringLiteral("パラメータでは読めない画像を、白黒反転・左右反転・回転してから解析します"),
                       QStringLiteral("Inverts, mirrors or turns a picture that no parameter reads, before the analysis")));
  tools->insertMenu(before, menu);
  const auto add = [&](const TUiText& text, const char* name, std::function<TPictureOperations(TPictureOperations)> change) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    connect(action, &QAction::triggered, this, [this, change] { Apply(change(operations_)); });
  };
  add(Both(QStringLiteral("白黒反転"), QStringLiteral("Invert")), "AdjustInvertAction", [](TPictureOperations o) { o.invert = !o.invert; return o; });
  add(Both(QStringLiteral("左右反転"), QStringLiteral("Mirror")), "AdjustMirrorAction", [](TPictureOperations o) {
    // Mirrored after a turn: the same as turned the other way after the mirror.
    o.mirror = !o.mirror;
    o.rotate = (360 - o.rotate) % 360;
    return o;
  });
  add(Both(QStringLiteral("右に 90° 回転"), QStringLiteral("Turn 90° clockwise")), "AdjustRotateAction", [](TPictureOperations o) { o.rotate = (o.rotate + 90) % 360; return o; });
  menu->addSeparator();
  add(Both(QStringLiteral("元に戻す"), QStringLiteral("As loaded")), "AdjustResetAction", [](TPictureOperations) { return TPictureOperations{}; });
}

void TPictureAdjuster::ShowCaption(QWidget& pane, TPaneTools& tools, const QString& made) const {
  const QString caption = Caption(made);
  ShowSampleCaption(pane, caption);
  tools.SetRestingReadout(caption);
}

void TPictureAdjuster::Loaded(const TBitmap& picture, const TPictureSource& source, QWidget& pane, TPaneTools& tools,
                              const QString& made) {
  if (!applying_) {
    original_ = picture;
    source_ = source;
    operations_ = {};
  }
  // What was made, in the window's language, and what was done to the picture.
  ShowCaption(pane, tools, TranslatedText(made, UiLanguage()));
}

QString TPictureAdjuster::Label() const {
  if (!operations_.Any()) return {};
  return Both(QStringLiteral("画像の調整：") + QString::fromStdString(JapaneseText(operations_)),
              QStringLiteral("Adjusted: ") + QString::fromStdString(EnglishText(operations_)));
}

QString TPictureAdjuster::Caption(const QString& made) const {
  const QString label = Label();
  if (label.isEmpty() || made.isEmpty()) return made + label;
  return made + QStringLiteral("　") + label;
}

void TPictureAdjuster::Apply(const TPictureOperations& operations) {
  if (original_.Empty() || applying_) return;
  operations_ = operations;
  applying_ = true;
  show_(ApplyOperations(original_, operations), operations.Any() ? TPictureSource() : source_);
  applying_ = false;
}
