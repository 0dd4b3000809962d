// The nodes of the last function slot's level, replayed.
//
// Below every node of the level above, the odometer steps the last function
// slot through the same fragments in the same order (its length is the
// walk's).  A node's verdict (node_verdict) depends on the counts of the
// function's slots alone, so below two nodes of the level above whose slots
// have the same counts the same nodes are rejected, skipped with the same
// candidates, or walked.  The first time such counts come in a walk, the
// level is walked the common way and recorded as a plan; every later time
// the plan is replayed instead: the nodes skipped between two walked ones
// are counted as run in one go, with the first of them in the slot (as
// skipped() would count them one by one, so that a key shows a position
// from which nothing is lost), and each walked node is set up as the
// enumerator would have left it and goes on as the common way goes on.
// Which candidates run, in which order, and the counts are the same.
#pragma once

#include <cstdint>

#include "engine.hpp"
#include "progress.hpp"

namespace solver {

// The plan of the current counts of the function's slots before the last
// one (read_verdict_outer), or where it goes once recorded.
template <int N>
typename FixedSearch<N>::NodePlan* FixedSearch<N>::plan_entry() {
  if (plans_walk != walk_serial) {
    plans_walk = walk_serial;
    plan_steps.clear();
    plan_fragments.clear();
  }
  read_verdict_outer();
  const std::uint64_t h = (verdict_outer_hash ^ verdict_high) * 0xC2B2AE3D27D4EB4FULL;
  return &plans[h >> (64 - kPlansLog2)];
}

// Keeps the slot's fragment, then its counts (a byte each); returns where
// it lies.
template <int N>
std::uint32_t FixedSearch<N>::keep_fragment(const code_parts& p) {
  const auto at = static_cast<std::uint32_t>(plan_fragments.size());
  const std::size_t n = p.code.size();
  plan_fragments.resize(at + n + 5);
  char* to = plan_fragments.data() + at;
  for (std::size_t i = 0; i < n; ++i) to[i] = p.code[i];  // a few characters
  char* counts = to + n;
  for (const int count : {p.scount, p.turncount, p.xcount, p.ycount, p.zcount}) {
    *counts++ = static_cast<char>(count);
  }
  return at;
}

// Puts the fragment kept at `at` into the slot, with its counts (the slot
// holds one of the same length).
template <int N>
void FixedSearch<N>::set_fragment_at(code_parts& p, std::uint32_t at) const {
  const char* from = plan_fragments.data() + at;
  char* to = p.code.data();
  const std::size_t n = p.code.size();
  for (std::size_t i = 0; i < n; ++i) to[i] = from[i];
  p.scount = from[n];
  p.turncount = from[n + 1];
  p.xcount = from[n + 2];
  p.ycount = from[n + 3];
  p.zcount = from[n + 4];
}

// Records the node just judged the common way.  Once the walk's plans would
// hold too many steps (or bytes of fragments, 32 a step), drops what it
// kept and keeps no more in the walk.
template <int N>
void FixedSearch<N>::record_node(PlanRecord& r, const NodeVerdict& v) {
  if (plan_steps.size() >= most_plan_steps || plan_fragments.size() >= 32 * most_plan_steps) {
    r.on = false;
    plan_steps.resize(r.first);
    plan_fragments.resize(r.fragments);
    plans_given_up = walk_serial;
    return;
  }
  switch (v.verdict) {
    case Verdict::Rejected:
    case Verdict::Nothing:
      return;
    case Verdict::Skipped:
      if (r.step.skipped == 0) r.step.first_skipped = keep_fragment(slot[N]);
      r.step.skipped += v.candidates;
      ++r.step.bounded;
      return;
    case Verdict::Walked:
      r.step.walked = keep_fragment(slot[N]);
      r.step.candidates = v.candidates;
      r.step.letters_moved = plan_steps.size() == r.first || r.letters != letters_generation;
      r.letters = letters_generation;
      plan_steps.push_back(r.step);
      r.step = PlanStep{};
      return;
  }
}

// The level walked the common way to its end: its plan is kept.
template <int N>
void FixedSearch<N>::finish_record(PlanRecord& r, NodePlan* entry) {
  if (r.step.skipped != 0) plan_steps.push_back(r.step);
  *entry = {walk_serial, verdict_outer, verdict_high, r.first,
            static_cast<std::uint32_t>(plan_steps.size() - r.first)};
}

// Walks the level by its plan.  The slots stay as the common way leaves
// them: the last slot back at its first fragment, or at the node where the
// walk stopped.
template <int N>
void FixedSearch<N>::replay_plan(const NodePlan& plan) {
  ++plan_replays;
  code_parts& p = slot[N];
  for (std::uint32_t i = 0; i < plan.count; ++i) {
    const PlanStep& step = plan_steps[plan.first + i];
    if (step.skipped != 0) {
      // The first node skipped stands in the slot for a position shown
      // (only a key shows it in a walk of one thread, and one that comes
      // after this look finds an earlier node there, its candidates run);
      // a worker may be parked there.
      if (walk == Walk::Worker || key_waiting(c)) set_fragment_at(p, step.first_skipped);
      bounded_skips += step.bounded;
      skipped(step.skipped);
      if (stop_walk) return;
    }
    if (step.walked == kNoFragment) break;
    set_fragment_at(p, step.walked);
    ++slots_generation;
    if (step.letters_moved) ++letters_generation;
    subtree_pending = false;
    if (step.candidates == kCountless || !skip_by_stream(step.candidates)) walk_last_below();
    if (stop_walk) return;
  }
  getsss(p);
}

template <int N>
void FixedSearch<N>::walk_last_level() {
  level<N>();
}

}  // namespace solver
