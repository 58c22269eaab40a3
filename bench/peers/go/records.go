// What the Go peers share: the records they read and the way they time a
// pass. Built with each of path.go, match.go and beneath.go.
package main

import (
	"bufio"
	"fmt"
	"io"
	"os"
	"sort"
	"strings"
	"time"
)

const passes = 11

// The NUL-terminated records of standard input (corso_corpus's output).
func readRecords() []string {
	data, err := io.ReadAll(bufio.NewReader(os.Stdin))
	if err != nil {
		fmt.Fprintln(os.Stderr, err)
		os.Exit(2)
	}
	return strings.Split(strings.TrimSuffix(string(data), "\x00"), "\x00")
}

// The median over the passes of the time of one pass divided by items, in ns.
func medianNs(items int, pass func()) float64 {
	var per []float64
	for i := 0; i < passes; i++ {
		start := time.Now()
		pass()
		per = append(per, float64(time.Since(start).Nanoseconds())/float64(items))
	}
	sort.Float64s(per)
	return per[passes/2]
}
