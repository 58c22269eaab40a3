// Corso next to std::filesystem and, when found, Boost.Filesystem, on the
// POSIX and the Windows corpus. Every benchmark is named
// BM_<operation>/<library>/<syntax>; an iteration processes the whole
// corpus, and "ns/path" and "allocs/path" are per path.
//
// The peers run with the rules of the host, so on a POSIX host they read the
// Windows corpus as POSIX paths: '\' is a plain byte there, and their
// results differ from Corso's.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <corso/corso.hpp>

#ifdef CORSO_BENCH_HAVE_BOOST
#include <boost/filesystem/path.hpp>
#include <boost/version.hpp>
#endif

#include "alloc_counter.hpp"
#include "corpus.hpp"

namespace {

using corso::bench::alloc_count;
using corso::bench::set_counters;

enum class syntax { posix, windows };

constexpr const char* name_of(syntax s) { return s == syntax::posix ? "posix" : "windows"; }

const std::vector<std::string>& strings_of(syntax s) {
  return s == syntax::posix ? corso::bench::posix_corpus() : corso::bench::windows_corpus();
}

constexpr std::size_t long_path_size = 4096;
constexpr std::size_t long_batch = 32;

std::string long_path_of(syntax s) {
  return s == syntax::posix ? corso::bench::long_posix_path(long_path_size)
                            : corso::bench::long_windows_path(long_path_size);
}

// A library under test: its path type, parsing from a string that it may
// keep, and the value of a string known to be a path.
template <corso::path_syntax S>
struct corso_lib {
  using path = corso::basic_path<S>;
  static constexpr const char* name = "corso";
  static auto parse(std::string&& s) { return path::of_string(std::move(s)); }
  static auto parse(const std::string& s) { return path::of_string(std::string_view(s)); }
  static path value(const std::string& s) { return path::v(std::string_view(s)); }
};

// The floor of parsing text the caller keeps: a bare copy of its bytes.
struct string_copy_lib {
  static constexpr const char* name = "string_copy";
  static std::string parse(const std::string& s) { return std::string(std::string_view(s)); }
};

// The floor of parsing with a check: every byte looked at once, for a NUL,
// then the bare copy.
struct scan_copy_lib {
  static constexpr const char* name = "scan_copy";
  static std::string parse(const std::string& s) {
    if (std::memchr(s.data(), '\0', s.size()) != nullptr) return {};
    return std::string(std::string_view(s));
  }
};

// Corso's paths under another name, for the floors that read their bytes.
template <corso::path_syntax S>
struct bare_scan_lib : corso_lib<S> {
  static constexpr const char* name = "bare_scan";
};

template <class Path>
struct peer_lib {
  using path = Path;
  static path parse(std::string&& s) { return path(std::move(s)); }
  static path parse(const std::string& s) { return path(s); }
  static path value(const std::string& s) { return path(s); }
};

struct std_fs_lib : peer_lib<std::filesystem::path> {
  static constexpr const char* name = "std_fs";
};

#ifdef CORSO_BENCH_HAVE_BOOST
struct boost_lib : peer_lib<boost::filesystem::path> {
  static constexpr const char* name = "boost";
};
#endif

template <class Lib, syntax Syn>
struct lib_at {
  using lib = Lib;
  static constexpr syntax syn = Syn;
};

bool is_rel(syntax s, const std::string& str) {
  return s == syntax::posix ? corso::is_rel(corso::posix_path::v(std::string_view(str)))
                            : corso::is_rel(corso::windows_path::v(std::string_view(str)));
}

// The corpus parsed once, with what the operations take besides a path: a
// root for each path (one for absolute paths, one for relative ones, so
// that relativize and is_prefix have an answer to find) and a relative path
// to append.
template <class Lib>
struct fixture {
  using path = typename Lib::path;
  std::vector<path> paths;
  path abs_root;
  path rel_root;
  std::vector<const path*> roots;
  path tail;

  explicit fixture(syntax s)
      : abs_root(Lib::value(s == syntax::posix ? "/usr/share/" : "C:\\Program Files\\")),
        rel_root(Lib::value(s == syntax::posix ? "src/" : "src\\")),
        tail(Lib::value(s == syntax::posix ? "include/corso/path.hpp" : "include\\corso\\path.hpp")) {
    const std::vector<std::string>& strings = strings_of(s);
    paths.reserve(strings.size());
    roots.reserve(strings.size());
    for (const std::string& str : strings) {
      paths.push_back(Lib::value(str));
      roots.push_back(is_rel(s, str) ? &rel_root : &abs_root);
    }
  }
  fixture(const fixture&) = delete;  // roots point into it
  fixture& operator=(const fixture&) = delete;
};

// One fixture at a time: the previous one is freed and the heap settled
// before the next is built, so that every library lays its paths out one
// after the other, as the peers' own processes do, and
// the benchmarks of one library and syntax, registered together, share it.
struct fixture_slot {
  const void* key = nullptr;
  std::shared_ptr<const void> value;
};

fixture_slot& current_slot() {
  static fixture_slot s;
  return s;
}

// The fixture F that Key names, built from args when another fixture holds
// the slot.
template <class Key, class F, class... Args>
const F& one_at_a_time(const Args&... args) {
  static char key;  // its address names Key
  fixture_slot& s = current_slot();
  if (s.key != &key) {
    s.value.reset();
    corso::bench::settle_heap();
    s.value = std::make_shared<const F>(args...);
    s.key = &key;
  }
  return *static_cast<const F*>(s.value.get());
}

template <class L>
const fixture<typename L::lib>& fixture_of() {
  return one_at_a_time<L, fixture<typename L::lib>>(L::syn);
}

// op on every path of the corpus; its result is destroyed in the timed region.
template <class L, class Op>
void each_path(benchmark::State& state, Op op) {
  const auto& f = fixture_of<L>();
  const std::size_t n = f.paths.size();
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    for (std::size_t i = 0; i < n; ++i) {
      auto r = op(f, i);
      benchmark::DoNotOptimize(r);
    }
  }
  set_counters(state, n, alloc_count() - before);
}

// Parsing strings moved in. The strings are copied outside the timed region,
// a chunk at a time so that each is hot in the cache when it is handed over,
// as a string just read or built is; the parsed paths are destroyed outside
// it too. What is timed and counted is what the library does with the string.
template <class Lib>
void parse_moved(benchmark::State& state, const std::vector<std::string>& source) {
  using clock = std::chrono::steady_clock;
  constexpr std::size_t chunk = 256;
  std::vector<std::string> batch;
  std::vector<decltype(Lib::parse(std::string()))> parsed;
  parsed.reserve(chunk);
  std::uint64_t allocs = 0;
  for (auto _ : state) {
    clock::duration timed{};
    for (std::size_t first = 0; first < source.size(); first += chunk) {
      const std::size_t last = std::min(first + chunk, source.size());
      parsed.clear();
      batch.assign(source.begin() + static_cast<std::ptrdiff_t>(first),
                   source.begin() + static_cast<std::ptrdiff_t>(last));
      const std::uint64_t before = alloc_count();
      const clock::time_point start = clock::now();
      for (std::string& s : batch) parsed.push_back(Lib::parse(std::move(s)));
      timed += clock::now() - start;
      allocs += alloc_count() - before;
      benchmark::DoNotOptimize(parsed.data());
    }
    state.SetIterationTime(std::chrono::duration<double>(timed).count());
  }
  set_counters(state, source.size(), allocs);
}

template <class L>
void parse_corpus(benchmark::State& state) {
  parse_moved<typename L::lib>(state, strings_of(L::syn));
}

// Parsing from a string that stays the caller's: the library copies it.
template <class L>
void parse_copy(benchmark::State& state) {
  const std::vector<std::string>& source = strings_of(L::syn);
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    for (const std::string& s : source) {
      auto r = L::lib::parse(s);
      benchmark::DoNotOptimize(r);
    }
  }
  set_counters(state, source.size(), alloc_count() - before);
}

template <class L>
void parse_long(benchmark::State& state) {
  const std::vector<std::string> source(long_batch, long_path_of(L::syn));
  parse_moved<typename L::lib>(state, source);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(long_batch * long_path_size));
}

// The least a parser must do: look at every byte once.
template <syntax Syn>
void memchr_long(benchmark::State& state) {
  const std::string s = long_path_of(Syn);
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    benchmark::DoNotOptimize(s.data());
    const void* nul = std::memchr(s.data(), '\0', s.size());
    benchmark::DoNotOptimize(nul);
  }
  set_counters(state, 1, alloc_count() - before);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(s.size()));
}

std::string bench_name(const char* op, const char* lib, syntax s) {
  return std::string("BM_") + op + "/" + lib + "/" + name_of(s);
}

template <class L, class Fn>
void add(const char* op, Fn fn) {
  benchmark::RegisterBenchmark(bench_name(op, L::lib::name, L::syn).c_str(), fn)->UseRealTime();
}

template <class L, class Op>
void add_each(const char* op, Op o) {
  add<L>(op, [o](benchmark::State& state) { each_path<L>(state, o); });
}

template <class L>
void add_parsing() {
  benchmark::RegisterBenchmark(bench_name("parse", L::lib::name, L::syn).c_str(), parse_corpus<L>)->UseManualTime();
  add<L>("parse_copy", parse_copy<L>);
  benchmark::RegisterBenchmark(bench_name("parse_long", L::lib::name, L::syn).c_str(), parse_long<L>)->UseManualTime();
}

// The operations std::filesystem and Boost share, under Corso's names.
template <class L>
void add_peer() {
  add_parsing<L>();
  add_each<L>("normalize", [](const auto& f, std::size_t i) { return f.paths[i].lexically_normal(); });
  add_each<L>("relativize", [](const auto& f, std::size_t i) { return f.paths[i].lexically_relative(*f.roots[i]); });
  add_each<L>("parent", [](const auto& f, std::size_t i) { return f.paths[i].parent_path(); });
  add_each<L>("filename", [](const auto& f, std::size_t i) { return f.paths[i].filename(); });
  add_each<L>("get_ext", [](const auto& f, std::size_t i) { return f.paths[i].extension(); });
  add_each<L>("add_seg", [](const auto& f, std::size_t i) { return f.paths[i] / "file.txt"; });
  add_each<L>("append", [](const auto& f, std::size_t i) { return f.paths[i] / f.tail; });
}

// The floors of the views of the last segment: a bare scan back from the
// end to the last separator (for the extension, to a '.' before it), with
// none of the rules of volumes, dots or trailing separators, as Go's Base
// and Ext do it.
template <class L>
void add_bare_scans() {
  constexpr char sep = L::syn == syntax::posix ? '/' : '\\';
  add_each<L>("filename", [](const auto& f, std::size_t i) {
    const std::string_view v = f.paths[i].view();
    return v.substr(v.rfind(sep) + 1);
  });
  add_each<L>("get_ext", [](const auto& f, std::size_t i) {
    const std::string_view v = f.paths[i].view();
    for (std::size_t k = v.size(); k-- > 0 && v[k] != sep;) {
      if (v[k] == '.') return v.substr(k);
    }
    return std::string_view();
  });
}

template <class L>
void add_corso() {
  add_parsing<L>();
  add_each<L>("normalize", [](const auto& f, std::size_t i) { return corso::normalize(f.paths[i]); });
  add_each<L>("relativize", [](const auto& f, std::size_t i) { return corso::relativize(*f.roots[i], f.paths[i]); });
  add_each<L>("parent", [](const auto& f, std::size_t i) { return corso::parent(f.paths[i]); });
  add_each<L>("filename", [](const auto& f, std::size_t i) { return corso::filename(f.paths[i]); });
  add_each<L>("get_ext", [](const auto& f, std::size_t i) { return corso::get_ext(f.paths[i]); });
  add_each<L>("multi_ext",
              [](const auto& f, std::size_t i) { return corso::get_ext(f.paths[i], {.multi_ext = true}); });
  add_each<L>("stem", [](const auto& f, std::size_t i) { return corso::stem(f.paths[i]); });
  // The same answers as views into the paths, as the peers give theirs.
  add_each<L>("filename_view", [](const auto& f, std::size_t i) { return corso::filename_view(f.paths[i]); });
  add_each<L>("get_ext_view", [](const auto& f, std::size_t i) { return corso::get_ext_view(f.paths[i]); });
  add_each<L>("stem_view", [](const auto& f, std::size_t i) { return corso::stem_view(f.paths[i]); });
  add_each<L>("basename_view", [](const auto& f, std::size_t i) { return corso::basename_view(f.paths[i]); });
  add_each<L>("add_seg", [](const auto& f, std::size_t i) { return corso::add_seg(f.paths[i], "file.txt"); });
  add_each<L>("append", [](const auto& f, std::size_t i) { return f.paths[i] / f.tail; });
  add_each<L>("split_base", [](const auto& f, std::size_t i) { return corso::split_base(f.paths[i]); });
  add_each<L>("basename", [](const auto& f, std::size_t i) { return corso::basename(f.paths[i]); });
  add_each<L>("is_prefix", [](const auto& f, std::size_t i) { return corso::is_prefix(*f.roots[i], f.paths[i]); });
  add_each<L>("segs", [](const auto& f, std::size_t i) { return corso::segs(f.paths[i]); });
  // The same segments as views, walked and counted: no allocation.
  add_each<L>("segments", [](const auto& f, std::size_t i) {
    std::size_t n = 0;
    for (std::string_view seg : corso::segments(f.paths[i])) n += 1 + seg.empty();
    return n;
  });
}

// Paths from outside: every request of the corpus appended beneath a root
// (a result or a refusal, destroyed in the timed region), and every segment
// of every request asked whether Windows takes it as a name.
template <corso::path_syntax S>
void append_beneath_requests(benchmark::State& state) {
  const std::vector<std::string>& texts = corso::bench::requests();
  const auto root = corso::basic_path<S>::v(S::is_windows ? "C:\\srv\\www\\" : "/srv/www/");
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    for (const std::string& t : texts) {
      auto r = corso::append_beneath(root, t);
      benchmark::DoNotOptimize(r);
    }
  }
  set_counters(state, texts.size(), alloc_count() - before);
}

void windows_name_fault_requests(benchmark::State& state) {
  const std::vector<std::string>& texts = corso::bench::requests();
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    for (const std::string& t : texts) {
      const std::string_view v = t;
      for (std::size_t start = 0; start <= v.size();) {
        const std::size_t end = std::min(v.find('/', start), v.size());
        auto fault = corso::windows_name_fault(v.substr(start, end - start));
        benchmark::DoNotOptimize(fault);
        start = end + 1;
      }
    }
  }
  set_counters(state, texts.size(), alloc_count() - before);
}

// The corpus paths that have a file URI (the absolute ones), and their URIs.
template <corso::path_syntax S>
struct uri_fixture {
  std::vector<corso::basic_path<S>> paths;
  std::vector<std::string> uris;
  uri_fixture() {
    for (const std::string& s : strings_of(S::is_windows ? syntax::windows : syntax::posix)) {
      const auto p = corso::basic_path<S>::v(std::string_view(s));
      if (auto uri = corso::to_file_uri(p)) {
        paths.push_back(p);
        uris.push_back(std::move(*uri));
      }
    }
  }
};

template <corso::path_syntax S>
const uri_fixture<S>& uri_fixture_of() {
  return one_at_a_time<uri_fixture<S>, uri_fixture<S>>();
}

template <corso::path_syntax S>
void to_file_uri_paths(benchmark::State& state) {
  const auto& f = uri_fixture_of<S>();
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    for (const auto& p : f.paths) {
      auto r = corso::to_file_uri(p);
      benchmark::DoNotOptimize(r);
    }
  }
  set_counters(state, f.paths.size(), alloc_count() - before);
}

template <corso::path_syntax S>
void of_file_uri_uris(benchmark::State& state) {
  const auto& f = uri_fixture_of<S>();
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    for (const std::string& u : f.uris) {
      auto r = corso::of_file_uri<S>(u);
      benchmark::DoNotOptimize(r);
    }
  }
  set_counters(state, f.uris.size(), alloc_count() - before);
}

// The pattern set of the match benchmarks, the same for the peers
// (bench/peers): a file type at any depth, test files under a source tree,
// directories by suffix, and an absolute tree.
const char* const match_patterns[] = {"**/*.cpp", "src/**/test_*.py", "*.d/", "/usr/lib/**/*.py"};

// Every path of the corpus against every pattern, each compiled once:
// ns/path is the time of one path against one pattern.
template <corso::path_syntax S>
void match_corpus(benchmark::State& state) {
  std::vector<corso::basic_pattern<S>> patterns;
  for (const char* text : match_patterns) patterns.push_back(corso::basic_pattern<S>::v(text));
  std::vector<corso::basic_path<S>> paths;
  for (const std::string& s : strings_of(S::is_windows ? syntax::windows : syntax::posix)) {
    paths.push_back(corso::basic_path<S>::v(std::string_view(s)));
  }
  std::size_t matched = 0;
  const std::uint64_t before = alloc_count();
  for (auto _ : state) {
    for (const auto& pat : patterns) {
      for (const auto& p : paths) matched += pat.matches(p) ? 1 : 0;
    }
  }
  benchmark::DoNotOptimize(matched);
  set_counters(state, paths.size() * patterns.size(), alloc_count() - before);
}

// Patterns that take exponential time when a '*' is retried by recursion,
// on paths of 30,000 bytes: ns/path is the time of one such match.
void match_adversarial(benchmark::State& state) {
  const std::string as(30000, 'a');
  std::string deep;
  for (int i = 0; i < 15000; ++i) deep += "a/";
  const std::pair<const char*, corso::posix_path> cases[] = {
      {"a*a*a*a*a*a*a*b", corso::posix_path::v(as)},
      {"*?*?*?*?*?*?x", corso::posix_path::v(as)},
      {"**/**/**/**/**/x", corso::posix_path::v(deep)},
  };
  std::vector<corso::posix_pattern> patterns;
  for (const auto& c : cases) patterns.push_back(corso::posix_pattern::v(c.first));
  for (auto _ : state) {
    for (std::size_t i = 0; i < patterns.size(); ++i) benchmark::DoNotOptimize(patterns[i].matches(cases[i].second));
  }
  set_counters(state, patterns.size(), 0);
}

template <syntax Syn>
void add_all() {
  add_corso<
      lib_at<corso_lib<std::conditional_t<Syn == syntax::posix, corso::posix_syntax, corso::windows_syntax>>, Syn>>();
  add_peer<lib_at<std_fs_lib, Syn>>();
#ifdef CORSO_BENCH_HAVE_BOOST
  add_peer<lib_at<boost_lib, Syn>>();
#endif
  benchmark::RegisterBenchmark(bench_name("parse_long", "memchr", Syn).c_str(), memchr_long<Syn>)->UseRealTime();
  add<lib_at<string_copy_lib, Syn>>("parse_copy", parse_copy<lib_at<string_copy_lib, Syn>>);
  add<lib_at<scan_copy_lib, Syn>>("parse_copy", parse_copy<lib_at<scan_copy_lib, Syn>>);
  using S = std::conditional_t<Syn == syntax::posix, corso::posix_syntax, corso::windows_syntax>;
  add_bare_scans<lib_at<bare_scan_lib<S>, Syn>>();
  benchmark::RegisterBenchmark(bench_name("append_beneath", "corso", Syn).c_str(), append_beneath_requests<S>)
      ->UseRealTime();
  benchmark::RegisterBenchmark(bench_name("to_file_uri", "corso", Syn).c_str(), to_file_uri_paths<S>)->UseRealTime();
  benchmark::RegisterBenchmark(bench_name("of_file_uri", "corso", Syn).c_str(), of_file_uri_uris<S>)->UseRealTime();
  benchmark::RegisterBenchmark(bench_name("match", "corso", Syn).c_str(), match_corpus<S>)->UseRealTime();
  if (Syn == syntax::posix) {
    benchmark::RegisterBenchmark(bench_name("match_adversarial", "corso", Syn).c_str(), match_adversarial)
        ->UseRealTime();
  }
  // The check is the same under both syntaxes: it is timed once.
  if (Syn == syntax::windows) {
    benchmark::RegisterBenchmark(bench_name("windows_name_fault", "corso", Syn).c_str(), windows_name_fault_requests)
        ->UseRealTime();
  }
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  try {
    benchmark::AddCustomContext("corso_corpus", corso::bench::corpus_description());
  } catch (const std::exception& e) {
    std::cerr << "corso_bench: " << e.what() << '\n';
    return 1;
  }
#if defined(__clang__)
  benchmark::AddCustomContext("corso_compiler", "clang " __clang_version__);
#elif defined(__GNUC__)
  benchmark::AddCustomContext("corso_compiler", "gcc " __VERSION__);
#endif
#ifdef CORSO_BENCH_CONFIG
  benchmark::AddCustomContext("corso_config", CORSO_BENCH_CONFIG);
#endif
#ifdef _GLIBCXX_RELEASE
  benchmark::AddCustomContext("corso_std_library", "libstdc++ " + std::to_string(_GLIBCXX_RELEASE));
#elif defined(_LIBCPP_VERSION)
  benchmark::AddCustomContext("corso_std_library", "libc++ " + std::to_string(_LIBCPP_VERSION));
#endif
#ifdef CORSO_BENCH_HAVE_BOOST
  benchmark::AddCustomContext("corso_boost", BOOST_LIB_VERSION);
#endif
  add_all<syntax::posix>();
  add_all<syntax::windows>();
  corso::bench::add_set_benchmarks();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
