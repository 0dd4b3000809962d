#include "grid.hpp"

#include "catalogue.hpp"
#include "input.hpp"

namespace solver {

void load_map(Console& c, Grid& g, std::string_view map) {
  g.mappts = 0;
  for (int y = 1; y <= 25; ++y) {
    for (int x = 1; x <= 25; ++x) {
      const std::size_t p = static_cast<std::size_t>((y - 1) * 25 + (x - 1));
      const char ch = p < map.size() ? map[p] : '\0';
      g.k[x][y] = ch;
      c.out << ch;
      switch (ch) {
        case 'o':
          ++g.mappts;
          break;
        case 'u':
          g.startx = x;
          g.starty = y;
          g.k[x][y] = '.';
          break;
        case '.':
        case '*':
        case 'x':
          break;
        default:
          c.line(u8"マップデータに誤りがあります");
          throw ProgramExit{1};
      }
    }
    c.out << '\n';
  }
  for (int i = 0; i <= 26; ++i) {
    g.k[i][0] = 'x';
    g.k[i][26] = 'x';
    g.k[0][i] = 'x';
    g.k[26][i] = 'x';
  }
  compute_target_bounds(g);
}

void input_mapdata(Console& c, Grid& g, std::u8string_view read_error_line) {
  for (;;) {
    c.say(u8"このsolverのサンプルでは，以下のProblem_IDのみに対応しています");
    c.endl();
    c.endl();
    c.ascii("0001 , 0002 , 0003 , 0004 , 0005 , 0006 , 0007 , 0008 , 0009 , 0010 , ");
    c.endl();
    c.ascii("0743 , 0745 , 0747 , 0748 , 0801 , 0803 , 0805 , 0806");
    c.endl();
    c.endl();
    c.say(u8"検索するProblem_IDを入力してください");
    c.flush();
    if (read_value(c, g.mapname)) break;
    c.line(read_error_line);
  }
  for (const CatalogueEntry& e : kCatalogue) {
    if (e.id == g.mapname) {
      load_map(c, g, e.map);
      return;
    }
  }
  c.line(u8"マップデータが読み込めません");
  throw ProgramExit{1};
}

}  // namespace solver
