"""Python's pathlib as_uri and urllib's pathname2url and url2pathname on the
paths of the benchmark corpus that are absolute, read NUL-terminated on
standard input (corso_corpus posix | windows). Prints the median time a path
over 5 passes, in the shape of the benchmark's own rows. Python 3.11 has no
Path.from_uri (it came in 3.13), so url2pathname is the reading side.
Usage: python3 uri.py posix|windows"""
import ntpath
import nturl2path
import pathlib
import re
import statistics
import sys
import time
import urllib.request

syntax = sys.argv[1]
windows = syntax == "windows"
paths = [p for p in sys.stdin.buffer.read().decode("utf-8", "surrogateescape").split("\0") if p]
if windows:
    paths = [p for p in paths if re.match(r"^([A-Za-z]:[\\/]|[\\/][\\/])", p)]
    pure, to_url, of_url = pathlib.PureWindowsPath, nturl2path.pathname2url, nturl2path.url2pathname
else:
    paths = [p for p in paths if p.startswith("/")]
    pure, to_url, of_url = pathlib.PurePosixPath, urllib.request.pathname2url, urllib.request.url2pathname


def median(f, items):
    times = []
    for _ in range(5):
        start = time.perf_counter_ns()
        for item in items:
            f(item)
        times.append((time.perf_counter_ns() - start) / len(items))
    return statistics.median(times)


purepaths = [pure(p) for p in paths]
print(f"BM_to_file_uri/python_as_uri/{syntax}  {median(lambda p: p.as_uri(), purepaths):.1f} ns/path")
print(f"BM_to_file_uri/python_pathname2url/{syntax}  {median(to_url, paths):.1f} ns/path")
urls = [to_url(p) for p in paths]
print(f"BM_of_file_uri/python_url2pathname/{syntax}  {median(of_url, urls):.1f} ns/path")
