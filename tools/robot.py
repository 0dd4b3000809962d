"""Robot walker and the five template interpreters, in plain Python.

The walker follows the rules of the programs exactly: every command costs a
step, a command numbered msteps or later is refused, a wall leaves the robot
where it is, a gray cell wipes the collection (and stops the run when it is
entered after step mlastfail), and the map is cleared by the forward step that
collects the last target.
"""

import sys

sys.setrecursionlimit(20000)

SIZE = 25
DX = (1, 0, -1, 0)
DY = (0, -1, 0, 1)
RVECT = (3, 0, 1, 2)
LVECT = (1, 2, 3, 0)


class Stop(Exception):
    """A command returned -1: the run is over without a clear."""


class Clear(Exception):
    """The map was cleared; steps holds the clearing command's number."""

    def __init__(self, steps):
        super().__init__(steps)
        self.steps = steps


class Robot:
    def __init__(self, cells, msteps, mlastfail, record=False):
        """cells: 625-char map string ('u' marks the start)."""
        assert len(cells) == SIZE * SIZE
        self.k = {}
        self.mappts = 0
        for p, c in enumerate(cells):
            x, y = p % SIZE + 1, p // SIZE + 1
            if c == 'u':
                self.startx, self.starty = x, y
                c = '.'
            elif c == 'o':
                self.mappts += 1
            self.k[(x, y)] = c
        self.msteps = msteps
        self.mlastfail = mlastfail
        self.record = record
        self.reset()

    def reset(self):
        self.steps = 0
        self.l = {}
        self.vect = 1
        self.x, self.y = self.startx, self.starty
        self.getpts = 0
        self.lastfail = 1
        self.log = []  # (command, x, y) after each command, when recording

    def cell(self, x, y):
        if 1 <= x <= SIZE and 1 <= y <= SIZE:
            return self.k[(x, y)]
        return 'x'

    def go_straight(self):
        self.steps += 1
        if self.steps >= self.msteps:
            raise Stop()
        nx, ny = self.x + DX[self.vect], self.y + DY[self.vect]
        c = self.cell(nx, ny)
        if c != 'x':
            self.x, self.y = nx, ny
        if self.record:
            self.log.append(('s', self.x, self.y))
        if c == '*':
            self.lastfail = self.steps
            self.getpts = 0
            if self.lastfail > self.mlastfail:
                raise Stop()
        elif c == 'o':
            if self.l.get((nx, ny), 0) < self.lastfail:
                self.l[(nx, ny)] = self.steps
                self.getpts += 1
                if self.getpts >= self.mappts:
                    raise Clear(self.steps)

    def turn(self, table, ch):
        self.steps += 1
        if self.steps >= self.msteps:
            raise Stop()
        self.vect = table[self.vect]
        if self.record:
            self.log.append((ch, self.x, self.y))

    def run(self, commands):
        for ch in commands:
            if ch == 's':
                self.go_straight()
            elif ch == 'r':
                self.turn(RVECT, 'r')
            elif ch == 'l':
                self.turn(LVECT, 'l')


# ---------------------------------------------------------------------------
# Template interpreters.  Each runs one filled template on a fresh robot and
# returns normally (run ended without a clear) or raises Clear.

LETTERS = {'solver3': 'XYZ', 'solver2': 'XY', 'solver1': 'X'}


def run_fixed(robot, program, slots):
    """solver3 / solver2 / solver1, slots in template order."""
    n = len(LETTERS[program])
    letters = LETTERS[program]
    body = slots[0]
    argslots = slots[1:1 + n]
    main = slots[1 + n]
    firstargs = slots[2 + n:2 + 2 * n]
    has_moves = any(c in 'srl' for c in body)

    def exec_body(values):
        for ch in body:
            if ch in 'srl':
                robot.run(ch)
            elif ch in letters:
                robot.run(values[letters.index(ch)])

    def build(src, old):
        budget = robot.msteps - robot.steps
        out = ''
        for ch in src:
            if ch in 'srl':
                out += ch
            elif ch in letters:
                val = old[letters.index(ch)]
                if len(out) + len(val) > budget:
                    out += val[:budget]
                    break
                out += val
        return out

    robot.reset()
    try:
        robot.run(main)
        exec_body(firstargs)
        old = list(firstargs)
        while True:
            new = [build(s, old) for s in argslots]
            if not has_moves and all(v == '' for v in new):
                return
            before = robot.steps
            exec_body(new)
            if robot.steps == before and new == old:
                return  # nothing runs any more: the run can never clear
            old = new
    except Stop:
        return


def run_count(robot, slots, T):
    """solvercount: a(X):[1]a([2],T-1)[3],a([4])."""
    j, a, jj, aa = slots[:4]

    def jikkou(code, X):
        for ch in code:
            if ch in 'srl':
                robot.run(ch)
            elif ch == 'X':
                robot.run(X)

    def recursion(X):
        return ''.join(X if ch == 'X' else ch for ch in a if ch in 'srlX')

    def expand(X, n):
        if n <= 0:
            return
        jikkou(j, X)
        Y = recursion(X)
        if len(Y) > robot.msteps:
            raise Stop()
        expand(Y, n - 1)
        jikkou(jj, X)

    robot.reset()
    try:
        expand(aa, T)
    except Stop:
        return


def run_linear(robot, j, jj, A, B, C, D, E):
    """solverlinear: a(T):[1]a(AT+B)[2]a(CT+D), a(E)."""

    def f(T, depth):
        if depth > 1300:
            raise Stop()
        if T <= 0:
            return
        if T > 255:
            raise Stop()
        robot.run(j)
        f(A * T + B, depth + 1)
        robot.run(jj)
        f(C * T + D, depth + 1)

    robot.reset()
    try:
        f(E, 1)
    except Stop:
        return


def run_reference(robot, ref):
    """Run a reference-program record (dict) on the robot."""
    prog = ref['program']
    if prog in LETTERS:
        run_fixed(robot, prog, ref['slots'])
    elif prog == 'solvercount':
        run_count(robot, ref['slots'], ref['T'])
    elif prog == 'solverlinear':
        run_linear(robot, ref['slots'][0], ref['slots'][1], *ref['ABCDE'])
    else:
        raise ValueError(prog)


def trace(ref, start, max_steps, cells=None):
    """Commands of a reference program on a map (open floor by default),
    as a list of (command, x, y), at most max_steps - 1 of them."""
    if cells is None:
        p = (start[1] - 1) * SIZE + (start[0] - 1)
        cells = '.' * p + 'u' + '.' * (SIZE * SIZE - p - 1)
    robot = Robot(cells, max_steps, 1 << 30, record=True)
    robot.mappts = 1 << 30  # never clears
    run_reference(robot, ref)
    return robot.log
