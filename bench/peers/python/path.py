"""Python's posixpath and ntpath, and pathlib's PurePosixPath and
PureWindowsPath, on the paths of the benchmark corpus, read NUL-terminated on
standard input (corso_corpus posix | windows): the path rules are the
module's, not the host's. Prints the median time a path over 5 passes, in the
shape of the benchmark's own rows:

    BM_<operation>/python_<call>/<syntax>  <ns> ns/path

The os.path functions work on strings. relpath makes both paths absolute
first, against the working directory when they are relative, and refuses a
path on another drive (ValueError, counted as an answer). get_ext is
splitext(p)[1]. A pure path is parsed when it is constructed (Python 3.11
splits it into its parts there), so parse_copy is the constructor, and parts,
which the path keeps once it is asked, is timed on paths constructed anew
before each pass. multi_ext joins suffixes. relativize and append take the
roots and the tail of corso_bench. Usage: python3 path.py posix|windows"""
import ntpath
import pathlib
import posixpath
import re
import statistics
import sys
import time

PASSES = 5

syntax = sys.argv[1] if len(sys.argv) > 1 else ""
if syntax not in ("posix", "windows"):
    sys.exit("usage: python3 path.py posix|windows")
windows = syntax == "windows"
flavour = ntpath if windows else posixpath
pure = pathlib.PureWindowsPath if windows else pathlib.PurePosixPath
paths = [p for p in sys.stdin.buffer.read().decode("utf-8", "surrogateescape").split("\0") if p]
# The root of each path, as in corso_bench: one for absolute paths, one for
# relative ones.
absolute = re.compile(r"^([A-Za-z]:|[\\/])") if windows else re.compile(r"^/")
abs_root, rel_root = ("C:\\Program Files\\", "src\\") if windows else ("/usr/share/", "src/")
roots = [abs_root if absolute.match(p) else rel_root for p in paths]
tail = "include\\corso\\path.hpp" if windows else "include/corso/path.hpp"


def report(op, call, times):
    print(f"BM_{op}/python_{call}/{syntax}  {statistics.median(times):.1f} ns/path  ({len(paths)} paths)", flush=True)


def time_op(op, call, f, items):
    times = []
    for _ in range(PASSES):
        start = time.perf_counter_ns()
        for item in items:
            f(item)
        times.append((time.perf_counter_ns() - start) / len(items))
    report(op, call, times)


def relpath(pair):
    try:
        return flavour.relpath(pair[1], pair[0])
    except ValueError:
        return None


time_op("normalize", "normpath", flavour.normpath, paths)
time_op("relativize", "relpath", relpath, list(zip(roots, paths)))
time_op("parent", "dirname", flavour.dirname, paths)
time_op("filename", "basename", flavour.basename, paths)
time_op("get_ext", "splitext", lambda p: flavour.splitext(p)[1], paths)
time_op("append", "join", lambda p: flavour.join(p, tail), paths)

time_op("parse_copy", "purepath", pure, paths)
purepaths = [pure(p) for p in paths]
time_op("parent", "purepath_parent", lambda p: p.parent, purepaths)
time_op("filename", "purepath_name", lambda p: p.name, purepaths)
time_op("get_ext", "purepath_suffix", lambda p: p.suffix, purepaths)
time_op("multi_ext", "purepath_suffixes", lambda p: "".join(p.suffixes), purepaths)
time_op("stem", "purepath_stem", lambda p: p.stem, purepaths)
times = []
for _ in range(PASSES):
    fresh = [pure(p) for p in paths]
    start = time.perf_counter_ns()
    for p in fresh:
        p.parts
    times.append((time.perf_counter_ns() - start) / len(fresh))
report("segments", "purepath_parts", times)
