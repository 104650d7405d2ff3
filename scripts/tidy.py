#!/usr/bin/env python3
"""Runs clang-tidy (the checks in .clang-tidy) over the program's sources.

    tidy.py [--all] [--base REV] [--build DIR] [-j N]

Without --all it checks the sources changed since REV (by default where this
branch left main, or the last commit on main itself), uncommitted changes
included; a changed header brings its own .cpp. Any finding fails the run.

The compile commands come from the build folder (gcc's): the tidy run gets
them with gcc-only flags taken out, the precompiled header replaced by the
header it is made from (gcc's .gch is no use to clang) and the compiler's
own warnings off, since the build already gates those.

A file that passed once is not checked again while it, every project header
it reaches, its command, the checks and clang-tidy stay the same: the clean
results are kept under $XDG_CACHE_HOME/tavrin-tidy, so that a second run on
the same machine (CI after the session) takes seconds.
"""
import argparse
import concurrent.futures
import hashlib
import json
import os
import pathlib
import re
import shlex
import shutil
import subprocess
import sys
import tempfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
SRC = ROOT / "src"
INCLUDE = re.compile(rb'^\s*#\s*include\s+"([^"]+)"', re.M)
# gcc's flags that clang does not take, and the gates the build already runs.
DROPPED = {"-fcoroutines", "-Winvalid-pch", "-Werror"}


def tidy_program():
    for name in ("clang-tidy-14", "clang-tidy"):
        path = shutil.which(name)
        if path:
            return path
    sys.exit("tidy: clang-tidy is not installed (bash scripts/install-deps.sh installs it)")


def git(*args):
    return subprocess.run(["git", *args], cwd=ROOT, capture_output=True, text=True, check=False).stdout


def changed_sources(base):
    if base is None:
        head, main = git("rev-parse", "HEAD").strip(), git("rev-parse", "--verify", "-q", "main").strip()
        base = git("merge-base", "HEAD", "main").strip() if main and main != head else "HEAD~1"
    names = set(git("diff", "--name-only", base).split()) | set(git("diff", "--name-only").split())
    names |= set(git("ls-files", "--others", "--exclude-standard", "src").split())
    sources = set()
    for name in names:
        path = ROOT / name
        if not name.startswith("src/"):
            continue
        if name.endswith(".h"):
            path = path.with_suffix(".cpp")
        if path.suffix == ".cpp" and path.exists():
            sources.add(path.resolve())
    return sources


def tidy_arguments(entry):
    """The entry's compiler arguments for clang-tidy, and the file."""
    words = shlex.split(entry["command"]) if "command" in entry else list(entry["arguments"])
    out, skip = [], False
    for i, word in enumerate(words):
        if skip:
            skip = False
            continue
        if word in DROPPED:
            continue
        if word == "-o":
            skip = True
            continue
        if word == "-include" and i + 1 < len(words) and words[i + 1].endswith("cmake_pch.hxx"):
            out += ["-include", str(SRC / "pch.h")]
            skip = True
            continue
        out.append(word)
    return out + ["-w"]


def reached_headers(path, seen):
    """Every project header `path` includes, through other project headers."""
    try:
        text = path.read_bytes()
    except OSError:
        return
    for match in INCLUDE.finditer(text):
        name = match.group(1).decode(errors="replace")
        for candidate in (SRC / name, path.parent / name):
            if candidate.is_file():
                candidate = candidate.resolve()
                if candidate not in seen:
                    seen.add(candidate)
                    reached_headers(candidate, seen)
                break


def cache_key(path, arguments, config, version, build):
    # Keyed on paths inside the clone and build folder, not where they are,
    # so that a fresh clone elsewhere finds what an earlier one checked.
    command = "\0".join(arguments).replace(str(build), "<build>").replace(str(ROOT), "<root>")
    digest = hashlib.sha256()
    for part in (config, version, str(path.relative_to(ROOT)), command, path.read_bytes()):
        digest.update(part if isinstance(part, bytes) else part.encode())
    headers = set()
    reached_headers(path, headers)
    for header in sorted(headers):
        digest.update(str(header.relative_to(ROOT) if ROOT in header.parents else header).encode())
        digest.update(header.read_bytes())
    return digest.hexdigest()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--all", action="store_true", help="every source, not only the changed ones")
    parser.add_argument("--base", help="what counts as changed: all since this revision")
    parser.add_argument("--build", default=str(ROOT / "build"), help="the build folder with compile_commands.json")
    parser.add_argument("-j", type=int, default=os.cpu_count() or 2)
    options = parser.parse_args()

    build = pathlib.Path(options.build).resolve()
    database = build / "compile_commands.json"
    if not database.exists():
        sys.exit(f"tidy: no {database}: build first (bash scripts/build.sh)")
    entries = {}
    for entry in json.loads(database.read_text()):
        path = pathlib.Path(entry["directory"], entry["file"]).resolve()
        if SRC in path.parents and path.suffix == ".cpp":
            entries[path] = entry
    wanted = set(entries) if options.all else changed_sources(options.base) & set(entries)
    if not wanted:
        print("tidy: no changed sources to check.")
        return 0

    program = tidy_program()
    version = subprocess.run([program, "--version"], capture_output=True, text=True, check=False).stdout
    config = (ROOT / ".clang-tidy").read_text()
    cache = pathlib.Path(os.environ.get("XDG_CACHE_HOME") or pathlib.Path.home() / ".cache") / "tavrin-tidy"
    cache.mkdir(parents=True, exist_ok=True)
    header_filter = r"^(" + re.escape(str(SRC)) + r"|" + re.escape(str(build)) + r"/layers)/"

    with tempfile.TemporaryDirectory() as folder:
        jobs, db = [], []
        for path in sorted(wanted):
            entry = entries[path]
            arguments = tidy_arguments(entry)
            key = cache_key(path, arguments, config, version, build)
            if (cache / key).exists():
                continue
            db.append({"directory": entry["directory"], "file": str(path), "arguments": arguments})
            jobs.append((path, key))
        (pathlib.Path(folder) / "compile_commands.json").write_text(json.dumps(db))

        def run(job):
            path, key = job
            result = subprocess.run(
                [program, "-p", folder, "--quiet", f"--header-filter={header_filter}", "--warnings-as-errors=*", str(path)],
                capture_output=True, text=True, check=False)
            if result.returncode == 0:
                (cache / key).touch()
            return path, result

        failed = []
        with concurrent.futures.ThreadPoolExecutor(max_workers=max(1, options.j)) as pool:
            for path, result in pool.map(run, jobs):
                if result.returncode != 0:
                    failed.append(path)
                    output = "\n".join(line for line in (result.stdout + result.stderr).splitlines()
                                       if "warnings generated" not in line and "treated as error" not in line)
                    print(output)
    checked = len(wanted)
    print(f"tidy: {checked} sources, {checked - len(jobs)} unchanged since a clean check, "
          f"{len(failed)} with findings.")
    for path in failed:
        print(f"  {path.relative_to(ROOT)}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
