// Enumeration order and counts of the linear search.
#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

#include "input.hpp"
#include "linear_bench.hpp"

namespace solver {
namespace {

using testing::Bench;
using testing::kTime;
using testing::open_map;

// The runs of one (A, C) pair at one E: how many, and the ranges of B and D.
struct Pair {
  int A, C;
  std::uint64_t runs = 0;
  int bmin = 999, bmax = -999, dmin = 999, dmax = -999;
  bool operator==(const Pair&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Pair& p) {
  return os << "(A " << p.A << ", C " << p.C << ": " << p.runs << " runs, B " << p.bmin << ".."
            << p.bmax << ", D " << p.dmin << ".." << p.dmax << ")";
}

struct Recorder {
  explicit Recorder(int e) : only_e(e) {}
  int only_e;
  std::vector<Pair> pairs;
  std::tuple<int, int, int, int> last{};
  bool ordered = true;  // (B, D) strictly increasing within each pair

  void operator()(const LinearWorker& s) {
    if (s.E != only_e) return;
    if (pairs.empty() || pairs.back().A != s.A || pairs.back().C != s.C) {
      pairs.push_back({s.A, s.C});
    } else if (std::tie(s.B, s.D) <= std::tie(std::get<1>(last), std::get<3>(last))) {
      ordered = false;
    }
    Pair& p = pairs.back();
    ++p.runs;
    p.bmin = std::min(p.bmin, s.B);
    p.bmax = std::max(p.bmax, s.B);
    p.dmin = std::min(p.dmin, s.D);
    p.dmax = std::max(p.dmax, s.D);
    last = {s.A, s.B, s.C, s.D};
  }
};

// Thrown by an observer to end a search once it has seen what it needs.
struct Enough {};

// Searches with empty fragments (each run ends at once) from E = `e` and
// records the runs made at that E.
Recorder record(int newbytes, int e) {
  Bench b;
  b.setup(open_map(), "", "", newbytes + 8, 100, 0, e);
  Recorder rec(e);
  b.s.w.on_candidate = [&rec](const LinearWorker& s) {
    if (s.E != rec.only_e) throw Enough{};
    rec(s);
  };
  try {
    b.s.search();
  } catch (const Enough&) {
  }
  return rec;
}

std::uint64_t total(const Recorder& r) {
  std::uint64_t n = 0;
  for (const Pair& p : r.pairs) n += p.runs;
  return n;
}

TEST(LinearEnumeration, BudgetTwoAtEThree) {
  const Recorder r = record(2, 3);
  const std::vector<Pair> want{{1, 1, 255 * 508, -255, -1, -255, 252},
                               {1, -1, 255 * 256, -255, -1, 0, 255}};
  EXPECT_EQ(r.pairs, want);
  EXPECT_EQ(total(r), 194820u);
  EXPECT_TRUE(r.ordered);
}

TEST(LinearEnumeration, BudgetThreeAtEZeroRunsButNeverMoves) {
  // Non-empty fragments: every run really calls a(0), which does nothing.
  Bench b;
  b.setup(open_map(), "s", "r", 3 + 2 + 8, 100, 0, 0);
  Recorder rec{0};
  bool moved = false;
  b.s.w.on_candidate = [&](const LinearWorker& s) {
    rec(s);
    moved = moved || s.robot.steps != 0;
  };
  b.s.search();
  const std::vector<Pair> want{{2, 1, 255 * 511, -255, -1, -255, 255},
                               {2, -1, 255 * 256, -255, -1, 0, 255},
                               {1, 2, 255 * 511, -255, -1, -255, 255},
                               {1, -2, 255 * 256, -255, -1, 0, 255}};
  EXPECT_EQ(rec.pairs, want);
  EXPECT_EQ(b.s.w.candidates, 391170u);
  EXPECT_FALSE(moved);
  EXPECT_TRUE(rec.ordered);
}

TEST(LinearEnumeration, BudgetThreeAtEFiveAddsNegativeA) {
  const Recorder r = record(3, 5);
  ASSERT_EQ(r.pairs.size(), 6u);
  const std::vector<std::pair<int, int>> order{{2, 1}, {2, -1}, {1, 2}, {1, -2}, {-2, 1}, {-2, -1}};
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(r.pairs[i].A, order[i].first) << i;
    EXPECT_EQ(r.pairs[i].C, order[i].second) << i;
  }
  // A = -2 needs B > 0 with -10 + B < 5.
  EXPECT_EQ(r.pairs[4].bmin, 1);
  EXPECT_EQ(r.pairs[4].bmax, 14);
  EXPECT_EQ(r.pairs[4].dmax, 250);  // 5 + D <= 255
  EXPECT_EQ(r.last, std::make_tuple(-2, 14, -1, 255));
  EXPECT_TRUE(r.ordered);
}

// The five loops written out literally, every test in its place.
// (The E loop is left out: one E at a time.)
std::vector<std::tuple<int, int, int, int, int>> literal_order(long long nb, int E) {
  std::vector<std::tuple<int, int, int, int, int>> out;
  for (long long A = nb; A >= -nb; --A) {
    if (A == -1 || A == 0) continue;
    for (long long C = nb; C >= -nb; --C) {
      if (C == 0) continue;
      if ((A < 0 ? -A : A) + (C < 0 ? -C : C) != nb) continue;
      for (int B = -255; B <= 255; ++B) {
        if (A <= 0 && B <= 0) continue;
        if (A >= 0 && B >= 0) continue;
        if (A * E + B >= E) continue;
        for (int D = -255; D <= 255; ++D) {
          if (C * E + D > 255) continue;
          if (C <= 0 && D < 0) continue;
          out.emplace_back(E, A, B, C, D);
        }
      }
    }
  }
  return out;
}

TEST(LinearEnumeration, SameOrderAsTheLiteralLoops) {
  for (const auto& [nb, e] : {std::pair{4, 2}, std::pair{5, 1}}) {
    const auto want = literal_order(nb, e);
    Bench b;
    b.setup(open_map(), "", "", nb + 8, 100, 0, e);
    std::size_t i = 0;
    bool same = true;
    b.s.w.on_candidate = [&](const LinearWorker& s) {
      if (s.E != e) throw Enough{};
      same = same && i < want.size() && want[i] == std::make_tuple(s.E, s.A, s.B, s.C, s.D);
      ++i;
    };
    try {
      b.s.search();
    } catch (const Enough&) {
    }
    EXPECT_TRUE(same) << "budget " << nb << ", E " << e << ", at run " << i;
    EXPECT_EQ(i, want.size()) << "budget " << nb << ", E " << e;
  }
}

std::string e_lines(int startE, const std::string& head) {
  std::string out;
  for (int e = startE; e >= 0; --e) out += std::to_string(e) + "\n" + head + kTime;
  return out;
}

TEST(LinearEnumeration, SmallBudgetsOnlyPrintEveryE) {
  for (const int bytes : {9, 8, 0, -5}) {
    Bench b;
    b.setup(open_map(), "", "", bytes, 30, 2, 3);
    b.s.search();
    EXPECT_EQ(b.s.w.candidates, 0u) << bytes;
    EXPECT_EQ(b.h.out.str(),
              e_lines(3, "0001,30msteps,2mlastfail," + std::to_string(bytes) + "bytes\n"))
        << bytes;
  }
  Bench none;
  none.setup(open_map(), "s", "r", 20, 30, 2, -1);
  none.s.search();
  EXPECT_EQ(none.s.w.candidates, 0u);
  EXPECT_EQ(none.h.out.str(), "");
}

TEST(LinearEnumeration, KeyShowsThePositionWithoutAHint) {
  Bench b;
  b.setup(open_map(), "", "", 10, 30, 2, 0);
  b.h.keys.inject('x');
  b.s.search();
  const std::string head = "0001,30msteps,2mlastfail,10bytes\n";
  EXPECT_EQ(b.h.out.str(), "0\n" + head + kTime + head + kTime +
                               "a(T):[1]a(1T+-255)[2]a(1T+-255), a(0)\n[1]=\n[2]=\n");
  EXPECT_EQ(b.s.w.candidates, 255u * (511 + 256));
}

// Ends a search by a "p" key and "q": the first candidate is printed.
std::string first_candidate(const std::string& j, const std::string& jj, int bytes, int startE,
                            std::uint64_t* runs = nullptr) {
  Bench b("q\n");
  b.setup(open_map(), j, jj, bytes, 100, 0, startE);
  b.h.keys.inject('p');
  try {
    b.s.search();
    ADD_FAILURE() << "the search did not stop";
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, 0);
  }
  if (runs) *runs = b.s.w.candidates;
  const std::string out = b.h.out.str();
  const std::string head = "0001,100msteps,0mlastfail," + std::to_string(bytes) + "bytes\n";
  const std::string start = std::to_string(startE) + "\n" + head + kTime + head + kTime;
  EXPECT_EQ(out.substr(0, start.size()), start);
  const std::string tail = "r：再開，q:終了\n";
  EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
  return out.substr(start.size(), out.size() - start.size() - tail.size());
}

TEST(LinearEnumeration, LargeEntriesDoNotOverflow) {
  // A·E for A = 2 and E = 2e9 is above 2^31: no B can bring it below E.
  std::uint64_t runs = 0;
  EXPECT_EQ(first_candidate("s", "r", 13, 2000000000, &runs),
            "a(T):[1]a(1T+-255)[2]a(-2T+0), a(2000000000)\n[1]=s\n[2]=r\n");
  // The key is taken once the D of the first B are decided: they all fail
  // together (the main-line argument is above 255), D from 0 to 255.
  EXPECT_EQ(runs, 256u);
  EXPECT_EQ(first_candidate("s", "r", 2000000000, 0),
            "a(T):[1]a(1999999989T+-255)[2]a(1T+-255), a(0)\n[1]=s\n[2]=r\n");
  // The lowest byte count: the budget is far below the 32-bit range.
  Bench low;
  low.setup(open_map(), "ss", "r", -2147483647 - 1, 100, 0, 1);
  low.s.search();
  EXPECT_EQ(low.s.w.candidates, 0u);
  EXPECT_EQ(low.s.newbytes, -2147483648LL - 11);
}

}  // namespace
}  // namespace solver
