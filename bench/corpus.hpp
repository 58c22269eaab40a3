// The paths the benchmarks work on: a generated corpus shaped like an
// installed system and its users' source trees, or the user's own list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corso::bench {

// About 100,000 distinct POSIX paths, the same on every machine, or the paths
// of the file named by CORSO_BENCH_CORPUS. Every one parses as a posix_path.
const std::vector<std::string>& posix_corpus();

// posix_corpus() turned into Windows paths (drive, UNC and verbatim volumes,
// some with '/' among the '\'), or the paths of the file named by
// CORSO_BENCH_WINDOWS_CORPUS. Every one parses as a windows_path.
const std::vector<std::string>& windows_corpus();

// Requests for files under a root, as a server reads them from URLs: each
// path of the corpus without its volume and its leading separators, with '/'
// between segments. Under Windows rules the same texts name the same files.
const std::vector<std::string>& requests();

// Where the corpora come from, in words, for the report.
std::string corpus_description();

// A path of exactly n bytes made of many short segments.
std::string long_posix_path(std::size_t n);
std::string long_windows_path(std::size_t n);

// The n distinct POSIX paths that seed gives.
std::vector<std::string> generate_posix_paths(std::size_t n, std::uint64_t seed);

// The Windows path that stands for the POSIX path p; seed picks its volume
// and its separators.
std::string to_windows_path(std::string_view p, std::uint64_t seed);

// Gives the heap's free memory back to one piece, where the C library can
// (glibc): what is allocated next lies in it one block after the other.
void settle_heap() noexcept;

// v's strings again, allocated one after the other in a settled heap, as a
// list read from a file and parsed in a fresh process lies: the generator's
// temporaries leave holes between the strings it keeps, and without this the
// order of the holes would decide where each path's bytes lie.
std::vector<std::string> laid_out(std::vector<std::string> v);

// Registers the benchmarks of path sets and maps (set_bench.cpp). They run
// after those of single paths: their fixtures live to the end and would
// leave holes among which the paths of later fixtures would scatter.
void add_set_benchmarks();

// The paths of a file: one a line (a final "\r" dropped), or NUL-separated
// when the file holds a NUL byte; empty records are skipped. Throws
// std::runtime_error when the file cannot be read.
std::vector<std::string> read_path_list(const std::string& file);

}  // namespace corso::bench
