// Go's path/filepath on the paths of the benchmark corpus, read
// NUL-terminated on standard input (corso_corpus posix). path/filepath
// follows the host, so on a POSIX host this is the POSIX figure only. Prints
// the median time a path over 11 passes, in the shape of the benchmark's own
// rows:
//
//	BM_<operation>/go_<call>/posix  <ns> ns/path
//
// Go has no path type: parse_copy is strings.Clone, a copy that checks
// nothing. Dir, Rel and Join return cleaned paths, so they also do the work
// of Clean. segments is strings.Split, which allocates the slice of segments.
// relativize and append take the roots and the tail of corso_bench.
package main

import (
	"bufio"
	"fmt"
	"io"
	"os"
	"path/filepath"
	"sort"
	"strings"
	"time"
)

const passes = 11

func timeOp(row string, paths []string, op func(i int, p string) int) {
	sink := 0
	var perPath []float64
	for pass := 0; pass < passes; pass++ {
		start := time.Now()
		for i, p := range paths {
			sink += op(i, p)
		}
		perPath = append(perPath, float64(time.Since(start).Nanoseconds())/float64(len(paths)))
	}
	sort.Float64s(perPath)
	fmt.Printf("%s  %.1f ns/path  (%d paths, checksum %d)\n", row, perPath[passes/2], len(paths), sink)
}

func main() {
	data, err := io.ReadAll(bufio.NewReader(os.Stdin))
	if err != nil {
		fmt.Fprintln(os.Stderr, err)
		os.Exit(2)
	}
	paths := strings.Split(strings.TrimSuffix(string(data), "\x00"), "\x00")
	// The root of each path, as in corso_bench: one for absolute paths, one
	// for relative ones.
	roots := make([]string, len(paths))
	for i, p := range paths {
		if strings.HasPrefix(p, "/") {
			roots[i] = "/usr/share/"
		} else {
			roots[i] = "src/"
		}
	}
	const tail = "include/corso/path.hpp"
	row := func(op, call string) string { return "BM_" + op + "/go_" + call + "/posix" }

	timeOp(row("parse_copy", "strings_clone"), paths, func(_ int, p string) int { return len(strings.Clone(p)) })
	timeOp(row("normalize", "clean"), paths, func(_ int, p string) int { return len(filepath.Clean(p)) })
	timeOp(row("relativize", "rel"), paths, func(i int, p string) int {
		r, err := filepath.Rel(roots[i], p)
		if err != nil {
			return 0
		}
		return len(r)
	})
	timeOp(row("parent", "dir"), paths, func(_ int, p string) int { return len(filepath.Dir(p)) })
	timeOp(row("filename", "base"), paths, func(_ int, p string) int { return len(filepath.Base(p)) })
	timeOp(row("get_ext", "ext"), paths, func(_ int, p string) int { return len(filepath.Ext(p)) })
	timeOp(row("stem", "trimsuffix_base_ext"), paths, func(_ int, p string) int {
		return len(strings.TrimSuffix(filepath.Base(p), filepath.Ext(p)))
	})
	timeOp(row("append", "join"), paths, func(_ int, p string) int { return len(filepath.Join(p, tail)) })
	timeOp(row("segments", "split"), paths, func(_ int, p string) int {
		return len(strings.Split(p, string(filepath.Separator)))
	})
}
