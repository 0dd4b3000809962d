#!/usr/bin/env python3
"""Builds and checks the eighteen catalogue maps.

Every map (apart from the two with a fixed layout) is drawn from the trace of
its reference program: the program is expanded into commands, the robot is
walked on open floor, targets are chosen on the cells it visits, and the gray
cells and walls are laid around the path, nearest cells first, in the order
the design gives.  Then every map is checked against the count table and the
reference program is run on the finished map: it must clear on exactly the
planned command with msteps, and must fail with msteps - 1.

  python3 tools/catalogue_tool.py            check and print a summary
  python3 tools/catalogue_tool.py --show ID  draw one map with its path
  python3 tools/catalogue_tool.py --write    also regenerate the C++ data
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from robot import SIZE, Clear, Robot, run_reference, trace  # noqa: E402
from judgements import check_fixed_program  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

ORDER = ["0001", "0002", "0003", "0004", "0005", "0006", "0007", "0008",
         "0009", "0010", "0743", "0745", "0747", "0748", "0801", "0803",
         "0805", "0806"]

# id: (targets, gray, walls, floor, start)
COUNTS = {
    "0001": (1, 0, 16, 607, (13, 13)),
    "0002": (5, 63, 0, 556, (13, 13)),
    "0003": (4, 4, 84, 532, (13, 13)),
    "0004": (8, 16, 0, 600, (13, 13)),
    "0005": (4, 4, 24, 592, (13, 13)),
    "0006": (36, 22, 240, 326, (1, 25)),
    "0007": (51, 254, 0, 319, (13, 14)),
    "0008": (49, 38, 230, 307, (1, 25)),
    "0009": (312, 312, 0, 0, (13, 13)),
    "0010": (68, 48, 260, 248, (13, 13)),
    "0743": (13, 16, 4, 591, (13, 14)),
    "0745": (245, 137, 0, 242, (1, 25)),
    "0747": (20, 20, 0, 584, (13, 13)),
    "0748": (20, 49, 120, 435, (19, 19)),
    "0801": (8, 16, 32, 568, (13, 13)),
    "0803": (109, 200, 0, 315, (11, 10)),
    "0805": (120, 144, 0, 360, (13, 13)),
    "0806": (240, 384, 0, 0, (22, 16)),
}

TEMPLATE_BYTES = {"solver3": 6, "solver2": 5, "solver1": 4, "solvercount": 8}

# Reference programs and how each map is drawn around its path.
#   slots    template order ([1] first); solverlinear: [j, jj]
#   targets  'all'            the first n cells the robot reaches
#            ('turns',)       the cells where the robot turns
#            ('spread', H)    n cells spread evenly over the first H new cells
#            [(x, y), ...]    explicit cells, the last one collected last
#   layers   kinds laid around the path from the nearest cells outwards
#   gray_on_path  gray cells the robot enters early on purpose
#   mlastfail     gray-cell limit the reference program runs with
DESIGNS = {
    "0001": dict(program="solver1", slots=["Xr", "ls", "", ""],
                 fixed=True, mlastfail=0),
    "0002": dict(program="solver2", slots=["XlYr", "Xs", "YY", "", "s", "s"],
                 targets=("turns",), layers="*.", mlastfail=0),
    "0003": dict(program="solver3",
                 slots=["X", "YsX", "Z", "r", "", "", "", ""],
                 targets=("turns",), gray_on_path=[(13, 11)], layers="*x.",
                 mlastfail=2),
    "0004": dict(program="solver1", slots=["XrXr", "XX", "", "ssssssss"],
                 fixed=True, mlastfail=0),
    "0005": dict(program="solvercount", slots=["X", "Xs", "rX", "s"], T=4,
                 targets=("turns",), layers="*x.", mlastfail=0),
    "0006": dict(program="solver2", slots=["XrYl", "Xs", "Ys", "", "s", "s"],
                 targets="all", layers="*x.", mlastfail=0),
    "0007": dict(program="solver3",
                 slots=["XrYZ", "Xs", "Zs", "Y", "", "s", "", "r"],
                 targets=("spread", 60), layers=".*", mlastfail=0),
    "0008": dict(program="solvercount", slots=["l", "Xs", "X", "r"], T=13,
                 targets=("spread", 78), layers="*x.", mlastfail=0),
    "0009": dict(program="solver1", slots=["XrXr", "Xss", "", "ss"],
                 targets="all", layers="*", mlastfail=0),
    "0010": dict(program="solver3",
                 slots=["XrYrZ", "Xs", "Ys", "", "", "s", "s", "l"],
                 targets=("spread", 100), layers="x*.", mlastfail=0),
    "0743": dict(program="solver1", slots=["XllXr", "Xs", "", "s"],
                 targets=("turns",), layers="*x.", mlastfail=0),
    "0745": dict(program="solver1", slots=["XrsrXlsl", "XX", "", "ss"],
                 targets="all", layers=".*", mlastfail=0),
    "0747": dict(program="solver2", slots=["XrYr", "Ys", "Xs", "", "s", ""],
                 targets=("turns",), layers="*.", mlastfail=0),
    "0748": dict(program="solver3",
                 slots=["XlYZ", "Xs", "Zs", "Y", "", "s", "", "l"],
                 targets=("turns",), layers="*x.", mlastfail=0),
    "0801": dict(program="solver2", slots=["Xl", "Ys", "X", "", "", ""],
                 targets=("turns",), layers="*x.", mlastfail=0),
    "0803": dict(program="solver2", slots=["XrYr", "YX", "Xs", "", "s", ""],
                 targets=("spread", 130), layers=".*", mlastfail=0),
    "0805": dict(program="solverlinear", slots=["sr", "s"],
                 ABCDE=(1, -1, 1, -1, 7), targets="all", layers="*.",
                 mlastfail=0),
    "0806": dict(program="solverlinear", slots=["sss", "lss"],
                 ABCDE=(1, -2, 1, -1, 9), targets="all", layers="*",
                 mlastfail=0),
}

HORIZON = 20000  # longest command trace looked at while drawing a map


def idx(x, y):
    return (y - 1) * SIZE + (x - 1)


def fixed_map(map_id):
    cells = ['.'] * (SIZE * SIZE)
    if map_id == "0001":
        for y in range(8, 15):
            for x in (12, 14):
                cells[idx(x, y)] = 'x'
        for x in (12, 13, 14):
            cells[idx(x, 8)] = 'x'
            cells[idx(x, 14)] = 'x'
        cells[idx(13, 9)] = 'o'
        cells[idx(13, 13)] = 'u'
    elif map_id == "0004":
        for y in range(1, SIZE + 1):
            for x in range(1, SIZE + 1):
                if x in (1, 9, 17, 25) and y in (1, 9, 17, 25):
                    cells[idx(x, y)] = '*'
                elif x in (5, 13, 21) and y in (5, 13, 21):
                    cells[idx(x, y)] = 'o'
        cells[idx(13, 13)] = 'u'
    return ''.join(cells)


def reference(map_id):
    d = DESIGNS[map_id]
    ref = dict(program=d["program"], slots=list(d["slots"]),
               T=d.get("T", 0), ABCDE=tuple(d.get("ABCDE", (0,) * 5)))
    return ref


def first_visits(log, start):
    """New cells in the order reached, with the command number."""
    seen = {start}
    out = []
    for i, (_, x, y) in enumerate(log):
        if (x, y) not in seen:
            seen.add((x, y))
            out.append(((x, y), i + 1))
    return out


def choose_targets(d, log, start, n, gray_on_path):
    firsts = [(c, s) for c, s in first_visits(log, start)
              if c not in gray_on_path]
    how = d["targets"]
    if how == "all":
        return [c for c, _ in firsts[:n]]
    if how[0] == "turns":
        out = []
        for i, (cmd, x, y) in enumerate(log):
            if cmd in "rl" and (x, y) != start and (x, y) not in out \
                    and (x, y) not in gray_on_path:
                out.append((x, y))
            if len(out) == n:
                return out
        raise SystemExit("not enough turning cells")
    if how[0] == "spread":
        horizon = how[1]
        pool = [c for c, _ in firsts[:horizon]]
        if len(pool) < horizon:
            raise SystemExit("path too short for the spread")
        return [pool[round((i + 1) * horizon / n) - 1] for i in range(n)]
    return list(how)


def design_map(map_id):
    d = DESIGNS[map_id]
    n_o, n_g, n_x, n_f, start = COUNTS[map_id]
    ref = reference(map_id)
    log = trace(ref, start, HORIZON)
    gray_on_path = list(d.get("gray_on_path", []))
    targets = choose_targets(d, log, start, n_o, gray_on_path)
    # The clear comes when the last of the targets is first reached.
    firsts = dict(first_visits(log, start))
    clear = max(firsts[t] for t in targets)
    visited = {start}
    for _, x, y in log[:clear]:
        visited.add((x, y))
    cells = {}
    for c in visited:
        cells[c] = '.'
    for t in targets:
        cells[t] = 'o'
    for g in gray_on_path:
        cells[g] = '*'
    want = {'*': n_g, 'x': n_x, '.': n_f + 1}  # the start is counted as '.'
    for c in cells.values():
        want[c] = want.get(c, 0) - (c != 'o')
    # Lay the rest by distance from the path, nearest first.
    dist = {c: 0 for c in visited}
    frontier = list(visited)
    while frontier:
        nxt = []
        for (x, y) in frontier:
            for ddx, ddy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                c = (x + ddx, y + ddy)
                if 1 <= c[0] <= SIZE and 1 <= c[1] <= SIZE and c not in dist:
                    dist[c] = dist[(x, y)] + 1
                    nxt.append(c)
        frontier = nxt
    free = sorted((c for c in dist if c not in cells),
                  key=lambda c: (dist[c], c[1], c[0]))
    pos = 0
    for kind in d["layers"]:
        take = want.get(kind, 0)
        if take < 0:
            raise SystemExit(f"{map_id}: too many '{kind}' cells on the path")
        for c in free[pos:pos + take]:
            cells[c] = kind
        pos += take
        want[kind] = 0
    if pos != len(free) or any(v for v in want.values()):
        raise SystemExit(f"{map_id}: layers do not fill the map "
                         f"({pos} of {len(free)}, left {want})")
    out = [''] * (SIZE * SIZE)
    for (x, y), c in cells.items():
        out[idx(x, y)] = c
    out[idx(*start)] = 'u'
    return ''.join(out), clear


def clear_step(cells, ref, msteps, mlastfail):
    robot = Robot(cells, msteps, mlastfail, record=True)
    try:
        run_reference(robot, ref)
    except Clear as c:
        return c.steps, ''.join(cmd for cmd, _, _ in robot.log)
    return None, None


def entered_bytes(ref):
    prog = ref["program"]
    if prog == "solverlinear":
        a, _, c, _, _ = ref["ABCDE"]
        return len(ref["slots"][0]) + len(ref["slots"][1]) + 8 + abs(a) + abs(c)
    return sum(len(s) for s in ref["slots"]) + TEMPLATE_BYTES[prog]


def build_all():
    entries = []
    for map_id in ORDER:
        d = DESIGNS[map_id]
        ref = reference(map_id)
        if d.get("fixed"):
            cells = fixed_map(map_id)
            robot = Robot(cells, HORIZON, d["mlastfail"])
            try:
                run_reference(robot, ref)
                raise SystemExit(f"{map_id}: reference program does not clear")
            except Clear as c:
                clear = c.steps
        else:
            try:
                cells, clear = design_map(map_id)
            except SystemExit as err:
                raise SystemExit(f"{map_id}: {err}")
        entries.append(dict(id=map_id, cells=cells, ref=ref, clear=clear,
                            msteps=clear + 1, mlastfail=d["mlastfail"]))
    return entries


def verify(e):
    problems = []
    map_id, cells, ref = e["id"], e["cells"], e["ref"]
    n_o, n_g, n_x, n_f, start = COUNTS[map_id]
    if len(cells) != SIZE * SIZE:
        problems.append("length")
    got = tuple(cells.count(ch) for ch in "o*x.u")
    if got != (n_o, n_g, n_x, n_f, 1) or len(set(cells) - set("o*x.u")):
        problems.append(f"counts {got}")
    p = cells.find('u')
    if (p % SIZE + 1, p // SIZE + 1) != start:
        problems.append("start cell")
    steps, commands = clear_step(cells, ref, e["msteps"], e["mlastfail"])
    if steps != e["clear"]:
        problems.append(f"clears at {steps}, planned {e['clear']}")
    e["commands"] = commands
    if clear_step(cells, ref, e["msteps"] - 1, e["mlastfail"])[0] is not None:
        problems.append("clears with msteps - 1")
    if ref["program"] == "solvercount":
        for t in range(1, ref["T"]):
            r2 = dict(ref, T=t)
            if clear_step(cells, r2, e["msteps"], e["mlastfail"])[0]:
                problems.append(f"T={t} already clears")
    if ref["program"] == "solverlinear":
        a, b, c, d_, ee = ref["ABCDE"]
        if not (a not in (-1, 0) and c != 0 and b != 0 and a * b < 0
                and a * ee + b < ee and c * ee + d_ <= 255
                and not (c <= 0 and d_ < 0) and abs(b) <= 255
                and abs(d_) <= 255 and 0 <= ee <= 255):
            problems.append("coefficients outside the enumeration")
        if abs(a) + abs(c) < 2:
            problems.append("coefficient budget below 2")
        if any(ch not in "srl" for ch in ''.join(ref["slots"][:2])):
            problems.append("fragment letters")
    e["notes"] = []
    if ref["program"] in ("solver3", "solver2", "solver1"):
        e["notes"] = check_fixed_program(ref["program"], ref["slots"])
    return problems


def draw(cells, log=None):
    rows = [list(cells[r * SIZE:(r + 1) * SIZE]) for r in range(SIZE)]
    return '\n'.join(''.join(r) for r in rows)


def cpp_string_rows(cells, indent):
    return '\n'.join(f'{indent}"{cells[r * SIZE:(r + 1) * SIZE]}"'
                     for r in range(SIZE))


def write_catalogue(entries):
    out = ['// Generated by tools/catalogue_tool.py --write; edit the designs',
           '// there and regenerate rather than editing the cells by hand.',
           '//',
           '// Each map is 25 rows of 25 cells, top row first:',
           '//   "." floor   "o" target   "*" gray cell   "x" wall   "u" start',
           '#include "catalogue.hpp"',
           '',
           'namespace solver {',
           '',
           'const std::array<CatalogueEntry, kCatalogueSize> kCatalogue = {{']
    for e in entries:
        out.append(f'    {{"{e["id"]}",')
        out.append(cpp_string_rows(e["cells"], '     '))
        out[-1] += '},'
    out += ['}};', '', '}  // namespace solver', '']
    with open(os.path.join(ROOT, "core", "catalogue_maps.cpp"), "w") as f:
        f.write('\n'.join(out))


def cpp_long_string(s, indent, width=72):
    parts = [s[i:i + width] for i in range(0, len(s), width)] or ['']
    return '\n'.join(f'{indent}"{p}"' for p in parts)


def write_references(entries):
    out = ['// Generated by tools/catalogue_tool.py --write.',
           '//',
           '// One reference program per catalogue map: a short program that',
           '// clears the map on exactly the last command of `commands` when run',
           '// with `msteps` and `mlastfail`, and fails with msteps - 1.',
           '#pragma once',
           '',
           '#include <array>',
           '#include <string_view>',
           '',
           'namespace solver::testdata {',
           '',
           'struct ReferenceProgram {',
           '  std::string_view id;       // Problem_ID',
           '  std::string_view program;  // solver3, solver2, solver1, solvercount'
           ' or solverlinear',
           '  // Slot fragments in template order, "" for an empty slot; unused',
           '  // trailing entries are "". solverlinear: [0] = [1], [1] = [2].',
           '  std::array<std::string_view, 8> slots;',
           '  int T;  // counter value (solvercount), else 0',
           '  int A, B, C, D, E;  // integers (solverlinear), else 0',
           '  int entered_bytes;  // the byte count the user types',
           '  int msteps;         // step limit: one more than the clear step',
           '  int mlastfail;      // gray-cell limit',
           '  std::string_view commands;  // executed commands up to the clear',
           '};',
           '',
           'inline constexpr std::array<ReferenceProgram, 18> kReferencePrograms'
           ' = {{']
    for e in entries:
        ref = e["ref"]
        slots = list(ref["slots"]) + [""] * (8 - len(ref["slots"]))
        slot_text = ', '.join(f'"{s}"' for s in slots)
        a, b, c, d, ee = ref["ABCDE"]
        out.append(f'    {{"{e["id"]}", "{ref["program"]}",')
        out.append(f'     {{{slot_text}}},')
        out.append(f'     {ref["T"]}, {a}, {b}, {c}, {d}, {ee},')
        out.append(f'     {entered_bytes(ref)}, {e["msteps"]}, {e["mlastfail"]},')
        out.append(cpp_long_string(e["commands"], '     ') + '},')
    out += ['}};', '', '}  // namespace solver::testdata', '']
    path = os.path.join(ROOT, "core", "tests", "reference_programs.hpp")
    with open(path, "w") as f:
        f.write('\n'.join(out))


def describe(ref):
    prog = ref["program"]
    if prog == "solverlinear":
        return (f"[1]={ref['slots'][0]} [2]={ref['slots'][1]} "
                f"A,B,C,D,E={','.join(map(str, ref['ABCDE']))}")
    text = ' '.join(f"[{i + 1}]={s}" for i, s in enumerate(ref["slots"]))
    if prog == "solvercount":
        text += f" T={ref['T']}"
    return text


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--write", action="store_true",
                    help="regenerate core/catalogue_maps.cpp and "
                         "core/tests/reference_programs.hpp")
    ap.add_argument("--show", metavar="ID", help="draw one map")
    args = ap.parse_args()
    entries = build_all()
    bad = False
    for e in entries:
        problems = verify(e)
        if problems:
            bad = True
        if args.show and e["id"] != args.show:
            continue
        ref = e["ref"]
        print(f"{e['id']} {ref['program']:12} {describe(ref):45} "
              f"bytes={entered_bytes(ref)} msteps={e['msteps']} "
              f"mlastfail={e['mlastfail']} clear={e['clear']}"
              + (f"  PROBLEMS: {problems}" if problems else "")
              + (f"  (pruned by {','.join(e['notes'])})" if e["notes"] else ""))
        if args.show:
            print(draw(e["cells"]))
    if bad:
        print("some maps failed their checks", file=sys.stderr)
        return 1
    if args.write:
        write_catalogue(entries)
        write_references(entries)
        print("wrote core/catalogue_maps.cpp and core/tests/reference_programs.hpp")
    return 0


if __name__ == "__main__":
    sys.exit(main())
