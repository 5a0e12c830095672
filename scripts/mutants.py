#!/usr/bin/env python3
"""The mutants of C++ source files, for scripts/mutate.sh.

  mutants.py list <file>...             one line per mutant: file, line, what, original line
  mutants.py apply <file> <n> [<out>]   writes mutant n of <file> (to <out>, default <file>)

Each mutant changes one thing: an if, while or ?: condition negated; one
operand of && or || negated (in those conditions, returns and initialisers);
a return inside an if or else body dropped; in the functions named by
MUTATE_KEPT (default: those that gather the kept folders in
src/locate/folder_facts.cpp), a push_back or emplace_back statement or one
element of a brace list left out. The files are read with a small
tokenizer that skips comments, literals and preprocessor lines: enough for
the plain code of this project, not for C++ at large.
"""
import os
import re
import sys

TOKEN = re.compile(r"""
    (?P<space>\s+)
  | (?P<comment>//[^\n]*|/\*.*?\*/)
  | (?P<pre>^[ \t]*\#[^\n]*(?:\\\n[^\n]*)*)
  | (?P<literal>"(?:\\.|[^"\\\n])*"|'(?:\\.|[^'\\\n])*')
  | (?P<word>[A-Za-z_]\w*)
  | (?P<number>\.?\d[\w.']*)
  | (?P<punct>->|::|&&|\|\||==|!=|<=|>=|<<=|>>=|<<|>>|\+\+|--|[-+*/%&|^]=|.)
""", re.S | re.M | re.X)
ASSIGN = {"=", "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<=", ">>="}
KEPT = "Kept LogSideFolders AddFoldersBelow AddLinkedFile"
OPEN, CLOSE = {"(": ")", "[": "]", "{": "}"}, {")", "]", "}"}


class Tok:
    def __init__(self, text, start):
        self.text, self.start, self.end = text, start, start + len(text)


def tokenize(source):
    toks = []
    for m in TOKEN.finditer(source):
        if m.lastgroup not in ("space", "comment", "pre"):
            toks.append(Tok(m.group(), m.start()))
    return toks


def matches(toks):
    """Index of the partner of every bracket."""
    pair, stack = {}, []
    for i, t in enumerate(toks):
        if t.text in OPEN:
            stack.append(i)
        elif t.text in CLOSE and stack:
            j = stack.pop()
            pair[i], pair[j] = j, i
    return pair


class Mutants:
    def __init__(self, source):
        self.src, self.toks = source, tokenize(source)
        self.pair = matches(self.toks)
        self.found = []  # (start, end, replacement, what)

    def text(self, a, b):  # tokens a..b-1 as written
        return self.src[self.toks[a].start:self.toks[b - 1].end]

    def add(self, a, b, replacement, what):
        self.found.append((self.toks[a].start, self.toks[b - 1].end, replacement, what))

    def negate(self, a, b, what):
        self.add(a, b, "!(" + self.text(a, b) + ")", what)

    def operands(self, a, b):
        """Negates each operand of a top-level && / || chain in tokens a..b-1,
        and looks inside operands that are (possibly negated) parentheses."""
        cuts, i = [a], a
        while i < b:
            if self.toks[i].text in OPEN and i in self.pair:
                i = self.pair[i]
            elif self.toks[i].text in ("&&", "||"):
                cuts.append(i)
            i += 1
        parts = [(c if k == 0 else c + 1, cuts[k + 1] if k + 1 < len(cuts) else b)
                 for k, c in enumerate(cuts)]
        for pa, pb in parts:
            if len(parts) > 1 and pa < pb:
                self.negate(pa, pb, "operand negated: " + self.text(pa, pb))
            while pa < pb and self.toks[pa].text == "!":
                pa += 1
            if pa < pb and self.toks[pa].text == "(" and self.pair.get(pa) == pb - 1:
                self.operands(pa + 1, pb - 1)

    def opens_if_body(self, i):
        """Whether token i (a '{' or a statement's first token) begins the
        body of an if or an else."""
        prev = self.toks[i - 1].text if i > 0 else ""
        if prev == "else":
            return True
        if prev == ")" and i - 1 in self.pair:
            j = self.pair[i - 1]
            return j > 0 and self.toks[j - 1].text == "if"
        return False

    def statement_start(self, i):
        """The first token of the statement holding token i."""
        while i > 0:
            t = self.toks[i - 1]
            if t.text in (";", "{", "}", "else"):
                return i
            if t.text == ")" and i - 1 in self.pair:
                j = self.pair[i - 1]
                if j > 0 and self.toks[j - 1].text in ("if", "while", "for"):
                    return i
                i = j
                continue
            i -= 1
        return 0

    def conditions(self):
        toks, n = self.toks, len(self.toks)
        for i, t in enumerate(toks):
            if t.text in ("if", "while") and i + 1 < n and toks[i + 1].text == "(":
                a, b = i + 2, self.pair.get(i + 1)
                if b is None or b == a:
                    continue
                inside = {x.text for x in toks[a:b]}
                if inside & {";"} or (inside & ASSIGN and toks[a].text in ("auto", "const")):
                    continue  # a declaration, not a condition
                self.negate(a, b, t.text + " condition negated")
                self.operands(a, b)
            elif t.text == "?":
                a, depth = i, 0
                while a > 0:
                    x = toks[a - 1].text
                    if x in CLOSE:
                        a = self.pair.get(a - 1, a - 1)
                        continue
                    if x in OPEN or x in ASSIGN or x in (",", ";", "return", "?", ":"):
                        break
                    a -= 1
                if a < i:
                    self.negate(a, i, "?: condition negated")
                    self.operands(a, i)
            elif t.text == "return" or (t.text == "=" and i > 0):
                b = i + 1  # to the end of the statement, or of a ?: condition
                while b < n and toks[b].text not in (";", "?"):
                    b = self.pair.get(b, b) + 1 if toks[b].text in OPEN else b + 1
                self.operands(i + 1, b)

    def returns(self):
        toks = self.toks
        for i, t in enumerate(toks):
            if t.text != "return":
                continue
            end = i
            while end < len(toks) and toks[end].text != ";":
                end += 1
            # The innermost block around it, or the if it is the whole body of.
            k = i - 1
            while k >= 0:
                if toks[k].text == "}" and k in self.pair:
                    k = self.pair[k] - 1
                    continue
                if toks[k].text == "{":
                    break
                k -= 1
            direct = self.opens_if_body(i)
            if direct or (k >= 0 and self.opens_if_body(k)):
                self.add(i, end + 1, "{}", "return dropped")

    def kept(self, names):
        toks = self.toks
        for i, t in enumerate(toks):
            if t.text not in names or i + 1 >= len(toks) or toks[i + 1].text != "(":
                continue
            if i > 0 and toks[i - 1].text in (".", "->"):
                continue  # a call of a member
            j = self.pair.get(i + 1, i + 1) + 1
            while j < len(toks) and toks[j].text not in ("{", ";", ")", ","):
                j += 1
            if j >= len(toks) or toks[j].text != "{" or j not in self.pair:
                continue  # a declaration, or a call inside an expression
            self.kept_entries(j + 1, self.pair[j], t.text)

    def kept_entries(self, a, b, name):
        toks = self.toks
        for i in range(a, b):
            x = toks[i].text
            if x in ("push_back", "emplace_back") and toks[i + 1].text == "(":
                s, e = self.statement_start(i), self.pair.get(i + 1, i + 1) + 1
                if e < b and toks[e].text == ";":
                    self.add(s, e + 1, "{}", name + ": entry left out")
            elif x == "{" and i > 0 and i in self.pair and (
                    toks[i - 1].text in ("=", "return", "(", ",", ">")
                    or re.match(r"\w", toks[i - 1].text) and toks[i - 1].text != "else"):
                elements, start, k = [], i + 1, i + 1
                while k <= self.pair[i]:
                    if toks[k].text == "," or k == self.pair[i]:
                        if start < k:
                            elements.append((start, k))
                        start = k + 1
                    elif toks[k].text in OPEN:
                        k = self.pair.get(k, k)
                    k += 1
                for ea, eb in elements:
                    # The element with the comma after it (or, for the last, before it).
                    if eb < self.pair[i]:
                        self.add(ea, eb + 1, "", name + ": entry left out")
                    elif len(elements) > 1:
                        self.add(ea - 1, eb, "", name + ": entry left out")
                    else:
                        self.add(ea, eb, "", name + ": entry left out")


def mutants_of(path):
    source = open(path, encoding="utf-8").read()
    m = Mutants(source)
    m.conditions()
    m.returns()
    m.kept(set(os.environ.get("MUTATE_KEPT", KEPT).split()))
    seen, out = set(), []
    for start, end, replacement, what in sorted(m.found):
        mutated = source[:start] + replacement + source[end:]
        if mutated not in seen:  # the same change reached twice
            seen.add(mutated)
            out.append((source.count("\n", 0, start) + 1, " ".join(what.split()), mutated))
    return source, out


def main(argv):
    if len(argv) >= 2 and argv[0] == "list":
        for path in argv[1:]:
            source, found = mutants_of(path)
            lines = source.split("\n")
            for n, (line, what, _) in enumerate(found):
                print(f"{path}\t{n}\t{line}\t{what}\t{lines[line - 1].strip()}")
        return 0
    if len(argv) in (3, 4) and argv[0] == "apply":
        _, found = mutants_of(argv[1])
        with open(argv[3] if len(argv) == 4 else argv[1], "w", encoding="utf-8") as f:
            f.write(found[int(argv[2])][2])
        return 0
    print(__doc__.strip(), file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
