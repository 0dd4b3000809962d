#include "runs.hpp"

#include <algorithm>
#include <cstdlib>

namespace solver {

namespace {

// Cell index x * 27 + y; the moves of the four headings (right, up, left,
// down) and the turns, as the robot has them.
constexpr int kDelta[4] = {27, -1, -27, 1};
constexpr int kRight[4] = {3, 0, 1, 2};
constexpr int kLeft[4] = {1, 2, 3, 0};

}  // namespace

double fragment_count(int length, bool with_x) {
  // By the turn run at the end: none, "r", "l", "ll".
  double none = 1, r = 0, l = 0, ll = 0;
  const double plain = with_x ? 2 : 1;
  for (int i = 0; i < length; ++i) {
    const double total = none + r + l + ll;
    const double next_none = total * plain;
    ll = l;
    r = none;
    l = none;
    none = next_none;
  }
  return none + r + l + ll;
}

void CounterRuns::bind(const Grid& g, const Limits& lim, bool prune) {
  int targets = 0;
  target_cells_.clear();
  for (int x = 0; x < 27; ++x) {
    for (int y = 0; y < 27; ++y) {
      const int i = x * 27 + y;
      target_[i] = -1;
      switch (g.k[x][y]) {
        case 'x':
          kind_[i] = kWall;
          break;
        case '*':
          kind_[i] = kGray;
          break;
        case 'o':
          kind_[i] = kTarget;
          target_[i] = static_cast<std::int16_t>(targets++);
          target_cells_.push_back(i);
          break;
        default:
          kind_[i] = kFloor;
          break;
      }
    }
  }
  start_ = g.startx * 27 + g.starty;
  mappts_ = g.mappts;
  msteps_ = lim.msteps;
  mlastfail_ = lim.mlastfail;
  prune_ = prune;
  const std::size_t reserve = std::min<std::size_t>(static_cast<std::size_t>(msteps_) + 1, 4096);
  for (auto& x : x_) x.reserve(reserve);
  prefix_ready_ = false;
}

// The step number from which every command is refused: msteps, or with
// pruning the first step after which fewer commands are left than targets
// still to collect.  Each command collects at most one target, so such a run
// can never clear; ending it early changes neither which run clears nor the
// step count of a clear, only how far a failing run gets.
void CounterRuns::set_limit(Walker& w) const {
  w.limit = msteps_;
  if (prune_) {
    const long long earliest = static_cast<long long>(msteps_) - (mappts_ - w.getpts) + 1;
    if (earliest < w.limit) w.limit = static_cast<int>(earliest < 1 ? 1 : earliest);
  }
}

// One command, as Robot::go_straight / turn_right / turn_left.  The set of
// targets collected since the last gray cell is exactly what the robot's
// collection stamps say: a target counts as collected when stamped at or
// after the last gray step, and a gray step forgets all earlier stamps.
inline bool CounterRuns::step(Walker& w, std::uint8_t cmd) {
  if (++w.steps >= w.limit) return false;
  if (cmd == kR) {
    w.vect = kRight[w.vect];
    return true;
  }
  if (cmd == kL) {
    w.vect = kLeft[w.vect];
    return true;
  }
  const int n = w.cell + kDelta[w.vect];
  switch (kind_[n]) {
    case kWall:
      return true;
    case kGray:
      w.cell = n;
      w.lastfail = w.steps;
      w.getpts = 0;
      w.got = {};
      set_limit(w);
      return w.lastfail <= mlastfail_;
    case kTarget: {
      w.cell = n;
      const int t = target_[n];
      std::uint64_t& word = w.got[static_cast<std::size_t>(t >> 6)];
      const std::uint64_t bit = std::uint64_t{1} << (t & 63);
      if ((word & bit) == 0) {
        word |= bit;
        if (++w.getpts >= mappts_) {
          cleared_ = true;
          return false;
        }
        set_limit(w);
      }
      return true;
    }
    default:
      w.cell = n;
      return true;
  }
}

// A slot fragment with X replaced by `x`; false when the run stops in it.
bool CounterRuns::exec(Walker& w, const std::vector<std::uint8_t>& ops,
                       const std::vector<std::uint8_t>& x) {
  for (const std::uint8_t op : ops) {
    if (op == kX) {
      for (const std::uint8_t cmd : x)
        if (!step(w, cmd)) return false;
    } else if (!step(w, op)) {
      return false;
    }
  }
  return true;
}

int CounterRuns::forward_need(const Walker& w) const {
  const int x = w.cell / 27;
  const int y = w.cell % 27;
  int nearest = 27 * 2;
  for (std::size_t t = 0; t < target_cells_.size(); ++t) {
    if ((w.got[t >> 6] >> (t & 63)) & 1) continue;
    const int cell = target_cells_[t];
    nearest = std::min(nearest, std::abs(cell / 27 - x) + std::abs(cell % 27 - y));
  }
  return nearest + (mappts_ - w.getpts) - 1;
}

void CounterRuns::compile(std::string_view code, std::vector<std::uint8_t>& ops) {
  ops.clear();
  for (const char ch : code) {
    switch (ch) {
      case 's':
        ops.push_back(kS);
        break;
      case 'r':
        ops.push_back(kR);
        break;
      case 'l':
        ops.push_back(kL);
        break;
      case 'X':
        ops.push_back(kX);
        break;
      default:
        break;
    }
  }
}

void CounterRuns::build_prefix(const code_parts& j, const code_parts& a, const code_parts& aa) {
  compile(j.code, jops_);
  compile(a.code, aops_);
  compile(aa.code, x_[0]);
  x_forward_[0] = static_cast<int>(std::count(x_[0].begin(), x_[0].end(), kS));
  Walker w;
  w.cell = start_;
  set_limit(w);
  int t = 1;
  for (; t <= kLastT; ++t) {
    Prefix& p = prefix_[static_cast<std::size_t>(t)];
    // [1] with X(t-1): the last piece of [1] in the run for t.
    cleared_ = false;
    if (!exec(w, jops_, x_[static_cast<std::size_t>(t) - 1])) {
      p.kind = cleared_ ? Begin::Clear : Begin::Fail;
      p.state = w;
      break;
    }
    // X(t) from [2], built only as far as one letter past the limit: a
    // longer argument ends the run at its length test, used or not.
    const std::vector<std::uint8_t>& prev = x_[static_cast<std::size_t>(t) - 1];
    std::vector<std::uint8_t>& next = x_[static_cast<std::size_t>(t)];
    next.clear();
    const std::size_t limit = static_cast<std::size_t>(msteps_);
    for (const std::uint8_t op : aops_) {
      if (op == kX) {
        next.insert(next.end(), prev.begin(),
                    prev.begin() + static_cast<std::ptrdiff_t>(
                                       std::min(prev.size(), limit + 1 - next.size())));
      } else {
        next.push_back(op);
      }
      if (next.size() > limit) break;
    }
    if (next.size() > limit) {
      p.kind = Begin::Fail;
      break;
    }
    x_forward_[static_cast<std::size_t>(t)] =
        static_cast<int>(std::count(next.begin(), next.end(), kS));
    p.kind = Begin::Open;
    p.state = w;
    p.need = -1;  // worked out when a run asks for it
  }
  // A beginning that ends the run ends every longer run the same way.
  for (++t; t <= kLastT; ++t) prefix_[static_cast<std::size_t>(t)].kind = Begin::Fail;
  commands += static_cast<std::uint64_t>(w.steps);
  prefix_ready_ = true;
}

int CounterRuns::run(const code_parts& j, const code_parts& a, const code_parts& jj,
                     const code_parts& aa, int& steps) {
  if (!prefix_ready_) build_prefix(j, a, aa);
  compile(jj.code, jjops_);
  const long long jj_forward = std::count(jjops_.begin(), jjops_.end(), kS);
  const long long jj_x = std::count(jjops_.begin(), jjops_.end(), kX);
  long long end_forward = 0;  // "s" commands in the end of the run for t
  for (int t = 1; t <= kLastT; ++t) {
    Prefix& p = prefix_[static_cast<std::size_t>(t)];
    // Once a beginning fails without a clear, the runs for this and every
    // larger T stop at the same command: none of them can clear.
    if (p.kind == Begin::Fail) break;
    if (p.kind == Begin::Clear) {
      ++runs;
      steps = p.state.steps;
      return t;
    }
    end_forward += jj_forward + jj_x * x_forward_[static_cast<std::size_t>(t) - 1];
    // Only a forward command moves the robot, by one cell: from `state` the
    // end of the run collects nothing more than its "s" commands allow, so
    // with fewer than `need` of them this run cannot clear.  It would end
    // without a clear; skipping it changes no result.
    const long long left = mappts_ - p.state.getpts;
    if (end_forward < left) continue;
    // The nearest target lies at most 48 cells away: only a count below
    // left + 47 can fall short of `need`.
    if (end_forward < left + 47) {
      if (p.need < 0) p.need = forward_need(p.state);
      if (end_forward < p.need) continue;
    }
    ++runs;
    Walker w = p.state;
    cleared_ = false;
    bool ended = false;
    for (int k = t - 1; k >= 0; --k) {
      if (!exec(w, jjops_, x_[static_cast<std::size_t>(k)])) {
        ended = true;
        break;
      }
    }
    commands += static_cast<std::uint64_t>(w.steps - p.state.steps);
    if (ended && cleared_) {
      steps = w.steps;
      return t;
    }
  }
  return 0;
}

}  // namespace solver
