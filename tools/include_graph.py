#!/usr/bin/env python3
"""The graph of quoted #include lines between the modules of src/ (a module
is a .h/.cpp pair, named by its path below src/ without the ending: `diag`,
`input/cmdin`). An include resolves, as the compiler does, relative to the
including file's folder, else to src/; one found in neither is a system one.
  tools/include_graph.py [--src DIR] [--check]
--check exits 1 on an include cycle or an upward include."""
import os, re, sys

# Layers from the top down; files directly in src/ are the ground floor, main
# sits with the driver. config may call the planner: config -> pfir is allowed.
LAYERS = {"driver": 6, "output": 5, "verify": 4, "pfir": 3, "config": 3,
          "input": 2, "vartable": 1, "": 0}
ALLOWED_SAME_LAYER = {("config", "pfir")}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)

def module_of(rel): return os.path.splitext(rel)[0]
def layer_of(mod): return "driver" if mod == "main" else os.path.dirname(mod).split("/")[0]

def build_graph(src):
    files = sorted(os.path.relpath(os.path.join(d, f), src)
                   for d, _, fs in os.walk(src) for f in fs if f.endswith((".h", ".cpp")))
    edges = {module_of(f): set() for f in files}
    for rel in files:
        with open(os.path.join(src, rel), encoding="utf-8") as fh:
            for inc in INCLUDE.findall(fh.read()):
                for cand in (os.path.join(os.path.dirname(rel), inc), inc):
                    cand = os.path.normpath(cand)
                    if os.path.isfile(os.path.join(src, cand)):
                        if module_of(cand) != module_of(rel):
                            edges[module_of(rel)].add(module_of(cand))
                        break
    return edges

def cycles(edges):
    """Every elementary cycle, each once, starting at its least module."""
    found = []
    def walk(start, node, path):
        for nxt in sorted(edges.get(node, ())):
            if nxt == start:
                found.append(path + [start])
            elif nxt > start and nxt not in path:
                walk(start, nxt, path + [nxt])
    for start in sorted(edges):
        walk(start, start, [start])
    return found

def upward(edges):
    bad = []
    for a in sorted(edges):
        for b in sorted(edges[a]):
            la, lb = layer_of(a), layer_of(b)
            ra, rb = LAYERS.get(la), LAYERS.get(lb)
            if ra is None or rb is None:
                bad.append(f"{a} -> {b} (folder not in the layer list)")
            elif rb > ra or (ra == rb and la != lb and (la, lb) not in ALLOWED_SAME_LAYER):
                bad.append(f"{a} ({la or 'ground floor'}) -> {b} ({lb or 'ground floor'})")
    return bad

def main(argv):
    check = "--check" in argv
    src = argv[argv.index("--src") + 1] if "--src" in argv else \
        os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src")
    edges = build_graph(src)
    loops = cycles(edges)
    layered = any("/" in m for m in edges)
    bad = upward(edges) if layered else []
    print(f"modules: {len(edges)}\nedges: {sum(map(len, edges.values()))}\ncycles: {len(loops)}")
    for c in loops:
        print("  cycle: " + " -> ".join(c))
    if not layered:
        print("upward includes: not checked (flat src/, no layer folders)")
    else:
        print(f"upward includes: {len(bad)}")
        for b in bad:
            print("  upward: " + b)
    return 1 if check and (loops or bad) else 0

if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
