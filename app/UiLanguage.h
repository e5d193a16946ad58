#pragma once

#include <span>
#include <string_view>

#include <QObject>
#include <QString>
#include <QStringList>

#include "common/DecodeStages.h"
#include "report/ReportLanguage.h"

// The language of the window's own texts: Japanese, as the window was
// written, or English by choice (ツール → 言語 / Language), remembered in the
// settings.
//
// The window is written in Japanese and stays so: a Japanese run never passes
// a text through here that it would not show as it is. English comes from
// tables of pairs, Japanese → English (UiTexts.cpp and the tables it lists).
// A text set once (a caption, a menu item, a tooltip) needs only its row: the
// switch walks every widget and swaps what it finds in the tables, both ways.
// A text composed at run time (a count, a file name, a message) is written as
// Ui("… %1 …").arg(…): it is composed in both languages at once and the pair
// is remembered, so that the switch finds it on the widget and swaps it too.
// What the stages write (the text panes, status panels 0 and 1) and what was
// read or typed is never looked up.

enum class TUiLanguage { Japanese, English };

// A row of a table: the Japanese text as the window writes it, and its English
// (the same rows as the report's, whose table the window's takes in whole).
using TUiTextPair = TEnglishPair;

// A text in both languages; shown in the current one.
class TUiText {
 public:
  TUiText(QString japanese, QString english) : japanese_(std::move(japanese)), english_(std::move(english)) {}

  // QString::arg on both texts; a TUiText argument gives each its own language.
  template <typename... TArgs>
  TUiText arg(const TArgs&... args) const {
    return {japanese_.arg(args...), english_.arg(args...)};
  }
  TUiText arg(const TUiText& text) const { return {japanese_.arg(text.japanese_), english_.arg(text.english_)}; }
  TUiText arg(const TUiText& first, const TUiText& second) const {
    return {japanese_.arg(first.japanese_, second.japanese_), english_.arg(first.english_, second.english_)};
  }
  friend TUiText operator+(const TUiText& a, const TUiText& b) {
    return {a.japanese_ + b.japanese_, a.english_ + b.english_};
  }

  // The texts joined with this one between them, in each language.
  TUiText Join(const QStringList& texts) const { return {texts.join(japanese_), texts.join(english_)}; }

  // The Japanese, the pair remembered for the switch: for a text kept in
  // Japanese (for the report) and shown through TranslatedText.
  const QString& RememberedJapanese() const {
    (void)Text();
    return japanese_;
  }
  const QString& Japanese() const { return japanese_; }
  const QString& English() const { return english_; }
  // The text in the current language; the pair is remembered for the switch.
  QString Text() const;
  operator QString() const { return Text(); }  // NOLINT(google-explicit-constructor)

 private:
  QString japanese_;
  QString english_;
};

// The text of a table row (the Japanese itself where no row has it).
TUiText Ui(const QString& japanese);
// A text that is the same in both languages (a name, a number, a file).
TUiText Verbatim(const QString& text);
// A text whose English is not in a table (the decoder's own sentences).
inline TUiText Both(const QString& japanese, const QString& english) { return {japanese, english}; }

// A message of the decoder, which the window shows as the decoder wrote it:
// in English, its meaning follows in brackets.
TUiText DecoderMessage(const QString& japanese);
// A stage's name in the window.
TUiText StageName(TStage stage);

TUiLanguage UiLanguage();
inline bool InEnglish() { return UiLanguage() == TUiLanguage::English; }

// The language from the settings, at start, before any window is made.
void LoadUiLanguage();
// Switches to `language`, remembers it, swaps the texts of every widget and
// tells the windows (UiLanguageNotifier). Qt's own texts follow: its Japanese
// translation is installed only in Japanese.
void SetUiLanguage(TUiLanguage language);
// Swaps the texts of `widget` and everything in it into the current language:
// for a window made after a switch.
void TranslateWidgetTree(QObject* widget);
// The same for a window just made, in English; nothing in Japanese, which the
// window is written in.
void TranslateNewWindow(QObject* window);

// Tells of a switch, after the widgets' texts are swapped: windows whose texts
// are drawn (not set on widgets) redraw them.
class TUiLanguageNotifier : public QObject {
  Q_OBJECT
 signals:
  void Changed();
};
TUiLanguageNotifier& UiLanguageNotifier();

// Keeps the texts of `object` (a widget or an action, not what it holds) as
// they are set, in both languages.
void KeepVerbatim(QObject* object);

// The text in the other language when a table or a composed text has it; the
// same text otherwise (for tests).
QString TranslatedText(const QString& text, TUiLanguage to);
// Every table, one span each (UiTexts.cpp).
std::span<const std::span<const TUiTextPair>> UiTextTables();
