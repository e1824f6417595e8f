"""Parses every source file, or every header, on its own (see compile-alone, headers-alone).

  compile-alone.py sources BUILD JOBS [UNITY_BUILD]
      Each source file of BUILD/compile_commands.json alone, with its own flags; those that
      the unity build UNITY_BUILD compiles alone itself (first of a batch, or in none) are left
      to it.
  compile-alone.py headers INCLUDE_DIR JOBS FLAGS...
      Each header under INCLUDE_DIR as the first line of an empty file, with FLAGS.

What costs is not a file's own code but its headers, parsed again for every file, and the
templates their inline code uses, instantiated again for every file. So each set of flags
gets a few precompiled "anchor" headers, chosen among the project's headers for how many
files include them and how much they bring, and each file is parsed after the largest
anchor it includes itself, directly or through other headers. That hides nothing the file
would miss alone: the anchor is the file's own, the file's code comes after all its
includes (a file with code above an include gets no anchor), and each anchor compiles alone
(its precompilation parses it alone). The one order an anchor changes is that of the file's
headers, and every installed header compiles alone (headers-alone). The files that share an
anchor get further anchors the same way, each precompiled on top of the one before (a
chain), and a file is parsed after the longest chain whose every link it includes itself. A
link after the first changes the order of no header that is not installed (and so not
parsed alone itself) beyond what the first did (Includes.keeps_order). Nothing else is
precompiled, so a missing standard header fails too. Clang parses: it precompiles a header
with the templates its inline code instantiates, and reads a precompiled header lazily, so a
file after its anchor costs a third of a plain parse or less. What clang refuses is parsed
again by the project's compiler, with nothing precompiled, which has the last word.

A header that a source file includes on its first line was parsed alone by that file's check;
the source check writes which (ALONE/stand-ins.json), and GAME_ALONE_STAND_INS=that file lets
the header check leave those headers out where its flags could not parse them otherwise
(stands_for). Only a record of the same run: CI removes the file before the source check.

GAME_ALONE_VERBOSE=1 lists the anchors (a link indented by its place in its chain) and how
many files each serves last; GAME_ALONE_PROFILE=FILE
appends the CPU time of every compilation to FILE.
"""
import hashlib
import json
import os
import re
import shlex
import subprocess
import sys
import tempfile
from concurrent.futures import ThreadPoolExecutor

QUOTED = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
ANY_INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
ANGLED = re.compile(r'^\s*#\s*include\s*<([a-z_0-9]+)>', re.M)
COMMENTS = re.compile(r'//[^\n]*|/\*.*?\*/', re.S)
CLANG = os.environ.get("GAME_ALONE_CLANG", "clang++")
PROFILE = os.environ.get("GAME_ALONE_PROFILE")
# Anchors per set of flags, and the least a precompiled anchor must save (in bytes of
# headers parsed): precompiling costs about two parses of what it holds.
MAX_ANCHORS = 12
MIN_GAIN = 400_000
# Links a chain of anchors may have: each is precompiled on top of the one before it.
MAX_DEPTH = 4


def read(path):
    with open(path, errors="replace") as f:
        return f.read()


class Unit:
    """One file to parse alone: its label, the compiler's arguments, where, and how it starts."""

    def __init__(self, label, path, args, cwd, forced=(), text=None):
        self.label, self.path, self.args, self.cwd = label, path, args, cwd
        self.forced = list(forced)          # headers the build puts before the file
        self.text = text                    # the file's text when it is not `path` (a header's probe)
        self.dirs = [a[2:] for a in args if a.startswith("-I") and len(a) > 2]
        self.chain = []                     # the anchors parsed before it, each precompiled


class Includes:
    """The project headers each file includes, resolved as the compiler would, their closures,
    and the order a file's headers are parsed in."""

    def __init__(self, checked_alone):
        self.direct, self.closures, self.sizes, self.children, self.orders = {}, {}, {}, {}, {}
        # Headers that are parsed alone themselves (the installed ones): no order of what
        # comes before them can hide an include they miss.
        self.checked_alone = tuple(checked_alone)

    def resolve(self, path, name, dirs):
        for base in [os.path.dirname(path)] + dirs:
            candidate = os.path.normpath(os.path.join(base, name))
            if os.path.isfile(candidate):
                return candidate
        return None

    def of(self, path, dirs):
        key = (path, tuple(dirs))
        if key not in self.direct:
            found = (self.resolve(path, name, dirs) for name in QUOTED.findall(read(path)))
            self.direct[key] = [h for h in found if h]
        return self.direct[key]

    def closure(self, path, dirs):
        key = (path, tuple(dirs))
        if key not in self.closures:
            seen, todo = set(), list(self.of(path, dirs))
            while todo:
                header = todo.pop()
                if header not in seen:
                    seen.add(header)
                    todo.extend(self.of(header, dirs))
            self.closures[key] = frozenset(seen)
        return self.closures[key]

    def size(self, path):
        if path not in self.sizes:
            self.sizes[path] = os.path.getsize(path)
        return self.sizes[path]

    def parse_order(self, roots, dirs, seen):
        """The headers that roots bring, in the order their texts are parsed (each after what it
        includes, once): project headers by path, standard ones as <name>."""
        out = []

        def visit(node):
            if node in seen:
                return
            seen.add(node)
            if not node.startswith("<"):
                key = (node, tuple(dirs))
                if key not in self.children:
                    self.children[key] = [
                        (self.resolve(node, name, dirs) or f'"{name}"') if kind == '"' else f"<{name}>"
                        for kind, name in ANY_INCLUDE.findall(read(node))]
                for child in self.children[key]:
                    visit(child)
            out.append(node)

        for root in roots:
            visit(root)
        return out

    def moved_ahead(self, u, chain):
        """For each header of the unit that is not parsed alone itself, the headers that
        parsing the chain first puts before it although the unit's own order puts them after
        it: each could hide an include that header misses."""
        key = (u.path, tuple(u.dirs))
        if key not in self.orders:
            order = self.parse_order([u.path], u.dirs, set())
            self.orders[key] = ({node: i for i, node in enumerate(order)},
                                frozenset(node for node in order[:-1] if not node.startswith(("<", '"')) and
                                          not node.startswith(self.checked_alone)))
        position, unchecked = self.orders[key]
        moved = {}
        if not unchecked:
            return moved
        seen, ahead = set(), []
        for link in chain:
            roots = [f"<{h}>" for h in sorted(link)] if isinstance(link, frozenset) else [link]
            for node in self.parse_order(roots, u.dirs, seen):
                if node in unchecked:
                    moved[node] = frozenset(n for n in ahead if position.get(n, -1) > position[node])
                ahead.append(node)
        for node in unchecked - seen:
            moved[node] = frozenset(n for n in ahead if position.get(n, -1) > position[node])
        return moved

    def keeps_order(self, u, chain):
        """Whether the chain's last link moves nothing ahead of a header that is not parsed alone
        itself beyond what the links before it moved (the first link, as a single anchor, is
        where a file's headers may change order: see the notes above)."""
        if len(chain) < 2:
            return True
        before, after = self.moved_ahead(u, chain[:-1]), self.moved_ahead(u, chain)
        return all(moved <= before.get(node, frozenset()) for node, moved in after.items())


def code_above_an_include(text):
    """Whether anything but preprocessor lines stands above the file's last include."""
    lines = COMMENTS.sub("", text).splitlines()
    last = max((i for i, line in enumerate(lines) if re.match(r'\s*#\s*include', line)), default=-1)
    return any(line.strip() and not line.lstrip().startswith("#") for line in lines[:last])


def choose_anchors(units, includes):
    """Gives each unit of a set of flags the chain of anchors that saves it most (or none)."""
    groups = {}
    for u in units:
        u.chain = []
        groups.setdefault((tuple(u.args), u.cwd, tuple(u.forced)), []).append(u)
    for members in groups.values():
        eligible = [u for u in members if not code_above_an_include(read(u.path))]
        extend_chains(eligible, [], frozenset(), includes)
        choose_standard_anchors([u for u in eligible if not u.chain], includes)


def extend_chains(members, chain, covered, includes, depth=0):
    """Chooses the next link for members that share a chain: the headers they include that
    bring most of what the chain does not hold yet, each precompiled on top of the chain."""
    if depth == MAX_DEPTH or not members:
        return
    dirs = members[0].dirs
    delta = {}

    def weigh(header):
        if header not in delta:
            delta[header] = sum(includes.size(h) for h in ({header} | includes.closure(header, dirs)) - covered)
        return delta[header]

    reach = {}
    for u in members:
        for header in includes.closure(u.path, dirs) - covered - {u.path}:
            reach.setdefault(header, []).append(u)
    best, picked, chosen = {id(u): 0 for u in members}, {}, 0
    while chosen < MAX_ANCHORS and reach:
        gains = {h: sum(max(0, weigh(h) - best[id(u)]) for u in users) - 2 * weigh(h)
                 for h, users in reach.items()}
        header = max(gains, key=gains.get)
        if gains[header] < MIN_GAIN:
            break
        # A header that some of its users parse earlier than their own order would put it is
        # weighed again without them.
        users = [u for u in reach[header] if includes.keeps_order(u, chain + [header])]
        if len(users) < len(reach[header]):
            reach[header] = users
            continue
        del reach[header]
        chosen += 1
        for u in users:
            if weigh(header) > best[id(u)]:
                best[id(u)], picked[id(u)] = weigh(header), header
    for header in dict.fromkeys(picked.values()):
        group = [u for u in members if picked.get(id(u)) == header]
        for u in group:
            u.chain = chain + [header]
        extend_chains(group, chain + [header], covered | {header} | includes.closure(header, dirs), includes,
                      depth + 1)


def choose_standard_anchors(members, includes):
    """For files without a project anchor: the standard headers they name themselves, the
    same set for several files (a subset of what a file names serves it too)."""
    named = {id(u): frozenset(ANGLED.findall(read(u.path))) for u in members}
    candidates = {}
    for u in members:
        if named.get(id(u)):
            candidates.setdefault(named[id(u)], 0)
    for s in candidates:
        candidates[s] = sum(1 for n in named.values() if s <= n)
    chosen = sorted((s for s, users in candidates.items() if users >= 3),
                    key=lambda s: (candidates[s] - 2) * len(s), reverse=True)[:MAX_ANCHORS // 2]
    for u in members:
        fits = [s for s in chosen if s <= named.get(id(u), frozenset()) and includes.keeps_order(u, [s])]
        if fits:
            u.chain = [max(fits, key=len)]


def chain_text(link):
    """What a link of a chain includes: a project header, or a set of standard headers."""
    if isinstance(link, frozenset):
        return "".join(f"#include <{h}>\n" for h in sorted(link))
    return f'#include "{link}"\n'


def run_all(jobs, tasks):
    def one(task):
        args, cwd, text = task
        if PROFILE:
            pch = [a for a in args if a.endswith((".pch", ".hxx"))]
            args = ["/usr/bin/time", "-a", "-o", PROFILE, "-f", f"%U %S {args[-1]} {' '.join(pch)}"] + args
        return subprocess.run(args, cwd=cwd, input=text, capture_output=True, text=True)
    with ThreadPoolExecutor(jobs) as pool:
        return list(pool.map(one, tasks))


def check(units, jobs, work, name, checked_alone):
    includes = Includes(checked_alone)
    choose_anchors(units, includes)
    os.makedirs(work, exist_ok=True)
    clang_args = lambda u: [CLANG] + [a for a in u.args[1:] if not a.startswith("--param")] + \
        ["-Wno-unknown-warning-option", "-Wno-unused-command-line-argument"]

    # One precompiled header per chain of anchors and set of flags: the first link with the
    # forced headers before it, every further link on top of the one before.
    pchs, levels = {}, []
    for u in units:
        if not u.chain and not u.forced:
            continue
        parent = None
        for depth in range(max(1, len(u.chain))):
            text = "".join(f'#include "{h}"\n' for h in u.forced) if depth == 0 else ""
            text += chain_text(u.chain[depth]) if u.chain else ""
            key = hashlib.sha1(((parent or " ".join(u.args) + u.cwd) + text).encode()).hexdigest()[:16]
            if key not in pchs:
                pchs[key] = (os.path.join(work, key + ".hxx"), text, u, parent)
                while len(levels) <= depth:
                    levels.append([])
                levels[depth].append(key)
            parent = key
        u.pch = parent
    print(f"{name}: {len(units)} files, {len(pchs)} precompiled headers, {jobs} at a time", flush=True)
    if os.environ.get("GAME_ALONE_VERBOSE"):
        for depth, level in enumerate(levels):
            for key in level:
                users = sum(1 for v in units if getattr(v, "pch", None) == key)
                print(f"  {users:4d} files after {'  ' * depth}{pchs[key][1].strip().splitlines()[-1]}")
    broken = set()
    for level in levels:
        tasks, keys = [], []
        for key in level:
            header, text, u, parent = pchs[key]
            if parent in broken:
                broken.add(key)
                continue
            with open(header, "w") as f:
                f.write(text)
            base = ["-include-pch", pchs[parent][0] + ".pch"] if parent else []
            tasks.append((clang_args(u) + base + ["-x", "c++-header", "-fpch-instantiate-templates", "-o",
                                                  header + ".pch", header], u.cwd, None))
            keys.append(key)
        broken |= {key for key, done in zip(keys, run_all(jobs, tasks)) if done.returncode != 0}
    # A unit whose chain broke is parsed after the longest part of it that did not.
    for u in units:
        while getattr(u, "pch", None) in broken:
            u.pch = pchs[u.pch][3]

    tasks = []
    for u in units:
        pch = getattr(u, "pch", None)
        if pch:
            args = clang_args(u) + ["-include-pch", pchs[pch][0] + ".pch"]
        else:
            args = clang_args(u) + [a for h in u.forced for a in ("-include", h)]
        tasks.append((args + ["-fsyntax-only"] + (["-x", "c++", "-"] if u.text else [u.path]), u.cwd, u.text))
    refused = [u for u, done in zip(units, run_all(jobs, tasks)) if done.returncode != 0]

    # The project's compiler has the last word on what clang refused, parsing as the build does.
    tasks = [(u.args + [a for h in u.forced for a in ("-include", h)] + ["-fsyntax-only"] +
              (["-x", "c++", "-"] if u.text else [u.path]), u.cwd, u.text) for u in refused]
    failed = 0
    for u, done in zip(refused, run_all(jobs, tasks)):
        if done.returncode != 0:
            failed += 1
            print(f"does not compile alone: {u.label}\n{done.stderr}", flush=True)
    if len(refused) > failed:
        print(f"{name}: clang refused {len(refused) - failed} file(s) that g++ parses alone:",
              ", ".join(u.label for u in refused), flush=True)
    if failed:
        print(f"{name}: {failed} of {len(units)} files do not compile alone")
        return 1
    print(f"{name}: all {len(units)} files compile alone")
    return 0


# A source file whose first line is an include of an installed header H has parsed H alone:
# nothing came before it but, with an anchor, a header that H includes itself (as the header
# check's own anchors do). Where the header check's flags could not change that parse (see
# stands_for), the source stands for H there, and H is not parsed alone a second time.
STAND_INS = "stand-ins.json"
FIRST_INCLUDE = re.compile(r'\A(?:\s|//[^\n]*\n|/\*.*?\*/)*#\s*include\s*"([^"]+)"', re.S)
# Options of the build that change no declaration a header makes or needs, beside its macros,
# which are compared one by one (optimisation, debug information, code generation, the
# sanitizers' instrumentation, warnings).
NEUTRAL_OPTION = re.compile(r'-O.*|-g.*|-f(no-)?(PIC|PIE|pic|pie|omit-frame-pointer|semantic-interposition|'
                            r'fast-math|sanitize.*)|-ffp-contract=.*|--param=.*|-W(?!error).*|-D.*|-I.*')


def record_stand_ins(units, commands, left, root, path):
    """Writes which installed headers (under root's Engine/ and Game/) a source file parsed
    first and alone, with that file's options: the files parsed here, and those the unity
    build compiles alone (it fails the run if they do not compile)."""
    installed = tuple(os.path.join(root, d) + os.sep for d in ("Engine", "Game"))
    includes = Includes(installed)
    found = {}
    for u in units + [c["unit"] for c in commands if c["file"] in left]:
        if u.forced or u.text is not None:
            continue
        first = FIRST_INCLUDE.match(read(u.path))
        if not first:
            continue
        header = includes.resolve(u.path, first.group(1), u.dirs)
        if not header or not header.startswith(installed) or not header.endswith(".h"):
            continue
        if any(isinstance(link, frozenset) or link not in includes.closure(header, u.dirs) | {header}
               for link in u.chain):
            continue
        found.setdefault(os.path.relpath(header, root), {"source": u.label, "args": u.args, "cwd": u.cwd})
    with open(path, "w") as f:
        json.dump({"root": root, "headers": found}, f, indent=1)


def closure_files(path, dirs):
    """Every file a header includes, directly or not, found as the compiler finds it (quoted:
    beside the including file, then the -I folders; angled: the -I folders); None where one
    names a file found nowhere under those folders but beside or below a project folder."""
    seen, todo = set(), [path]
    while todo:
        current = todo.pop()
        if current in seen:
            continue
        seen.add(current)
        for kind, name in ANY_INCLUDE.findall(read(current)):
            bases = ([os.path.dirname(current)] if kind == '"' else []) + dirs
            hit = next((os.path.normpath(os.path.join(b, name)) for b in bases if os.path.isfile(os.path.join(b, name))),
                       None)
            if hit:
                todo.append(hit)
            elif kind == '"':
                return None
    return seen


def predefined(args):
    """The macros a compiler with these options defines before the first line."""
    options = [a for a in args[1:] if not a.startswith(("-W", "-I", "--param"))]
    done = subprocess.run([args[0]] + options + ["-dM", "-E", "-x", "c++", "/dev/null"],
                          capture_output=True, text=True)
    if done.returncode != 0:
        return None
    return dict(line[len("#define "):].partition(" ")[::2] for line in done.stdout.splitlines())


def stands_for(record, include_dir, flags, cache):
    """Whether the record's source parsed alone the same header the header check would parse:
    the same files under the same names (byte for byte, no file of the source tree that the
    install leaves out), options that differ only where no declaration depends on them, and no
    macro defined differently that a header of the closure names."""
    root = record["root"]
    dirs = [a[2:] for a in record["args"] if a.startswith("-I") and len(a) > 2]
    header = os.path.join(root, record["header"])
    key = ("files", header, tuple(dirs))
    if key not in cache:
        cache[key] = closure_files(header, dirs)
    files = cache[key]
    if files is None:
        return False
    for f in files:
        rel = os.path.relpath(f, root)
        if not f.startswith(root + os.sep) or not rel.endswith(".h") or rel.split(os.sep)[0] not in ("Engine", "Game"):
            return False
        copy = os.path.join(include_dir, rel)
        if not os.path.isfile(copy) or read(copy) != read(f):
            return False
    theirs = [a for a in record["args"][1:] if not NEUTRAL_OPTION.fullmatch(a)]
    ours = [a for a in flags[1:] if not NEUTRAL_OPTION.fullmatch(a)]
    if theirs != ours:
        return False
    key = ("macros", tuple(record["args"]))
    if key not in cache:
        mine, built = cache.setdefault(("flags",), predefined(flags)), predefined(record["args"])
        cache[key] = None if mine is None or built is None else \
            {m for m in set(mine) | set(built) if mine.get(m) != built.get(m)}
    differ = cache[key]
    if differ is None:
        return False
    words = set()
    for f in files:
        words.update(re.findall(r"\w+", read(f)))
    return not words & {m.partition("(")[0] for m in differ}


def compiled_alone_by(unity_build):
    """The sources a unity build compiles as the first of a batch, or outside every batch."""
    alone = set()
    for c in json.load(open(os.path.join(unity_build, "compile_commands.json"))):
        if "/Unity/unity_" not in c["file"]:
            alone.add(c["file"])
    for folder, _, names in os.walk(unity_build):
        for name in names:
            if folder.endswith("/Unity") and name.startswith("unity_") and name.endswith(".cxx"):
                first = QUOTED.search(read(os.path.join(folder, name)))
                if first:
                    alone.add(first.group(1))
    return alone


def sources(build, jobs, unity_build=None):
    root = os.getcwd()
    units = []
    left = compiled_alone_by(unity_build) if unity_build else set()
    commands = [c for c in json.load(open(os.path.join(build, "compile_commands.json")))
                if c["file"].endswith(".cpp")]
    if left:
        print(f"compile-alone: {sum(c['file'] in left for c in commands)} files are compiled alone by the build",
              flush=True)
    for c in commands:
        args, forced, skip = [], [], None
        for a in shlex.split(c["command"]):
            if skip:
                if skip == "-include":
                    forced.append(a)
                skip = None
            elif a in ("-o", "-c", "-include"):
                skip = a
            elif a != "-Winvalid-pch":
                args.append(a)
        unit = Unit(os.path.relpath(c["file"], root), c["file"], args, c["directory"], forced)
        if c["file"] in left:
            c["unit"] = unit
        else:
            units.append(unit)
    work = os.path.join(os.path.abspath(build), "alone")
    status = check(units, jobs, work, "compile-alone",
                   [os.path.join(root, d) + os.sep for d in ("Engine", "Game")])
    if status == 0:
        record_stand_ins(units, commands, left, root, os.path.join(work, STAND_INS))
    return status


def headers(include_dir, jobs, flags):
    include_dir = os.path.abspath(include_dir)
    found = sorted(os.path.join(folder, name) for folder, _, names in os.walk(include_dir, followlinks=True)
                   for name in names if name.endswith(".h"))
    if not found:
        print(f"headers-alone: no header under {include_dir}")
        return 1
    with tempfile.TemporaryDirectory(prefix="headers-alone-") as work:
        args = flags + ["-I" + include_dir]
        units = [Unit(os.path.relpath(h, include_dir), h, args, work,
                      text=f'#include "{os.path.relpath(h, include_dir)}"\n') for h in found]
        stand_ins = os.environ.get("GAME_ALONE_STAND_INS")
        if stand_ins and os.path.isfile(stand_ins):
            recorded = json.load(open(stand_ins))
            cache, kept = {}, []
            for u in units:
                record = recorded["headers"].get(u.label)
                if record and stands_for(dict(record, root=recorded["root"], header=u.label), include_dir, flags, cache):
                    continue
                kept.append(u)
            print(f"headers-alone: {len(units) - len(kept)} headers were parsed alone first of a source file"
                  f" ({stand_ins}); the other {len(kept)} here", flush=True)
            units = kept
        return check(units, jobs, work, "headers-alone", [include_dir + os.sep])


if __name__ == "__main__":
    if sys.argv[1] == "headers":
        sys.exit(headers(sys.argv[2], int(sys.argv[3]), sys.argv[4:]))
    sys.exit(sources(sys.argv[2], int(sys.argv[3]), *sys.argv[4:5]))
