#!/usr/bin/env python3
"""What each header under src/ declares for other modules, and what of it they use.

Counted, at namespace scope (namespace and extern blocks are looked through):
functions, variables and constants, types (class, struct, union, enum, using
and typedef aliases), the enumerators of an unscoped enum, and macros. The
members of a class are not counted: the class is one name. A forward
declaration (`class X;`) is not counted: X belongs to the header defining it.

A name is used elsewhere when it stands as a whole word, outside comments and
strings, in a file other than its module's .h/.cpp pair: the other files under
src/, tests/*.cpp and *.h, bench/*.cpp, fuzz/*.cpp and *.h, tools/*.cpp.
A heuristic: a member or a local of the same name elsewhere counts as a use.

  tools/header_exports.py [--root DIR]
  prints: header  exported  used-elsewhere  unused-names...
"""
import glob, os, re, sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from function_lengths import blank, matching  # noqa: E402

SKIP = re.compile(r"(static_assert|using\s+namespace|using\s+[\w:]+::\w+\s*$)")

def strip_noise(head):
    h = " ".join(head.split())
    h = re.sub(r"\[\[[^\]]*\]\]|__attribute__\s*\(\(.*?\)\)", " ", h)
    while re.search(r"<[^<>]*>", h):
        h = re.sub(r"<[^<>]*>", " ", h)
    return re.sub(r"^(template|extern|inline|static|constexpr)\b\s*", "", h).strip()

def names_in(head, body):
    """The names one top-level declaration gives: `head` before its brace or ;."""
    h = strip_noise(head)
    if not h or SKIP.match(h):
        return []
    m = re.match(r"enum\s+(class\s+|struct\s+)?(\w+)", h)
    if m:
        scoped = bool(m.group(1))
        enumerators = [] if scoped or body is None else re.findall(r"(?:^|,)\s*(\w+)", body)
        return [m.group(2)] + enumerators
    m = re.match(r"(class|struct|union)\s+(\w+)", h)
    if m:
        return [m.group(2)] if body is not None else []
    m = re.match(r"using\s+(\w+)\s*=", h) or re.match(r"typedef\b.*?(\w+)\s*$", h)
    if m:
        return [m.group(1)]
    m = re.search(r"(operator\s*\S+?|~?\w+)\s*\(", h)
    if m and "=" not in h[:m.start()]:
        return [m.group(1)]  # a function
    m = re.match(r"[^=\[{]*?(\w+)\s*(=|\[|$)", h)
    return [m.group(1)] if m else []

def declared(path):
    code = blank(open(path, encoding="utf-8").read())
    names = re.findall(r"^[ \t]*#\s*define\s+(\w+)", open(path, encoding="utf-8").read(), re.M)
    start, i = 0, 0
    while i < len(code):
        c = code[i]
        if c == ";":
            names += names_in(code[start:i], None)
            start = i + 1
        elif c == "{":
            head = code[start:i]
            if re.search(r"\bnamespace\b|^\s*extern\s*$", head):
                start = i + 1  # looked through
            else:
                end = matching(code, i)
                names += names_in(head, code[i + 1:end - 1])
                i = end
                if re.search(r"\)[\w\s&>-]*$", head) and "=" not in head.split("(")[0]:
                    start = i  # a function body ends its declaration
                else:
                    i = code.index(";", i) if ";" in code[i:] else len(code)
                    start = i + 1
        elif c == "}":
            start = i + 1  # end of a namespace block
        i += 1
    return list(dict.fromkeys(n for n in names if n != "operator"))

def main(argv):
    root = argv[argv.index("--root") + 1] if "--root" in argv else \
        os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    src = os.path.join(root, "src")
    sources = sorted(os.path.join(d, f) for d, _, fs in os.walk(src) for f in fs
                     if f.endswith((".h", ".cpp")))
    outside = [p for pat in ("tests/*.cpp", "tests/*.h", "bench/*.cpp", "fuzz/*.cpp",
                             "fuzz/*.h", "tools/*.cpp") for p in sorted(glob.glob(os.path.join(root, pat)))]
    words = {p: set(re.findall(r"\w+", blank(open(p, encoding="utf-8").read())))
             for p in sources + outside}
    for h in (p for p in sources if p.endswith(".h")):
        module = os.path.splitext(h)[0]
        others = [p for p in words if os.path.splitext(p)[0] != module]
        names = declared(h)
        unused = [n for n in names if not any(re.sub(r"\W.*", "", n.lstrip("~")) in words[p]
                                              for p in others)]
        print(f"{os.path.relpath(h, src):<18} {len(names):3d} {len(names) - len(unused):3d}  "
              + " ".join(unused))

if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
