#include "UiLanguage.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QWidget>

#include "QtTranslation.h"
#include "WindowSettings.h"

namespace {

TUiLanguage& Current() {
  static TUiLanguage language = TUiLanguage::Japanese;
  return language;
}

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// Both directions of every table row, and of every composed text shown so far.
struct TDictionary {
  QHash<QString, QString> toEnglish;
  QHash<QString, QString> toJapanese;

  void Add(const QString& japanese, const QString& english) {
    if (japanese == english) return;
    toEnglish.insert(japanese, english);
    toJapanese.insert(english, japanese);
  }
};

TDictionary& Tables() {
  static TDictionary dictionary = [] {
    TDictionary made;
    for (std::span<const TUiTextPair> table : UiTextTables())
      for (const TUiTextPair& pair : table) made.Add(Q(pair.japanese), Q(pair.english));
    return made;
  }();
  return dictionary;
}

TDictionary& Composed() {
  static TDictionary dictionary;
  return dictionary;
}

// A window's running counts make new texts all the time: past this many pairs
// all are forgotten and remembering starts again; a switch leaves the texts
// of forgotten pairs as they are.
constexpr qsizetype kComposedLimit = 20000;

constexpr char kVerbatim[] = "moriluxVerbatim";

bool KeptVerbatim(const QObject* object) { return object->property(kVerbatim).toBool(); }

void SetIfChanged(const QString& now, const QString& next, const auto& set) {
  if (next != now) set(next);
}

QString Swap(const QString& text) { return TranslatedText(text, Current()); }

void TranslateAction(QAction* action) {
  if (KeptVerbatim(action)) return;
  SetIfChanged(action->text(), Swap(action->text()), [action](const QString& t) { action->setText(t); });
  SetIfChanged(action->toolTip(), Swap(action->toolTip()), [action](const QString& t) { action->setToolTip(t); });
}

void TranslateTable(QTableWidget* table) {
  auto item = [](QTableWidgetItem* cell) {
    if (cell == nullptr) return;
    SetIfChanged(cell->text(), Swap(cell->text()), [cell](const QString& t) { cell->setText(t); });
    SetIfChanged(cell->toolTip(), Swap(cell->toolTip()), [cell](const QString& t) { cell->setToolTip(t); });
  };
  for (int c = 0; c < table->columnCount(); ++c) item(table->horizontalHeaderItem(c));
  for (int r = 0; r < table->rowCount(); ++r) {
    item(table->verticalHeaderItem(r));
    for (int c = 0; c < table->columnCount(); ++c) item(table->item(r, c));
  }
}

void TranslateWidget(QWidget* w) {
  if (KeptVerbatim(w)) return;
  SetIfChanged(w->windowTitle(), Swap(w->windowTitle()), [w](const QString& t) { w->setWindowTitle(t); });
  SetIfChanged(w->toolTip(), Swap(w->toolTip()), [w](const QString& t) { w->setToolTip(t); });
  if (auto* label = qobject_cast<QLabel*>(w))
    SetIfChanged(label->text(), Swap(label->text()), [label](const QString& t) { label->setText(t); });
  if (auto* button = qobject_cast<QAbstractButton*>(w))
    SetIfChanged(button->text(), Swap(button->text()), [button](const QString& t) { button->setText(t); });
  if (auto* box = qobject_cast<QGroupBox*>(w))
    SetIfChanged(box->title(), Swap(box->title()), [box](const QString& t) { box->setTitle(t); });
  if (auto* menu = qobject_cast<QMenu*>(w))
    SetIfChanged(menu->title(), Swap(menu->title()), [menu](const QString& t) { menu->setTitle(t); });
  if (auto* edit = qobject_cast<QLineEdit*>(w))
    SetIfChanged(edit->placeholderText(), Swap(edit->placeholderText()),
                 [edit](const QString& t) { edit->setPlaceholderText(t); });
  if (auto* spin = qobject_cast<QAbstractSpinBox*>(w))
    SetIfChanged(spin->specialValueText(), Swap(spin->specialValueText()),
                 [spin](const QString& t) { spin->setSpecialValueText(t); });
  if (auto* combo = qobject_cast<QComboBox*>(w); combo != nullptr && !combo->isEditable())
    for (int i = 0; i < combo->count(); ++i)
      SetIfChanged(combo->itemText(i), Swap(combo->itemText(i)), [combo, i](const QString& t) { combo->setItemText(i, t); });
  if (auto* tabs = qobject_cast<QTabWidget*>(w))
    for (int i = 0; i < tabs->count(); ++i) {
      SetIfChanged(tabs->tabText(i), Swap(tabs->tabText(i)), [tabs, i](const QString& t) { tabs->setTabText(i, t); });
      SetIfChanged(tabs->tabToolTip(i), Swap(tabs->tabToolTip(i)), [tabs, i](const QString& t) { tabs->setTabToolTip(i, t); });
    }
  if (auto* table = qobject_cast<QTableWidget*>(w)) TranslateTable(table);
  for (QAction* action : w->actions()) TranslateAction(action);
}

}  // namespace

QString TUiText::Text() const {
  if (japanese_ != english_ && !Tables().toEnglish.contains(japanese_)) {
    TDictionary& composed = Composed();
    if (composed.toEnglish.size() >= kComposedLimit) composed = {};
    composed.Add(japanese_, english_);
  }
  return Current() == TUiLanguage::English ? english_ : japanese_;
}

TUiText Ui(const QString& japanese) { return {japanese, Tables().toEnglish.value(japanese, japanese)}; }

TUiText StageName(TStage stage) { return Ui(Q(NameOf(stage).japanese)); }

TUiText DecoderMessage(const QString& japanese) {
  const QString english = Tables().toEnglish.value(japanese);
  return {japanese, english.isEmpty() ? japanese : QStringLiteral("%1 (%2)").arg(japanese, english)};
}

TUiText Verbatim(const QString& text) { return {text, text}; }

TUiLanguage UiLanguage() { return Current(); }

QString TranslatedText(const QString& text, TUiLanguage to) {
  if (text.isEmpty()) return text;
  const bool english = to == TUiLanguage::English;
  for (const TDictionary* dictionary : {&Tables(), &Composed()}) {
    const QHash<QString, QString>& map = english ? dictionary->toEnglish : dictionary->toJapanese;
    if (const auto found = map.constFind(text); found != map.constEnd()) return *found;
  }
  return text;
}

void TranslateWidgetTree(QObject* root) {
  if (auto* widget = qobject_cast<QWidget*>(root)) TranslateWidget(widget);
  // Qt translates what is inside its own dialogs; their name filters are the owner's.
  if (qobject_cast<QFileDialog*>(root) != nullptr) return;
  for (QObject* child : root->children()) {
    if (auto* action = qobject_cast<QAction*>(child))
      TranslateAction(action);
    else if (child->isWidgetType())
      TranslateWidgetTree(child);
  }
}

void TranslateNewWindow(QObject* window) {
  if (InEnglish()) TranslateWidgetTree(window);
}

void KeepVerbatim(QObject* object) { object->setProperty(kVerbatim, true); }

void LoadUiLanguage() {
  if (RememberedLanguage() == QStringLiteral("en")) SetUiLanguage(TUiLanguage::English);
}

void SetUiLanguage(TUiLanguage language) {
  if (language == Current()) return;
  Current() = language;
  RememberLanguage(language == TUiLanguage::English ? QStringLiteral("en") : QStringLiteral("ja"));
  UseQtJapanese(language == TUiLanguage::Japanese);
  for (QWidget* window : QApplication::topLevelWidgets()) TranslateWidgetTree(window);
  emit UiLanguageNotifier().Changed();
}

TUiLanguageNotifier& UiLanguageNotifier() {
  static TUiLanguageNotifier notifier;
  return notifier;
}
