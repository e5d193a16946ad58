#include "report/StageTexts.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>

namespace {

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool IsKey(std::string_view key) {
  if (key.empty() || !std::isalpha(static_cast<unsigned char>(key.front()))) return false;
  return std::all_of(key.begin(), key.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; });
}

// The key of a line "## KEY", if it is one.
std::optional<std::string_view> EntryKey(std::string_view line) {
  if (line.substr(0, 3) != "## ") return std::nullopt;
  const std::string_view rest = line.substr(3);
  const std::string_view key = rest.substr(0, rest.find_last_not_of(' ') + 1);
  if (!IsKey(key)) return std::nullopt;
  return key;
}

struct TField {
  std::string_view name;
  std::string TStageText::*member;
};
constexpr std::array<TField, 4> kFields = {{
    {"caption", &TStageText::caption},
    {"caption-en", &TStageText::captionEn},
    {"ja", &TStageText::ja},
    {"en", &TStageText::en},
}};

}  // namespace

TStageTexts TStageTexts::Parse(std::string_view source) {
  TStageTexts texts;
  std::array<bool, kFields.size()> seen{};
  std::size_t entryLine = 0;
  const auto finishEntry = [&] {
    if (texts.entries_.empty()) return;
    for (std::size_t f = 0; f < kFields.size(); ++f)
      if (!seen[f])
        throw TStageTextError("stage explanations, line " + std::to_string(entryLine) + ": the entry " +
                              texts.entries_.back().first + " has no field " + std::string(kFields[f].name));
  };

  bool inComment = false;
  std::size_t number = 0;
  while (!source.empty()) {
    const std::size_t end = source.find('\n');
    std::string_view line = source.substr(0, end);
    source = end == std::string_view::npos ? std::string_view{} : source.substr(end + 1);
    ++number;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);

    if (inComment || line.substr(0, 4) == "<!--") {
      inComment = line.find("-->") == std::string_view::npos;
      continue;
    }
    if (const auto key = EntryKey(line)) {
      finishEntry();
      const bool known = std::any_of(texts.entries_.begin(), texts.entries_.end(),
                                     [&](const auto& entry) { return entry.first == *key; });
      if (known)
        throw TStageTextError("stage explanations, line " + std::to_string(number) + ": the key " +
                              std::string(*key) + " is given twice");
      texts.entries_.push_back({std::string(*key), {}});
      seen = {};
      entryLine = number;
      continue;
    }
    if (texts.entries_.empty()) continue;
    for (std::size_t f = 0; f < kFields.size(); ++f) {
      const std::string_view name = kFields[f].name;
      if (line.size() < name.size() + 2 || line.substr(0, name.size()) != name ||
          line.substr(name.size(), 2) != ": ")
        continue;
      if (seen[f])
        throw TStageTextError("stage explanations, line " + std::to_string(number) + ": the field " +
                              std::string(name) + " is given twice");
      const std::string_view text = Trim(line.substr(name.size() + 2));
      if (text.empty())
        throw TStageTextError("stage explanations, line " + std::to_string(number) + ": the field " +
                              std::string(name) + " is empty");
      seen[f] = true;
      texts.entries_.back().second.*kFields[f].member = std::string(text);
    }
  }
  finishEntry();
  return texts;
}

const TStageTexts& TStageTexts::BuiltIn() {
  static const TStageTexts texts = [] {
    QFile file(QStringLiteral(":/manual/stages.md"));
    if (!file.open(QIODevice::ReadOnly)) throw TStageTextError("the stage explanations are missing from the program");
    const QByteArray bytes = file.readAll();
    return Parse(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  }();
  return texts;
}

const TStageText& TStageTexts::At(std::string_view key) const {
  for (const auto& [name, text] : entries_)
    if (name == key) return text;
  throw TStageTextError("stage explanations: no entry " + std::string(key));
}

std::vector<std::string> TStageTexts::Keys() const {
  std::vector<std::string> keys;
  for (const auto& entry : entries_) keys.push_back(entry.first);
  return keys;
}

namespace {

// Splits at pairs of `mark`: the parts between a pair become `kind`.
void SplitPairs(std::string_view text, std::string_view mark, TInlineSpan::TKind kind, std::vector<TInlineSpan>& out,
                bool strongInside) {
  const auto plain = [&](std::string_view part) {
    if (part.empty()) return;
    if (strongInside)
      SplitPairs(part, "**", TInlineSpan::TKind::Strong, out, false);
    else
      out.push_back({TInlineSpan::TKind::Plain, std::string(part)});
  };
  while (!text.empty()) {
    const std::size_t open = text.find(mark);
    const std::size_t close = open == std::string_view::npos ? open : text.find(mark, open + mark.size());
    if (close == std::string_view::npos) {
      plain(text);
      return;
    }
    plain(text.substr(0, open));
    out.push_back({kind, std::string(text.substr(open + mark.size(), close - open - mark.size()))});
    text = text.substr(close + mark.size());
  }
}

}  // namespace

std::vector<TInlineSpan> InlineSpans(std::string_view text) {
  std::vector<TInlineSpan> spans;
  SplitPairs(text, "`", TInlineSpan::TKind::Code, spans, true);
  return spans;
}
