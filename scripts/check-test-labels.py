#!/usr/bin/env python3
"""Checks that every test that starts a real program carries the ctest label
"programs", which tests/CMakeLists.txt gives by folder through the gtest
filters TESTS_STARTING_PROGRAMS_<folder>: only those tests are run again when
they fail, and a test that starts programs but lacks the label fails the run
the first time the machine is slow.

A test starts programs when its body, a function of the same file it calls,
or its fixture's set-up or members (or those of the fixture it derives from
in the same file) use what starts one: an X server session or a test client, a
private bus or keyring, the built binary, a QProcess, or a program named as
scripts/check-programs.py finds them.
"""
import fnmatch
import importlib.util
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent

# What starts a real program in a test.
MARKERS = re.compile(
    r"\b(?:X11Test|XvfbSession|X11TestClient|startClient|startXterm|PrivateBus|KeyringDaemon|TAVRIN_BINARY"
    r"|QProcess|startDetached|windowManagerProgram)\b"
)
TEST = re.compile(r"^\s*(TEST|TEST_F|TEST_P|TYPED_TEST)\s*\(\s*(\w+)\s*,\s*(\w+)\s*\)", re.M)
CLASS = re.compile(r"\b(?:class|struct)\s+(\w+)\s*(?:final\s*)?(?::\s*([^{;]*))?\{")
FUNCTION = re.compile(r"^[\w:<>,*&\s]*?\b(\w+)\s*\([^;{}]*\)\s*(?:const\s*)?\{", re.M)


def check_programs():
    spec = importlib.util.spec_from_file_location("check_programs", ROOT / "scripts/check-programs.py")
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def span(plain, start):
    """Where the block from the `{` at or after `start` to its matching `}` lies."""
    open_at = plain.index("{", start)
    depth = 0
    for i in range(open_at, len(plain)):
        depth += {"{": 1, "}": -1}.get(plain[i], 0)
        if depth == 0:
            return open_at, i + 1
    return open_at, len(plain)


def blanked(text):
    """The text with comments and the insides of string and character literals
    blanked out, every character kept in its place."""
    pattern = r"//[^\n]*|/\*.*?\*/|R\"(\w*)\(.*?\)\1\"|\"(?:[^\"\\\n]|\\.)*\"|'(?:[^'\\\n]|\\.)+'"
    return re.sub(pattern, lambda m: re.sub(r"[^\n]", " ", m.group(0)), text, flags=re.S)


class Source:
    def __init__(self, text, cpp_programs):
        self.text, self.plain, self.cpp_programs = text, blanked(text), cpp_programs

    def block(self, start):
        """(plain code, original text) of the block at or after `start`."""
        a, b = span(self.plain, start)
        return self.plain[a:b], self.text[a:b]

    def starts_programs(self, code):
        plain, text = code
        return bool(MARKERS.search(plain) or self.cpp_programs(text))


def top_level(plain):
    """A class body with the bodies of its functions left out."""
    out, depth = [], 0
    for c in plain:
        depth += c == "{"
        if depth <= 1:
            out.append(c)
        depth -= c == "}"
    return "".join(out)


def program_suites(source):
    """(suite, test, whether it starts programs) for each test of a source."""
    plain = source.plain
    # Functions of the file (methods too) that start programs, following
    # calls within the file until nothing more is found.
    functions = []
    for m in FUNCTION.finditer(plain):
        if m.group(1) not in ("if", "for", "while", "switch", "return", "catch"):
            functions.append((m.group(1), source.block(m.end() - 1)))
    starting = set()

    def uses(code):
        return source.starts_programs(code) or any(re.search(rf"\b{s}\(", code[0]) for s in starting)

    changed = True
    while changed:
        changed = False
        for name, code in functions:
            if name not in starting and uses(code):
                starting.add(name)
                changed = True
    # Fixtures that start programs for every test: in their set-up, their
    # members or a fixture they derive from.
    fixtures = set()
    changed = True
    while changed:
        changed = False
        for m in CLASS.finditer(plain):
            name, bases = m.group(1), m.group(2) or ""
            if name in fixtures:
                continue
            body = source.block(m.end() - 1)
            own = bases + top_level(body[0])
            set_up = re.search(rf"\b(?:SetUp|SetUpTestSuite|{name})\s*\([^)]*\)[^{{;]*\{{", body[0])
            if (
                MARKERS.search(own)
                or any(re.search(rf"\b{f}\b", own) for f in fixtures)
                or (set_up and uses(source.block(m.end() + set_up.end() - 2)))
            ):
                fixtures.add(name)
                changed = True
    found = []
    for m in TEST.finditer(plain):
        suite = m.group(2)
        found.append((suite, m.group(3), uses(source.block(m.end())) or (m.group(1) != "TEST" and suite in fixtures)))
    return found


def labelled_filters():
    """Folder -> the gtest filter of its tests that carry the label."""
    # A backslash at a line's end continues a quoted argument on the next.
    text = (ROOT / "tests/CMakeLists.txt").read_text().replace("\\\n", "")
    return {m.group(1): m.group(2) for m in re.finditer(r'set\(TESTS_STARTING_PROGRAMS_(\w+)\s+"([^"]*)"\)', text)}


def matches(name, filters):
    return any(fnmatch.fnmatchcase(name, f) for f in filters.split(":") if f)


def main():
    cpp_programs = check_programs().cpp_programs
    filters = labelled_filters()
    problems = []
    for source in sorted((ROOT / "tests").glob("*/**/*.cpp")):
        folder = source.relative_to(ROOT / "tests").parts[0]
        if folder == "support":
            continue
        for suite, test, uses in program_suites(Source(source.read_text(errors="replace"), cpp_programs)):
            if uses and not matches(f"{suite}.{test}", filters.get(folder, "")):
                problems.append(
                    f"{source.relative_to(ROOT)}: {suite}.{test} starts a real program but is not labelled "
                    f'"programs": add it (or {suite}.*) to TESTS_STARTING_PROGRAMS_{folder} in tests/CMakeLists.txt.'
                )
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
