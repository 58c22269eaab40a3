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
	"fmt"
	"path/filepath"
	"strings"
)

func timeOp(row string, paths []string, op func(i int, p string) int) {
	sink := 0
	ns := medianNs(len(paths), func() {
		for i, p := range paths {
			sink += op(i, p)
		}
	})
	fmt.Printf("%s  %.1f ns/path  (%d paths, checksum %d)\n", row, ns, len(paths), sink)
}

func main() {
	paths := readRecords()
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
