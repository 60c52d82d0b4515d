#!/usr/bin/env python3
"""Every function definition in src/**/*.cpp with its body length, longest first:
the non-blank lines (comments included) strictly between the line of the
body's opening brace and that of its closing one. Functions at namespace or
class scope; lambdas and local classes count toward the function holding them.
  tools/function_lengths.py [--src DIR] [--over N]
--over N lists only the bodies over N lines and exits 1 if any is there. A
body that is mostly a data table (most of its lines are brace-initialiser
rows such as `{"name", 1},`, or the function is in TABLES below) is marked
`table` and does not count for the exit status."""
import os, re, sys

TABLES = set()  # "file.cpp:function" of tables the row rule does not see
ROW = re.compile(r"^\s*\{.*\}\s*,?\s*$|^\s*\{[^{}]*,\s*$|^\s*[^{}]*\},\s*$")
QUALIFIERS = re.compile(r"(\s*(const|noexcept|override|final|mutable|&&?))*\s*(->.*)?\s*")
NAME = re.compile(r"(operator\s*(?:\(\)|[^\s(]+)|[~\w:]+)\s*\(")

NOISE = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'|^[ \t]*#(?:[^\n]*\\\n)*[^\n]*',
                   re.S | re.M)

def blank(text):
    """The text with comments, strings, chars and preprocessor lines blanked."""
    return NOISE.sub(lambda m: re.sub(r"[^\n]", " ", m.group(0)), text)

def head_kind(head):
    """'namespace', 'class', 'function', 'initialiser' or 'other' for the text before a brace."""
    h = " ".join(head.split())
    if re.search(r"\bnamespace\b|^extern\s*$", h):
        return "namespace", ""
    m = re.match(r"(template\s*<.*>\s*)?(class|struct|union)\s+(\w+)[^=()]*$", h)
    if m:
        return "class", m.group(3)
    flat = re.sub(r"operator\s*(\(\)|[^\s(]+)", "operator", h)
    while re.search(r"\([^()]*\)|\{[^{}]*\}", flat):
        flat = re.sub(r"\([^()]*\)|\{[^{}]*\}", "#", flat)
    if "=" in flat or "#" not in flat or re.match(r"(enum|if|for|while|switch)\b", flat):
        return "other", ""
    init_list = re.search(r"#[^#:]*:(?!:)", flat)
    if init_list and re.search(r"\w\s*$", flat):
        return "initialiser", ""  # a brace of a constructor's initialiser list
    if init_list or QUALIFIERS.fullmatch(flat.rsplit("#", 1)[1]):
        names = [n for n in NAME.findall(h) if n not in ("__attribute__", "decltype", "alignas")]
        return "function", names[0] if names else "?"
    return "other", ""

def functions(path, rel):
    text = open(path, encoding="utf-8").read()
    code, lines = blank(text), text.split("\n")
    code_lines = code.split("\n")
    stack, start, out, i = [], 0, [], 0  # stack of (kind, name, open position)
    while i < len(code):
        c = code[i]
        if c in ";}":
            if c == "}" and stack:
                kind, name, at = stack.pop()
                if kind == "function":
                    first, last = code.count("\n", 0, at), code.count("\n", 0, i)
                    body = [l for l in lines[first + 1:last] if l.strip()]
                    rows = sum(1 for l in code_lines[first + 1:last] if l.strip() and ROW.match(l))
                    table = f"{rel}:{name}" in TABLES or (body and rows * 2 > len(body))
                    out.append((len(body), f"{rel}:{first + 1}", name, table))
            start = i + 1
        elif c == "{":
            if stack and stack[-1][0] not in ("namespace", "class"):
                stack.append(("other", "", i))
            else:
                kind, name = head_kind(code[start:i])
                if kind == "initialiser":
                    i = matching(code, i)  # the header goes on after it
                    continue
                if kind == "function" and stack and stack[-1][0] == "class":
                    name = f"{stack[-1][1]}::{name}"
                stack.append((kind, name, i))
            start = i + 1
        i += 1
    return out

def matching(code, i):
    depth = 0
    for j in range(i, len(code)):
        depth += {"{": 1, "}": -1}.get(code[j], 0)
        if depth == 0:
            return j + 1
    return len(code)

def main(argv):
    src = argv[argv.index("--src") + 1] if "--src" in argv else \
        os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
    over = int(argv[argv.index("--over") + 1]) if "--over" in argv else None
    paths = sorted(os.path.join(d, f) for d, _, fs in os.walk(src) for f in fs if f.endswith(".cpp"))
    found = [r for p in paths for r in functions(p, os.path.relpath(p, src))]
    found.sort(key=lambda r: (-r[0], r[1]))
    listed = [r for r in found if over is None or r[0] > over]
    for n, where, name, table in listed:
        print(f"{n:5d}  {where}  {name}{'  table' if table else ''}")
    return 1 if over is not None and any(not r[3] for r in listed) else 0

if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
