"""Runs corso_bench and writes docs/benchmarks.md and docs/benchmarks.svg.

    report.py BINARY [--repetitions N] [--min-time S] [--filter REGEX]
              [--json-in FILE] [--json-out FILE] [--out-dir DIR]

Each figure is the median over the repetitions of the mean per path of one
pass over the corpus. Python 3 standard library only.
"""

import argparse
import datetime
import json
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
COLORS = {"corso": "#1f77b4", "std_fs": "#ff7f0e", "boost": "#2ca02c"}

# Corso's operations, with the member functions the peers are measured with.
OPERATIONS = [
    ("parse", "of_string(std::string&&)", "path(std::string&&)"),
    ("parse_copy", "of_string(std::string_view)", "path(const std::string&)"),
    ("normalize", "normalize", "lexically_normal"),
    ("relativize", "relativize", "lexically_relative"),
    ("parent", "parent", "parent_path"),
    ("filename", "filename", "filename"),
    ("get_ext", "get_ext", "extension"),
    ("add_seg", 'add_seg(p, "file.txt")', 'p / "file.txt"'),
    ("append", "p / q", "p / q"),
    ("split_base", "split_base", None),
    ("basename", "basename", None),
    ("is_prefix", "is_prefix", None),
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


def fmt_ratio(peer, corso):
    if peer is None or corso is None or corso <= 0:
        return "—"
    return "%.2f×" % (peer / corso)


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
            head += ["%s ns/path" % LIB_NAMES[p], "%s allocs/path" % LIB_NAMES[p], "%s / Corso" % LIB_NAMES[p]]
        lines.append("| " + " | ".join(head) + " |")
        lines.append("|---|" + "---:|" * (len(head) - 1))
        for op, _, _ in OPERATIONS:
            c = results.get((op, "corso", syntax))
            if c is None:
                continue
            row = [op, fmt_ns(c["ns"]), fmt_allocs(c["allocs"])]
            for p in peers:
                r = results.get((op, p, syntax))
                row += [fmt_ns(r and r["ns"]), fmt_allocs(r and r["allocs"]), fmt_ratio(r and r["ns"], c["ns"])]
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


def markdown(results, hot, hot_paths, context, args):
    peers = present_peers(results)
    now = datetime.datetime.now(datetime.timezone.utc)
    cores = physical_cores()
    caches = ", ".join(
        "L%d %s %d KiB" % (c["level"], c["type"].lower(), c["size"] // 1024) for c in context.get("caches", [])
    )
    lines = [
        "# Benchmarks",
        "",
        "Corso next to %s, measured by `bench/report.py` from the `corso_bench` binary "
        "(see [bench/README.md](../bench/README.md))." % " and ".join(LIB_NAMES[p] for p in peers),
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
        "are per path (allocations are calls of operator new). A ratio is the peer's time over Corso's: "
        "above 1, Corso is faster. %s" % (args.repetitions, spread_note(results)),
        "",
        "The peers follow the rules of the host. On a POSIX host they read the Windows corpus as POSIX "
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
        "![Corso against its peers, ns per path, in the cache](benchmarks.svg)",
        "",
        "| Operation | Corso | %s |" % " | ".join(LIB_NAMES[p] for p in peers),
        "|---|---|" + "---|" * len(peers),
    ]
    for op, corso_fn, peer_fn in OPERATIONS:
        lines.append("| %s | `%s` | %s |" % (op, corso_fn, " | ".join("`%s`" % peer_fn if peer_fn else "—" for _ in peers)))
    lines += op_tables(results, peers, "", "## %s paths, the whole corpus")
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
        "Regenerate with `python3 bench/report.py build/bench/bench/corso_bench` after building the "
        "`corso_bench` target.",
        "",
    ]
    return "\n".join(lines)


def svg(results):
    """Horizontal bars, one panel per syntax, one group per operation."""
    peers = present_peers(results)
    libs = ["corso"] + peers
    bar_h, gap, group_gap = 13, 2, 12
    label_w, chart_w, value_w = 110, 330, 60
    panel_w = label_w + chart_w + value_w
    ops = [op for op, _, _ in OPERATIONS]
    top = 56
    group_h = lambda op: sum(1 for lib in libs if any(k[:2] == (op, lib) for k in results)) * (bar_h + gap)
    height = top + sum(group_h(op) + group_gap for op in ops) + 20
    width = panel_w * len(SYNTAXES) + 20
    out = [
        '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d" '
        'font-family="sans-serif" font-size="11">' % (width, height, width, height),
        '<rect width="100%" height="100%" fill="white"/>',
        '<text x="10" y="18" font-size="14" font-weight="bold">ns per path (shorter is faster)</text>',
    ]
    x = 10
    for lib in libs:
        out.append('<rect x="%d" y="28" width="12" height="12" fill="%s"/>' % (x, COLORS[lib]))
        out.append('<text x="%d" y="38">%s</text>' % (x + 16, escape(LIB_NAMES[lib])))
        x += 30 + 7 * len(LIB_NAMES[lib])
    for i, (syntax, title) in enumerate(SYNTAXES):
        x0 = 10 + i * panel_w
        values = [v["ns"] for k, v in results.items() if k[2] == syntax and k[0] in ops and v["ns"]]
        if not values:
            continue
        scale = chart_w / max(values)
        caption = title + (" (the peers under the host's rules)" if syntax == "windows" and peers else "")
        out.append('<text x="%d" y="%d" font-weight="bold">%s</text>' % (x0 + label_w, top - 4, escape(caption)))
        y = top
        for op in ops:
            rows = [(lib, results.get((op, lib, syntax))) for lib in libs if any(k[:2] == (op, lib) for k in results)]
            if not rows:
                continue
            out.append(
                '<text x="%d" y="%d" text-anchor="end">%s</text>'
                % (x0 + label_w - 6, y + len(rows) * (bar_h + gap) / 2 + 4, escape(op))
            )
            for lib, r in rows:
                if r and r["ns"]:
                    w = max(1.0, r["ns"] * scale)
                    out.append(
                        '<rect x="%d" y="%d" width="%.1f" height="%d" fill="%s"><title>%s %s %s: %s ns</title></rect>'
                        % (x0 + label_w, y, w, bar_h, COLORS[lib], escape(LIB_NAMES[lib]), op, title, fmt_ns(r["ns"]))
                    )
                    out.append('<text x="%.1f" y="%d">%s</text>' % (x0 + label_w + w + 3, y + bar_h - 3, fmt_ns(r["ns"])))
                y += bar_h + gap
            y += group_gap
        out.append(
            '<line x1="%d" y1="%d" x2="%d" y2="%d" stroke="#999"/>' % (x0 + label_w, top, x0 + label_w, y - group_gap)
        )
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("binary", nargs="?", help="the corso_bench executable")
    ap.add_argument("--repetitions", type=int, default=5, help="runs of each benchmark; the median is reported")
    ap.add_argument("--min-time", help="--benchmark_min_time for each run, in seconds")
    ap.add_argument("--filter", help="--benchmark_filter, a regular expression on the names")
    ap.add_argument("--hot-paths", type=int, default=1000, help="also run on this many paths, in the cache (0: not)")
    ap.add_argument("--json-in", help="report on this saved JSON output instead of running the binary")
    ap.add_argument("--json-out", help="also save the JSON output here")
    ap.add_argument("--out-dir", default=os.path.join(os.path.dirname(here), "docs"), help="where to write")
    args = ap.parse_args()
    if args.json_in:
        with open(args.json_in, encoding="utf-8") as f:
            saved = json.load(f)
        data, data_hot = saved["whole"], saved.get("hot")
        reps = [e.get("repetitions", 1) for e in data["benchmarks"]]
        args.repetitions = max(reps) if reps else 1
    elif args.binary:
        data = run_benchmarks(args)
        # The sets and the long path do not depend on the corpus's size.
        data_hot = run_benchmarks(args, args.hot_paths, "-BM_(set|parse_long).*") if args.hot_paths else None
    else:
        ap.error("give the benchmark binary or --json-in")
    if args.json_out:
        with open(args.json_out, "w", encoding="utf-8") as f:
            json.dump({"whole": data, "hot": data_hot}, f, indent=1)
    results = collect(data)
    hot = collect(data_hot) if data_hot else {}
    if not results:
        sys.exit("report.py: no benchmark results in the output")
    os.makedirs(args.out_dir, exist_ok=True)
    md_path = os.path.join(args.out_dir, "benchmarks.md")
    svg_path = os.path.join(args.out_dir, "benchmarks.svg")
    with open(md_path, "w", encoding="utf-8") as f:
        f.write(markdown(results, hot, args.hot_paths, data.get("context", {}), args))
    with open(svg_path, "w", encoding="utf-8") as f:
        f.write(svg(hot or results))
    print("wrote %s and %s" % (md_path, svg_path), file=sys.stderr)


if __name__ == "__main__":
    main()
