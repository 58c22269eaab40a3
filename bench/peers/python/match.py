"""Python's fnmatch.fnmatchcase and PurePath.match on the paths of the
benchmark corpus, read NUL-terminated on standard input (corso_corpus posix |
windows), against the pattern set of corso_bench's match benchmark. Neither
knows "**" in Python 3.11: fnmatch's '*' crosses separators, and
PurePath.match matches from the right, one segment a '*'. Prints the median
time of one path against one pattern over 5 passes, in the shape of the
benchmark's own rows. Usage: python3 match.py posix|windows"""
import fnmatch
import pathlib
import statistics
import sys
import time

syntax = sys.argv[1]
pure = pathlib.PureWindowsPath if syntax == "windows" else pathlib.PurePosixPath
paths = [p for p in sys.stdin.buffer.read().decode("utf-8", "surrogateescape").split("\0") if p]
patterns = ["**/*.cpp", "src/**/test_*.py", "*.d/", "/usr/lib/**/*.py"]


def median(match, items):
    times = []
    for _ in range(5):
        start = time.perf_counter_ns()
        for pat in patterns:
            for item in items:
                match(item, pat)
        times.append((time.perf_counter_ns() - start) / (len(items) * len(patterns)))
    return statistics.median(times)


print(f"BM_match/python_fnmatchcase/{syntax}  {median(fnmatch.fnmatchcase, paths):.1f} ns/path")
purepaths = [pure(p) for p in paths]
print(f"BM_match/python_purepath_match/{syntax}  {median(lambda p, pat: p.match(pat), purepaths):.1f} ns/path")
