#include "DecodeStages.h"

namespace {

class TNobody : public TDecodeObserver {
 public:
  void Enter(TStage) override {}
};

}  // namespace

const std::array<TStageName, kStageCount> kStageNames = {{
    {TStage::Binarization, "binarization", "二値化"},
    {TStage::FinderSearch, "finder search", "位置検出パターンの探索"},
    {TStage::Version, "version", "型番の決定"},
    {TStage::Corners, "corners", "四隅の検出"},
    {TStage::Sampling, "sampling", "サンプリング"},
    {TStage::Format, "format", "形式情報"},
    {TStage::Codewords, "codewords", "コード語の読み取りと誤り訂正"},
    {TStage::Data, "data", "データの復号"},
    {TStage::Done, "decoded", "復号完了"},
}};

const TStageName& NameOf(TStage stage) { return kStageNames[static_cast<std::size_t>(stage)]; }

TDecodeObserver& TDecodeObserver::Nobody() {
  static TNobody nobody;
  return nobody;
}
