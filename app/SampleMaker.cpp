#include "SampleMaker.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <limits>
#include <string>
#include <type_traits>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QFile>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "ImageView.h"
#include "WindowKeys.h"
#include "common/Messages.h"
#include "report/PictureFile.h"
#include "symbol/DataMask.h"
#include "symbol/Versions.h"
#include "UiLanguage.h"

namespace {

QString Q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// The preview waits this long after a change, so that typing makes one sample, not one a key.
constexpr int kRemakeDelayMs = 150;
constexpr int kPreviewSize = 360;
const QString kPreset = Ui(QStringLiteral("Morilux サンプル"));

template <typename Spin>
Spin* Field(QWidget* parent, const char* name, double minimum, double maximum, const QString& tip) {
  auto* spin = new Spin(parent);
  spin->setObjectName(QString::fromLatin1(name));
  if constexpr (std::is_same_v<Spin, QSpinBox>)
    spin->setRange(static_cast<int>(minimum), static_cast<int>(maximum));
  else
    spin->setRange(minimum, maximum);
  spin->setToolTip(tip);
  spin->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
  return spin;
}

QComboBox* List(QWidget* parent, const char* name, const QStringList& items, const QString& tip) {
  auto* list = new QComboBox(parent);
  list->setObjectName(QString::fromLatin1(name));
  list->addItems(items);
  list->setToolTip(tip);
  return list;
}

QShortcut* AddShortcut(QWidget& window, const char* name, QList<QKeySequence> keys, std::function<void()> run) {
  auto* shortcut = new QShortcut(&window);
  shortcut->setObjectName(QString::fromLatin1(name));
  shortcut->setKeys(keys);
  QObject::connect(shortcut, &QShortcut::activated, &window, std::move(run));
  return shortcut;
}

// Keeps the caption of a made picture under the pane it describes, as the pane moves or grows.
class TFollowPane : public QObject {
 public:
  TFollowPane(QWidget& pane, QLabel& label) : QObject(&label), pane_(pane), label_(label) {
    pane.installEventFilter(this);
    Place();
  }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize) Place();
    return false;
  }
  // Below the pane's sunken frame, where other panes have their legends.
  void Place() { label_.move(pane_.x() - 8, pane_.y() + pane_.height() + 16); }

 private:
  QWidget& pane_;
  QLabel& label_;
};

}  // namespace

TSampleMakerWindow::TSampleMakerWindow(QWidget* parent, THooks hooks) : QWidget(parent, Qt::Window), hooks_(std::move(hooks)) {
  setObjectName(QStringLiteral("SampleMakerWindow"));
  setWindowTitle(Ui(QStringLiteral("サンプル作成 — Morilux")));

  auto* choices = new QVBoxLayout;
  choices->addWidget(BuildSymbolChoices());
  choices->addWidget(BuildPrintChoices());
  choices->addWidget(BuildEffectChoices());
  choices->addStretch(1);

  auto* shown = new QVBoxLayout;
  preview_ = new TImageView(this);
  preview_->setObjectName(QStringLiteral("SamplePreview"));
  preview_->setFixedSize(kPreviewSize, kPreviewSize);
  preview_->setToolTip(Ui(QStringLiteral("作る画像。ホイールで拡大、ダブルクリックで元の表示に戻ります")));
  shown->addWidget(preview_);
  message_ = new QLabel(this);
  message_->setObjectName(QStringLiteral("SampleMessage"));
  message_->setWordWrap(true);
  message_->setTextFormat(Qt::PlainText);
  message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  message_->setFixedWidth(kPreviewSize);
  shown->addWidget(message_);
  shown->addStretch(1);

  auto* columns = new QHBoxLayout;
  columns->addLayout(choices);
  columns->addLayout(shown);

  load_ = new QPushButton(Ui(QStringLiteral("メインウィンドウに読み込む")), this);
  load_->setObjectName(QStringLiteral("SampleLoadButton"));
  load_->setToolTip(Ui(QStringLiteral("作った画像を、読み込んだ画像としてメインウィンドウに渡します（Ctrl+Enter）")));
  save_ = new QPushButton(Ui(QStringLiteral("保存…")), this);
  save_->setObjectName(QStringLiteral("SampleSaveButton"));
  save_->setToolTip(Ui(QStringLiteral("作った画像を PNG、BMP または JPEG のファイルに保存します（Ctrl+S）")));
  auto* closeButton = new QPushButton(Ui(QStringLiteral("閉じる")), this);
  closeButton->setObjectName(QStringLiteral("SampleCloseButton"));
  connect(load_, &QPushButton::clicked, this, [this] { LoadIntoMainWindow(); });
  connect(save_, &QPushButton::clicked, this, [this] { SaveCommand(); });
  connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(load_);
  buttons->addWidget(save_);
  buttons->addWidget(closeButton);

  auto* column = new QVBoxLayout(this);
  column->addLayout(columns, 1);
  column->addLayout(buttons);

  AddShortcut(*this, "SampleSaveShortcut", {QKeySequence(Qt::CTRL | Qt::Key_S)}, [this] { SaveCommand(); });
  AddShortcut(*this, "SampleLoadShortcut",
              {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)},
              [this] { LoadIntoMainWindow(); });
  CloseWithKeys(*this);

  remake_ = new QTimer(this);
  remake_->setSingleShot(true);
  remake_->setInterval(kRemakeDelayMs);
  connect(remake_, &QTimer::timeout, this, [this] { MakeNow(); });

  TSampleRequest preset;
  preset.symbol.text = kPreset.toStdString();
  SetRequest(preset);
  MakeNow();
}

QWidget* TSampleMakerWindow::BuildSymbolChoices() {
  auto* box = new QGroupBox(Ui(QStringLiteral("シンボル")), this);
  auto* form = new QFormLayout(box);
  text_ = new QPlainTextEdit(box);
  text_->setObjectName(QStringLiteral("SampleText"));
  text_->setTabChangesFocus(true);
  text_->setFixedHeight(3 * text_->fontMetrics().lineSpacing() + 12);
  text_->setToolTip(Ui(QStringLiteral("シンボルに入れる文字列（シフトJISで入れます。改行も入ります）")));
  connect(text_, &QPlainTextEdit::textChanged, this, [this] { Changed(); });
  form->addRow(Ui(QStringLiteral("文字列")), text_);

  QStringList modes;
  for (const TSampleModeName& name : kSampleModes) modes << Q(name.label);
  mode_ = List(box, "SampleMode", modes, Ui(QStringLiteral("自動なら文字列を合うモードに分けます。ほかは一つのモードで入れます")));
  form->addRow(Ui(QStringLiteral("モード")), mode_);

  version_ = Field<QSpinBox>(box, "SampleVersion", kSmallestVersion, kMaxVersion,
                             Ui(QStringLiteral("型番 1〜40。最小なら文字列が入るいちばん小さい型番です")));
  version_->setSpecialValueText(Ui(QStringLiteral("最小")));
  form->addRow(Ui(QStringLiteral("型番")), version_);

  QStringList levels;
  for (const char* letter : kLevelLetters) levels << QString::fromLatin1(letter);
  level_ = List(box, "SampleLevel", levels, Ui(QStringLiteral("誤り訂正レベル（L 約7%、M 約15%、Q 約25%、H 約30% を訂正できます）")));
  form->addRow(Ui(QStringLiteral("誤り訂正レベル")), level_);

  mask_ = Field<QSpinBox>(box, "SampleMask", kAutomaticMask, kMaskPatterns - 1,
                          Ui(QStringLiteral("マスク 0〜7。自動なら失点のいちばん少ないマスクです")));
  mask_->setSpecialValueText(Ui(QStringLiteral("自動")));
  form->addRow(Ui(QStringLiteral("マスク")), mask_);

  for (QComboBox* list : {mode_, level_}) connect(list, &QComboBox::currentIndexChanged, this, [this] { Changed(); });
  for (QSpinBox* spin : {version_, mask_}) connect(spin, &QSpinBox::valueChanged, this, [this] { Changed(); });
  return box;
}

QWidget* TSampleMakerWindow::BuildPrintChoices() {
  auto* box = new QGroupBox(Ui(QStringLiteral("印刷")), this);
  auto* form = new QFormLayout(box);
  moduleSize_ = Field<QSpinBox>(box, "SampleModuleSize", kMinModuleSize, kMaxModuleSize,
                                Ui(QStringLiteral("1モジュールの画素数（%1〜%2）")).arg(kMinModuleSize).arg(kMaxModuleSize));
  form->addRow(Ui(QStringLiteral("モジュールの大きさ (画素)")), moduleSize_);
  quietZone_ = Field<QSpinBox>(box, "SampleQuietZone", kMinQuietZone, kMaxQuietZone,
                               Ui(QStringLiteral("シンボルのまわりの明るいモジュールの数（%1〜%2）")).arg(kMinQuietZone).arg(kMaxQuietZone));
  form->addRow(Ui(QStringLiteral("余白 (モジュール)")), quietZone_);
  for (QSpinBox* spin : {moduleSize_, quietZone_}) connect(spin, &QSpinBox::valueChanged, this, [this] { Changed(); });
  return box;
}

QWidget* TSampleMakerWindow::BuildEffectChoices() {
  auto* box = new QGroupBox(Ui(QStringLiteral("写真の効果")), this);
  auto* form = new QFormLayout(box);
  for (std::size_t i = 0; i < kEffects.size(); ++i) {
    const TEffectRow& row = kEffects[i];
    const QString name = QStringLiteral("SampleEffect_") + Q(row.key);
    if (row.effect == TEffect::Background) {
      QStringList surfaces;
      for (const TBackgroundName& background : kBackgrounds) surfaces << Q(background.label);
      background_ = List(box, name.toLatin1().constData(), surfaces, Ui(QStringLiteral("紙を置く場所")));
      connect(background_, &QComboBox::currentIndexChanged, this, [this] { Changed(); });
      form->addRow(Q(row.label), background_);
      continue;
    }
    auto* spin = Field<QDoubleSpinBox>(box, name.toLatin1().constData(), row.minimum, row.maximum,
                                       Ui(QStringLiteral("%1：%2")).arg(Q(row.key), Q(row.help)));
    spin->setDecimals(row.decimals);
    // An effect whose neutral value is its least is off there.
    if (row.neutral == row.minimum) spin->setSpecialValueText(Ui(QStringLiteral("なし")));
    spin->setSingleStep(row.decimals == 0 ? 1 : row.effect == TEffect::Scale ? 0.05 : 1);
    connect(spin, &QDoubleSpinBox::valueChanged, this, [this] { Changed(); });
    effects_[i] = spin;
    form->addRow(Q(row.label), spin);
  }
  seed_ = Field<QDoubleSpinBox>(box, "SampleSeed", 0, std::numeric_limits<std::uint32_t>::max(),
                                Ui(QStringLiteral("ノイズ、紙のきめ、木目はこの値から決まります。同じ値なら同じ画像ができます")));
  seed_->setDecimals(0);
  connect(seed_, &QDoubleSpinBox::valueChanged, this, [this] { Changed(); });
  form->addRow(Ui(QStringLiteral("シード")), seed_);

  auto* none = new QPushButton(Ui(QStringLiteral("効果なし")), box);
  none->setObjectName(QStringLiteral("SampleNoEffectsButton"));
  none->setToolTip(Ui(QStringLiteral("すべての効果を外し、くっきりした白黒のシンボルにします")));
  auto* all = new QPushButton(Ui(QStringLiteral("写真らしく")), box);
  all->setObjectName(QStringLiteral("SampleAllEffectsButton"));
  all->setToolTip(Ui(QStringLiteral("すべての効果をほどほどの強さにします")));
  connect(none, &QPushButton::clicked, this, [this] { SetEffects(TPhotoEffects::None()); });
  connect(all, &QPushButton::clicked, this, [this] { SetEffects(TPhotoEffects::All()); });
  auto* row = new QHBoxLayout;
  row->addWidget(none);
  row->addWidget(all);
  form->addRow(row);
  return box;
}

TSampleRequest TSampleMakerWindow::Request() const {
  TSampleRequest request;
  request.symbol.text = text_->toPlainText().toStdString();
  request.symbol.mode = kSampleModes[static_cast<std::size_t>(std::max(0, mode_->currentIndex()))].mode;
  request.symbol.version = version_->value();
  request.symbol.level = std::max(0, level_->currentIndex());
  request.symbol.mask = mask_->value();
  request.moduleSize = moduleSize_->value();
  request.quietZone = quietZone_->value();
  // The effects as a list of the table's keys, read as the command line reads --effects.
  std::string list;
  for (std::size_t i = 0; i < kEffects.size(); ++i) {
    const TEffectRow& row = kEffects[i];
    const std::string value =
        row.effect == TEffect::Background
            ? std::string(kBackgrounds[static_cast<std::size_t>(std::max(0, background_->currentIndex()))].key)
            : QString::number(effects_[i]->value(), 'f', row.decimals).toStdString();
    list.append(list.empty() ? "" : ",").append(row.key).append("=").append(value);
  }
  request.effects = ParseEffects(list);
  request.seed = static_cast<std::uint64_t>(seed_->value());
  return request;
}

void TSampleMakerWindow::SetRequest(const TSampleRequest& request) {
  filling_ = true;
  text_->setPlainText(QString::fromStdString(request.symbol.text));
  for (std::size_t i = 0; i < kSampleModes.size(); ++i)
    if (kSampleModes[i].mode == request.symbol.mode) mode_->setCurrentIndex(static_cast<int>(i));
  version_->setValue(request.symbol.version);
  level_->setCurrentIndex(request.symbol.level);
  mask_->setValue(request.symbol.mask);
  moduleSize_->setValue(request.moduleSize);
  quietZone_->setValue(request.quietZone);
  seed_->setValue(static_cast<double>(request.seed));
  filling_ = false;
  SetEffects(request.effects);
}

// The fields read from the effects' list (FormatEffects), so that the effects
// table's keys are the one link between a field and its effect.
void TSampleMakerWindow::SetEffects(const TPhotoEffects& effects) {
  filling_ = true;
  for (std::size_t i = 0; i < kEffects.size(); ++i)
    if (effects_[i] != nullptr) effects_[i]->setValue(kEffects[i].neutral);
  background_->setCurrentIndex(0);
  const QString list = QString::fromStdString(FormatEffects(effects));
  for (const QString& item : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
    const QString key = item.section(QLatin1Char('='), 0, 0);
    const QString value = item.section(QLatin1Char('='), 1);
    for (std::size_t i = 0; i < kEffects.size(); ++i) {
      if (Q(kEffects[i].key) != key) continue;
      if (effects_[i] != nullptr) effects_[i]->setValue(value.section(QLatin1Char(':'), 0, 0).toDouble());
      for (std::size_t b = 0; b < kBackgrounds.size() && effects_[i] == nullptr; ++b)
        if (Q(kBackgrounds[b].key) == value) background_->setCurrentIndex(static_cast<int>(b));
    }
  }
  filling_ = false;
  Changed();
}

void TSampleMakerWindow::Changed() {
  if (filling_) return;
  dirty_ = true;
  remake_->start();
}

bool TSampleMakerWindow::MakeNow() {
  // What is typed counts as if the fields had lost the focus. A field showing
  // its special text ("自動") is left alone: Qt would read that text as 0.
  for (QAbstractSpinBox* spin : findChildren<QAbstractSpinBox*>())
    if (spin->specialValueText().isEmpty() || spin->text() != spin->specialValueText()) spin->interpretText();
  remake_->stop();
  dirty_ = false;
  try {
    TSample sample = MakeSample(Request());
    preview_->SetPicture(sample.picture);
    ShowMessage(Ui(QStringLiteral("%1（%2 × %3 画素）"))
                    .arg(MadeCaption(sample))
                    .arg(sample.picture.Width())
                    .arg(sample.picture.Height()),
                false);
    made_ = std::move(sample);
  } catch (const std::exception& refused) {
    made_.reset();
    preview_->SetPicture(TBitmap());
    ShowMessage(Ui(QStringLiteral("作れません：")) + Verbatim(QString::fromUtf8(refused.what())), true);
  }
  load_->setEnabled(made_.has_value());
  save_->setEnabled(made_.has_value());
  return made_.has_value();
}

const TSample* TSampleMakerWindow::Made() const { return dirty_ || !made_ ? nullptr : &*made_; }

const TSample* TSampleMakerWindow::Current() {
  if (dirty_ || remake_->isActive()) MakeNow();
  return Made();
}

bool TSampleMakerWindow::LoadIntoMainWindow() {
  const TSample* sample = Current();
  if (sample == nullptr) return false;
  hooks_.load(*sample);
  return true;
}

bool TSampleMakerWindow::SaveCommand() {
  const TSample* sample = Current();
  if (sample == nullptr) return false;
  const QString suggested = QStringLiteral("sample-%1-%2-mask%3.png")
                                .arg(sample->symbol.version)
                                .arg(QString::fromLatin1(kLevelLetters[static_cast<std::size_t>(sample->symbol.level)]))
                                .arg(sample->symbol.mask);
  const QString path = hooks_.chooseFile(Ui(QStringLiteral("サンプルを保存")), suggested,
                                         QStringLiteral("PNG (*.png);;BMP (*.bmp);;JPEG (*.jpg *.jpeg)"));
  return !path.isEmpty() && Save(path);
}

bool TSampleMakerWindow::Save(const QString& path) {
  const TSample* sample = Current();
  if (sample == nullptr) return false;
  const std::string name = QFile::encodeName(path).toStdString();
  if (!IsSavablePictureName(name)) {
    ShowMessage(Ui(QStringLiteral("保存できません：ファイル名は .png、.bmp、.jpg、.jpeg のどれかで終わる必要があります（%1）")).arg(path),
                true);
    return false;
  }
  try {
    SavePicture(name, sample->picture, sample->jpeg);
  } catch (const std::exception& failure) {
    ShowMessage(Ui(QStringLiteral("保存できませんでした：")) + Verbatim(QString::fromUtf8(failure.what())), true);
    return false;
  }
  ShowMessage(Ui(QStringLiteral("保存しました：%1")).arg(path), false);
  return true;
}

// A line may break after a comma too: an effects list is one long word otherwise.
constexpr QChar kBreakAfterComma(0x200B);

QString TSampleMakerWindow::MessageText() const { return message_->text().remove(kBreakAfterComma); }

void TSampleMakerWindow::ShowMessage(const TUiText& text, bool refusal) {
  const auto breakable = [](QString line) { return line.replace(QLatin1Char(','), QStringLiteral(",") + kBreakAfterComma); };
  message_->setText(Both(breakable(text.Japanese()), breakable(text.English())));
  message_->setStyleSheet(refusal ? QStringLiteral("color: #b00020;") : QString());
}

TUiText MadeCaption(const TSample& sample) {
  const TSymbolRequest& asked = sample.request.symbol;
  const TMadeSymbol& made = sample.symbol;
  QString english = QStringLiteral("Made: version %1-%2")
                        .arg(made.version)
                        .arg(QLatin1String(kLevelLetters[static_cast<std::size_t>(made.level)]));
  if (asked.version == kSmallestVersion) english += QStringLiteral(" (smallest)");
  english += QStringLiteral(", mask %1").arg(made.mask);
  if (asked.mask == kAutomaticMask) english += QStringLiteral(" (automatic)");
  english += QStringLiteral(", %1 mode, %2 pixels/module, effects %3")
                 .arg(Q(NameOf(asked.mode).key))
                 .arg(sample.request.moduleSize)
                 .arg(QString::fromStdString(FormatEffects(sample.request.effects)));
  if (sample.request.effects.Any()) english += QStringLiteral(" (seed %1)").arg(sample.request.seed);
  return Both(QString::fromStdString(SampleCaption(sample)), english);
}

void ShowSampleCaption(QWidget& pane, const QString& caption) {
  auto* label = pane.parentWidget()->findChild<QLabel*>(QStringLiteral("SampleCaptionLabel"));
  if (label == nullptr) {
    if (caption.isEmpty()) return;
    label = new QLabel(pane.parentWidget());
    label->setObjectName(QStringLiteral("SampleCaptionLabel"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setToolTip(Ui(QStringLiteral("この画像はサンプル作成で作ったものです")));
    new TFollowPane(pane, *label);
  }
  label->setText(caption);
  // As wide as the page beside it allows, so that a long list of effects wraps on the page.
  label->setFixedWidth(std::max(pane.width(), pane.parentWidget()->width() - label->x() - 8));
  label->adjustSize();
  label->setVisible(!caption.isEmpty());
}
