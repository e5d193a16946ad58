#include "ParameterFields.h"

#include <algorithm>

#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QStringList>
#include <QStyleOptionComplex>

#include "WindowPages.h"
#include "UiLanguage.h"

namespace {

// The spin fields are narrow (33 and 41 pixels); slimmer arrow buttons than
// the style's own leave room for "-128" and "40" in the text.
class TSlimSpinStyle : public QProxyStyle {
 public:
  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                       const QWidget* widget) const override {
    QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
    if (control != CC_SpinBox) return rect;
    const QRect up = QProxyStyle::subControlRect(control, option, SC_SpinBoxUp, widget);
    const int spare = std::max(0, up.width() - kSlimButtonWidth);
    if (part == SC_SpinBoxUp || part == SC_SpinBoxDown) rect.setLeft(rect.left() + spare);
    if (part == SC_SpinBoxEditField) rect.setRight(rect.right() + spare);
    return rect;
  }

 private:
  static constexpr int kSlimButtonWidth = 10;
};

// Each field as the top bar places it, in the order of TParameter: its
// caption and the caption's object name and x, the field's object name, x
// and width, and its one-line tooltip (%1 minimum, %2 maximum, %3 preset).
struct TFieldPlace {
  const char* caption;
  const char* labelName;
  int labelX;
  const char* name;
  int x;
  int width;
  const char* tip;
};
constexpr std::array<TFieldPlace, kParameterRanges.size()> kFieldPlaces = {{
    {"Resolver", "Label8", 104, "SpinEdit1", 152, 41,
     "二値化のしきい値に足す値（%1〜%2、既定 %3）：大きくすると暗と判定される画素が減ります"},
    {"Warp", "Label11", 200, "SpinEdit3", 232, 33, "右下の角を探す範囲の半分の大きさ、モジュール幅の何倍か（%1〜%2、既定 %3）"},
    {"ForceVertion", "Label10", 280, "SpinEdit2", 352, 33,
     "型番を決めて読む（%1〜%2、既定 %3）：0 なら画像から求めます（型番14まで）"},
}};

constexpr int kFieldY = 8;
constexpr int kFieldHeight = 22;
constexpr int kCaptionY = 16;
// The note starts this far right of the last field.
constexpr int kNoteGap = 16;

}  // namespace

// ---------------------------------------------------------------------------

TSpinEdit::TSpinEdit(const TParameterRange& range, QWidget* parent) : QSpinBox(parent) {
  setRange(range.minimum, range.maximum);
  setValue(range.preset);
  setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

int TSpinEdit::ReadValue() const {
  bool ok = false;
  const long long value = cleanText().trimmed().toLongLong(&ok);
  if (!ok) return minimum();
  return static_cast<int>(std::clamp<long long>(value, minimum(), maximum()));
}

QValidator::State TSpinEdit::validate(QString& input, int& position) const {
  // Qt's own validator refuses the key that takes a number past the range, so
  // 999 typed into Resolver would read 99; the whole number is kept instead,
  // to be brought into the range when the field loses the focus.
  bool ok = false;
  const long long value = input.trimmed().toLongLong(&ok);
  if (ok) return value >= minimum() && value <= maximum() ? QValidator::Acceptable : QValidator::Intermediate;
  return QSpinBox::validate(input, position);
}

void TSpinEdit::fixup(QString& input) const {
  bool ok = false;
  const long long value = input.trimmed().toLongLong(&ok);
  input = QString::number(ok ? std::clamp<long long>(value, minimum(), maximum()) : minimum());
}

// ---------------------------------------------------------------------------

TParameterFields::TParameterFields(QWidget& bar) : QObject(&bar) {
  auto* slim = new TSlimSpinStyle;
  slim->setParent(this);
  int right = 0;
  for (std::size_t i = 0; i < kFieldPlaces.size(); ++i) {
    const TFieldPlace& place = kFieldPlaces[i];
    const TParameterRange& range = kParameterRanges[i];
    QLabel* caption = AddLabel(&bar, QString::fromLatin1(place.caption), place.labelX, kCaptionY, place.labelName);
    auto* spin = new TSpinEdit(range, &bar);
    spin->setObjectName(QString::fromLatin1(place.name));
    spin->setStyle(slim);
    spin->setGeometry(place.x, kFieldY, place.width, kFieldHeight);
    const QString tip = Ui(QString::fromUtf8(place.tip)).arg(range.minimum).arg(range.maximum).arg(range.preset);
    spin->setToolTip(tip);
    caption->setToolTip(tip);
    // What is typed counts before the field is left: the analysis reads it so.
    connect(spin->findChild<QLineEdit*>(), &QLineEdit::textChanged, this, [this] { ShowDifferences(); });
    connect(spin, &QSpinBox::textChanged, this, [this] { ShowDifferences(); });
    fields_[i] = spin;
    right = std::max(right, place.x + place.width);
  }
  note_ = AddLabel(&bar, QString(), right + kNoteGap, kCaptionY, "ParameterNote");
  note_->setStyleSheet(QStringLiteral("color: #8a5a00"));
  note_->setToolTip(Ui(QStringLiteral("ツール → 既定値に戻す で、三つの値を既定値に戻せます")));
  note_->hide();
}

TAnalysisParameters TParameterFields::Read() const {
  return {Field(TParameter::Resolver)->ReadValue(), Field(TParameter::Warp)->ReadValue(),
          Field(TParameter::ForceVersion)->ReadValue()};
}

void TParameterFields::Interpret() {
  for (TSpinEdit* field : fields_) field->interpretText();
}

void TParameterFields::Set(const TAnalysisParameters& parameters) {
  Field(TParameter::Resolver)->setValue(parameters.resolver);
  Field(TParameter::Warp)->setValue(parameters.warp);
  Field(TParameter::ForceVersion)->setValue(parameters.forceVersion);
  // A field whose value stays the same has its typed text replaced silently.
  ShowDifferences();
}

void TParameterFields::ResetToPresets() { Set(TAnalysisParameters{}); }

TUiText TParameterFields::DifferenceText() const {
  QStringList japanese;
  QStringList english;
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    const TParameterRange& range = kParameterRanges[i];
    const int value = fields_[i]->ReadValue();
    if (value != range.preset) {
      const TUiText one = Ui(QStringLiteral("%1 %2（既定 %3）"))
                              .arg(QString::fromUtf8(range.name.data(), static_cast<qsizetype>(range.name.size())))
                              .arg(value)
                              .arg(range.preset);
      japanese << one.Japanese();
      english << one.English();
    }
  }
  if (japanese.isEmpty()) return Verbatim(QString());
  const TUiText comma = Ui(QStringLiteral("、"));
  return Ui(QStringLiteral("既定値と異なる値：")) + Both(japanese.join(comma.Japanese()), english.join(comma.English()));
}

void TParameterFields::ShowDifferences() {
  note_->setText(DifferenceText());
  note_->adjustSize();
  note_->setVisible(!note_->text().isEmpty());
}
