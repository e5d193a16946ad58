#include "PaneLegends.h"

#include <QColor>
#include <QStringList>

const std::vector<TLegend>& Legends() {
  using enum TImagePaneId;
  static const std::vector<TLegend> legends = {
      {ClossLineImage,
       {{qRgb(255, 0, 0), "左上→右上"}, {qRgb(0, 0, 255), "左上→左下"}, {qRgb(255, 255, 0), "右上–左下"}}},
      {TimeImage, {{qRgb(255, 0, 0), "タイミングを調べた点（最後に試した型番）"}}},
      {AdjustImage, {{qRgb(0, 0, 255), "位置合わせの節点（拡大すると輪）"}, {qRgb(255, 0, 0), "サンプリング点"}}},
      {BlockImage, {{qRgb(255, 140, 0), "選んだコード語の8モジュール"}}},
      {MaskImage, {{qRgb(0, 0, 0), "マスクで反転するモジュール"}}},
      {ResultImage, {{qRgb(0, 0, 0), "暗モジュール"}, {qRgb(255, 0, 0), "マスクで反転して暗になったモジュール"}}},
  };
  return legends;
}

const TLegend* LegendOf(TImagePaneId pane) {
  for (const TLegend& legend : Legends())
    if (legend.pane == pane) return &legend;
  return nullptr;
}

TUiText LegendText(const TLegend& legend) {
  QStringList japanese;
  QStringList english;
  for (const TLegendEntry& entry : legend.entries) {
    const TUiText text = Ui(QString::fromUtf8(entry.text));
    const QString swatch = QStringLiteral("<span style=\"color:%1\">■</span> ").arg(QColor(entry.colour).name());
    japanese << swatch + text.Japanese();
    english << swatch + text.English();
  }
  return Both(japanese.join(QStringLiteral("　")), english.join(QStringLiteral("&nbsp;&nbsp;")));
}
