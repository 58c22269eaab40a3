"""Runs corso_bench, and with --peers the peers on their own toolchains, and
writes docs/benchmarks.md and docs/benchmarks.svg.

    report.py BINARY [--repetitions N] [--min-time S] [--filter REGEX]
              [--peers | --peers-in FILE] [--json-in FILE] [--json-out FILE]
              [--hot-paths N] [--out-dir DIR]

Each figure of corso_bench is the median over the repetitions of the mean per
path of one pass over the corpus; each peer takes the median of its own
passes. --json-out keeps the output of both, and --json-in reports on it
again without running anything. Python 3 standard library only.
"""

import argparse
import datetime
import json
import math
import os
import platform
import re
import subprocess
import sys
from html import escape

# Libraries in the order of the tables and of the bars.
LIBS = [("corso", "Corso"), ("std_fs", "std::filesystem"), ("boost", "Boost.Filesystem")]
LIB_NAMES = dict(LIBS)
PEERS = [lib for lib, _ in LIBS if lib != "corso"]
SYNTAXES = [("posix", "POSIX"), ("windows", "Windows")]

# Corso's operations, with the member functions the peers are measured with.
OPERATIONS = [
    ("parse", "of_string(std::string&&)", "path(std::string&&)"),
    ("parse_copy", "of_string(std::string_view)", "path(const std::string&)"),
    ("normalize", "normalize", "lexically_normal"),
    ("relativize", "relativize", "lexically_relative"),
    ("parent", "parent", "parent_path"),
    ("filename", "filename", "filename"),
    ("get_ext", "get_ext", "extension"),
    ("multi_ext", "get_ext(p, {.multi_ext = true})", None),
    ("stem", "stem", None),
    ("add_seg", 'add_seg(p, "file.txt")', 'p / "file.txt"'),
    ("append", "p / q", "p / q"),
    ("split_base", "split_base", None),
    ("basename", "basename", None),
    ("is_prefix", "is_prefix", None),
    ("segs", "segs", None),
]

# The targets, on the POSIX paths in cache: (operation, Corso's target in ns,
# the fastest peer figure that set it, in words).
TARGETS = [
    ("parse", 10, "~10 ns, a bare copy without validation"),
    ("normalize", 40, "~100 ns"),
    ("relativize", 100, "~220 ns"),
    ("parent", 30, "~28 ns, returning a view"),
    ("filename", 15, "~18 ns"),
    ("get_ext", 10, "~7 ns"),
    ("add_seg", 25, "~29 ns"),
    ("append", 25, "~29 ns"),
]
WINDOWS_RATIO = 1.3  # a Windows figure within this factor of the POSIX one

# Path sets against std::set<std::string>, on the POSIX corpus.
SET_OPERATIONS = [
    ("set_build", "100,000 insertions: `s = s.add(p)`, every version kept", "corso"),
    ("set_build", "100,000 insertions: `s = std::move(s).add(p)`, in place", "corso_inplace"),
    ("set_contains", "membership, in a shuffled order", "corso"),
    ("set_union", "union of two sets of 100,000 (per element of the result)", "corso"),
]

NAME = re.compile(r"^BM_(?P<op>[a-z_]+)/(?P<lib>[a-z_]+)/(?P<syntax>posix|windows)(?:/(?:manual|real)_time)?$")


def run_benchmarks(args, paths=None, benchmark_filter=None):
    """The binary's JSON output; with `paths`, on the first `paths` paths of each corpus."""
    cmd = [args.binary, "--benchmark_format=json"]
    if args.repetitions > 1:
        cmd += ["--benchmark_repetitions=%d" % args.repetitions, "--benchmark_report_aggregates_only=true"]
    if args.min_time is not None:
        cmd.append("--benchmark_min_time=%s" % args.min_time)
    benchmark_filter = benchmark_filter or args.filter
    if benchmark_filter:
        cmd.append("--benchmark_filter=%s" % benchmark_filter)
    env = dict(os.environ)
    if paths:
        env["CORSO_BENCH_PATHS"] = str(paths)
    print("running:", "CORSO_BENCH_PATHS=%s " % paths if paths else "", " ".join(cmd), file=sys.stderr)
    done = subprocess.run(cmd, stdout=subprocess.PIPE, check=True, env=env)
    return json.loads(done.stdout)


def collect(data):
    """{(op, lib, syntax): {"ns": .., "allocs": .., "bps": ..}} from the medians
    (or from the single runs when there was one repetition)."""
    entries = data["benchmarks"]
    aggregated = any(e.get("run_type") == "aggregate" for e in entries)
    out = {}
    spread = {}
    for e in entries:
        m = NAME.match(e["run_name"])
        if not m or e.get("error_occurred"):
            continue
        key = (m["op"], m["lib"], m["syntax"])
        if aggregated and e.get("aggregate_name") == "cv":
            spread[key] = e.get("ns/path")
        if aggregated and e.get("aggregate_name") != "median":
            continue
        out[key] = {"ns": e.get("ns/path"), "allocs": e.get("allocs/path"), "bps": e.get("bytes_per_second")}
    for key, cv in spread.items():
        if key in out:
            out[key]["cv"] = cv
    return out


def spread_note(results):
    """A sentence on how far the repetitions spread, or ""."""
    cvs = sorted(v["cv"] for v in results.values() if v.get("cv") is not None)
    if not cvs:
        return ""
    return (
        "The repetitions of a benchmark spread by %.0f%% (coefficient of variation) in the median case "
        "and by %.0f%% at most." % (100 * cvs[len(cvs) // 2], 100 * cvs[-1])
    )


def cpu_model():
    try:
        with open("/proc/cpuinfo", encoding="utf-8", errors="replace") as f:
            for line in f:
                if line.lower().startswith(("model name", "hardware", "cpu model")):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or platform.machine() or "unknown"


def physical_cores():
    """The number of distinct (physical id, core id) pairs, or None."""
    try:
        with open("/proc/cpuinfo", encoding="utf-8", errors="replace") as f:
            text = f.read()
    except OSError:
        return None
    cores = set()
    for block in text.split("\n\n"):
        fields = dict(
            (k.strip(), v.strip()) for k, _, v in (line.partition(":") for line in block.splitlines()) if k
        )
        if "core id" in fields:
            cores.add((fields.get("physical id", "0"), fields["core id"]))
    return len(cores) or None


def fmt_ns(v):
    if v is None:
        return "—"
    return "%.0f" % v if v >= 100 else "%.1f" % v if v >= 10 else "%.2f" % v


def fmt_allocs(v):
    return "—" if v is None else "%.2f" % v


def fmt_ratio(corso, peer):
    if peer is None or corso is None or peer <= 0:
        return "—"
    r = corso / peer
    return "%.2f×" % r if r >= 0.1 else "%.3f×" % r


def fmt_gbps(v):
    return "—" if v is None else "%.2f" % (v / 1e9)


def present_peers(results):
    return [p for p in PEERS if any(k[1] == p for k in results)]


def op_tables(results, peers, _, heading):
    """A table per syntax: each operation, Corso and every peer, with the ratio."""
    lines = []
    for syntax, title in SYNTAXES:
        if not any(k[2] == syntax for k in results):
            continue
        lines += ["", heading % title, ""]
        if syntax == "windows" and peers:
            lines += ["The peers read these paths under the host's rules (see above).", ""]
        head = ["Operation", "Corso ns/path", "Corso allocs/path"]
        for p in peers:
            head += ["%s ns/path" % LIB_NAMES[p], "%s allocs/path" % LIB_NAMES[p], "Corso / %s" % LIB_NAMES[p]]
        lines.append("| " + " | ".join(head) + " |")
        lines.append("|---|" + "---:|" * (len(head) - 1))
        for op, _, _ in OPERATIONS:
            c = results.get((op, "corso", syntax))
            if c is None:
                continue
            row = [op, fmt_ns(c["ns"]), fmt_allocs(c["allocs"])]
            for p in peers:
                r = results.get((op, p, syntax))
                row += [fmt_ns(r and r["ns"]), fmt_allocs(r and r["allocs"]), fmt_ratio(c["ns"], r and r["ns"])]
            lines.append("| " + " | ".join(row) + " |")

    return lines


def targets_table(hot):
    """Each target against Corso's figure in the cache, and the Windows factor."""
    lines = [
        "",
        "### Targets",
        "",
        "Median ns per path, POSIX paths in the cache; the Windows figure is held against %.1f times the "
        "POSIX one." % WINDOWS_RATIO,
        "",
        "| Operation | Fastest peer seen | Target | Corso POSIX | Met | Corso Windows | Windows / POSIX |",
        "|---|---|---:|---:|---|---:|---:|",
    ]
    for op, target, peer in TARGETS:
        c = hot.get((op, "corso", "posix"))
        w = hot.get((op, "corso", "windows"))
        if c is None:
            continue
        ratio = w["ns"] / c["ns"] if w and c["ns"] else None
        lines.append(
            "| %s | %s | ≤ %d | %s | %s | %s | %s |"
            % (
                op,
                peer,
                target,
                fmt_ns(c["ns"]),
                "yes" if c["ns"] <= target else "no",
                fmt_ns(w and w["ns"]),
                "—" if ratio is None else "%.2f%s" % (ratio, "" if ratio <= WINDOWS_RATIO else " (over)"),
            )
        )
    return lines


# The peers on their own toolchains (bench/peers/run): their rows, in the
# shape of corso_bench's, and the lines that say which ran and which did not.
PEER_ROW = re.compile(r"^BM_(?P<op>[a-z_]+)/(?P<lib>[a-z0-9_]+)/(?P<syntax>posix|windows)\s+(?P<ns>[0-9.]+) ns/path")
PEER_STATUS = re.compile(r"^# (?P<status>ran|skipped|failed) (?P<peer>[^:]+): (?P<text>.*)$")

# Corso's operations next to the peers, in the order of the summary, with the
# names of Corso's rows (the first found is taken) and the note that goes
# with them.
SUMMARY = [
    ("parse_copy", ["parse_copy"], "copy"),
    ("normalize", ["normalize"], "normalize"),
    ("relativize", ["relativize"], "relativize"),
    ("parent", ["parent"], "views"),
    ("filename", ["filename"], "views"),
    ("filename_view", ["filename_view"], "own_views", "filename"),
    ("get_ext", ["get_ext"], "views"),
    ("get_ext_view", ["get_ext_view"], "own_views", "get_ext"),
    ("multi_ext", ["multi_ext"], "multi_ext"),
    ("stem", ["stem"], "views"),
    ("stem_view", ["stem_view"], "own_views", "stem"),
    ("append", ["append"], "append"),
    ("segments", ["segments", "segs"], "segments"),
    ("match", ["match"], "match"),
    ("to_file_uri", ["to_file_uri"], "uri"),
    ("of_file_uri", ["of_file_uri"], "uri"),
    ("append_beneath", ["append_beneath"], "beneath"),
    ("windows_name_fault", ["windows_name_fault"], "name_fault"),
]


def peer_op(entry):
    """The operation whose peers an entry of SUMMARY is held against: its own, or the owned form's."""
    return entry[3] if len(entry) > 3 else entry[0]


NOTES = {
    "copy": "Corso checks the text and finds its segments. LLVM's `SmallString<128>` (no allocation up to 128 "
    "bytes), Rust's `PathBuf::from` and Go's `strings.Clone` copy the bytes and check nothing; Boost copies "
    "the string; libstdc++'s `std::filesystem::path` and Python's pure paths split it into segments.",
    "normalize": "Go's `Clean`, Python's `normpath` and LLVM's `remove_dots` drop a trailing separator; Node's "
    "`normalize` keeps it.",
    "relativize": "Node's `relative` and Python's `relpath` make both paths absolute first, against the working "
    "directory when they are relative, and `relpath` raises on a path on another drive. LLVM and Rust have no "
    "lexical relative path.",
    "views": "LLVM, Rust and Node return a view or a slice of the text; Corso returns a string or a path that it "
    "owns. Go's `Dir` cleans its result. Rust's `extension` has no '.'.",
    "own_views": "Corso's `filename_view`, `get_ext_view` and `stem_view` give the answers of `filename`, "
    "`get_ext` and `stem` as `std::string_view`s into the path, as the peers give theirs; they are held against "
    "the same peers.",
    "multi_ext": "No peer has the multiple extension as one call: Python joins `suffixes`, Rust's is composed "
    "from `file_name` in bench/peers/rust/path.rs.",
    "append": "Go's `Join` and Node's `join` normalize the result; LLVM's `append` works on a copy in a "
    "`SmallString<128>`.",
    "segments": "Corso's `segs` returns the segments as strings. LLVM's iterator and Rust's `components()` are "
    "counted without building anything, and `components()` skips `.` and empty segments; Go's `strings.Split` "
    "allocates the slice of segments; Python's `parts` were split when the pure path was constructed.",
    "match": "Go's `path.Match` and Python 3.11 take `**` as `*`; `fnmatchcase`'s `*` crosses separators and it "
    "knows no syntax; `PurePath.match` matches from the right. Node's `matchesGlob` (experimental) reads `**` "
    "across segments, but also lets a relative pattern match an absolute path and `**` cross `..`. The answers "
    "differ; the figures compare the work of one match.",
    "uri": "Python 3.11 has no `Path.from_uri` (it came in 3.13): `url2pathname` decodes the path part of a URI "
    "only. Node's `fileURLToPath` parses the whole URL.",
    "beneath": "Go 1.19 has no `IsLocal` (it came in 1.20): the Go figure is `Clean`, a refusal of absolute paths "
    "and of a leading `..`, then `Join`.",
    "name_fault": "No peer here: Python's `ntpath.isreserved` came in 3.13.",
}

# Rows whose rules are not the Windows ones, left out of the Windows column:
# std::filesystem and Boost follow the host's rules (on a POSIX host they read
# Windows paths as POSIX paths), and fnmatchcase knows no separators.
HOST_RULES = {"std_fs", "boost"}
NO_SYNTAX = {"python_fnmatchcase"}
# Rows of corso_bench that are floors, not peers: shown, never the fastest peer.
# The peers' copies that check nothing are floors of parse_copy too.
FLOORS = {
    "memchr": "`memchr`, the floor",
    "string_copy": "a bare `std::string` copy, the floor",
    "scan_copy": "`memchr` for a NUL, then the bare copy: the floor of a check",
    "bare_scan": "a bare scan back to the last separator, a view: the floor of the view",
    "llvm_smallstring": "LLVM `SmallString<128>(p)`, a copy into the frame that checks nothing, a floor",
    "rust_pathbuf_from": "Rust `PathBuf::from`, a copy that checks nothing, a floor",
    "go_strings_clone": "Go `strings.Clone`, a copy that checks nothing, a floor",
}

# What bounds Corso where it is behind the fastest peer (MISSES) or where its
# Windows figure is more than WINDOWS_LIMIT times its POSIX one (WINDOWS_GAPS):
# read off `perf record` on corso_bench, and printed for the rows that miss.
WINDOWS_LIMIT = 1.2
MISSES = {
    "parse_copy": "Corso checks every byte (a NUL, a run of separators, under Windows a '/') and copies once. "
    "`perf record` on `BM_parse_copy/corso/posix`: the scan about 40%, the allocation, copy and free of the new "
    "string about 30%, the branch on the scan's answer most of the rest (it waits for the bytes to come from "
    "memory). The floors are the bare `std::string` copy of the same bytes, and `memchr` over them (a NUL is the "
    "least a check looks for) followed by that copy; Corso's scan looks for three things at once, and costs "
    "about as much as the copy (11 ns a path, timed apart over the corpus). The peers that copy without checking stand below it: "
    "LLVM's `SmallString<128>` does not allocate, which a path that holds a `std::string` cannot match; Rust's "
    "`PathBuf::from` and Go's `strings.Clone` allocate and copy, as the bare copy does, and check nothing.",
    "get_ext": "`get_ext` returns a `std::string`, Go's `Ext` and LLVM's `extension` a slice of the text: "
    "building the string is the difference (about 8 ns a path, `get_ext` against `get_ext_view`). "
    "`get_ext_view`, the same answer as a view, is the row to hold against them.",
    "filename": "`filename` returns a `std::string`, the peers a slice: `filename_view` is the row to hold "
    "against them.",
    "stem": "`stem` returns a `std::string`, the peers a slice: `stem_view` is the row to hold against them.",
    "parent": "`parent` returns a path that it owns: one allocation and copy of the prefix (the cost of the "
    "bare copy row of parse_copy), where LLVM's `parent_path` returns a view.",
    "append": "LLVM's `append` writes into a `SmallString<128>` in the frame; Corso allocates the new path.",
}
WINDOWS_GAPS = {
    "parse_copy": "`perf record` on `BM_parse_copy/corso/windows`: the Windows scan tests two separators and "
    "'/' in every block (2.4 ns a path more than the POSIX scan, timed apart); 15% of the corpus has a '/' to "
    "rewrite in the copy and 15% a UNC volume, whose segments the volume grammar reads; a text that ends with "
    "':' is searched for its first ':'.",
    "stem": "`perf record` on `BM_stem_view/corso/windows`: the search for the last segment about 45%, the "
    "extension's about 35%. Under Windows each also stops at a ':' (a ':' in the last segment makes the volume "
    "matter), and a UNC path (15% of the corpus) takes a road of its own. `stem_view` shows the same gap "
    "without the copy.",
    "stem_view": "As `stem`; a view costs a few ns, so the same few ns more weigh more.",
    "get_ext_view": "The last sixteen bytes are searched for a ':' beside '\\\\' and '.', and in a UNC path "
    "(15% of the corpus) an extension is taken only after the volume; a view costs a few ns, so the same few ns "
    "more weigh more. The bare scan row of get_ext (a walk back to '.' or '\\\\', as Go's `Ext` does, with no "
    "rule for volumes) shows what a scan without those rules costs on the same paths.",
    "get_ext": "As `get_ext_view`, and the copy.",
    "filename_view": "Under Windows the search back for the last '\\\\' also stops at a ':' (a ':' in the last "
    "segment makes the volume matter) and a UNC path takes a road of its own; a view costs a few ns, so the "
    "same few ns more weigh more. The bare scan row of filename shows what a scan without those rules costs.",
    "filename": "As `filename_view`.",
    "append": "Under Windows the appended path is searched for a ':' (one anywhere makes it a volume, and then "
    "append gives it alone); the POSIX rule reads its first two bytes.",
    "of_file_uri": "The decoded path of a Windows URI has '/' that parsing rewrites as '\\', a drive URI loses "
    "its leading '/', and a URI with a host (15% of the corpus) is rebuilt as `\\\\host\\share`; the POSIX "
    "path is parsed as decoded.",
    "to_file_uri": "A Windows path gains its drive or host in the URI and has every '\\' written as '/'.",
    "append_beneath": "Windows refuses names that POSIX takes: every segment of every request is checked "
    "(reserved device names, trailing dots and spaces, refused bytes); the `windows_name_fault` row times that "
    "check alone.",
}

TOOLCHAINS = {"llvm": "LLVM", "go": "Go", "rust": "Rust", "node": "Node", "python": "Python"}
# What a peer's row times, in words.
PEER_CALLS = {
    "llvm_smallstring": "`SmallString<128>(p)`",
    "llvm_smallstring_native": "`SmallString<128>(p)`, `native`",
    "llvm_remove_dots": "`remove_dots`",
    "llvm_parent_path": "`parent_path`",
    "llvm_filename": "`filename`",
    "llvm_extension": "`extension`",
    "llvm_stem": "`stem`",
    "llvm_append": "`append`",
    "llvm_iterator": "`begin`, `end`",
    "go_strings_clone": "`strings.Clone`",
    "go_clean": "`Clean`",
    "go_rel": "`Rel`",
    "go_dir": "`Dir`",
    "go_base": "`Base`",
    "go_ext": "`Ext`",
    "go_trimsuffix_base_ext": "`TrimSuffix(Base, Ext)`",
    "go_join": "`Join`",
    "go_split": "`strings.Split`",
    "go_path_match": "`path.Match`",
    "go_clean_join": "`Clean`, `Join`",
    "rust_pathbuf_from": "`PathBuf::from`",
    "rust_parent": "`parent`",
    "rust_file_name": "`file_name`",
    "rust_extension": "`extension`",
    "rust_file_name_by_hand": "`file_name`, split by hand",
    "rust_file_stem": "`file_stem`",
    "rust_join": "`join`",
    "rust_components": "`components().count()`",
    "node_normalize": "`normalize`",
    "node_relative": "`relative`",
    "node_dirname": "`dirname`",
    "node_basename": "`basename`",
    "node_extname": "`extname`",
    "node_basename_extname": "`basename(p, extname(p))`",
    "node_join": "`join`",
    "node_matchesglob": "`matchesGlob`",
    ("to_file_uri", "node"): "`pathToFileURL`",
    ("of_file_uri", "node"): "`fileURLToPath`",
    "python_normpath": "`normpath`",
    "python_relpath": "`relpath`",
    "python_dirname": "`dirname`",
    "python_basename": "`basename`",
    "python_splitext": "`splitext`",
    "python_join": "`join`",
    "python_purepath": "`PurePath(p)`",
    "python_purepath_parent": "`PurePath.parent`",
    "python_purepath_name": "`PurePath.name`",
    "python_purepath_suffix": "`PurePath.suffix`",
    "python_purepath_suffixes": "`''.join(PurePath.suffixes)`",
    "python_purepath_stem": "`PurePath.stem`",
    "python_purepath_parts": "`PurePath.parts`",
    "python_fnmatchcase": "`fnmatchcase`",
    "python_purepath_match": "`PurePath.match`",
    "python_as_uri": "`PurePath.as_uri`",
    "python_pathname2url": "`pathname2url`",
    "python_url2pathname": "`url2pathname`",
}


def run_peers(binary):
    """The output lines of bench/peers/run on the corpus of the binary's build."""
    script = os.path.join(os.path.dirname(os.path.abspath(__file__)), "peers", "run")
    cmd = ["sh", script, os.path.dirname(os.path.abspath(binary))]
    print("running:", " ".join(cmd), file=sys.stderr)
    lines = []
    with subprocess.Popen(cmd, stdout=subprocess.PIPE, text=True, errors="replace") as proc:
        for line in proc.stdout:
            sys.stderr.write(line)
            lines.append(line.rstrip("\n"))
    if proc.returncode != 0:
        lines.append("# failed peers: bench/peers/run exited with status %d" % proc.returncode)
    return lines


def collect_peers(lines):
    """The peers' rows, {(op, lib, syntax): {"ns": ..}}, and their statuses, [(status, peer, text)]."""
    rows, statuses = {}, []
    for line in lines:
        m = PEER_ROW.match(line)
        if m:
            rows[(m["op"], m["lib"], m["syntax"])] = {"ns": float(m["ns"]), "allocs": None}
            continue
        m = PEER_STATUS.match(line)
        if m:
            statuses.append((m["status"], m["peer"].strip(), m["text"].strip()))
    return rows, statuses


def peer_label(op, lib):
    """A peer's row in words: its library and its call."""
    if lib in FLOORS:
        return FLOORS[lib]
    if lib in HOST_RULES:
        calls = {o: fn for o, _, fn in OPERATIONS}
        return LIB_NAMES[lib] + (" `%s`" % calls[op] if calls.get(op) else "")
    toolchain = TOOLCHAINS.get(lib.split("_")[0], lib)
    call = PEER_CALLS.get((op, lib)) or PEER_CALLS.get(lib)
    return "%s %s" % (toolchain, call) if call else "`%s`" % lib


def counts_for(syntax, lib, host):
    """Whether a peer's row does the work of the syntax's rules."""
    if syntax != "windows":
        return True
    return lib not in NO_SYNTAX and (host == "Windows" or lib not in HOST_RULES)


def corso_row(rows, names, syntax):
    for name in names:
        if (name, "corso", syntax) in rows:
            return rows[(name, "corso", syntax)]
    return None


def fastest_peer(rows, op, syntax, host):
    """(ns, lib) of the fastest peer of op under syntax's rules, or None."""
    found = [
        (v["ns"], lib)
        for (o, lib, s), v in rows.items()
        if o == op and s == syntax and v.get("ns") and not lib.startswith("corso") and lib not in FLOORS
        and counts_for(syntax, lib, host)
    ]
    return min(found) if found else None


def summarize(rows, host):
    """For every operation of SUMMARY: Corso's rows and the fastest peers, under each syntax."""
    out = []
    for item in SUMMARY:
        op, names, note = item[:3]
        entry = {"op": op, "note": note, "peer_op": peer_op(item)}
        for syntax, _ in SYNTAXES:
            entry[syntax] = corso_row(rows, names, syntax)
            entry[syntax + "_peer"] = fastest_peer(rows, entry["peer_op"], syntax, host)
        if any(entry[s] or entry[s + "_peer"] for s, _ in SYNTAXES):
            out.append(entry)
    return out


def corso_over(corso, peer):
    """Corso's time over the peer's, "0.42×", or "—"."""
    return fmt_ratio(corso and corso.get("ns"), peer and peer[0])


def summary_lines(summary, rows, statuses, context, host, peers_ran):
    """The table of Corso against the fastest peer, the notes and the list of peers."""
    note_numbers = {}
    for e in summary:
        note_numbers.setdefault(e["note"], len(note_numbers) + 1)
    lines = [
        "",
        "## Corso and the fastest peer",
        "",
        "Every operation on the whole corpus, Corso's figure next to the fastest peer's under the same rules. "
        "A ratio here is Corso's time over the peer's: below 1, Corso is faster. The peers on their own "
        "toolchains time one pass over the corpus with their own clocks and keep the median of several passes "
        "(11, and 5 for Python); they count no allocations. Under Windows, only the peers that apply "
        "Windows rules count: LLVM's `Style::windows`, Node's `path.win32`, Python's `ntpath`, "
        "`PureWindowsPath` and `nturl2path`%s." % (", and std::filesystem and Boost" if host == "Windows" else ""),
        "",
        "![Corso's time over the fastest peer's, per operation (below 1, Corso is faster)](benchmarks.svg)",
        "",
        "| Operation | Corso POSIX ns/path | Fastest POSIX peer | ns/path | Corso / peer "
        "| Corso Windows ns/path | Fastest Windows peer | ns/path | Corso / peer "
        "| Corso Windows / POSIX | Corso allocs/path (POSIX, Windows) | Note |",
        "|---|---:|---|---:|---:|---:|---|---:|---:|---:|---:|---:|",
    ]
    for e in summary:
        p, w = e["posix"], e["windows"]
        pp, wp = e["posix_peer"], e["windows_peer"]
        ratio = "%.2f" % (w["ns"] / p["ns"]) if p and w and p.get("ns") and w.get("ns") else "—"
        lines.append(
            "| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s, %s | %d |"
            % (
                e["op"],
                fmt_ns(p and p["ns"]),
                peer_label(e["peer_op"], pp[1]) if pp else "—",
                fmt_ns(pp and pp[0]),
                corso_over(p, pp),
                fmt_ns(w and w["ns"]),
                peer_label(e["peer_op"], wp[1]) if wp else "—",
                fmt_ns(wp and wp[0]),
                corso_over(w, wp),
                ratio,
                fmt_allocs(p and p.get("allocs")),
                fmt_allocs(w and w.get("allocs")),
                note_numbers[e["note"]],
            )
        )
    lines += ["", "Notes:", ""]
    for note, number in sorted(note_numbers.items(), key=lambda kv: kv[1]):
        lines.append("%d. %s" % (number, NOTES[note]))
    lines += misses_lines(summary)
    lines += peer_list_lines(rows, statuses, context, peers_ran)
    lines += every_peer_lines(summary, rows, host)
    return lines


def misses_lines(summary):
    """Where Corso is behind the fastest peer, or its Windows figure more than WINDOWS_LIMIT times its POSIX
    one, in this run: what bounds it."""
    behind, gaps = [], []
    for e in summary:
        late = [title for syntax, title in SYNTAXES
                if e[syntax] and e[syntax].get("ns") and e[syntax + "_peer"] and e[syntax]["ns"] > e[syntax + "_peer"][0]]
        if late:
            behind.append("- %s (%s): %s" % (e["op"], ", ".join(late), MISSES.get(e["op"], "no profile recorded.")))
        p, w = e["posix"], e["windows"]
        if p and w and p.get("ns") and w.get("ns") and w["ns"] > WINDOWS_LIMIT * p["ns"]:
            gaps.append("- %s (%.2f): %s" % (e["op"], w["ns"] / p["ns"], WINDOWS_GAPS.get(e["op"], "no profile recorded.")))
    lines = ["", "### Where Corso is behind", ""]
    lines += behind or ["Nowhere in this run."]
    lines += ["", "### Where Windows costs more than %.1f times POSIX" % WINDOWS_LIMIT, ""]
    lines += gaps or ["Nowhere in this run."]
    return lines


def peer_list_lines(rows, statuses, context, peers_ran):
    """Which peers ran, and which could not, and why."""
    ran = []
    if any(k[1] == "std_fs" for k in rows):
        ran.append("std::filesystem (%s), in `corso_bench`" % context.get("corso_std_library", "the standard library"))
    if any(k[1] == "boost" for k in rows):
        ran.append("Boost.Filesystem %s, in `corso_bench`" % context.get("corso_boost", "").replace("_", "."))
    not_run = []
    if not any(k[1] == "boost" for k in rows):
        not_run.append("Boost.Filesystem: not found when `corso_bench` was configured (Debian's "
                       "`libboost-filesystem-dev`)")
    for status, peer, text in statuses:
        name = TOOLCHAINS.get(peer, peer)
        if status == "ran":
            ran.append("%s: %s" % (name, text))
        elif status == "skipped":
            not_run.append("%s: %s" % (name, text))
        else:
            not_run.append("%s, in part: %s" % (name, text))
    if not peers_ran:
        not_run.append("LLVM, Go, Rust, Node and Python: not run (`bench/run_all`, or `report.py --peers`, "
                       "runs them)")
    lines = ["", "## Peers", "", "Ran:", ""]
    lines += ["- %s" % r for r in ran] or ["- none"]
    lines += ["", "Could not run:", ""]
    lines += ["- %s" % r for r in not_run] or ["- none"]
    return lines


def every_peer_lines(summary, rows, host):
    """Every row of every peer, next to Corso's."""
    lines = [
        "",
        "## Every peer",
        "",
        "ns/path on the whole corpus, and Corso's time over the peer's. A Windows figure in italics follows "
        "other rules than Windows' and is left out of the summary, and so is a floor of `corso_bench`.",
        "",
        "| Operation | Library and call | POSIX ns/path | Corso / it | Windows ns/path | Corso / it |",
        "|---|---|---:|---:|---:|---:|",
    ]
    for e in summary:
        op = e["op"]
        if e["peer_op"] != op:
            continue  # a view: its peers are listed under the owned form
        libs = sorted({lib for (o, lib, _) in rows if o == op and not lib.startswith("corso") and lib != "memchr"})
        lines.append(
            "| %s | **Corso** | %s | | %s | |"
            % (op, fmt_ns(e["posix"] and e["posix"]["ns"]), fmt_ns(e["windows"] and e["windows"]["ns"]))
        )
        ordered = sorted(
            libs, key=lambda lib: min((v["ns"] for k, v in rows.items() if k[:2] == (op, lib) and v["ns"]), default=0)
        )
        for lib in ordered:
            cells = []
            for syntax, _ in SYNTAXES:
                r = rows.get((op, lib, syntax))
                if not r or not r.get("ns"):
                    cells += ["—", "—"]
                    continue
                figure = fmt_ns(r["ns"])
                cells += [figure if counts_for(syntax, lib, host) else "*%s*" % figure,
                          corso_over(e[syntax], (r["ns"], lib))]
            lines.append("| | %s | %s |" % (peer_label(op, lib), " | ".join(cells)))
    return lines


def ratio_svg(summary):
    """One bar per operation and syntax: Corso's time over the fastest peer's, on a log scale around 1."""
    bars = []
    for e in summary:
        for syntax, title in SYNTAXES:
            c, p = e[syntax], e[syntax + "_peer"]
            if c and c.get("ns") and p and p[0]:
                bars.append((e["op"], syntax, title, c["ns"] / p[0], peer_label(e["peer_op"], p[1]).replace("`", "")))
    label_w, chart_w, text_w = 130, 420, 300
    bar_h, gap, group_gap, top = 12, 2, 8, 64
    colors = {"posix": "#1f77b4", "windows": "#ff7f0e"}
    ops = [e["op"] for e in summary if any(b[0] == e["op"] for b in bars)]
    lo = min([b[3] for b in bars] + [1.0])
    hi = max([b[3] for b in bars] + [1.0])
    lo_exp = math.floor(math.log2(lo)) if lo > 0 else -1
    hi_exp = math.ceil(math.log2(hi))
    if hi_exp == lo_exp:
        hi_exp += 1
    x_of = lambda r: label_w + (math.log2(r) - lo_exp) / (hi_exp - lo_exp) * chart_w
    height = top + sum(sum(1 for b in bars if b[0] == op) * (bar_h + gap) + group_gap for op in ops) + 30
    width = label_w + chart_w + text_w
    out = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d" '
        'font-family="sans-serif" font-size="11">' % (width, height, width, height),
        '<rect width="100%" height="100%" fill="white"/>',
        '<text x="10" y="18" font-size="14" font-weight="bold">'
        "Corso's time over the fastest peer's (below 1, Corso is faster)</text>",
    ]
    x = 10
    for syntax, title in SYNTAXES:
        out.append('<rect x="%d" y="28" width="12" height="12" fill="%s"/>' % (x, colors[syntax]))
        out.append('<text x="%d" y="38">%s</text>' % (x + 16, title))
        x += 80
    axis_y = top + (height - top - 30)
    # A labelled line every 1, 2 or 4 powers of two, as many as fit.
    step = next((k for k in (1, 2, 4) if chart_w / (hi_exp - lo_exp) * k >= 44), 8)
    for exp in range(lo_exp, hi_exp + 1):
        if exp % step:
            continue
        xx = x_of(2.0**exp)
        out.append('<line x1="%.1f" y1="%d" x2="%.1f" y2="%d" stroke="%s"/>'
                   % (xx, top - 6, xx, axis_y, "#333" if exp == 0 else "#ddd"))
        tick = "%g" % (2.0**exp) if exp >= 0 else "1/%d" % (2**-exp)
        out.append('<text x="%.1f" y="%d" text-anchor="middle">%s×</text>' % (xx, axis_y + 14, tick))
    out.append('<text x="%.1f" y="%d" text-anchor="end" fill="#555">Corso faster ←</text>' % (x_of(1.0) - 4, top - 10))
    out.append('<text x="%.1f" y="%d" fill="#555">→ Corso slower</text>' % (x_of(1.0) + 4, top - 10))
    y = top
    for op in ops:
        group = [b for b in bars if b[0] == op]
        out.append('<text x="%d" y="%.1f" text-anchor="end">%s</text>'
                   % (label_w - 6, y + len(group) * (bar_h + gap) / 2 + 3, escape(op)))
        for _, syntax, title, ratio, peer in group:
            x0, x1 = sorted((x_of(1.0), x_of(ratio)))
            out.append(
                '<rect x="%.1f" y="%d" width="%.1f" height="%d" fill="%s"><title>%s %s: %.2f× %s</title></rect>'
                % (x0, y, max(1.0, x1 - x0), bar_h, colors[syntax], escape(op), title, ratio, escape(peer))
            )
            out.append('<text x="%.1f" y="%d">%.2f× %s</text>'
                       % (label_w + chart_w + 6, y + bar_h - 2, ratio, escape(peer)))
            y += bar_h + gap
        y += group_gap
    out.append("</svg>")
    return "\n".join(out) + "\n"


def markdown(results, hot, hot_paths, context, args, peer_rows, statuses, peers_ran, host):
    peers = present_peers(results)
    rows = dict(results)
    rows.update(peer_rows)
    summary = summarize(rows, host)
    now = datetime.datetime.now(datetime.timezone.utc)
    cores = physical_cores()
    caches = ", ".join(
        "L%d %s %d KiB" % (c["level"], c["type"].lower(), c["size"] // 1024) for c in context.get("caches", [])
    )
    lines = [
        "# Benchmarks",
        "",
        "Corso next to %s in the `corso_bench` binary%s, measured by `bench/report.py` "
        "(see [bench/README.md](../bench/README.md))."
        % (
            " and ".join(LIB_NAMES[p] for p in peers),
            ", and next to the peers on their own toolchains that `bench/peers/run` ran on the same corpus"
            if peers_ran
            else "",
        ),
        "",
        "- Date: %s" % (context.get("date") or now.isoformat())[:10],
        "- Machine: %s, %d logical CPUs%s%s"
        % (
            cpu_model(),
            os.cpu_count() or context.get("num_cpus", 0),
            ", %d cores" % cores if cores else "",
            "; caches: " + caches if caches else "",
        ),
        "- Build: %s, Corso built as %s, the benchmarks with -O2; %s%s"
        % (
            context.get("corso_compiler", "unknown compiler"),
            context.get("corso_config", "?"),
            context.get("corso_std_library", "standard library"),
            ", Boost %s" % context["corso_boost"].replace("_", ".") if "corso_boost" in context else "",
        ),
        "- Corpus: %s" % context.get("corso_corpus", "?"),
        "- Figures: the median of %d repetitions of one pass over the whole corpus; ns/path and allocs/path "
        "are per path (allocations are calls of operator new). A ratio is Corso's time over the peer's: "
        "below 1, Corso is faster. %s" % (args.repetitions, spread_note(results)),
    ]
    lines += summary_lines(summary, rows, statuses, context, host, peers_ran)
    lines += [
        "",
        "## Next to std::filesystem and Boost.Filesystem",
        "",
        "std::filesystem and Boost.Filesystem follow the rules of the host. On a POSIX host they read the Windows corpus as POSIX "
        "paths, in which `\\` is an ordinary byte: most Windows paths are then one long segment, so their "
        "Windows rows are cheap and do not do the work Corso does (drive, UNC and verbatim volumes, `/` "
        "turned into `\\`).",
        "",
        "Boost.Filesystem keeps a path as its string and finds the segments when asked: its `parse` "
        "only copies the string (it allocates once per path even when the string is moved in), and its "
        "queries pay for the parsing instead.",
        "",
        "The corpus (several MB with its strings) does not fit in the L2 cache: the operations that only "
        "look at a path are bound by memory as much as by their own work. `parse` hands over strings that "
        "were copied just before, a chunk of 256 at a time, so they are hot.",
        "",
        "| Operation | Corso | %s |" % " | ".join(LIB_NAMES[p] for p in peers),
        "|---|---|" + "---|" * len(peers),
    ]
    for op, corso_fn, peer_fn in OPERATIONS:
        lines.append("| %s | `%s` | %s |" % (op, corso_fn, " | ".join("`%s`" % peer_fn if peer_fn else "—" for _ in peers)))
    lines += op_tables(results, peers, "", "### %s paths, the whole corpus")
    if hot:
        lines += [
            "",
            "## In the cache",
            "",
            "The same operations on the first %d paths of each corpus, which stay in the cache: the work of "
            "the operations themselves. The targets below are read on these figures, where the peers' "
            "figures that set them were seen." % hot_paths,
        ]
        lines += op_tables(hot, present_peers(hot), "", "### %s paths, in the cache")
        lines += targets_table(hot)
    lines += [
        "",
        "## A long path",
        "",
        "Parsing one path of 4 KiB (about 300 segments, moved in), in GB/s (10^9 bytes a second), next to "
        "`memchr` over the same bytes, the least a parser that looks at every byte can do.",
        "",
    ]
    head = ["Syntax", "Corso GB/s", "memchr GB/s", "Corso / memchr"] + ["%s GB/s" % LIB_NAMES[p] for p in peers]
    lines.append("| " + " | ".join(head) + " |")
    lines.append("|---|" + "---:|" * (len(head) - 1))
    for syntax, title in SYNTAXES:
        c = results.get(("parse_long", "corso", syntax))
        m = results.get(("parse_long", "memchr", syntax))
        if c is None and m is None:
            continue
        cb, mb = c and c["bps"], m and m["bps"]
        row = [title, fmt_gbps(cb), fmt_gbps(mb), "%.3f" % (cb / mb) if cb and mb else "—"]
        row += [fmt_gbps((results.get(("parse_long", p, syntax)) or {}).get("bps")) for p in peers]
        lines.append("| " + " | ".join(row) + " |")
    if any(k[0].startswith("set_") for k in results):
        lines += [
            "",
            "## Path sets",
            "",
            "`corso::posix_path_set` next to `std::set<std::string>` on the POSIX corpus. A Corso set is an "
            "immutable value: every insertion returns a new set and leaves the old one intact, unless the set "
            "is an rvalue whose nodes nothing else shares.",
            "",
            "| Operation | Corso ns/path | Corso allocs/path | std::set ns/path | std::set allocs/path | Corso / std::set |",
            "|---|---:|---:|---:|---:|---:|",
        ]
        for op, title, lib in SET_OPERATIONS:
            c = results.get((op, lib, "posix"))
            r = results.get((op, "std_set", "posix"))
            if c is None:
                continue
            ratio = "%.2f×" % (c["ns"] / r["ns"]) if r and r["ns"] else "—"
            lines.append("| %s | %s | %s | %s | %s | %s |" % (
                title, fmt_ns(c["ns"]), fmt_allocs(c["allocs"]), fmt_ns(r and r["ns"]), fmt_allocs(r and r["allocs"]), ratio))
    lines += [
        "",
        "Regenerate with `bench/run_all build/bench` (corso_bench and every peer), or "
        "`python3 bench/report.py build/bench/bench/corso_bench` (corso_bench alone) after building the "
        "`corso_bench` target.",
        "",
    ]
    return "\n".join(lines)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("binary", nargs="?", help="the corso_bench executable")
    ap.add_argument("--repetitions", type=int, default=5, help="runs of each benchmark; the median is reported")
    ap.add_argument("--min-time", help="--benchmark_min_time for each run, in seconds")
    ap.add_argument("--filter", help="--benchmark_filter, a regular expression on the names")
    ap.add_argument("--hot-paths", type=int, default=1000, help="also run on this many paths, in the cache (0: not)")
    ap.add_argument("--json-in", help="report on this saved JSON output instead of running the binary")
    ap.add_argument("--json-out", help="also save the JSON output here, with the peers' output")
    ap.add_argument("--peers", action="store_true", help="also run the peers on their own toolchains (bench/peers/run)")
    ap.add_argument("--peers-in", help="the peers' rows from this saved output of bench/peers/run")
    ap.add_argument("--out-dir", default=os.path.join(os.path.dirname(here), "docs"), help="where to write")
    args = ap.parse_args()
    if args.json_in:
        with open(args.json_in, encoding="utf-8") as f:
            saved = json.load(f)
        data, data_hot = saved["whole"], saved.get("hot")
        peer_lines, host = saved.get("peers"), saved.get("host", "Linux")
        reps = [e.get("repetitions", 1) for e in data["benchmarks"]]
        args.repetitions = max(reps) if reps else 1
    elif args.binary:
        data = run_benchmarks(args)
        # The sets and the long path do not depend on the corpus's size.
        data_hot = run_benchmarks(args, args.hot_paths, "-BM_(set|parse_long).*") if args.hot_paths else None
        peer_lines = run_peers(args.binary) if args.peers else None
        host = platform.system()
    else:
        ap.error("give the benchmark binary or --json-in")
    if args.peers_in:
        with open(args.peers_in, encoding="utf-8", errors="replace") as f:
            peer_lines = f.read().splitlines()
    if args.json_out:
        with open(args.json_out, "w", encoding="utf-8") as f:
            json.dump({"whole": data, "hot": data_hot, "peers": peer_lines, "host": host}, f, indent=1)
    results = collect(data)
    hot = collect(data_hot) if data_hot else {}
    peer_rows, statuses = collect_peers(peer_lines or [])
    rows = dict(results)
    rows.update(peer_rows)
    if not results:
        sys.exit("report.py: no benchmark results in the output")
    os.makedirs(args.out_dir, exist_ok=True)
    md_path = os.path.join(args.out_dir, "benchmarks.md")
    svg_path = os.path.join(args.out_dir, "benchmarks.svg")
    with open(md_path, "w", encoding="utf-8") as f:
        f.write(
            markdown(
                results, hot, args.hot_paths, data.get("context", {}), args, peer_rows, statuses, peer_lines is not None, host
            )
        )
    with open(svg_path, "w", encoding="utf-8") as f:
        f.write(ratio_svg(summarize(rows, host)))
    print("wrote %s and %s" % (md_path, svg_path), file=sys.stderr)


if __name__ == "__main__":
    main()
