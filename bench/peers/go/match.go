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
	"fmt"
	"path"
)

func main() {
	paths := readRecords()
	patterns := []string{"**/*.cpp", "src/**/test_*.py", "*.d/", "/usr/lib/**/*.py"}
	matched := 0
	ns := medianNs(len(paths)*len(patterns), func() {
		for _, pat := range patterns {
			for _, p := range paths {
				if ok, _ := path.Match(pat, p); ok {
					matched++
				}
			}
		}
	})
	fmt.Printf("BM_match/go_path_match/posix  %.1f ns/path  (%d paths, %d matches)\n", ns, len(paths), matched/passes)
}
