// Go's path.Match on the paths of the benchmark corpus, read NUL-terminated
// on standard input (corso_corpus posix), against the pattern set of
// corso_bench's match benchmark. path.Match has no "**": there it is a '*'
// within one segment, so the answers differ where Corso's crosses segments.
// Prints the median time of one path against one pattern over 11 passes, in
// the shape of the benchmark's own rows:
//
//	BM_match/go_path_match/posix  <ns> ns/path
package main

import (
	"bufio"
	"fmt"
	"io"
	"os"
	"path"
	"sort"
	"strings"
	"time"
)

func main() {
	data, err := io.ReadAll(bufio.NewReader(os.Stdin))
	if err != nil {
		fmt.Fprintln(os.Stderr, err)
		os.Exit(2)
	}
	paths := strings.Split(strings.TrimSuffix(string(data), "\x00"), "\x00")
	patterns := []string{"**/*.cpp", "src/**/test_*.py", "*.d/", "/usr/lib/**/*.py"}
	matched := 0
	var perMatch []float64
	for pass := 0; pass < 11; pass++ {
		start := time.Now()
		for _, pat := range patterns {
			for _, p := range paths {
				if ok, _ := path.Match(pat, p); ok {
					matched++
				}
			}
		}
		perMatch = append(perMatch, float64(time.Since(start).Nanoseconds())/float64(len(paths)*len(patterns)))
	}
	sort.Float64s(perMatch)
	fmt.Printf("BM_match/go_path_match/posix  %.1f ns/path  (%d paths, %d matches)\n", perMatch[5], len(paths), matched/11)
}
