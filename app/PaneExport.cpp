#include "PaneExport.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <stdexcept>
#include <utility>

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QMenu>
#include <QPainter>
#include <QTextDocument>

#include "ImageView.h"
#include "MenuAction.h"
#include "PaneLegends.h"
#include "SaveFile.h"
#include "WindowSurfaces.h"
#include "picture/QtPicture.h"
#include "UiLanguage.h"

namespace {

bool IsModulePane(TImagePaneId pane) {
  using enum TImagePaneId;
  return pane == DigitImage || pane == BlockImage || pane == MaskImage || pane == ResultImage;
}

QString Name(TImagePaneId pane) { return QString::fromLatin1(PaneName(pane).data(), static_cast<qsizetype>(PaneName(pane).size())); }

// Room around the legend below a pane saved as shown, in display pixels.
constexpr int kLegendMargin = 6;

}  // namespace

TPaneExport::TPaneExport(QWidget& window, TWindowSurfaces& surfaces, TMessage message)
    : QObject(&window), window_(window), surfaces_(surfaces), message_(std::move(message)) {}

QString TPaneExport::ChooseFile(const QString& title, const QString& suggested, const QString& filter, QWidget* options) {
  if (chooser_) return chooser_(title, suggested, filter);
  if (options == nullptr) return QFileDialog::getSaveFileName(&window_, title, suggested, filter);
  // Qt's own dialog, whose layout can take the options below its fields.
  QFileDialog dialog(&window_, title, suggested, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  QWidget* owner = options->parentWidget();
  if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout()))
    grid->addWidget(options, grid->rowCount(), 0, 1, grid->columnCount());
  options->show();
  const bool accepted = dialog.exec() == QDialog::Accepted;
  // Back to its owner before the dialog and its children go.
  options->hide();
  options->setParent(owner);
  return accepted && !dialog.selectedFiles().isEmpty() ? dialog.selectedFiles().constFirst() : QString();
}

int TPaneExport::SlideFactor(int side) {
  // About a thousand pixels across, at least four per module.
  return std::clamp((1000 + side - 1) / std::max(side, 1), 4, 64);
}

bool TPaneExport::SavePng(const QImage& image, const QString& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
    message_(Ui(QStringLiteral("%1 を保存できませんでした：画像を PNG にできませんでした")).arg(path));
    return false;
  }
  if (const std::optional<QString> failure = SaveFile(path, {bytes.constData(), static_cast<std::size_t>(bytes.size())})) {
    message_(*failure);
    return false;
  }
  return true;
}

bool TPaneExport::SavePicture(TImagePaneId pane, const QString& path, bool enlarged) {
  const TImageView* view = surfaces_.View(pane);
  if (view == nullptr || view->Picture().Empty()) {
    message_(Ui(QStringLiteral("%1 には保存する画像がありません。")).arg(Name(pane)));
    return false;
  }
  QImage image;
  try {
    image = ToQImage(view->Picture());
  } catch (const std::exception& error) {
    message_(Ui(QStringLiteral("%1 を保存できませんでした：%2")).arg(path, QString::fromUtf8(error.what())));
    return false;
  }
  if (enlarged) {
    const int factor = SlideFactor(std::max(image.width(), image.height()));
    image = image.scaled(image.width() * factor, image.height() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
  }
  return SavePng(image, path);
}

QImage TPaneExport::ShownPicture(TImagePaneId pane) const {
  const TImageView* view = surfaces_.View(pane);
  if (view == nullptr) return {};
  const QImage shown = view->Render(kShownScale);
  const TLegend* legend = LegendOf(pane);
  if (shown.isNull() || legend == nullptr) return shown;
  // The legend as the window shows it below the pane, in the window's font,
  // drawn at the same scale as the picture.
  QTextDocument text;
  text.setDefaultFont(view->font());
  text.setDocumentMargin(0);
  text.setHtml(LegendText(*legend));
  text.setTextWidth(view->width() - 2 * kLegendMargin);
  const double height = text.size().height() + 2 * kLegendMargin;
  QImage image(shown.width(), shown.height() + static_cast<int>(std::ceil(height * kShownScale)), QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.drawImage(0, 0, shown);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.translate(kLegendMargin * kShownScale, shown.height() + kLegendMargin * kShownScale);
  painter.scale(kShownScale, kShownScale);
  text.drawContents(&painter);
  return image;
}

bool TPaneExport::SaveShown(TImagePaneId pane, const QString& path) {
  const QImage image = ShownPicture(pane);
  if (image.isNull()) {
    message_(Ui(QStringLiteral("%1 には保存する画像がありません。")).arg(Name(pane)));
    return false;
  }
  return SavePng(image, path);
}

bool TPaneExport::SaveText(TTextPaneId pane, const QString& path) {
  QByteArray bytes;
  for (const std::string& line : surfaces_.Text(pane).Lines()) {
    bytes.append(line.data(), static_cast<qsizetype>(line.size()));
    bytes.append('\n');
  }
  if (const std::optional<QString> failure = SaveFile(path, {bytes.constData(), static_cast<std::size_t>(bytes.size())})) {
    message_(*failure);
    return false;
  }
  return true;
}

void TPaneExport::FillImageMenu(QMenu& menu, TImagePaneId pane) {
  TImageView* view = surfaces_.View(pane);
  if (view == nullptr) return;
  const bool empty = view->Picture().Empty();
  const auto add = [&](const QString& text, const char* name, auto run) {
    return AddMenuAction(menu, text, name, !empty, this, std::move(run));
  };
  const QString suggested = QDir::current().filePath(Name(pane));
  const QString png = QStringLiteral("PNG (*.png)");
  const auto save = [this, suggested, png](const QString& title, const QString& suffix) {
    return ChooseFile(title, suggested + suffix, png);
  };
  add(Ui(QStringLiteral("PNG で保存（原寸）…")), "SavePngAction", [this, pane, save] {
    const QString path = save(Ui(QStringLiteral("画像を保存")), QStringLiteral(".png"));
    if (!path.isEmpty()) SavePicture(pane, path, false);
  });
  if (IsModulePane(pane)) {
    add(Ui(QStringLiteral("拡大した PNG で保存（スライド用）…")), "SaveSlidePngAction", [this, pane, save] {
      const QString path = save(Ui(QStringLiteral("拡大した画像を保存")), QStringLiteral("-large.png"));
      if (!path.isEmpty()) SavePicture(pane, path, true);
    });
  }
  add(Ui(QStringLiteral("表示のまま PNG で保存（2倍の解像度、スライド用）…")), "SaveShownPngAction", [this, pane, save] {
    const QString path = save(Ui(QStringLiteral("表示のまま画像を保存")), QStringLiteral("-shown.png"));
    if (!path.isEmpty()) SaveShown(pane, path);
  })->setToolTip(Ui(QStringLiteral("今の倍率と位置、印、凡例を含めて、画面の2倍の解像度で保存します")));
  add(Ui(QStringLiteral("画像をコピー")), "CopyPictureAction", [this, view] {
    try {
      QApplication::clipboard()->setImage(ToQImage(view->Picture()));
    } catch (const std::exception& error) {
      message_(QString::fromUtf8(error.what()));
    }
  });
}
