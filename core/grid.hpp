// The loaded puzzle: grid of cells inside a border of walls.
#pragma once

#include <string>
#include <string_view>

#include "console.hpp"
#include "target_bounds.hpp"

namespace solver {

struct Grid {
  char k[27][27] = {};  // k[x][y]: x the column, y the row, 1..25 inside the border
  int mappts = 0;       // number of target cells
  int startx = 0;
  int starty = 0;
  std::string mapname;  // the Problem_ID as typed
  TargetBounds bounds;  // filled by load_map
};

// Echoes the map and loads it into the grid.  An invalid cell character is
// echoed, then reported, and ends the program with status 1.
void load_map(Console& c, Grid& g, std::string_view map);

// The map dialogue: lists the IDs, reads one, echoes and loads its map.  An
// ID that is not in the catalogue ends the program with status 1.
// `read_error_line` is printed after a failed read of the ID.
void input_mapdata(Console& c, Grid& g, std::u8string_view read_error_line);

}  // namespace solver
