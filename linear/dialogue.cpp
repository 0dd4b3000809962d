#include "input.hpp"
#include "search.hpp"
#include "slots.hpp"

namespace solver {

namespace {

// One fragment of s, r, l ("0" is the empty one), asked again while it holds
// any other letter.
void input_fragment(Console& c, std::string& fragment, int n) {
  code_parts slot;
  input_code_parts(c, slot, n, 0);
  fragment = slot.code;
}

}  // namespace

void LinearSearch::dialogue() {
  input_mapdata(c, grid, kInputErrorLineShort);
  c.ascii("a(T):[1]a(AT+B)[2]a(CT+D), a(E)");
  c.endl();
  input_fragment(c, j, 1);
  input_fragment(c, jj, 2);
  input_num_with(c, lim.bytes, u8"検索バイト数を入力", kInputErrorLineShort);
  input_num_with(c, lim.msteps, u8"検索ステップ数を入力", kInputErrorLineShort);
  input_num_with(c, lim.mlastfail, u8"最終灰色マス通過ステップ数を入力", kInputErrorLineShort);
  input_num_with(c, startE, u8"検索開始Eを入力", kInputErrorLineShort);
  lim.templatebytes = 0;  // the byte count is kept as entered
  newbytes = static_cast<long long>(lim.bytes) - static_cast<long long>(j.size()) -
             static_cast<long long>(jj.size()) - 8;
}

}  // namespace solver
