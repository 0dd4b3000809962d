#include "limits.hpp"

#include "input.hpp"

namespace solver {

void input_all_conditions(Console& c, Limits& lim, int templatebytes, int threshold) {
  lim.templatebytes = templatebytes;
  for (;;) {
    int entered = 0;
    input_num(c, entered, u8"検索バイト数を入力してください：");
    // Wide arithmetic: a count near the bottom of the range must not overflow.
    const long long budget = static_cast<long long>(entered) - templatebytes;
    if (budget > threshold) {
      lim.bytes = static_cast<int>(budget);
      break;
    }
    c.line(u8"バイト数が小さすぎます");
  }
  for (;;) {
    input_num(c, lim.msteps, u8"検索最大ステップ数を入力してください：");
    if (lim.msteps > 0) break;
    input_error_message(c);
  }
  input_num(c, lim.mlastfail, u8"最終灰色マス通過ステップ数を入力してください：");
  for (;;) {
    input_num(c, lim.restart, u8"検索開始位置を設定しますか？（yes=1, no=0）：");
    if (lim.restart == 0 || lim.restart == 1) break;
    input_error_message(c);
  }
}

}  // namespace solver
