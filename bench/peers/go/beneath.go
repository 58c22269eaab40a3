// The closest calls Go 1.19 offers to Corso's append_beneath (IsLocal came
// in Go 1.20): Clean, a refusal of absolute paths and of a leading "..",
// then Join. It reads NUL-terminated requests on standard input (corso_corpus
// requests) and prints the median time a request over 11 passes, in the
// shape of the benchmark's own rows:
//
//	BM_append_beneath/go_clean_join/posix  <ns> ns/path
//
// Go's path/filepath follows the host, so on a POSIX host this is the POSIX
// figure only.
package main

import (
	"fmt"
	"path/filepath"
	"strings"
)

func beneath(root, request string) (string, bool) {
	c := filepath.Clean(request)
	if filepath.IsAbs(c) || c == ".." || strings.HasPrefix(c, "../") {
		return "", false
	}
	return filepath.Join(root, c), true
}

func main() {
	requests := readRecords()
	const root = "/srv/www/"
	sink := 0
	ns := medianNs(len(requests), func() {
		for _, r := range requests {
			if p, ok := beneath(root, r); ok {
				sink += len(p)
			}
		}
	})
	fmt.Printf("BM_append_beneath/go_clean_join/posix  %.1f ns/path  (%d requests, checksum %d)\n",
		ns, len(requests), sink)
}
