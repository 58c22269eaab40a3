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
	"bufio"
	"fmt"
	"io"
	"os"
	"path/filepath"
	"sort"
	"strings"
	"time"
)

func beneath(root, request string) (string, bool) {
	c := filepath.Clean(request)
	if filepath.IsAbs(c) || c == ".." || strings.HasPrefix(c, "../") {
		return "", false
	}
	return filepath.Join(root, c), true
}

func main() {
	data, err := io.ReadAll(bufio.NewReader(os.Stdin))
	if err != nil {
		fmt.Fprintln(os.Stderr, err)
		os.Exit(2)
	}
	requests := strings.Split(strings.TrimSuffix(string(data), "\x00"), "\x00")
	const root = "/srv/www/"
	sink := 0
	var perPath []float64
	for pass := 0; pass < 11; pass++ {
		start := time.Now()
		for _, r := range requests {
			if p, ok := beneath(root, r); ok {
				sink += len(p)
			}
		}
		perPath = append(perPath, float64(time.Since(start).Nanoseconds())/float64(len(requests)))
	}
	sort.Float64s(perPath)
	fmt.Printf("BM_append_beneath/go_clean_join/posix  %.1f ns/path  (%d requests, checksum %d)\n",
		perPath[len(perPath)/2], len(requests), sink)
}
