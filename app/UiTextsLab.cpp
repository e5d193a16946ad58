#include "UiTexts.h"

#include <array>

namespace {

// The error-correction lab, in English. The comparison's own lines come from
// the lab's report in both languages; the trace lines and the listing stay
// as the stages write them.
constexpr auto kLabWindowTexts = std::to_array<TUiTextPair>({
    {"誤り訂正の実験 — Morilux", "Error-correction lab — Morilux"},
    // The matrix and the step controls.
    {"クリックでモジュールを反転、ドラッグで塗ります（読めない印のモードでは印を付けます）。右クリックでそのコード語を壊します",
     "Click flips a module, dragging paints (with unreadable marking on, it marks). Right-click spoils that codeword"},
    {"読めない印を付ける", "Mark unreadable"},
    {"オンの間、クリックとドラッグはモジュールに読めない印（消失）を付け外しします",
     "While on, clicking and dragging mark modules unreadable (erasures) or take the mark off"},
    {"読む順", "Reading order"},
    {"読む順で何番目の符号語を枠で示すか（— で示しません）", "Which codeword in reading order to frame (— frames none)"},
    {"一つ前の符号語", "Previous codeword"},
    {"次の符号語", "Next codeword"},
    {"再生", "Play"},
    {"符号語を読む順にたどります", "Walks the codewords in reading order"},
    {"符号語 %1", "Codeword %1"},
    {"：ブロック %1 の %2 番目（%3）", ": block %1, place %2 (%3)"},
    // The damage commands.
    {"壊す", "Damage"},
    {"符号語", "Codeword"},
    {"符号語を壊す", "Spoil codeword"},
    {"読む順で何番目かの符号語の 8 ビットをすべて反転します", "Inverts all 8 bits of the codeword at this place in reading order"},
    {"ランダム", "Random"},
    {"ブロック", "Block"},
    {"個数", "Count"},
    {"種", "Random seed"},
    {"ランダムに壊す", "Spoil at random"},
    {"ブロックの符号語を個数だけ、種から決まる選び方と値で壊します",
     "Spoils as many codewords of the block as the count, chosen and valued by the seed"},
    {"バースト", "Burst"},
    {"連続して壊す", "Spoil a burst"},
    {"読む順に続く符号語を、最初から個数だけすべて反転します（汚れの一筋）",
     "Inverts the count of codewords following one another in reading order from the first (a streak of dirt)"},
    {"元に戻す", "Undo"},
    {"最後の変更を取り消します（Ctrl+Z）", "Takes back the last change (Ctrl+Z)"},
    {"最初に戻す", "Restore all"},
    {"読み取ったときの行列に戻します（元に戻すで取り消せます）", "Goes back to the matrix as read (Undo takes this back)"},
    {"この行列では実験できません: ", "No experiment on this matrix: "},
    {"最後の解析はモジュールを読み取るところまで進んでいません。画像を解析してから開いてください。",
     "The last analysis did not get as far as reading the modules. Analyse a picture, then open the lab."},
    // The pages.
    {"読み直した結果", "Decoded again"},
    {"インターリーブ", "Interleaving"},
    {"コード語の一覧", "Codeword listing"},
    {"BlockRead と同じ一覧。だいだい色は誤りのコード語、青は「読む順」で選んだコード語です",
     "The listing of BlockRead. Orange marks the wrong codewords, blue the one chosen under Reading order"},
    {"データ: ", "Data: "},
    {"ブロック %1（データ %2 個、誤り訂正 %3 個、約束 %4 個、誤訂正防止 %5 個）",
     "Block %1 (%2 data, %3 error-correction, %4 promised, %5 misdecode-protection codewords)"},
    {"受信 [ ] は誤り: ", "Received, [ ] wrong: "},
    {"この復号器の出力 [ ] は訂正: ", "This decoder's output, [ ] corrected: "},
    {"この復号器のシンドローム S0..S7（α^1..α^8）: ", "This decoder's syndromes S0..S7 (α^1..α^8): "},
    {"能力いっぱいのシンドローム S_j = R(α^j), j = 0..%1: ", "Full-capacity syndromes S_j = R(α^j), j = 0..%1: "},
    // The masks and the interleaving.
    {"読み取ったままの行列では、誤り訂正レベルとマスクが決まりませんでした。",
     "The matrix as read settled no error correction level and mask."},
    {"このシンボル", "this symbol"},
    {"エンコーダの選択", "an encoder's choice"},
    {"このシンボル、エンコーダの選択", "this symbol and an encoder's choice"},
    {"\n（%1）", "\n(%1)"},
    {"マスク %1%2\n連続 %3、ブロック %4、\nファインダ類似 %5、明暗 %6\n計 %7",
     "Mask %1%2\nruns %3, blocks %4,\nfinder-like %5, balance %6\ntotal %7"},
    {"この復号はブロックまで進みませんでした。", "This decode did not get as far as the blocks."},
    {"符号語は読む順に、各ブロックのデータ符号語を一つずつ順番に取り、次に誤り訂正符号語を同じように取って並べたものです。",
     "In reading order, the codewords are the blocks' data codewords taken one from each block in turn, then their "
     "error-correction codewords taken the same way."},
    {"ブロック %1 のデータ: %2", "Block %1 data: %2"},
    {"ブロック %1 の誤り訂正: %2", "Block %1 error correction: %2"},
});

}  // namespace

std::span<const TUiTextPair> LabWindowTexts() { return kLabWindowTexts; }
