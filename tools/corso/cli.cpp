#include "cli.hpp"

#include <corso/corso.hpp>
#include <corso/version.hpp>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <functional>
#include <istream>
#include <iterator>
#include <optional>
#include <ostream>
#include <span>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace corso::cli {
namespace {

enum class arg_kind {
  path,  // parsed with the chosen syntax; not a path is invalid input
  text,  // any bytes
  list,  // any number of texts: the arguments left over on the command line,
         // a count field then its elements in -z records
};

// One parameter of an operation: what it takes, and the name its usage line shows.
struct parameter {
  arg_kind kind;
  std::string_view name;
};

// What an operation gives, which fixes how it is printed and what a failed
// -z record writes in its place.
enum class shape {
  one,        // a path or a string
  two,        // a pair
  list,       // any number of strings
  boolean,    // true (exit 0) or false (exit 1)
  optional,   // a path or nothing (exit 1)
  integer,    // -1, 0 or 1
  refusal,    // a path, or a reason on stderr (exit 1): outside input turned down
  selection,  // the paths that were asked for, a line each; none is exit 1
};

struct options {
  bool multi_ext = false;
  bool prefix = false;
  bool windows_names = false;
  bool ignore_ascii_case = false;
};

// The arguments are views of the command line or of a -z record, which
// outlive the call.
struct call {
  std::vector<std::string_view> args;  // one per non-list argument, in order
  std::vector<std::string_view> list;  // the elements of the list argument, if any
  options opts;
  // For the operations over the whole input under -z: the paths that do not
  // parse are skipped, and their index in the list (the record less one)
  // and message kept here.
  std::vector<std::pair<std::size_t, std::string>>* skipped = nullptr;
};

// The result as text fields: one for `one`, `boolean` ("true" or "false") and
// `integer`, two for `two`, the elements for `list`, none or one for `optional`.
// Up to two are held in place, so that a record's result allocates nothing
// but its strings; the fields are contiguous either way.
class fields {
 public:
  fields() = default;
  explicit fields(std::string a) : size_(1) { few_[0] = std::move(a); }
  fields(std::string a, std::string b) : size_(2) {
    few_[0] = std::move(a);
    few_[1] = std::move(b);
  }
  fields(std::vector<std::string> all) : many_(std::move(all)), size_(many_.size()) {}  // a list
  void push_back(std::string s) {
    if (many_.empty() && size_ < few_.size()) {
      few_[size_++] = std::move(s);
      return;
    }
    if (many_.empty())
      std::move(few_.begin(), few_.begin() + static_cast<std::ptrdiff_t>(size_), std::back_inserter(many_));
    many_.push_back(std::move(s));
    ++size_;
  }
  std::span<const std::string> all() const {
    return many_.empty() ? std::span<const std::string>(few_.data(), size_) : std::span<const std::string>(many_);
  }
  auto begin() const { return all().begin(); }
  auto end() const { return all().end(); }
  std::size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  const std::string& operator[](std::size_t i) const { return all()[i]; }

 private:
  std::array<std::string, 2> few_;
  std::vector<std::string> many_;  // all of them, when there are more than two
  std::size_t size_ = 0;
};

// Runs the operation under the Windows syntax when the flag is set.
using runner = std::function<fields(bool windows, const call&)>;

// The option an operation accepts after its name, if any.
enum class flag { none, multi_ext, prefix, windows_names, ignore_ascii_case };

// The syntaxes an operation works under: volume kinds and verbatim forms
// exist for Windows paths only.
enum class syntaxes { both, windows };

// What a refusal runner throws: the reason outside input was turned down.
struct refused {
  std::string reason;
};

struct operation {
  std::string_view name;
  std::vector<parameter> args;
  shape result;
  std::string_view summary;
  std::string_view example;         // arguments of an example run, split at spaces
  std::string_view example_output;  // what it prints
  runner run;
  flag accepts = flag::none;
  // Under -z, every record is one path of a single list, and the operation
  // runs once, over all of them (a set of the whole input).
  bool over_whole_input = false;
  syntaxes works_under = syntaxes::both;
};

// Makes a runner from a generic callable taking the syntax tag and the call.
template <class F>
runner both(F f) {
  return [f](bool windows, const call& c) { return windows ? f(windows_syntax{}, c) : f(posix_syntax{}, c); };
}

template <class S>
basic_path<S> path_arg(const call& c, std::size_t i) {
  return basic_path<S>::v(c.args[i]);
}

fields truth(bool b) { return fields(b ? "true" : "false"); }

// The results are taken by value and their bytes moved into the fields.
template <class S>
fields one(basic_path<S> p) {
  return fields(std::move(p).to_string());
}
fields one(std::string s) { return fields(std::move(s)); }

template <class S>
fields maybe(std::optional<basic_path<S>> p) {
  return p ? fields(std::move(*p).to_string()) : fields();
}

// The path of a result; its error is a refusal.
template <class S>
fields granted(result<basic_path<S>> r) {
  if (!r) throw refused{r.error().message()};
  return fields(std::move(r).value().to_string());
}

template <class Printer>
fields printed(Printer&& print) {
  return fields(print_to_string(std::forward<Printer>(print)));
}

template <class T, class U>
fields two(std::pair<T, U> p) {
  const auto text = [](auto&& x) {
    if constexpr (std::is_same_v<std::decay_t<decltype(x)>, std::string>) {
      return std::move(x);
    } else {
      return std::move(x).to_string();
    }
  };
  return fields(text(std::move(p.first)), text(std::move(p.second)));
}

constexpr parameter path_a{arg_kind::path, "PATH"};
constexpr parameter path2_a{arg_kind::path, "PATH2"};
constexpr parameter root_a{arg_kind::path, "ROOT"};
constexpr parameter prefix_a{arg_kind::path, "PREFIX"};
constexpr parameter ext_a{arg_kind::text, "EXT"};
constexpr parameter pattern_a{arg_kind::text, "PATTERN"};

// The paths of the list argument, in order; a text that is not a path
// throws, or under -z is skipped with its message kept.
template <class S>
std::vector<basic_path<S>> paths_arg(const call& c) {
  std::vector<basic_path<S>> paths;
  paths.reserve(c.list.size());
  for (std::size_t i = 0; i < c.list.size(); ++i) {
    result<basic_path<S>> p = basic_path<S>::of_string(c.list[i]);
    if (p) {
      paths.push_back(std::move(p).value());
    } else if (c.skipped != nullptr) {
      c.skipped->emplace_back(i, p.error().message());
    } else {
      throw std::invalid_argument(p.error().message());
    }
  }
  return paths;
}

template <class S>
basic_path_set<S> path_set_arg(const call& c) {
  return basic_path_set<S>::of_list(paths_arg<S>(c));
}

ext_options ext_opts(const call& c) { return {.multi_ext = c.opts.multi_ext}; }
dir_options dir_opts(const call& c) { return {.prefix = c.opts.prefix}; }
local_options local_opts(const call& c) { return {.windows_names = c.opts.windows_names}; }
pattern_options pattern_opts(const call& c) { return {.ignore_ascii_case = c.opts.ignore_ascii_case}; }

// Makes a runner for an operation on Windows paths only.
template <class F>
runner windows_only(F f) {
  return [f](bool, const call& c) { return f(c); };
}

const std::vector<operation>& operations() {
  // A table, a row per operation, laid out by hand.
  // clang-format off
  static const std::vector<operation> ops = {
      {"dir-sep", {}, shape::one, "the directory separator of the syntax", "--windows dir-sep", "\\\n",
       both([](auto s, const call&) { return one(std::string(decltype(s)::dir_sep)); })},
      {"is-seg", {{arg_kind::text, "TEXT"}}, shape::boolean,
       "whether TEXT can be a segment (no separator, no NUL byte)", "--posix is-seg a\\b", "true\n",
       both([](auto s, const call& c) { return truth(is_seg<decltype(s)>(c.args[0])); })},
      {"is-rel-seg", {{arg_kind::text, "TEXT"}}, shape::boolean, "whether TEXT is \".\" or \"..\"", "is-rel-seg ..",
       "true\n", both([](auto, const call& c) { return truth(is_rel_seg(c.args[0])); })},
      {"of-string", {{arg_kind::text, "TEXT"}}, shape::one, "TEXT parsed as a path", "--windows of-string C:/a//b",
       "C:\\a\\b\n", both([](auto s, const call& c) { return one(path_arg<decltype(s)>(c, 0)); })},
      {"v", {{arg_kind::text, "TEXT"}}, shape::one, "TEXT parsed as a path (the same as of-string)",
       "--posix v a//b/", "a/b/\n", both([](auto s, const call& c) { return one(path_arg<decltype(s)>(c, 0)); })},
      {"add-seg", {path_a, {arg_kind::text, "SEG"}}, shape::one, "PATH with the segment SEG added",
       "--posix add-seg a/ b", "a/b\n",
       both([](auto s, const call& c) { return one(add_seg(path_arg<decltype(s)>(c, 0), c.args[1])); })},
      {"append", {path_a, {arg_kind::path, "PATH2"}}, shape::one,
       "PATH2 appended to PATH (PATH2 itself when it is absolute or has a volume)", "--windows append C:\\a b\\c",
       "C:\\a\\b\\c\n", both([](auto s, const call& c) {
         using S = decltype(s);
         return one(append(path_arg<S>(c, 0), path_arg<S>(c, 1)));
       })},
      {"split-volume", {path_a}, shape::two, "the volume and the rest of PATH, a line each",
       "--windows split-volume //srv/sh/x", "\\\\srv\\sh\n\\x\n",
       both([](auto s, const call& c) { return two(split_volume(path_arg<decltype(s)>(c, 0))); })},
      {"segs", {path_a}, shape::list, "the segments of PATH after its volume, a line each", "--posix segs /a/b",
       "\na\nb\n", both([](auto s, const call& c) { return segs(path_arg<decltype(s)>(c, 0)); })},
      {"is-dir-path", {path_a}, shape::boolean, "whether PATH ends in an empty, \".\" or \"..\" segment",
       "--posix is-dir-path a/..", "true\n",
       both([](auto s, const call& c) { return truth(is_dir_path(path_arg<decltype(s)>(c, 0))); })},
      {"is-file-path", {path_a}, shape::boolean, "whether PATH is not a directory path", "--posix is-file-path a/b",
       "true\n", both([](auto s, const call& c) { return truth(is_file_path(path_arg<decltype(s)>(c, 0))); })},
      {"to-dir-path", {path_a}, shape::one, "PATH ending with a separator", "--posix to-dir-path a", "a/\n",
       both([](auto s, const call& c) { return one(to_dir_path(path_arg<decltype(s)>(c, 0))); })},
      {"filename", {path_a}, shape::one, "the last segment of PATH, empty for a directory path",
       "--posix filename a/b.txt", "b.txt\n",
       both([](auto s, const call& c) { return one(filename(path_arg<decltype(s)>(c, 0))); })},
      {"split-base", {path_a}, shape::two, "the directory part and the base of PATH, a line each",
       "--posix split-base a/b/", "a/\nb/\n",
       both([](auto s, const call& c) { return two(split_base(path_arg<decltype(s)>(c, 0))); })},
      {"base", {path_a}, shape::one, "the last non-empty segment of PATH, with its trailing separator",
       "--posix base a/b/", "b/\n", both([](auto s, const call& c) { return one(base(path_arg<decltype(s)>(c, 0))); })},
      {"basename", {path_a}, shape::one, "the last non-empty segment of PATH, empty for \".\" and \"..\"",
       "--posix basename a/b/", "b\n",
       both([](auto s, const call& c) { return one(basename(path_arg<decltype(s)>(c, 0))); })},
      {"parent", {path_a}, shape::one, "the directory that holds PATH", "--windows parent C:a", "C:.\\\n",
       both([](auto s, const call& c) { return one(parent(path_arg<decltype(s)>(c, 0))); })},
      {"rem-empty-seg", {path_a}, shape::one, "PATH without one trailing separator", "--posix rem-empty-seg a/b/",
       "a/b\n", both([](auto s, const call& c) { return one(rem_empty_seg(path_arg<decltype(s)>(c, 0))); })},
      {"normalize", {path_a}, shape::one, "PATH with \".\" and \"..\" resolved, volume and trailing separator kept",
       "--posix normalize a/./b/../c/", "a/c/\n",
       both([](auto s, const call& c) { return one(normalize(path_arg<decltype(s)>(c, 0))); })},
      {"is-prefix", {prefix_a, path_a}, shape::boolean, "whether PREFIX begins PATH and ends at one of its segments",
       "--posix is-prefix /a /ab", "false\n", both([](auto s, const call& c) {
         using S = decltype(s);
         return truth(is_prefix(path_arg<S>(c, 0), path_arg<S>(c, 1)));
       })},
      {"find-prefix", {path_a, path2_a}, shape::optional, "the longest common prefix at a segment boundary of both",
       "--posix find-prefix /a/b /a/c", "/a/\n", both([](auto s, const call& c) {
         using S = decltype(s);
         return maybe(find_prefix(path_arg<S>(c, 0), path_arg<S>(c, 1)));
       })},
      {"rem-prefix", {prefix_a, path_a}, shape::optional, "PATH without PREFIX, as a relative path",
       "--windows rem-prefix C:\\ C:\\a\\b", "a\\b\n", both([](auto s, const call& c) {
         using S = decltype(s);
         return maybe(rem_prefix(path_arg<S>(c, 0), path_arg<S>(c, 1)));
       })},
      {"relativize", {root_a, path_a}, shape::optional, "the relative path from the directory ROOT to PATH",
       "--posix relativize /a/b/ /a/c", "../c\n", both([](auto s, const call& c) {
         using S = decltype(s);
         return maybe(relativize(path_arg<S>(c, 0), path_arg<S>(c, 1)));
       })},
      {"is-rooted", {root_a, path_a}, shape::boolean, "whether PATH lies inside the directory ROOT",
       "--posix is-rooted /srv/www/ /srv/www/../etc/passwd", "false\n", both([](auto s, const call& c) {
         using S = decltype(s);
         return truth(is_rooted(path_arg<S>(c, 0), path_arg<S>(c, 1)));
       })},
      {"is-rel", {path_a}, shape::boolean, "whether PATH is relative", "--windows is-rel C:a", "true\n",
       both([](auto s, const call& c) { return truth(is_rel(path_arg<decltype(s)>(c, 0))); })},
      {"is-abs", {path_a}, shape::boolean, "whether PATH is absolute", "--windows is-abs \\a", "true\n",
       both([](auto s, const call& c) { return truth(is_abs(path_arg<decltype(s)>(c, 0))); })},
      {"is-root", {path_a}, shape::boolean, "whether PATH is a volume and one separator",
       "--windows is-root //srv/sh", "true\n",
       both([](auto s, const call& c) { return truth(is_root(path_arg<decltype(s)>(c, 0))); })},
      {"is-current-dir", {path_a}, shape::boolean, "whether PATH is . or ./ (with --prefix: begins with ./)",
       "--posix is-current-dir --prefix ./a", "true\n",
       both([](auto s, const call& c) { return truth(is_current_dir(path_arg<decltype(s)>(c, 0), dir_opts(c))); }),
       flag::prefix},
      {"is-parent-dir", {path_a}, shape::boolean, "whether PATH is .. or ../ (with --prefix: begins with ../)",
       "--posix is-parent-dir ../a", "false\n",
       both([](auto s, const call& c) { return truth(is_parent_dir(path_arg<decltype(s)>(c, 0), dir_opts(c))); }),
       flag::prefix},
      {"is-dotfile", {path_a}, shape::boolean, "whether the base name of PATH begins with a dot",
       "--posix is-dotfile a/.git/", "true\n",
       both([](auto s, const call& c) { return truth(is_dotfile(path_arg<decltype(s)>(c, 0))); })},
      {"equal", {path_a, path2_a}, shape::boolean, "whether the two paths are the same bytes",
       "--posix equal a/./b a/b", "false\n", both([](auto s, const call& c) {
         using S = decltype(s);
         return truth(equal(path_arg<S>(c, 0), path_arg<S>(c, 1)));
       })},
      {"compare", {path_a, path2_a}, shape::integer, "-1, 0 or 1: the byte order of the two paths",
       "--posix compare a/b a/c", "-1\n", both([](auto s, const call& c) {
         using S = decltype(s);
         return one(std::to_string(compare(path_arg<S>(c, 0), path_arg<S>(c, 1))));
       })},
      {"to-string", {path_a}, shape::one, "the bytes of PATH", "--windows to-string C:/a", "C:\\a\n",
       both([](auto s, const call& c) { return one(to_string(path_arg<decltype(s)>(c, 0))); })},
      {"pp", {path_a}, shape::one, "PATH printed as it is", "--posix pp a//b", "a/b\n", both([](auto s, const call& c) {
         return printed([p = path_arg<decltype(s)>(c, 0)](formatter& f) { pp(f, p); });
       })},
      {"dump", {path_a}, shape::one, "PATH quoted and escaped", "--windows dump C:/a", "\"C:\\\\a\"\n",
       both([](auto s, const call& c) {
         return printed([p = path_arg<decltype(s)>(c, 0)](formatter& f) { dump(f, p); });
       })},
      {"get-ext", {path_a}, shape::one, "the extension of PATH with its dot, or nothing",
       "--posix get-ext --multi-ext a/b.tar.gz", ".tar.gz\n",
       both([](auto s, const call& c) { return one(get_ext(path_arg<decltype(s)>(c, 0), ext_opts(c))); }),
       flag::multi_ext},
      {"stem", {path_a}, shape::one, "the base name of PATH without its extension (with --multi-ext: all of them)",
       "--posix stem --multi-ext a/b.tar.gz", "b\n",
       both([](auto s, const call& c) { return one(stem(path_arg<decltype(s)>(c, 0), ext_opts(c))); }),
       flag::multi_ext},
      {"has-ext", {ext_a, path_a}, shape::boolean, "whether EXT (dot or not) ends the multiple extension of PATH",
       "--posix has-ext tar.gz a/b.tar.gz", "true\n",
       both([](auto s, const call& c) { return truth(has_ext(c.args[0], path_arg<decltype(s)>(c, 1))); })},
      {"mem-ext", {{arg_kind::list, "EXT"}, path_a}, shape::boolean, "whether PATH has one of the extensions",
       "--posix mem-ext .zip gz a/b.tar.gz", "true\n",
       both([](auto s, const call& c) { return truth(mem_ext(c.list, path_arg<decltype(s)>(c, 0))); })},
      {"exists-ext", {path_a}, shape::boolean, "whether PATH has an extension (with --multi-ext: two or more)",
       "--posix exists-ext --multi-ext a.txt", "false\n",
       both([](auto s, const call& c) { return truth(exists_ext(path_arg<decltype(s)>(c, 0), ext_opts(c))); }),
       flag::multi_ext},
      {"add-ext", {ext_a, path_a}, shape::one, "PATH with EXT added to its last non-empty segment",
       "--posix add-ext gz a/b.tar/", "a/b.tar.gz/\n",
       both([](auto s, const call& c) { return one(add_ext(c.args[0], path_arg<decltype(s)>(c, 1))); })},
      {"rem-ext", {path_a}, shape::one, "PATH without its extension", "--posix rem-ext --multi-ext a/b.tar.gz",
       "a/b\n", both([](auto s, const call& c) { return one(rem_ext(path_arg<decltype(s)>(c, 0), ext_opts(c))); }),
       flag::multi_ext},
      {"set-ext", {ext_a, path_a}, shape::one, "PATH with its extension replaced by EXT",
       "--posix set-ext .zip a/b.tar.gz", "a/b.tar.zip\n",
       both([](auto s, const call& c) { return one(set_ext(c.args[0], path_arg<decltype(s)>(c, 1), ext_opts(c))); }),
       flag::multi_ext},
      {"split-ext", {path_a}, shape::two, "PATH without its extension, and the extension, a line each",
       "--posix split-ext a.tar.gz/", "a.tar/\n.gz\n",
       both([](auto s, const call& c) { return two(split_ext(path_arg<decltype(s)>(c, 0), ext_opts(c))); }),
       flag::multi_ext},
      {"set", {{arg_kind::list, "PATH"}}, shape::one,
       "the set of the paths, dumped (under -z: of every record, each a path)", "--posix set b a//b a", "{\"a\" \"a/b\" \"b\"}\n",
       both([](auto s, const call& c) {
         return printed([set = path_set_arg<decltype(s)>(c)](formatter& f) { set.dump(f); });
       }),
       flag::none, true},
      {"sort", {{arg_kind::list, "PATH"}}, shape::list,
       "the paths in byte order, each once, a line each (under -z: a record each, no count)", "--posix sort b a//b a b",
       "a\na/b\nb\n",
       both([](auto s, const call& c) {
         fields out;
         for (const auto& p : path_set_arg<decltype(s)>(c)) out.push_back(p.to_string());
         return out;
       }),
       flag::none, true},
      {"match", {pattern_a, path_a}, shape::boolean,
       "whether PATTERN (*, ?, [a-z], ** for whole segments, / at the end for directories) matches PATH",
       "--posix match src/**/*.h src/a/b.h", "true\n", both([](auto s, const call& c) {
         return truth(matches(c.args[0], path_arg<decltype(s)>(c, 1), pattern_opts(c)));
       }),
       flag::ignore_ascii_case},
      {"filter", {pattern_a, {arg_kind::list, "PATH"}}, shape::selection,
       "the paths that PATTERN matches, in the order given, a line each (under -z: a record each, no count)",
       "--posix filter *.d/ a.d/ b.d x.d//", "a.d/\nx.d/\n", both([](auto s, const call& c) {
         using S = decltype(s);
         const auto pattern = basic_pattern<S>::v(c.args[0], pattern_opts(c));
         fields out;
         for (auto& p : paths_arg<S>(c)) {
           if (pattern.matches(p)) out.push_back(std::move(p).to_string());
         }
         return out;
       }),
       flag::ignore_ascii_case, true},
      {"to-file-uri", {path_a}, shape::one, "the file URI of the absolute PATH", "--windows to-file-uri C:/docs/r&d.txt",
       "file:///C:/docs/r%26d.txt\n",
       both([](auto s, const call& c) { return one(to_file_uri(path_arg<decltype(s)>(c, 0)).value()); })},
      {"of-file-uri", {{arg_kind::text, "URI"}}, shape::one, "the path of the file URI",
       "--windows of-file-uri file://srv/sh/a%20b", "\\\\srv\\sh\\a b\n",
       both([](auto s, const call& c) { return one(of_file_uri<decltype(s)>(c.args[0]).value()); })},
      {"windows-name-fault", {{arg_kind::text, "SEG"}}, shape::optional,
       "why Windows refuses the name SEG: forbidden-byte, trailing-dot-or-space or reserved-name",
       "windows-name-fault con.txt", "reserved-name\n", both([](auto, const call& c) {
         const std::optional<name_fault> f = windows_name_fault(c.args[0]);
         return f ? fields{std::string(to_string(*f))} : fields{};
       })},
      {"is-local", {path_a}, shape::boolean,
       "whether PATH stays inside any directory it is appended to (with --windows-names: and Windows takes its names)",
       "--posix is-local a/../b", "true\n",
       both([](auto s, const call& c) { return truth(is_local(path_arg<decltype(s)>(c, 0), local_opts(c))); }),
       flag::windows_names},
      {"append-beneath", {root_a, {arg_kind::text, "TEXT"}}, shape::refusal,
       "TEXT appended beneath the directory ROOT and normalized, or why not", "--posix append-beneath /srv/www img/../a.png",
       "/srv/www/a.png\n", both([](auto s, const call& c) {
         return granted(append_beneath(path_arg<decltype(s)>(c, 0), c.args[1], local_opts(c)));
       }),
       flag::windows_names},
      {"to-windows", {path_a}, shape::optional, "the POSIX PATH as a Windows path with the same segments",
       "to-windows /a/b/", "\\a\\b\\\n",
       both([](auto, const call& c) { return maybe(to_windows(path_arg<posix_syntax>(c, 0))); })},
      {"to-posix", {path_a}, shape::optional, "the Windows PATH as a POSIX path with the same segments",
       "to-posix a\\b", "a/b\n",
       both([](auto, const call& c) { return maybe(to_posix(path_arg<windows_syntax>(c, 0))); })},
      {"volume-kind", {path_a}, shape::one,
       "none, drive, unc, verbatim-drive, verbatim-unc, verbatim or device (Windows only)",
       "--windows volume-kind //?/C:/x", "verbatim-drive\n",
       windows_only([](const call& c) { return one(std::string(to_string(volume_kind(path_arg<windows_syntax>(c, 0))))); }),
       flag::none, false, syntaxes::windows},
      {"to-verbatim", {path_a}, shape::optional, "the \\\\?\\ form of the normalized absolute PATH (Windows only)",
       "--windows to-verbatim C:/a/../b", "\\\\?\\C:\\b\n",
       windows_only([](const call& c) { return maybe(to_verbatim(path_arg<windows_syntax>(c, 0))); }),
       flag::none, false, syntaxes::windows},
      {"of-verbatim", {path_a}, shape::optional, "the plain form of a \\\\?\\ PATH that names the same file (Windows only)",
       "--windows of-verbatim //?/UNC/srv/sh/x", "\\\\srv\\sh\\x\n",
       windows_only([](const call& c) { return maybe(of_verbatim(path_arg<windows_syntax>(c, 0))); }),
       flag::none, false, syntaxes::windows},
  };
  // clang-format on
  return ops;
}

const operation* find_operation(std::string_view name) {
  const auto& ops = operations();
  const auto it = std::find_if(ops.begin(), ops.end(), [name](const operation& op) { return op.name == name; });
  return it == ops.end() ? nullptr : &*it;
}

// The names users bring from coreutils and other libraries, with the
// operation they mean here.
struct known_name {
  std::string_view name;
  std::string_view operation;
  std::string_view how_it_differs;
};
constexpr known_name known_names[] = {
    {"dirname", "parent", ""},
    {"relpath", "relativize", ""},
    {"join", "append", ""},
    {"extname", "get-ext", ""},
    {"suffix", "get-ext", ""},
    {"splitext", "split-ext", ""},
    {"realpath", "normalize",
     " (realpath resolves links on the file system; normalize resolves \".\" and \"..\" in the text alone)"},
    {"abspath", "normalize", " (no current directory is consulted: append the path to it first)"},
};

// The edit distance of a and b, for the names a user nearly typed.
std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// "unknown operation x", with what the user may have meant.
std::string unknown_operation(std::string_view name) {
  std::string out = "unknown operation " + std::string(name);
  for (const known_name& k : known_names) {
    if (k.name == name) return out + "; did you mean " + std::string(k.operation) + "?" + std::string(k.how_it_differs);
  }
  std::vector<std::string_view> near;
  const auto suggest = [&](std::string_view op) {
    if (std::find(near.begin(), near.end(), op) == near.end()) near.push_back(op);
  };
  for (const operation& op : operations()) {
    if (edit_distance(name, op.name) <= 2) suggest(op.name);
  }
  for (const known_name& k : known_names) {
    if (edit_distance(name, k.name) <= 2) suggest(k.operation);
  }
  for (std::size_t i = 0; i < near.size(); ++i) {
    out += (i == 0 ? "; did you mean " : i + 1 == near.size() ? " or " : ", ") + std::string(near[i]);
  }
  return near.empty() ? out : out + "?";
}

constexpr std::string_view usage_line =
    "usage: corso [--posix | --windows] [-z] OPERATION [--multi-ext] [--prefix] [--windows-names]\n"
    "             [--ignore-ascii-case] [--] ARG...\n";

void print_arg_names(std::ostream& os, const operation& op) {
  for (const parameter& a : op.args) {
    os << ' ' << (a.kind == arg_kind::list ? "[" : "") << a.name << (a.kind == arg_kind::list ? "...]" : "");
  }
}

void print_help(std::ostream& os) {
  os << usage_line << "       corso OPERATION --help\n       corso --version\n\n"
     << "Lexical operations on POSIX and Windows paths: no file system is consulted.\n"
     << "The syntax is the host's unless --posix or --windows is given.\n"
     << "With -z, records are read from standard input, every field ended by a NUL byte,\n"
     << "and every output field is ended by a NUL byte; arguments given on the command\n"
     << "line are the first fields of every record.\n\n"
     << "Exit status: 0 success or true, 1 false or no result, 2 invalid input or usage error.\n\n"
     << "Operations:\n";
  for (const operation& op : operations()) {
    std::ostringstream line;
    line << "  " << op.name;
    print_arg_names(line, op);
    const std::string head = line.str();
    os << head;
    if (head.size() < 28) {
      os << std::string(28 - head.size(), ' ');
    } else {
      os << "\n" << std::string(28, ' ');
    }
    os << op.summary << '\n';
  }
}

// "usage: corso ... OPERATION [OPTION] ARG...", the line of one operation.
void print_operation_usage(std::ostream& os, const operation& op) {
  os << "usage: corso [--posix | --windows] [-z] " << op.name;
  if (op.accepts == flag::multi_ext) os << " [--multi-ext]";
  if (op.accepts == flag::prefix) os << " [--prefix]";
  if (op.accepts == flag::windows_names) os << " [--windows-names]";
  if (op.accepts == flag::ignore_ascii_case) os << " [--ignore-ascii-case]";
  print_arg_names(os, op);
  os << '\n';
}

void print_operation_help(std::ostream& os, const operation& op) {
  print_operation_usage(os, op);
  os << '\n' << op.summary << ".\n\nexample:\n  $ corso " << op.example << '\n';
  std::string_view out = op.example_output;
  while (!out.empty()) {
    const std::size_t nl = out.find('\n');
    os << "  " << out.substr(0, nl) << '\n';
    out.remove_prefix(nl == out.npos ? out.size() : nl + 1);
  }
}

int usage_error(std::ostream& err, std::string_view what) {
  err << "corso: " << what << '\n' << usage_line << "Try 'corso --help'.\n";
  return 2;
}

// A usage error of one operation shows that operation's usage.
int usage_error(std::ostream& err, std::string_view what, const operation& op) {
  err << "corso: " << what << '\n';
  print_operation_usage(err, op);
  err << "Try 'corso " << op.name << " --help'.\n";
  return 2;
}

// Input is read, and output written, in blocks of this size.
constexpr std::size_t block_size = std::size_t{1} << 17;

// Standard output, gathered into blocks for the sink.
class output {
 public:
  explicit output(sink& s) : sink_(s) { buffer_.reserve(block_size); }
  void write(std::string_view bytes) {
    buffer_.append(bytes);
    if (buffer_.size() >= block_size) flush();
  }
  // A field and its end: '\0' under -z, else '\n'.
  void field(std::string_view bytes, char end) {
    buffer_.append(bytes);
    buffer_.push_back(end);
    if (buffer_.size() >= block_size) flush();
  }
  void flush() {
    if (buffer_.empty()) return;
    sink_.write(buffer_);
    buffer_.clear();
  }

 private:
  sink& sink_;
  std::string buffer_;
};

// The NUL-terminated fields of -z input, read from the source in blocks; an
// unterminated last field counts. The fields of the record being read stay
// in the buffer until the next record begins; a view that field() gives
// holds until the next call to next(), which may move the buffer.
class field_reader {
 public:
  field_reader(source& in, output& out) : in_(in), out_(out), buffer_(block_size) {}

  // Begins a record: the fields read so far may leave the buffer.
  void begin_record() {
    record_ = next_;
    ends_.clear();
  }

  // Reads the next field of the record; false at the end of the input.
  bool next() {
    for (;;) {
      const std::size_t unread = filled_ - next_;
      const char* from = buffer_.data() + next_;
      if (const void* nul = unread == 0 ? nullptr : std::memchr(from, '\0', unread)) {
        const std::size_t end = next_ + static_cast<std::size_t>(static_cast<const char*>(nul) - from);
        ends_.push_back(end - record_);
        next_ = end + 1;
        return true;
      }
      if (ended_) {
        if (unread == 0) return false;
        ends_.push_back(filled_ - record_);
        next_ = filled_;
        return true;
      }
      refill();
    }
  }

  // The fields of the record read so far.
  std::size_t size() const { return ends_.size(); }
  std::string_view field(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1] + 1;
    return {buffer_.data() + record_ + begin, ends_[i] - begin};
  }

 private:
  void refill() {
    // Only the record being read is kept, at the front; a record larger than
    // the buffer makes it grow.
    if (record_ != 0) {
      std::memmove(buffer_.data(), buffer_.data() + record_, filled_ - record_);
      next_ -= record_;
      filled_ -= record_;
      record_ = 0;
    }
    if (filled_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
    // The reader of the results may wait for them before it writes more input.
    out_.flush();
    const std::size_t n = in_.read({buffer_.data() + filled_, buffer_.size() - filled_});
    if (n == 0) ended_ = true;
    filled_ += n;
  }

  source& in_;
  output& out_;
  std::vector<char> buffer_;
  std::size_t filled_ = 0;         // the bytes of buffer_ read from the source
  std::size_t record_ = 0;         // where the record being read begins
  std::size_t next_ = 0;           // where the next field begins
  bool ended_ = false;             // the source is at its end
  std::vector<std::size_t> ends_;  // where each field of the record ends, from record_
};

// Writes "corso: MESSAGE", or under -z "corso: record N: MESSAGE", as one
// line in one write, so that messages stay whole beside other writers.
// Record 0 is the command line.
void say(std::ostream& err, std::size_t record, std::string_view message) {
  std::string line = "corso: ";
  if (record != 0) line += "record " + std::to_string(record) + ": ";
  line += message;
  line += '\n';
  err << line;
}

enum class outcome { done, refused, invalid };

// Runs op and turns a broken precondition into the library's message, and
// a refusal into its reason; both go to err, naming the record.
outcome apply(const operation& op, bool windows, const call& c, fields& out, std::ostream& err, std::size_t record) {
  try {
    out = op.run(windows, c);
    return outcome::done;
  } catch (const refused& r) {
    say(err, record, r.reason);
    return outcome::refused;
  } catch (const std::invalid_argument& e) {
    say(err, record, e.what());
    return outcome::invalid;
  }
}

int exit_status(shape s, const fields& f) {
  if (s == shape::boolean) return f[0] == "true" ? 0 : 1;
  if (s == shape::optional || s == shape::selection) return f.empty() ? 1 : 0;
  return 0;
}

int run_once(const operation& op, bool windows, std::span<const std::string_view> positional, const options& opts,
             output& out, std::ostream& err) {
  std::size_t fixed = 0;
  bool has_list = false;
  for (const parameter& a : op.args) {
    if (a.kind == arg_kind::list) {
      has_list = true;
    } else {
      ++fixed;
    }
  }
  if (has_list ? positional.size() < fixed : positional.size() != fixed) {
    return usage_error(err,
                       std::string(op.name) + " takes " + std::to_string(fixed) + (has_list ? " or more" : "") +
                           " argument" + (fixed == 1 ? "" : "s"),
                       op);
  }
  call c;
  c.opts = opts;
  const std::size_t list_size = positional.size() - fixed;
  std::size_t i = 0;
  for (const parameter& a : op.args) {
    if (a.kind == arg_kind::list) {
      c.list.assign(positional.begin() + static_cast<std::ptrdiff_t>(i),
                    positional.begin() + static_cast<std::ptrdiff_t>(i + list_size));
      i += list_size;
    } else {
      c.args.push_back(positional[i++]);
    }
  }
  fields f;
  const outcome o = apply(op, windows, c, f, err, 0);
  if (o != outcome::done) return o == outcome::refused ? 1 : 2;
  for (const std::string& field : f) out.field(field, '\n');
  return exit_status(op.result, f);
}

// One run over every record: a path that does not parse is reported and
// left out, and the status says so.
int run_over_whole_input(const operation& op, bool windows, std::span<const std::string_view> positional,
                         const options& opts, field_reader& in, output& out, std::ostream& err) {
  call c;
  c.opts = opts;
  c.args.assign(positional.begin(), positional.end());
  std::vector<std::pair<std::size_t, std::string>> skipped;
  c.skipped = &skipped;
  in.begin_record();  // the whole input is one list: every field stays in the buffer
  while (in.next()) continue;
  c.list.reserve(in.size());
  for (std::size_t i = 0; i < in.size(); ++i) c.list.push_back(in.field(i));
  fields f;
  if (apply(op, windows, c, f, err, 0) != outcome::done) return 2;
  for (const auto& [index, message] : skipped) say(err, index + 1, message);
  for (const std::string& x : f) out.field(x, '\0');
  return skipped.empty() ? exit_status(op.result, f) : 2;
}

int run_batch(const operation& op, bool windows, std::span<const std::string_view> positional, const options& opts,
              source& src, output& out, std::ostream& err) {
  // Command-line arguments fill the leading slots of every record, up to a list.
  std::size_t leading = 0;
  while (leading < op.args.size() && op.args[leading].kind != arg_kind::list) ++leading;
  const std::string name(op.name);
  if (op.args.empty()) return usage_error(err, name + " takes no argument, so -z has nothing to read", op);
  if (op.over_whole_input && positional.size() != leading) {
    const std::string given =
        leading == 0 ? "" : " takes " + std::to_string(leading) + " argument(s) on the command line and";
    return usage_error(err, "with -z, " + name + given + " reads every path from standard input", op);
  }
  const std::size_t most = std::min(leading, op.args.size() - 1);
  if (positional.size() > most) {
    return usage_error(err,
                       "with -z, " + name + " takes at most " + std::to_string(most) +
                           " argument(s) on the command line; the others come from standard input",
                       op);
  }
  field_reader in(src, out);
  if (op.over_whole_input) return run_over_whole_input(op, windows, positional, opts, in, out, err);
  bool failed = false;
  call c;  // one for every record, so that its vectors are allocated once
  c.opts = opts;
  fields f;
  for (std::size_t record = 1;; ++record) {
    in.begin_record();
    bool complete = true;
    std::size_t list_begin = 0;  // the fields of the list argument, after its count
    std::size_t list_end = 0;
    for (std::size_t slot = positional.size(); slot < op.args.size() && complete; ++slot) {
      if (!in.next()) {
        complete = false;
        break;
      }
      if (op.args[slot].kind != arg_kind::list) continue;
      const std::string_view field = in.field(in.size() - 1);
      std::size_t count = 0;
      const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), count);
      if (ec == std::errc::result_out_of_range) {
        say(err, record, std::string(op.args[slot].name) + " count is too large");
        return 2;
      }
      if (ec != std::errc() || end != field.data() + field.size() || field.empty()) {
        say(err, record, std::string(op.args[slot].name) + " count is not a number");
        return 2;
      }
      list_begin = in.size();
      for (std::size_t k = 0; k < count && complete; ++k) complete = in.next();
      list_end = in.size();
    }
    if (!complete) {
      if (in.size() == 0) break;
      say(err, record, "incomplete at the end of the input");
      return 2;
    }
    // The views are taken once the record is whole: reading may move the buffer.
    c.args.assign(positional.begin(), positional.end());
    c.list.clear();
    for (std::size_t slot = positional.size(), i = 0; slot < op.args.size(); ++slot) {
      if (op.args[slot].kind != arg_kind::list) {
        c.args.push_back(in.field(i++));
        continue;
      }
      for (std::size_t k = list_begin; k < list_end; ++k) c.list.push_back(in.field(k));
      i = list_end;
    }
    const outcome o = apply(op, windows, c, f, err, record);
    if (o == outcome::done) {
      if (op.result == shape::list) out.field(std::to_string(f.size()), '\0');
      if (op.result == shape::optional && f.empty()) out.field("", '\0');
      for (const std::string& x : f) out.field(x, '\0');
    } else if (o == outcome::refused) {
      out.field("", '\0');  // like an absent result, not a failed record
    } else {
      failed = true;
      const std::size_t blanks = op.result == shape::two ? 2 : 1;
      for (std::size_t k = 0; k < blanks; ++k) out.field("", '\0');
    }
  }
  return failed ? 2 : 0;
}

int run_args(std::span<const std::string_view> args, source& in, output& out, std::ostream& err) {
  bool windows = corso::windows;
  bool batch = false;
  std::size_t i = 0;
  for (; i < args.size() && args[i].starts_with('-'); ++i) {
    const std::string_view a = args[i];
    if (a == "--posix") {
      windows = false;
    } else if (a == "--windows") {
      windows = true;
    } else if (a == "-z") {
      batch = true;
    } else if (a == "--help" || a == "-h") {
      std::ostringstream help;
      print_help(help);
      out.write(help.str());
      return 0;
    } else if (a == "--version") {
      out.write("corso " CORSO_VERSION_STRING "\n");
      return 0;
    } else {
      return usage_error(err, "unknown option " + std::string(a));
    }
  }
  if (i == args.size()) return usage_error(err, "no operation given");
  const operation* op = find_operation(args[i]);
  if (op == nullptr) return usage_error(err, unknown_operation(args[i]));

  options opts;
  std::vector<std::string_view> positional;
  bool options_end = false;
  for (++i; i < args.size(); ++i) {
    const std::string_view a = args[i];
    // -h asks for help as --help does, though another lone -x is an argument;
    // after --, -h is an argument too.
    if (!options_end && a == "-h") {
      std::ostringstream help;
      print_operation_help(help, *op);
      out.write(help.str());
      return 0;
    }
    if (options_end || !a.starts_with("--")) {
      positional.push_back(a);
    } else if (a == "--") {
      options_end = true;
    } else if (a == "--help") {
      std::ostringstream help;
      print_operation_help(help, *op);
      out.write(help.str());
      return 0;
    } else if (a == "--multi-ext" && op->accepts == flag::multi_ext) {
      opts.multi_ext = true;
    } else if (a == "--prefix" && op->accepts == flag::prefix) {
      opts.prefix = true;
    } else if (a == "--windows-names" && op->accepts == flag::windows_names) {
      opts.windows_names = true;
    } else if (a == "--ignore-ascii-case" && op->accepts == flag::ignore_ascii_case) {
      opts.ignore_ascii_case = true;
    } else {
      return usage_error(err,
                         std::string(op->name) + " has no option " + std::string(a) +
                             " (put -- before an argument that begins with --)",
                         *op);
    }
  }
  if (op->works_under == syntaxes::windows && !windows) {
    return usage_error(err, std::string(op->name) + " works on Windows paths only (add --windows)", *op);
  }
  return batch ? run_batch(*op, windows, positional, opts, in, out, err)
               : run_once(*op, windows, positional, opts, out, err);
}

class istream_source final : public source {
 public:
  explicit istream_source(std::istream& in) : in_(in) {}
  std::size_t read(std::span<char> into) override {
    in_.read(into.data(), static_cast<std::streamsize>(into.size()));
    if (in_.bad()) throw io_error("read error");
    return static_cast<std::size_t>(in_.gcount());
  }

 private:
  std::istream& in_;
};

class ostream_sink final : public sink {
 public:
  explicit ostream_sink(std::ostream& out) : out_(out) {}
  void write(std::string_view bytes) override {
    out_.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush();
    if (!out_) throw io_error("write error");
  }

 private:
  std::ostream& out_;
};

}  // namespace

int run(std::span<const std::string_view> args, source& in, sink& out, std::ostream& err) {
  output buffered(out);
  try {
    const int status = run_args(args, in, buffered, err);
    buffered.flush();
    return status;
  } catch (const io_error& e) {
    if (*e.what() != '\0') say(err, 0, e.what());
    return 2;
  }
}

int run(std::span<const std::string_view> args, std::istream& in, std::ostream& out, std::ostream& err) {
  istream_source source(in);
  ostream_sink sink(out);
  return run(args, source, sink, err);
}

}  // namespace corso::cli
