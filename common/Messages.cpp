#include "Messages.h"

namespace {

constexpr std::array<const char*, 11> kMessages = {
    "",
    "位置検出パターンがみつかりません。",
    "サポートしていない型番です。",
    "セルの読み込みでエラーが発生しました。",
    "位置検出パターンが見つかりません。",
    "形式情報の読み込みでエラーが発生しました。",
    "", "", "", "", "",
};

}  // namespace

std::string ErrorMessage(std::int32_t code) {
  if (code < 0 || code >= static_cast<std::int32_t>(kMessages.size())) return {};
  return kMessages[static_cast<std::size_t>(code)];
}
