"""The search's length-distribution rules and pruning judgements for the
fixed templates, used to report whether a reference program is one that the
search itself would reach.  check_fixed_program returns the names of the
rules that would skip it (an empty list when the search reaches it)."""

BAD_TURN_RUNS = ("rr", "rl", "lr", "lll")


def _moves(s):
    return s.count('s') + s.count('r') + s.count('l') > 0


def _first(s, letters):
    for ch in s:
        if ch in letters:
            return ch
    return None


def check_fixed_program(program, slots):
    n = {"solver3": 3, "solver2": 2, "solver1": 1}[program]
    letters = "XYZ"[:n]
    j = slots[0]
    args = slots[1:1 + n]
    jj = slots[1 + n]
    first = slots[2 + n:2 + 2 * n]
    a = args[0]
    b = args[1] if n >= 2 else ""
    c = args[2] if n >= 3 else ""
    aa = first[0]
    bb = first[1] if n >= 2 else ""
    cc = first[2] if n >= 3 else ""
    out = []

    # Alphabets and turn runs the enumerator never produces.
    for s in [j] + list(args):
        if any(ch not in "srl" + letters for ch in s):
            out.append("alphabet")
    for s in [jj] + list(first):
        if any(ch not in "srl" for ch in s):
            out.append("alphabet")
    import re
    for s in slots:
        for run in re.findall(r"[rl]+", s):
            if run not in ("r", "l", "ll"):
                out.append("turn-run")

    # Length distribution.
    if len(j) < 1:
        out.append("L[j]>=1")
    if len(a) == 0 and len(aa) == 0:
        out.append("dist-a")
    if n >= 2 and len(a) == 0 and len(j) == 1:
        out.append("dist-j")
    if n >= 2 and len(b) == 0 and len(bb) == 0:
        out.append("dist-b")
    if n >= 3 and len(c) == 0 and len(cc) == 0:
        out.append("dist-c")

    nX, nY, nZ = (j.count(ch) for ch in "XYZ")
    L = len
    # jhantei
    if j and j[0] == 'l' and j[-1] == 'r':
        out.append("J1")
    if j and j[0] == 'r' and j[-1] == 'l':
        out.append("J2")
    if L(j) >= 2 and j[0] == 'l' and j[-2] == 'l' and j[-1] == 'l':
        out.append("J3")
    if nX == 0:
        out.append("J4")
    if n >= 2 and L(a) == 0 and not _moves(j) and nY == 0:
        out.append("J5")
    if n == 1 and L(a) == 0 and not _moves(j):
        out.append("J5a")
    if n == 3 and L(a) == 0 and not _moves(j) and L(b) == 0 \
            and not (nZ != 0 and L(c) != 0):
        out.append("J6")
    if n == 2 and L(a) == 0 and not _moves(j) and L(b) == 0:
        out.append("J6a")
    if n >= 2 and nY != 0 and (n == 2 or nZ == 0) \
            and _first(j, "XY") != 'X':
        out.append("J7")
    if n == 3 and nY != 0 and nZ != 0:
        seen_x = False
        ok = False
        for ch in j:
            if ch == 'X':
                seen_x = True
            elif ch in "YZ":
                ok = ch == 'Y' and seen_x
                break
        if not ok:
            out.append("J8")
    if n == 3 and nY == 0 and nZ != 0:
        out.append("J9")
    # ahantei
    if a == "X":
        out.append("A1")
    if n >= 2 and nY == 0 and a.count('Y') == 0:
        out.append("A2")
    if n == 3 and L(aa) == 0 and not _moves(a) and 'Y' not in a \
            and 'Z' not in a:
        out.append("A3")
    if n == 2 and L(aa) == 0 and not _moves(a) and 'Y' not in a:
        out.append("A3a")
    if n == 1 and L(aa) == 0 and not _moves(a):
        out.append("A3b")
    if n == 3 and nY == 0 and 'Z' in a and _first(a, "YZ") == 'Z':
        out.append("A4")
    if n == 2 and L(b) == 0 and not _moves(a) and 'X' not in a:
        out.append("A5")
    if n == 1:
        turns = lambda s: s.count('r') + s.count('l')  # noqa: E731
        if 'X' not in a and turns(j) == 0 and turns(a) == 0:
            out.append("A6")
        if 'X' not in a and j.count('s') == 0 and a.count('s') == 0:
            out.append("A7")
        if not _moves(j) and not _moves(a):
            out.append("A8")
    # bhantei
    if n == 3 and nZ == 0 and 'Z' not in a and 'Z' not in b:
        out.append("B1")
    if n == 3 and L(bb) == 0 and not _moves(b) and 'X' not in b \
            and 'Z' not in b:
        out.append("B2")
    if n == 2 and L(bb) == 0 and not _moves(b) and 'X' not in b:
        out.append("B2a")
    if n >= 2 and b == "Y":
        out.append("B3")
    if n == 2 and L(a) == 0 and not _moves(b) and 'Y' not in b \
            and not _moves(j):
        out.append("B4")
    # chantei
    if n == 3 and L(cc) == 0 and not _moves(c) and 'X' not in c \
            and 'Y' not in c:
        out.append("C1")
    if n == 3 and c == "Z":
        out.append("C2")
    # closing judgement over every slot except the main line
    rest = [j] + list(args) + list(first)
    if sum(s.count('s') for s in rest) == 0:
        out.append("K1")
    if sum(s.count('r') + s.count('l') for s in rest) == 0:
        out.append("K2")
    return out
