#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The one-paragraph explanation of each page of the window, in Japanese and
// English, from the program's copy of docs/manual/stages.md (its format is
// described in docs/manual/README.md). The report shows them, and the built-in
// manual includes them.

// A damaged source: a key or field given twice, a field missing, a key asked
// for that the source does not have.
class TStageTextError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TStageText {
  std::string caption;    // the page's caption as the window shows it
  std::string captionEn;  // an English name of the page
  std::string ja;         // the explanation in Japanese
  std::string en;         // the same in English
};

class TStageTexts {
 public:
  // Reads the source line by line. Throws TStageTextError naming the line.
  static TStageTexts Parse(std::string_view source);
  // The program's own copy (a Qt resource), read and parsed on first use.
  static const TStageTexts& BuiltIn();

  // Throws TStageTextError for a key the source does not have.
  const TStageText& At(std::string_view key) const;
  // The keys in the order of the source.
  std::vector<std::string> Keys() const;

 private:
  std::vector<std::pair<std::string, TStageText>> entries_;
};

// A text split at its two inline marks, `code` and **bold** (code first; a
// mark without its closing partner stays as it is).
struct TInlineSpan {
  enum class TKind { Plain, Code, Strong };
  TKind kind = TKind::Plain;
  std::string text;
};
std::vector<TInlineSpan> InlineSpans(std::string_view text);
