// The robot exactly as its rules read: the collection grid cleared before
// every run, one command at a time, no early stop.  The reference the fast
// robot is measured and checked against; nothing in a search uses it unless
// asked to (FixedSearch::literal).
#pragma once

#include "grid.hpp"
#include "robot.hpp"

namespace solver {

struct LiteralRobot {
  const Grid* grid = nullptr;
  int msteps = 0;
  int mlastfail = 0;
  int x = 0;
  int y = 0;
  int vect = 1;
  int steps = 0;
  int getpts = 0;
  int lastfail = 1;
  bool cleared = false;  // set by the move that clears; that move returns -1
  int l[27][27] = {};

  void bind(const Grid& g, int step_limit, int gray_limit) {
    grid = &g;
    msteps = step_limit;
    mlastfail = gray_limit;
  }

  void reset() {
    steps = 0;
    for (int cx = 1; cx <= 25; ++cx) {
      for (int cy = 1; cy <= 25; ++cy) l[cx][cy] = 0;
    }
    vect = 1;
    x = grid->startx;
    y = grid->starty;
    getpts = 0;
    lastfail = 1;
    cleared = false;
  }

  int go_straight() {
    if (++steps >= msteps) return -1;
    const int nx = x + dx[vect];
    const int ny = y + dy[vect];
    switch (grid->k[nx][ny]) {
      case 'x':
        return 0;
      case '*':
        x = nx;
        y = ny;
        lastfail = steps;
        getpts = 0;
        return lastfail > mlastfail ? -1 : 0;
      case 'o':
        x = nx;
        y = ny;
        if (l[x][y] < lastfail) {
          l[x][y] = steps;
          if (++getpts >= grid->mappts) {
            cleared = true;
            return -1;
          }
        }
        return 0;
      default:
        x = nx;
        y = ny;
        return 0;
    }
  }

  int turn_right() {
    if (++steps >= msteps) return -1;
    vect = rvect[vect];
    return 0;
  }

  int turn_left() {
    if (++steps >= msteps) return -1;
    vect = lvect[vect];
    return 0;
  }
};

}  // namespace solver
