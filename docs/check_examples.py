"""Runs the examples of Corso's guides and checks that they say what the code does.

    check_examples.py --corso BINARY --cxx 'COMPILER [FLAGS...]' \\
        --include DIR [--include DIR...] --library FILE [--library FILE...]
        [--emulator 'COMMAND [ARGS...]'] [DOC.md...]

Without DOC arguments, the files beside this script are checked: cli.md,
from-std-filesystem.md, security.md and the man page corso.1. Only the Python 3
standard library and bash are needed.

Shell examples: ```console blocks
  - A line beginning with "$ " is a command. The lines right after it that begin
    with "> " continue it (as bash's second prompt shows them); the command and its
    continuations are joined with newlines and run by `bash -c`.
  - The lines that follow, up to the next "$ " line or the end of the block, are
    the exact standard output, every line ended by a newline. Standard error is
    not compared (redirect it with 2>&1 to show a message).
  - A command whose last line ends with "# exit N" must exit with status N; any
    other command must exit with 0. For a pipeline this is the status of its last
    command, as bash reports it.
  - The commands run with the given corso binary first on PATH, under the name
    `corso`, in a new empty directory each, with LC_ALL=C and no standard input.
    Write deterministic commands: printf rather than find on the real disk.

C++ examples: ```cpp blocks
  - Every block is a complete program. It is compiled with the compiler command,
    -std=c++20 -Wall -Wextra -Wpedantic -Werror (before the command's own flags,
    which may override them), the include directories and the libraries, then run.
  - A source line holding `std::cout <<` and ending with a comment "// <text>"
    prints exactly one line, <text> (the last "// " of the source line starts the
    comment); a `std::cout <<` line without such a comment, like
    `std::cout << std::boolalpha;`, prints nothing. The program must print those
    lines, in source order, and nothing else, and exit 0. This is the rule of the
    README's example.
  - A block whose first line begins with "// Linux only" calls the Linux kernel:
    it is built and run only on a Linux host without --emulator, and counted as
    skipped elsewhere.

Man page: a DOC ending in ".1"
  - Its OPERATIONS section must have an entry for every operation that
    `corso --help` lists, and none for an operation it does not list.

A cross build gives --emulator (Wine, qemu-user): the corso binary and the
compiled examples then run through it.

Lists of operations: the operations that `corso --help` lists must each have a
line in the "## Operations" section of cli.md, and the bash completion
(tools/corso/corso.bash-completion) must offer exactly them as operation names.

Exits with 0 when every example matches; otherwise prints each mismatch with the
file and line of the example, and exits with 1 (2 for bad arguments).
"""

import argparse
import os
import re
import shlex
import subprocess
import sys
import tempfile
from dataclasses import dataclass, field
from pathlib import Path

HERE = Path(__file__).resolve().parent
DEFAULT_DOCS = [HERE / "cli.md", HERE / "from-std-filesystem.md", HERE / "security.md", HERE / "corso.1"]
COMPLETION = HERE.parent / "tools" / "corso" / "corso.bash-completion"
DEFAULT_CXX_FLAGS = ["-std=c++20", "-Wall", "-Wextra", "-Wpedantic", "-Werror"]
EXIT_COMMENT = re.compile(r"\s#\s*exit\s+(\d+)\s*$")
COUT_COMMENT = re.compile(r"std::cout\s*<<.*// (.*)$")
LINUX_ONLY = "// Linux only"
FENCE = re.compile(r"^```\s*(\S*)\s*$")
TIMEOUT = 60


@dataclass
class Block:
    doc: Path
    line: int  # 1-based line of the opening fence
    lang: str
    lines: list = field(default_factory=list)  # (1-based line number, text)


@dataclass
class Command:
    doc: Path
    line: int
    script: str
    status: int
    expected: list


def read_blocks(doc):
    blocks, current = [], None
    for number, text in enumerate(doc.read_text(encoding="utf-8").splitlines(), start=1):
        fence = FENCE.match(text)
        if current is None:
            if fence:
                current = Block(doc, number, fence.group(1))
        elif fence and not fence.group(1):
            blocks.append(current)
            current = None
        else:
            current.lines.append((number, text))
    if current is not None:
        raise SystemExit(f"{doc}:{current.line}: a ``` block is not closed")
    return blocks


def console_commands(block):
    commands, i, lines = [], 0, block.lines
    while i < len(lines):
        number, text = lines[i]
        if not text.startswith("$ "):
            raise SystemExit(f"{block.doc}:{number}: a console block must start with a '$ ' command line")
        script = [text[2:]]
        i += 1
        while i < len(lines) and lines[i][1].startswith("> "):
            script.append(lines[i][1][2:])
            i += 1
        expected = []
        while i < len(lines) and not lines[i][1].startswith("$ "):
            expected.append(lines[i][1])
            i += 1
        status = EXIT_COMMENT.search(script[-1])
        commands.append(Command(block.doc, number, "\n".join(script), int(status.group(1)) if status else 0, expected))
    return commands


def show(label, text):
    lines = text.splitlines(keepends=True) or [""]
    return f"  {label}:\n" + "".join(f"    {line!r}\n" for line in lines)


def run_console(command, bin_dir):
    env = dict(os.environ)
    env["PATH"] = str(bin_dir) + os.pathsep + env.get("PATH", "")
    env["LC_ALL"] = "C"
    with tempfile.TemporaryDirectory(prefix="corso-doc-") as cwd:
        env["PWD"] = cwd
        try:
            done = subprocess.run(["bash", "-c", command.script], cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                                  capture_output=True, timeout=TIMEOUT)
        except subprocess.TimeoutExpired:
            return f"timed out after {TIMEOUT} s"
    out = done.stdout.decode("utf-8", "surrogateescape")
    err = done.stderr.decode("utf-8", "surrogateescape")
    want = "".join(line + "\n" for line in command.expected)
    problems = []
    if out != want:
        problems.append("standard output differs\n" + show("expected", want) + show("actual", out))
    if done.returncode != command.status:
        problems.append(f"exit status {done.returncode}, expected {command.status}")
    if problems and err:
        problems.append(show("standard error", err).rstrip("\n"))
    return "\n".join(problems)


def cpp_expected(block):
    return [m.group(1).rstrip() for _, text in block.lines if (m := COUT_COMMENT.search(text))]


def run_cpp(block, index, args, work):
    source = work / f"example_{index}.cpp"
    exe = work / f"example_{index}"
    source.write_text("".join(text + "\n" for _, text in block.lines), encoding="utf-8")
    compiler = shlex.split(args.cxx)
    libraries, rpaths = [], []
    for lib in args.library:
        libraries.append(lib)
        if re.search(r"\.(so(\.\d+)*|dylib)$", lib):
            rpaths.append("-Wl,-rpath," + str(Path(lib).resolve().parent))
    command = (compiler[:1] + DEFAULT_CXX_FLAGS + compiler[1:] + [f"-I{d}" for d in args.include] +
               [str(source), "-o", str(exe)] + libraries + rpaths)
    built = subprocess.run(command, capture_output=True, text=True, timeout=600)
    if built.returncode != 0:
        return "does not compile\n  " + shlex.join(command) + "\n" + built.stdout + built.stderr
    if not exe.exists():  # a Windows compiler names it example_N.exe
        exe = exe.with_suffix(".exe")
    try:
        done = subprocess.run(shlex.split(args.emulator) + [str(exe)], stdin=subprocess.DEVNULL, capture_output=True, timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        return f"timed out after {TIMEOUT} s"
    # A Windows host's text streams end lines with CR LF.
    out = done.stdout.decode("utf-8", "surrogateescape").replace("\r\n", "\n")
    want = "".join(line + "\n" for line in cpp_expected(block))
    problems = []
    if out != want:
        problems.append("output differs from the comments\n" + show("expected", want) + show("actual", out))
    if done.returncode != 0:
        problems.append(f"exit status {done.returncode}\n" + done.stderr.decode("utf-8", "replace"))
    return "\n".join(problems)


def help_operations(corso):
    text = subprocess.run([str(corso), "--help"], capture_output=True, text=True, timeout=TIMEOUT).stdout
    listing = text.partition("\nOperations:\n")[2]
    return {m.group(1) for m in re.finditer(r"^  ([a-z][a-z-]*)", listing, re.M)}


def differences(known, listed, missing_what, unknown_what):
    """What a list lacks of the operations `known`, and what it holds besides, in words."""
    problems = []
    if missing := sorted(known - listed):
        problems.append(missing_what + ": " + " ".join(missing))
    if unknown := sorted(listed - known):
        problems.append(unknown_what + ": " + " ".join(unknown))
    return "\n".join(problems)


def check_man_page(doc, corso):
    """The operations of the man page's OPERATIONS section against `corso --help`."""
    section = re.search(r"^\.SH OPERATIONS\n(.*?)^\.SH ", doc.read_text(encoding="utf-8"), re.S | re.M)
    if not section:
        return "no OPERATIONS section"
    # The line after each .TP is the entry's tag; its first word, unescaped, is the operation.
    tags = re.findall(r"^\.TP\n(?:\.B[IR]? )?(?:\\fB)?((?:[a-z]|\\-)+)", section.group(1), re.M)
    listed = {tag.replace("\\-", "-") for tag in tags}
    return differences(help_operations(corso), listed, "operations of corso --help without an entry",
                       "entries for operations that corso --help does not list")


def check_operations_section(doc, corso):
    """The "## Operations" section of a guide against `corso --help`."""
    section = re.search(r"^## Operations\n(.*?)(?=^## |\Z)", doc.read_text(encoding="utf-8"), re.S | re.M)
    if not section:
        return "no ## Operations section"
    listed = {m.group(1) for m in re.finditer(r"^  ([a-z][a-z-]*)", section.group(1), re.M)}
    if missing := sorted(help_operations(corso) - listed):
        return "operations of corso --help missing from ## Operations: " + " ".join(missing)
    return ""


def check_completion(completion, bin_dir):
    """The operation names the bash completion offers after `corso `, against `corso --help`."""
    script = (f"source {shlex.quote(str(completion))}; COMP_WORDS=(corso ''); COMP_CWORD=1; _corso; "
              "printf '%s\\n' \"${COMPREPLY[@]}\"")
    env = dict(os.environ, PATH=str(bin_dir) + os.pathsep + os.environ.get("PATH", ""))
    done = subprocess.run(["bash", "-c", script], env=env, capture_output=True, text=True, timeout=TIMEOUT)
    return differences(help_operations(bin_dir / "corso"), set(done.stdout.split()),
                       "operations the completion does not offer", "names the completion offers that are no operation")


def main():
    parser = argparse.ArgumentParser(description="Check the examples of Corso's guides.")
    parser.add_argument("--corso", required=True, help="the corso binary")
    parser.add_argument("--cxx", required=True, help="the C++ compiler command, with flags, split like a shell line")
    parser.add_argument("--include", action="append", required=True, help="an include directory (repeatable)")
    parser.add_argument("--library", action="append", required=True, help="a library to link (repeatable)")
    parser.add_argument("--emulator", default="", help="the command that runs the programs of a cross build")
    parser.add_argument("docs", nargs="*", type=Path, help="the guides to check (default: those beside this script)")
    args = parser.parse_args()
    corso = Path(args.corso).resolve()
    if not corso.is_file() or not os.access(corso, os.X_OK):
        parser.error(f"{args.corso}: not an executable file")
    docs = args.docs or DEFAULT_DOCS

    passed, skipped, failures = 0, 0, []
    native_linux = sys.platform.startswith("linux") and not args.emulator
    with tempfile.TemporaryDirectory(prefix="corso-docs-") as tmp:
        work = Path(tmp)
        bin_dir = work / "bin"
        bin_dir.mkdir()
        if args.emulator:
            wrapper = bin_dir / "corso"
            wrapper.write_text(f'#!/usr/bin/env bash\nexec {args.emulator} {shlex.quote(str(corso))} "$@"\n')
            wrapper.chmod(0o755)
            corso = wrapper
        else:
            (bin_dir / "corso").symlink_to(corso)
        index = 0
        for doc in docs:
            if doc.name == "cli.md":
                problem = check_operations_section(doc, bin_dir / "corso")
                if problem:
                    failures.append(f"{doc}: {problem}")
                else:
                    passed += 1
            if doc.suffix == ".1":
                problem = check_man_page(doc, corso)
                if problem:
                    failures.append(f"{doc}: {problem}")
                else:
                    passed += 1
                continue
            checked = 0
            for block in read_blocks(doc):
                if block.lang == "console":
                    for command in console_commands(block):
                        problem = run_console(command, bin_dir)
                        checked += 1
                        if problem:
                            failures.append(f"{command.doc}:{command.line}: $ {command.script}\n{problem}")
                        else:
                            passed += 1
                elif block.lang == "cpp":
                    checked += 1
                    if block.lines and block.lines[0][1].startswith(LINUX_ONLY) and not native_linux:
                        skipped += 1
                        continue
                    index += 1
                    problem = run_cpp(block, index, args, work)
                    if problem:
                        failures.append(f"{block.doc}:{block.line}: C++ example\n{problem}")
                    else:
                        passed += 1
            if checked == 0:
                failures.append(f"{doc}: no ```console or ```cpp example found")

        if not args.docs:
            problem = check_completion(COMPLETION, bin_dir)
            if problem:
                failures.append(f"{COMPLETION}: {problem}")
            else:
                passed += 1

    for failure in failures:
        print("FAIL " + failure.rstrip("\n") + "\n")
    print(f"docs examples: {passed} passed, {len(failures)} failed" + (f", {skipped} skipped" if skipped else ""))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
