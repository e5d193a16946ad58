#include "LabPages.h"

#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QStringList>
#include <QVBoxLayout>

#include "ImageView.h"
#include "UiLanguage.h"
#include "decoder/Lab.h"
#include "decoder/LabMasks.h"

namespace {

constexpr int kMaskPictureSize = 180;
constexpr int kQuietModules = 2;

// The symbol drawn a square a module with a light margin, scaled to fit the size.
QPixmap SymbolPicture(const TPlaneBoolean& modules) {
  const int side = modules.Width() + 2 * kQuietModules;
  QImage image(side, side, QImage::Format_Grayscale8);
  image.fill(255);
  for (std::int32_t x = 0; x < modules.Width(); ++x)
    for (std::int32_t y = 0; y < modules.Height(); ++y)
      if (modules[x][y] != 0) image.setPixel(x + kQuietModules, y + kQuietModules, qRgb(0, 0, 0));
  const int scale = std::max(1, kMaskPictureSize / side);
  return QPixmap::fromImage(image.scaled(side * scale, side * scale, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}

}  // namespace

QWidget* MakeMasksPage(const TLab& lab, QWidget* parent) {
  auto* page = new QWidget(parent);
  page->setObjectName(QStringLiteral("LabMasksPage"));
  const std::optional<TLabMasks> masks = LabMasks(lab);
  if (!masks) {
    auto* column = new QVBoxLayout(page);
    column->addWidget(new QLabel(Ui(QStringLiteral("読み取ったままの行列では、誤り訂正レベルとマスクが決まりませんでした。")), page));
    column->addStretch(1);
    return page;
  }
  auto* grid = new QGridLayout(page);
  for (std::int32_t mask = 0; mask < kMaskPatterns; ++mask) {
    const auto index = static_cast<std::size_t>(mask);
    const TMaskPenalty& penalty = masks->penalties[index];
    auto* picture = new QLabel(page);
    picture->setObjectName(QStringLiteral("LabMask%1").arg(mask));
    picture->setPixmap(SymbolPicture(masks->symbols[index]));
    const bool used = mask == masks->used;
    const bool chosen = mask == masks->chosen;
    const TUiText marks = used && chosen ? Ui(QStringLiteral("このシンボル、エンコーダの選択"))
                          : used         ? Ui(QStringLiteral("このシンボル"))
                                         : Ui(QStringLiteral("エンコーダの選択"));
    auto* caption = new QLabel(Ui(QStringLiteral("マスク %1%2\n連続 %3、ブロック %4、\nファインダ類似 %5、明暗 %6\n計 %7"))
                                   .arg(mask)
                                   .arg(used || chosen ? Ui(QStringLiteral("\n（%1）")).arg(marks) : Verbatim(QString()))
                                   .arg(penalty.runs)
                                   .arg(penalty.blocks)
                                   .arg(penalty.finders)
                                   .arg(penalty.balance)
                                   .arg(penalty.Total()),
                               page);
    caption->setObjectName(QStringLiteral("LabMaskCaption%1").arg(mask));
    auto* cell = new QVBoxLayout;
    cell->addWidget(picture);
    cell->addWidget(caption);
    grid->addLayout(cell, mask / 4, mask % 4);
  }
  return page;
}

TUiText InterleavingText(const TLabRun& run) {
  if (run.blocks.empty()) return Ui(QStringLiteral("この復号はブロックまで進みませんでした。"));
  TUiText lines = Ui(QStringLiteral("符号語は読む順に、各ブロックのデータ符号語を一つずつ順番に取り、次に誤り訂正符号語を同じように取って並べたものです。"));
  for (std::size_t b = 0; b < run.blocks.size(); ++b) {
    const TBlockLayout& layout = run.blocks[b].layout;
    QStringList data, ec;
    for (std::size_t i = 0; i < layout.codewords.size(); ++i)
      (static_cast<std::int32_t>(i) < layout.dataCount ? data : ec) << QString::number(layout.codewords[i]);
    lines = lines + Verbatim(QStringLiteral("\n")) + Ui(QStringLiteral("ブロック %1 のデータ: %2")).arg(b).arg(data.join(QLatin1Char(' ')));
    lines = lines + Verbatim(QStringLiteral("\n")) + Ui(QStringLiteral("ブロック %1 の誤り訂正: %2")).arg(b).arg(ec.join(QLatin1Char(' ')));
  }
  return lines;
}

QWidget* MakePanesPage(std::array<TImageView*, kLabPanes.size()>& views, QWidget* parent) {
  auto* page = new QWidget(parent);
  page->setObjectName(QStringLiteral("LabPanesPage"));
  auto* grid = new QGridLayout(page);
  for (std::size_t i = 0; i < kLabPanes.size(); ++i) {
    const QString name = QString::fromLatin1(PaneName(kLabPanes[i]).data(), static_cast<qsizetype>(PaneName(kLabPanes[i]).size()));
    auto* cell = new QVBoxLayout;
    cell->addWidget(new QLabel(name, page));
    views[i] = new TImageView(page);
    views[i]->setObjectName(QStringLiteral("Lab") + name);
    views[i]->setFixedSize(250, 250);
    cell->addWidget(views[i]);
    grid->addLayout(cell, static_cast<int>(i / 2), static_cast<int>(i % 2));
  }
  return page;
}
