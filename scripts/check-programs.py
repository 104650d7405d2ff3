#!/usr/bin/env python3
"""Checks that every program the tests, benchmarks, scripts and the README's
recipes start is in scripts/programs.txt, the table scripts/install-deps.sh
installs from, and that every program of the table is installed.

Where a program is seen being started:
- C++ under tests/ and bench/: the string literal a process is started with
  (start, startDetached, execute, setProgram, findExecutable, run,
  runProcess and the tests' own program(...)), the window manager a test
  asks for (windowManagerProgram), a literal followed by "-c" (a shell or
  interpreter given a script), the commands of a shell script given to
  sh/bash -c, to xterm -e or to the window manager's <command>.
- Shell under scripts/ and .ci/, and the code blocks of README.md (but the
  printed layer graph of "How it is built"): the command word of every
  command, also inside $(...), after exec, xargs, env, nohup and time.

`--sources` checks the sources against the table only (no installed programs).
"""
import pathlib
import re
import shutil
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
TABLE = ROOT / "scripts/programs.txt"

# Shell words that are not programs on the PATH.
BUILTINS = set(
    """. : [ [[ ]] alias break builtin cd command compgen continue declare echo eval exit export false function
    getopts hash let local mapfile printf pushd popd pwd read readonly return set shift shopt source test trap true type
    ulimit umask unset wait""".split()
)
KEYWORDS = {"if", "then", "else", "elif", "fi", "do", "done", "while", "until", "esac", "!", "{", "}", "[[", "time"}
# Words that run the command after their options.
WRAPPERS = {"exec", "xargs", "env", "nohup", "sudo"}
XARGS_VALUE_OPTIONS = {"-P", "-n", "-I", "-L", "-s", "-d", "-a", "-E"}
PROGRAM_WORD = re.compile(r"^[A-Za-z_][\w.+-]*$")
SHELLS = {"sh", "bash", "dash"}


def table():
    """Program -> package, from the table."""
    rows = {}
    for line in TABLE.read_text().splitlines():
        fields = line.split("#", 1)[0].split()
        if fields:
            rows[fields[0]] = fields[1]
    return rows


def program_name(word):
    """The program a command word names, None for a variable, a relative path or anything else."""
    if word.startswith(("/usr/", "/bin/", "/sbin/")):
        word = word.rsplit("/", 1)[1]
    return word if PROGRAM_WORD.match(word) else None


# --- Shell -----------------------------------------------------------------


def substitutions(text):
    """Splits out the $(...) in `text` (outside single quotes): the text with
    each replaced by a plain word, and the texts inside them."""
    out, inner, i, quote = [], [], 0, None
    while i < len(text):
        c = text[i]
        if quote == "'" and c != "'":
            out.append(c)
        elif c == "\\" and quote != "'":
            out.append(text[i : i + 2])
            i += 1
        elif c in "'\"" and quote in (None, c):
            quote = None if quote else c
            out.append(c)
        elif text.startswith("$(", i) and not text.startswith("$((", i):
            depth, j = 1, i + 2
            while j < len(text) and depth:
                depth += {"(": 1, ")": -1}.get(text[j], 0)
                j += 1
            inner.append(text[i + 2 : j - 1])
            out.append("SUBSTITUTION")
            i = j - 1
        else:
            out.append(c)
        i += 1
    return "".join(out), inner


def shell_tokens(text):
    """Words (quotes kept, so that a variable stays recognisable) and the
    operators that end a command, with comments, here-documents and
    redirections dropped."""
    tokens, i, heredoc = [], 0, None
    lines = text.split("\n")
    for line in lines:
        if heredoc:
            if line.strip() == heredoc:
                heredoc = None
            continue
        i, word, quote = 0, "", None
        while i < len(line):
            c = line[i]
            if quote:
                word += c
                if c == quote:
                    quote = None
                elif c == "\\" and quote == '"':
                    word += line[i + 1 : i + 2]
                    i += 1
            elif c in "'\"":
                quote = c
                word += c
            elif c == "\\":
                word += line[i : i + 2]
                i += 1
            elif c == "#" and not word:
                break
            elif c.isspace() or c in ";&|()<>":
                if word:
                    tokens.append(word)
                    word = ""
                if c in ";&|()":
                    tokens.append(c)
                elif c in "<>":
                    # A redirection: drop its target (and a here-document's body).
                    op = re.match(r"[<>]+&?-?|[<>]", line[i:]).group(0)
                    if tokens and re.fullmatch(r"\d", tokens[-1]):
                        tokens.pop()
                    i += len(op)
                    target = re.match(r"""\s*((?:'[^']*'|"(?:[^"\\]|\\.)*"|[^\s;&|()<>'"])*)""", line[i:])
                    if op == "<<":
                        heredoc = target.group(1).strip("'\"-")
                    i += len(target.group(0)) - 1
            else:
                word += c
            i += 1
        if word.endswith("\\"):  # continued on the next line
            word = word[:-1]
        if word:
            tokens.append(word)
        if not line.rstrip().endswith("\\"):
            tokens.append("\n")
    return tokens


def shell_programs(text):
    """The programs a shell text starts."""
    text, inner = substitutions(text)
    found = [p for part in inner for p in shell_programs(part)]
    defined = set(re.findall(r"^\s*(\w[\w-]*)\s*\(\)", text, re.M))
    tokens = shell_tokens(text) + ["\n"]
    command, i = [], 0
    while i < len(tokens):
        token = tokens[i]
        if re.match(r"^\w+\+?=$", token) and i + 1 < len(tokens) and tokens[i + 1] == "(":
            i = tokens.index(")", i) + 1  # an array's elements are no commands
            continue
        if token in (";", "&", "|", "\n", "(", ")"):
            found += command_programs(command, defined)
            command = []
        else:
            command.append(token)
        i += 1
    return found


def command_programs(words, defined):
    """The program a command's words start (as a list: none or one)."""
    i = 0
    while i < len(words):
        word = words[i]
        if word in KEYWORDS:
            i += 1
        elif re.match(r"^\w+\+?=", word):
            i += 1
        elif word in ("for", "case", "select", "in"):
            return []
        elif word == "command":
            return []  # `command -v NAME` asks whether NAME is there
        elif word in WRAPPERS:
            i += 1
            while i < len(words) and (words[i].startswith("-") or re.match(r"^\w+=", words[i])):
                i += 2 if word == "xargs" and words[i] in XARGS_VALUE_OPTIONS else 1
        else:
            break
    if i >= len(words):
        return []
    name = program_name(words[i])
    if not name or name in BUILTINS or name in defined or name == "SUBSTITUTION":
        return []
    return [name]


# --- C++ -------------------------------------------------------------------

CPP_TOKEN = re.compile(
    r'//[^\n]*|/\*.*?\*/|R"(?P<delim>[^(\s]*)\((?P<raw>.*?)\)(?P=delim)"|"(?P<text>(?:[^"\\\n]|\\.)*)"'
    r"|'(?:[^'\\\n]|\\.)+'",
    re.S,
)
STARTS = r"(?:(?:\.|->)start|\b(?:startDetached|execute|setProgram|findExecutable|run|runProcess|program))\s*\("
PROGRAM_POSITION = re.compile(STARTS + r"(?:[^(),;\"]*,)?\s*(?:QStringLiteral|QLatin1String|QString)?\s*\(?\s*$")
WINDOW_MANAGER = re.compile(r"\bwindowManagerProgram\s*=\s*(?:QStringLiteral)?\s*\(?\s*$")
# What may stand between two literals of one list of arguments.
ADJACENT = re.compile(r"^(?:[\s(){},]|QStringLiteral|QLatin1String|QString)*$")


def cpp_literals(text):
    """(value, line, code between the previous literal and this one)."""
    found, last = [], 0
    for m in CPP_TOKEN.finditer(text):
        if m.group(0).startswith(("/", "'")):
            continue
        raw = m.group("raw")
        value = raw if raw is not None else m.group("text").encode().decode("unicode_escape", "ignore")
        found.append((value, text.count("\n", 0, m.start()) + 1, text[last : m.start()]))
        last = m.end()
    return found


def cpp_programs(text):
    """(program, line) for each program a C++ source starts."""
    literals = cpp_literals(text)
    found = []
    for k, (value, line, before) in enumerate(literals):
        following = literals[k + 1] if k + 1 < len(literals) else None
        adjacent = following and ADJACENT.match(following[2])
        name = program_name(value)
        if name and (PROGRAM_POSITION.search(before) or WINDOW_MANAGER.search(before)):
            found.append((name, line))
        if name and adjacent and following[0] == "-c":
            found.append((name, line))
            if name in SHELLS and k + 2 < len(literals):
                found += [(p, line) for p in shell_programs(literals[k + 2][0])]
        if value == "-e" and adjacent and started_xterm(literals, k):
            found += [(p, line) for p in shell_programs(following[0])]
        for script in re.findall(r"<command>([^<]*)", value):
            found += [(p, line) for p in shell_programs(script)]
    return found


def started_xterm(literals, k):
    """Whether literal k is an argument of a statement that starts xterm."""
    for value, _, before in reversed(literals[: k + 1]):
        if value == "xterm":
            return True
        if ";" in before:
            return False
    return False


# --- The sources -------------------------------------------------------------


def readme_recipes(text):
    """(shell text, line) of each code block of the README, but those of the
    sections that show printed output rather than commands."""
    blocks, section, block, start = [], "", [], 0
    fenced = False
    for number, line in enumerate(text.splitlines() + [""], 1):
        if line.startswith("```"):
            fenced = not fenced
            if not fenced:
                blocks.append((section, "\n".join(block), start))
                block = []
            start = number + 1
            continue
        if fenced:
            block.append(line)
        elif line.startswith("    ") and (block or not text.splitlines()[number - 2].strip()):
            start = start if block else number
            block.append(line[4:])
        else:
            if block and not line.startswith("    "):
                blocks.append((section, "\n".join(block), start))
                block = []
            if line.startswith("#"):
                section = line.lstrip("#").strip()
    return [(body, start) for section, body, start in blocks if section != "How it is built"]


def started_programs():
    """(program, where) for every program the sources start."""
    found = []
    for source in sorted([*ROOT.glob("tests/**/*"), *ROOT.glob("bench/**/*")]):
        if source.suffix in (".cpp", ".h"):
            where = source.relative_to(ROOT).as_posix()
            found += [(p, f"{where}:{line}") for p, line in cpp_programs(source.read_text(errors="replace"))]
    for script in sorted([*ROOT.glob("scripts/*.sh"), ROOT / ".ci/run"]):
        where = script.relative_to(ROOT).as_posix()
        found += [(p, where) for p in shell_programs(script.read_text())]
    for body, line in readme_recipes((ROOT / "README.md").read_text()):
        found += [(p, f"README.md:{line}") for p in shell_programs(body)]
    return found


def main():
    rows = table()
    problems = []
    for program, where in started_programs():
        if program not in rows:
            problems.append(
                f"{where} starts {program}, which scripts/programs.txt does not list: add it there with its "
                f"Debian package (`dpkg -S bin/{program}` names it), so that scripts/install-deps.sh installs it."
            )
    if "--sources" not in sys.argv:
        for program, package in rows.items():
            if package != "-" and not shutil.which(program):
                problems.append(
                    f"{program} is not installed (Debian package {package}): bash scripts/install-deps.sh installs it."
                )
    if "--list" in sys.argv:
        for program, where in started_programs():
            print(f"{program:24} {where}")
    for problem in dict.fromkeys(problems):
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
