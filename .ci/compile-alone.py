"""Parses every source file of compile_commands.json on its own (see compile-alone).

Two things are precompiled, for speed, neither of which can hide a missing project header:
the standard library headers the project uses (one header per set of flags), and, for a
test file that uses the engine fixture (directly or through another fixture), GoogleTest
and the fixture, which that file includes anyway. A missing standard header is therefore
not reported; a missing header of the project is.
"""
import hashlib
import json
import os
import re
import shlex
import subprocess
import sys
from concurrent.futures import ThreadPoolExecutor

build, jobs = sys.argv[1], int(sys.argv[2])
# Files named after these arguments: only those sources and the sources that include one of
# these headers by name (none named: every source).
changed = [os.path.abspath(f) for f in sys.argv[3:]]
root = os.getcwd()
work = os.path.join(os.path.abspath(build), "alone")
os.makedirs(work, exist_ok=True)
commands = [c for c in json.load(open(os.path.join(build, "compile_commands.json")))
            if c["file"].endswith(".cpp")]

# The standard headers the project includes (system headers of other libraries stay out).
std = set()
include = re.compile(r'^\s*#\s*include\s*<([a-z_0-9]+)>', re.M)
for c in commands:
    std.update(include.findall(open(c["file"], errors="replace").read()))
std_text = "".join(f"#include <{h}>\n" for h in sorted(std))
if changed:
    headers = [os.path.basename(f) for f in changed if f.endswith(".h")]
    names = re.compile(r'^\s*#\s*include\s*"(?:[^"]*/)?(' + "|".join(map(re.escape, headers)) + r')"', re.M) \
        if headers else None
    commands = [c for c in commands if os.path.abspath(c["file"]) in changed
                or (names and names.search(open(c["file"], errors="replace").read()))]
fixture_user = re.compile(r'^\s*#\s*include\s*"[^"]*Fixture\.h"', re.M)


def parse_only(c):
    """The command as a list, with the object file, the source and any forced include taken out."""
    args = shlex.split(c["command"])
    out, skip = [], False
    for i, a in enumerate(args):
        if skip:
            skip = False
            continue
        if a in ("-o", "-c", "-include"):
            skip = True
            continue
        if a == "-Winvalid-pch":
            continue
        out.append(a)
    return out


def precompiled(args, directory, text):
    """A header of `text` precompiled with these flags (made once per flags and text)."""
    key = hashlib.sha1((" ".join(args) + text).encode()).hexdigest()[:16]
    header = os.path.join(work, key + ".hxx")
    if not os.path.exists(header + ".gch"):
        with open(header, "w") as f:
            f.write(text)
        made = subprocess.run(args + ["-x", "c++-header", "-o", header + ".gch", header],
                              cwd=directory, capture_output=True, text=True)
        if made.returncode != 0:
            sys.exit("compile-alone: a precompiled header does not compile:\n" + made.stderr)
    return header


jobs_list = []
for c in commands:
    args = parse_only(c)
    text = std_text
    if "/tests/" in c["file"] and "-include" in c["command"]:
        text += "#include <gtest/gtest.h>\n#include <gmock/gmock.h>\n"
        if fixture_user.search(open(c["file"], errors="replace").read()):
            text += '#include "core/EngineFixture.h"\n'
    header = precompiled(args, c["directory"], text)
    jobs_list.append((c["file"], c["directory"], args + ["-include", header, "-fsyntax-only", c["file"]]))

print(f"compile-alone: {len(jobs_list)} files, {jobs} at a time", flush=True)


def run(job):
    source, directory, args = job
    done = subprocess.run(args, cwd=directory, capture_output=True, text=True)
    return source, done.returncode, done.stderr


failed = 0
with ThreadPoolExecutor(jobs) as pool:
    for source, code, errors in pool.map(run, jobs_list):
        if code != 0:
            failed += 1
            print(f"does not compile alone: {os.path.relpath(source, root)}\n{errors}", flush=True)
sys.exit(1 if failed else 0)
