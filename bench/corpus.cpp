// The generated corpus: paths drawn from templates of an installed system,
// home directories and source trees, with a fixed seed and a generator of
// our own, so that every machine and standard library benchmarks the same
// bytes.
#include "corpus.hpp"

#include <corso/structure.hpp>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <unordered_set>

#include <corso/path.hpp>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace corso::bench {
namespace {

constexpr std::size_t corpus_size = 100'000;
constexpr std::uint64_t corpus_seed = 0x636f72736f;
constexpr std::size_t max_depth = 15;

// splitmix64: a portable sequence, unlike the distributions of <random>.
class rng {
 public:
  explicit rng(std::uint64_t seed) : s_(seed) {}
  std::uint64_t next() noexcept {
    std::uint64_t z = (s_ += 0x9e3779b97f4a7c15);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9;
    z = (z ^ (z >> 27)) * 0x94d049bb133111eb;
    return z ^ (z >> 31);
  }
  std::size_t below(std::size_t n) noexcept { return static_cast<std::size_t>(next() % n); }
  std::size_t between(std::size_t lo, std::size_t hi) noexcept { return lo + below(hi - lo + 1); }
  bool percent(std::size_t p) noexcept { return below(100) < p; }
  template <class T, std::size_t N>
  const T& pick(const T (&a)[N]) noexcept {
    return a[below(N)];
  }
  const std::string& pick(const std::vector<std::string>& v) noexcept { return v[below(v.size())]; }

 private:
  std::uint64_t s_;
};

using sv = std::string_view;

constexpr sv words[] = {
    "core",      "util",     "net",    "http",    "json",      "xml",     "crypto",   "image",    "audio",
    "video",     "font",     "config", "parser",  "server",    "client",  "common",   "data",     "model",
    "view",      "widget",   "render", "engine",  "graph",     "math",    "string",   "thread",   "memory",
    "cache",     "queue",    "log",    "event",   "input",     "output",  "stream",   "file",     "path",
    "plugin",    "module",   "driver", "kernel",  "system",    "network", "socket",   "protocol", "codec",
    "archive",   "compress", "glib",   "gtk",     "qt",        "ssl",     "curl",     "zlib",     "lzma",
    "ssh",       "git",      "shell",  "tools",   "manager",   "service", "daemon",   "monitor",  "session",
    "window",    "theme",    "icon",   "locale",  "api",       "backend", "frontend", "storage",  "database",
    "query",     "index",    "search", "schema",  "types",     "helpers", "legacy",   "detail",   "impl",
    "resources", "assets",   "styles", "scripts", "templates", "static",  "vendor",   "fixtures", "samples",
    "security",  "auth",     "user",   "account", "admin",     "report",  "metrics",  "trace",    "debug",
    "format",    "color",    "layout", "text",    "unicode",   "regex",   "time",     "calendar", "clock",
    "random",    "hash",     "sort",   "tree",    "list",      "map",     "set",      "vector",   "buffer",
    "pool",      "alloc",    "signal", "timer",   "process",   "task",    "job",      "worker",   "scheduler",
    "compiler",  "lexer",    "ast",    "codegen", "optimizer", "linker",  "loader",   "runtime",  "vm",
    "python",    "perl",     "ruby",   "lua",     "node",      "rust",    "go",       "java",     "boost",
    "gnome",     "kde",      "xorg",   "wayland", "mesa",      "vulkan",  "pulse",    "alsa",     "systemd",
    "dbus",      "udev",     "polkit", "cups",    "sane",      "gimp",    "inkscape", "firefox",  "thunderbird",
    "libre",     "office",   "writer", "calc",    "draw",      "mail",    "chat",     "sync",     "backup",
    "cloud",     "docker",   "kube",   "ansible", "terraform", "nginx",   "apache",   "postgres", "mysql",
    "redis",     "mongo",    "kafka",  "spark",   "hadoop",    "numpy",   "scipy",    "pandas",   "torch",
};

constexpr sv users[] = {"alice", "bob",   "carol",  "dave",   "erin",   "frank", "grace", "heidi",
                        "ivan",  "judy",  "mike",   "nina",   "oscar",  "peggy", "quinn", "rupert",
                        "sybil", "trent", "ursula", "victor", "walter", "xena",  "yusuf", "zoe"};

constexpr sv langs[] = {"de", "fr", "es", "it", "pt_BR", "ru", "ja", "zh_CN", "zh_TW", "ko", "nl", "pl", "sv",
                        "fi", "da", "cs", "hu", "tr",    "uk", "el", "he",    "ar",    "ca", "eu", "gl", "en_GB"};

constexpr sv src_ext[] = {".c",  ".h",  ".cc",  ".cpp", ".hpp", ".cxx", ".inl",  ".py", ".sh", ".rs", ".go",
                          ".js", ".ts", ".tsx", ".rb",  ".pl",  ".lua", ".java", ".kt", ".cs", ".m",  ".S"};
constexpr sv hdr_ext[] = {".h", ".h", ".hpp", ".hh", ".hxx", ".inc", ".def", ".tcc"};
constexpr sv doc_ext[] = {".md", ".txt", ".rst", ".html", ".pdf", ".adoc", ".tex", ".org", ".1", ".info.gz"};
constexpr sv data_ext[] = {".json", ".yaml",  ".yml",  ".toml",   ".xml",    ".csv", ".ini", ".conf", ".cfg",
                           ".sql",  ".proto", ".lock", ".tar.gz", ".tar.xz", ".zip", ".png", ".svg",  ".gz"};
constexpr sv build_ext[] = {".o",    ".a",   ".so",    ".d",   ".cmake", ".make", ".ninja",  ".obj",    ".gcda",
                            ".so.1", ".pyc", ".class", ".jar", ".wasm",  ".map",  ".min.js", ".tar.gz", ".deb"};
constexpr sv plain_files[] = {"Makefile", "README",       "LICENSE",    "COPYING", "AUTHORS",     "ChangeLog",
                              "NEWS",     "Dockerfile",   "configure",  "INSTALL", "TODO",        "CMakeLists.txt",
                              "setup.py", "package.json", "Cargo.toml", "go.mod",  "meson.build", "BUILD"};
constexpr sv dot_files[] = {".gitignore",     ".gitattributes",
                            ".clang-format",  ".clang-tidy",
                            ".editorconfig",  ".env",
                            ".dockerignore",  ".npmrc",
                            ".eslintrc.json", ".prettierrc",
                            ".travis.yml",    ".gitmodules",
                            ".mailmap",       ".pre-commit-config.yaml"};
constexpr sv home_dot_files[] = {".bashrc",  ".profile", ".bash_history", ".bash_logout", ".vimrc",     ".gitconfig",
                                 ".inputrc", ".zshrc",   ".tmux.conf",    ".Xresources",  ".wget-hsts", ".lesshst"};
constexpr sv top_dirs[] = {"src",     "include",  "lib",   "tests", "test",        "docs",   "tools",
                           "scripts", "examples", "build", "cmake", "third_party", "vendor", "assets",
                           "data",    "bench",    "pkg",   "cmd",   "internal",    "web",    "app"};
constexpr sv archs[] = {"x86_64-linux-gnu", "x86_64-linux-gnu", "x86_64-linux-gnu", "i386-linux-gnu",
                        "aarch64-linux-gnu"};

// A path being built: its segments and whether it starts at the root.
struct draft {
  bool absolute = true;
  std::vector<std::string> segs;
  bool dir = false;         // ends with a separator
  std::size_t doubled = 0;  // when not 0, the segment after a doubled separator

  draft& add(sv s) {
    segs.emplace_back(s);
    return *this;
  }
};

class generator {
 public:
  explicit generator(std::uint64_t seed) : r_(seed) {
    for (std::size_t i = 0; i < 3000; ++i) pkgs_.push_back(make_pkg());
    for (std::size_t i = 0; i < 400; ++i) projects_.push_back(ident());
  }

  std::string next() {
    for (;;) {
      draft d = pick_template();
      if (d.segs.empty() || d.segs.size() > max_depth) continue;
      mangle(d);
      return join(d);
    }
  }

 private:
  std::string ident() {
    const sv w = r_.pick(words);
    switch (r_.below(8)) {
      case 0:
        return std::string(w) + "_" + std::string(r_.pick(words));
      case 1:
        return std::string(w) + "-" + std::string(r_.pick(words));
      case 2:
        return std::string(w) + std::to_string(r_.between(2, 9));
      case 3:
        return std::string(w) + std::string(r_.pick(words));
      default:
        return std::string(w);
    }
  }

  std::string version() {
    std::string v = std::to_string(r_.between(0, 12)) + "." + std::to_string(r_.between(0, 30));
    if (r_.percent(60)) v += "." + std::to_string(r_.between(0, 99));
    return v;
  }

  std::string make_pkg() {
    const std::string w(r_.pick(words));
    switch (r_.below(12)) {
      case 0:
        return "lib" + w + std::to_string(r_.between(0, 9));
      case 1:
        return "lib" + w + "-dev";
      case 2:
        return "python3-" + w;
      case 3:
        return w + "-common";
      case 4:
        return w + "-doc";
      case 5:
        return "gir1.2-" + w + "-" + std::to_string(r_.between(1, 4)) + ".0";
      case 6:
        return "lib" + w + std::to_string(r_.between(1, 3)) + "." + std::to_string(r_.between(0, 9)) + "-" +
               std::to_string(r_.between(0, 9));
      case 7:
        return w + "-" + std::string(r_.pick(words));
      case 8:
        return "fonts-" + w;
      default:
        return w + (r_.percent(30) ? std::to_string(r_.between(2, 5)) : std::string());
    }
  }

  std::string file_with(sv ext) { return ident() + std::string(ext); }

  // A file of a source tree, with an extension that suits its top directory.
  std::string tree_file(sv top) {
    const std::size_t k = r_.below(100);
    if (k < 4) return std::string(r_.pick(plain_files));
    if (k < 7) return std::string(r_.pick(dot_files));
    if (top == "include") return file_with(r_.pick(hdr_ext));
    if (top == "docs") return file_with(r_.pick(doc_ext));
    if (top == "build") return file_with(r_.pick(build_ext));
    if (top == "data" || top == "assets" || top == "web") return file_with(r_.pick(data_ext));
    if (k < 15) return file_with(r_.pick(data_ext));
    return file_with(r_.pick(src_ext));
  }

  // The part of a source tree under its top: up to `budget` segments.
  void tree(draft& d, std::size_t budget) {
    const sv top = r_.pick(top_dirs);
    d.add(top);
    std::size_t dirs = 0;
    while (dirs + 2 < budget && r_.percent(dirs < 2 ? 80 : 55)) ++dirs;
    if (top == "build" && dirs >= 2 && r_.percent(50)) {
      d.add("CMakeFiles").add(ident() + ".dir");
      dirs -= 2;
    }
    for (std::size_t i = 0; i < dirs; ++i) d.add(r_.percent(85) ? std::string(r_.pick(words)) : ident());
    if (r_.percent(6)) {
      d.dir = true;  // a directory of the tree
    } else {
      d.add(tree_file(top));
    }
  }

  draft home(sv user) {
    draft d;
    d.add("home").add(user);
    return d;
  }

  // Each template is one region of a real machine; the weights are roughly
  // the share of paths that region holds.
  draft pick_template() {
    draft d;
    const std::size_t k = r_.below(100);
    if (k < 8) {  // shared libraries
      d.add("usr").add("lib").add(r_.pick(archs));
      std::string so = "lib" + std::string(r_.pick(words)) + ".so";
      if (r_.percent(85)) so += "." + std::to_string(r_.between(0, 9));
      if (r_.percent(40)) so += "." + std::to_string(r_.between(0, 40)) + "." + std::to_string(r_.between(0, 9));
      if (r_.percent(10)) d.add(r_.pick(words));
      d.add(so);
    } else if (k < 16) {  // Python packages
      d.add("usr").add("lib").add("python3").add("dist-packages").add(r_.pick(words));
      const std::size_t n = r_.below(5);
      for (std::size_t i = 0; i < n; ++i) d.add(r_.pick(words));
      if (r_.percent(25)) {
        d.add("__pycache__").add(ident() + ".cpython-311.pyc");
      } else {
        d.add(r_.percent(15) ? std::string("__init__.py") : ident() + ".py");
      }
    } else if (k < 24) {  // package documentation
      d.add("usr").add("share").add("doc").add(r_.pick(pkgs_));
      constexpr sv docs[] = {"copyright",    "changelog.Debian.gz",
                             "changelog.gz", "README.md",
                             "NEWS.gz",      "README.Debian",
                             "TODO.gz",      "AUTHORS",
                             "README.gz",    "changelog.Debian.amd64.gz"};
      if (r_.percent(20)) {
        d.add(r_.percent(50) ? "examples" : "html");
        if (r_.percent(30)) d.add(r_.pick(words));
        d.add(file_with(r_.percent(50) ? r_.pick(doc_ext) : r_.pick(src_ext)));
      } else {
        d.add(r_.pick(docs));
      }
    } else if (k < 29) {  // manual pages
      d.add("usr").add("share").add("man");
      if (r_.percent(20)) d.add(r_.pick(langs));
      const std::string section = std::to_string(r_.between(1, 8));
      d.add("man" + section).add(ident() + "." + section + (r_.percent(10) ? "ssl.gz" : ".gz"));
    } else if (k < 33) {  // translations
      d.add("usr").add("share").add("locale").add(r_.pick(langs)).add("LC_MESSAGES").add(r_.pick(pkgs_) + ".mo");
    } else if (k < 39) {  // headers
      d.add("usr").add("include");
      if (r_.percent(50)) d.add(r_.pick(archs));
      d.add(r_.pick(pkgs_));
      const std::size_t n = r_.below(4);
      for (std::size_t i = 0; i < n; ++i) d.add(r_.pick(words));
      d.add(file_with(r_.pick(hdr_ext)));
    } else if (k < 42) {  // programs
      switch (r_.below(6)) {
        case 0:
          d.add("usr").add("bin");
          break;
        case 1:
          d.add("usr").add("sbin");
          break;
        case 2:
          d.add("usr").add("local").add("bin");
          break;
        case 3:
          d.add("usr").add("libexec").add(r_.pick(words));
          break;
        case 4:
          d.add("sbin");
          break;
        default:
          d.add("bin");
      }
      d.add(r_.percent(20) ? r_.pick(pkgs_) : ident());
    } else if (k < 46) {  // icons
      const std::size_t size = std::size_t{16} << r_.below(5);
      d.add("usr").add("share").add("icons").add(r_.percent(50) ? "hicolor" : r_.pick(words));
      d.add(r_.percent(20) ? std::string("scalable") : std::to_string(size) + "x" + std::to_string(size));
      d.add(r_.percent(60) ? "apps" : "actions").add(ident() + (r_.percent(70) ? ".png" : ".svg"));
    } else if (k < 51) {  // configuration
      d.add("etc");
      const std::size_t n = r_.below(10);
      if (n == 0) {
        constexpr sv etc[] = {"passwd",      "group",       "shadow",     "hosts",   "fstab",
                              "hostname",    "resolv.conf", "os-release", "sudoers", "crontab",
                              "environment", "locale.gen",  "ld.so.cache"};
        d.add(r_.pick(etc));
      } else if (n < 4) {
        d.add(std::string(r_.pick(words)) + ".d").add(std::to_string(r_.between(10, 99)) + "-" + ident() + ".conf");
      } else {
        d.add(r_.pick(pkgs_));
        if (r_.percent(30)) d.add(r_.pick(words));
        d.add(r_.percent(70) ? ident() + ".conf" : file_with(r_.pick(data_ext)));
      }
    } else if (k < 57) {  // variable data
      d.add("var");
      switch (r_.below(4)) {
        case 0:
          d.add("lib").add("dpkg").add("info").add(r_.pick(pkgs_) + (r_.percent(50) ? ".list" : ".md5sums"));
          break;
        case 1: {
          d.add("log");
          if (r_.percent(50)) d.add(r_.pick(words));
          std::string log = ident() + ".log";
          if (r_.percent(60)) log += "." + std::to_string(r_.between(1, 9));
          if (r_.percent(50)) log += ".gz";
          d.add(log);
          break;
        }
        case 2:
          d.add("cache")
              .add("apt")
              .add("archives")
              .add(r_.pick(pkgs_) + "_" + version() + "-" + std::to_string(r_.between(1, 5)) + "_amd64.deb");
          break;
        default:
          d.add("lib").add(r_.pick(words));
          if (r_.percent(50)) d.add(r_.pick(words));
          d.add(file_with(r_.pick(data_ext)));
      }
    } else if (k < 77) {  // a project in a home directory
      d = home(r_.pick(users));
      d.add(r_.percent(80) ? "src" : "work").add(r_.pick(projects_));
      tree(d, max_depth - 4);
    } else if (k < 83) {  // the rest of a home directory
      d = home(r_.pick(users));
      switch (r_.below(5)) {
        case 0:
          d.add(r_.pick(home_dot_files));
          break;
        case 1:
          d.add(".config").add(r_.pick(words));
          if (r_.percent(40)) d.add(r_.pick(words));
          d.add(file_with(r_.pick(data_ext)));
          break;
        case 2:
          d.add(".local").add("share").add(r_.pick(words));
          d.add(file_with(r_.pick(data_ext)));
          break;
        case 3:
          d.add(".cache").add(r_.pick(words)).add(std::to_string(r_.next() % 0xffffff));
          break;
        default: {
          constexpr sv dirs[] = {"Downloads", "Documents", "Pictures", "Music", "Desktop"};
          d.add(r_.pick(dirs));
          if (r_.percent(40)) d.add(ident());
          d.add(ident() + "-" + version() + std::string(r_.pick(data_ext)));
        }
      }
    } else if (k < 93) {  // a source tree, relative to its top
      d.absolute = false;
      tree(d, max_depth);
    } else if (k < 96) {  // JavaScript dependencies, nested
      d = home(r_.pick(users));
      d.add("src").add(r_.pick(projects_));
      const std::size_t n = r_.between(1, 3);
      for (std::size_t i = 0; i < n; ++i) d.add("node_modules").add(r_.percent(20) ? "@" + ident() : ident());
      if (r_.percent(50)) d.add(r_.percent(50) ? "lib" : "dist");
      d.add(r_.percent(15) ? std::string("package.json") : ident() + (r_.percent(20) ? ".min.js" : ".js"));
    } else if (k < 98) {  // Java sources
      d.absolute = r_.percent(50);
      if (d.absolute) d = home(r_.pick(users)).add("src");
      d.add(r_.pick(projects_)).add("src").add(r_.percent(80) ? "main" : "test").add("java").add("org");
      const std::size_t n = r_.between(2, 5);
      for (std::size_t i = 0; i < n; ++i) d.add(r_.pick(words));
      std::string cls = ident();
      cls[0] = static_cast<char>(cls[0] - 'a' + 'A');
      d.add(cls + ".java");
    } else if (k < 99) {  // kernel headers, deep
      d.add("usr").add("src").add("linux-headers-6.1.0-" + std::to_string(r_.between(9, 28)) + "-amd64");
      d.add(r_.percent(50) ? "include" : "arch");
      const std::size_t n = r_.between(1, 8);
      for (std::size_t i = 0; i < n; ++i) d.add(r_.pick(words));
      d.add(r_.percent(70) ? file_with(".h") : std::string("Kconfig"));
    } else {  // a single segment
      d.absolute = r_.percent(50);
      constexpr sv tops[] = {"etc", "usr", "var", "home", "tmp", "opt", "srv", "boot", "root", "mnt", "media", "proc"};
      if (d.absolute) {
        d.add(r_.pick(tops));
      } else {
        d.add(r_.percent(50) ? r_.pick(plain_files) : r_.pick(dot_files));
      }
      if (r_.percent(20)) d.add(ident());
    }
    return d;
  }

  // A few percent of the paths as people write them: ./ and ../, doubled
  // and trailing separators. Each piece of text counts as a segment, so the
  // depth bound holds.
  void mangle(draft& d) {
    const auto room = [&d] { return d.segs.size() < max_depth; };
    const auto insert = [&d](std::size_t at, std::string seg) {
      d.segs.insert(d.segs.begin() + static_cast<std::ptrdiff_t>(at), std::move(seg));
    };
    if (!d.absolute) {
      const std::size_t k = r_.below(100);
      if (k < 20 && room()) insert(0, ".");
      if (k >= 20 && k < 30 && room()) insert(0, "..");
      if (k >= 25 && k < 30 && room()) insert(0, "..");
    }
    if (r_.percent(3) && room() && d.segs.size() >= 3) {
      const std::size_t at = r_.between(1, d.segs.size() - 2);
      insert(at, r_.percent(60) ? "." : "..");
      // Most ".." follow a name they cancel: a/b/../c.
      if (d.segs[at] == ".." && r_.percent(50) && room()) insert(at, std::string(r_.pick(words)));
    }
    if (r_.percent(3) && d.segs.size() >= 2) d.doubled = r_.between(1, d.segs.size() - 1);
    if (r_.percent(3) && !d.dir && d.segs.size() >= 2) {
      d.segs.pop_back();  // a directory named with its trailing separator
      d.dir = true;
    }
  }

  static std::string join(const draft& d) {
    std::string s;
    for (std::size_t i = 0; i < d.segs.size(); ++i) {
      if (i != 0 || d.absolute) s.push_back('/');
      if (i != 0 && i == d.doubled) s.push_back('/');
      s += d.segs[i];
    }
    if (d.dir) s.push_back('/');
    return s;
  }

  rng r_;
  std::vector<std::string> pkgs_;
  std::vector<std::string> projects_;
};

// The volume a rooted POSIX path gets, and its top directories renamed
// after their Windows counterparts.
std::string windows_top(std::string_view seg) {
  constexpr std::pair<sv, sv> tops[] = {{"home", "Users"},  {"usr", "Program Files"},       {"etc", "ProgramData"},
                                        {"var", "Windows"}, {"opt", "Program Files (x86)"}, {"tmp", "Temp"}};
  for (const auto& [posix, windows] : tops) {
    if (seg == posix) return std::string(windows);
  }
  return std::string(seg);
}

template <class Path>
std::vector<std::string> valid_only(std::vector<std::string> paths, const char* what) {
  const auto invalid = [](const std::string& s) { return !Path::of_string(std::string_view(s)); };
  const auto end = std::remove_if(paths.begin(), paths.end(), invalid);
  if (end != paths.end()) {
    std::cerr << "corso_bench: " << (paths.end() - end) << " invalid " << what << " paths dropped\n";
    paths.erase(end, paths.end());
  }
  if (paths.empty()) throw std::runtime_error(std::string("no valid ") + what + " path in the corpus");
  return paths;
}

// Generated paths must all parse: an invalid one would time the error path.
template <class Path>
void check_all_valid(const std::vector<std::string>& paths, const char* what) {
  for (const std::string& s : paths) {
    if (!Path::of_string(std::string_view(s))) {
      throw std::logic_error(std::string("generated ") + what + " path does not parse: " + s);
    }
  }
}

const char* env(const char* name) {
  const char* v = std::getenv(name);
  return v != nullptr && *v != '\0' ? v : nullptr;
}

std::vector<std::string> to_windows_paths(const std::vector<std::string>& posix) {
  std::vector<std::string> out;
  out.reserve(posix.size());
  for (std::size_t i = 0; i < posix.size(); ++i) out.push_back(to_windows_path(posix[i], corpus_seed ^ i));
  return out;
}

}  // namespace

std::vector<std::string> generate_posix_paths(std::size_t n, std::uint64_t seed) {
  generator g(seed);
  // Views into `out`, which never reallocates: the paths are not copied.
  std::vector<std::string> out;
  out.reserve(n);
  std::unordered_set<std::string_view> seen;
  seen.reserve(n);
  while (out.size() < n) {
    std::string p = g.next();
    if (seen.contains(p)) continue;
    out.push_back(std::move(p));
    seen.insert(out.back());
  }
  return out;
}

std::string to_windows_path(std::string_view p, std::uint64_t seed) {
  rng r(seed);
  std::string out;
  std::string_view rest = p;
  bool verbatim = false;
  if (!p.empty() && p[0] == '/') {
    rest.remove_prefix(std::min(p.find_first_not_of('/'), p.size()));
    const std::size_t k = r.below(100);
    if (k < 85) {
      out = r.percent(90) ? "C:\\" : "D:\\";
    } else if (k < 97) {
      constexpr sv servers[] = {"fileserver", "nas01", "build-02", "corp.example", "10.0.0.7"};
      constexpr sv shares[] = {"projects", "home", "public", "builds", "c$"};
      out = "\\\\" + std::string(r.pick(servers)) + "\\" + std::string(r.pick(shares)) + "\\";
    } else {
      out = "\\\\?\\C:\\";
      verbatim = true;
    }
    const std::size_t slash = rest.find('/');
    out += windows_top(rest.substr(0, slash));
    rest = slash == sv::npos ? sv() : rest.substr(slash);
  }
  // Verbatim paths take '/' literally on Windows, so they keep '\' alone.
  const bool mixed = !verbatim && r.percent(15);
  for (const char c : rest) out.push_back(c != '/' ? c : mixed && r.percent(50) ? '/' : '\\');
  return out;
}

std::vector<std::string> read_path_list(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const char sep = bytes.find('\0') != std::string::npos ? '\0' : '\n';
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find(sep, start);
    if (end == std::string::npos) end = bytes.size();
    std::string_view rec(bytes.data() + start, end - start);
    if (sep == '\n' && rec.ends_with('\r')) rec.remove_suffix(1);
    if (!rec.empty()) out.emplace_back(rec);
    start = end + 1;
  }
  return out;
}

void settle_heap() noexcept {
#if defined(__GLIBC__)
  malloc_trim(0);
#endif
}

std::vector<std::string> laid_out(std::vector<std::string> v) {
  std::string bytes;
  std::vector<std::size_t> sizes;
  sizes.reserve(v.size());
  for (const std::string& s : v) {
    bytes += s;
    sizes.push_back(s.size());
  }
  v.clear();
  v.shrink_to_fit();
  settle_heap();
  v.reserve(sizes.size());
  std::size_t at = 0;
  for (const std::size_t n : sizes) {
    v.emplace_back(bytes, at, n);
    at += n;
  }
  return v;
}

namespace {
// CORSO_BENCH_PATHS=N keeps the first N paths: a corpus small enough for the
// caches shows the work of the operations without the memory's.
std::vector<std::string> first_paths(std::vector<std::string> paths) {
  if (const char* n = env("CORSO_BENCH_PATHS")) {
    char* end = nullptr;
    const unsigned long long limit = std::strtoull(n, &end, 10);
    if (*end != '\0' || limit == 0) throw std::runtime_error(std::string("CORSO_BENCH_PATHS: not a count: ") + n);
    if (limit < paths.size()) paths.resize(static_cast<std::size_t>(limit));
  }
  return paths;
}
}  // namespace

const std::vector<std::string>& posix_corpus() {
  static const std::vector<std::string> paths = [] {
    if (const char* file = env("CORSO_BENCH_CORPUS")) {
      return laid_out(first_paths(valid_only<posix_path>(read_path_list(file), "POSIX")));
    }
    std::vector<std::string> generated = first_paths(generate_posix_paths(corpus_size, corpus_seed));
    check_all_valid<posix_path>(generated, "POSIX");
    return laid_out(std::move(generated));
  }();
  return paths;
}

const std::vector<std::string>& requests() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> out;
    out.reserve(posix_corpus().size());
    for (const std::string& p : posix_corpus()) {
      const std::string rest = corso::split_volume(posix_path::v(std::string_view(p))).second;
      const std::size_t start = rest.find_first_not_of('/');
      out.push_back(start == rest.npos ? "." : rest.substr(start));
    }
    return laid_out(std::move(out));
  }();
  return texts;
}

const std::vector<std::string>& windows_corpus() {
  static const std::vector<std::string> paths = [] {
    if (const char* file = env("CORSO_BENCH_WINDOWS_CORPUS")) {
      return laid_out(first_paths(valid_only<windows_path>(read_path_list(file), "Windows")));
    }
    std::vector<std::string> converted = to_windows_paths(posix_corpus());
    if (env("CORSO_BENCH_CORPUS")) return laid_out(valid_only<windows_path>(std::move(converted), "Windows"));
    check_all_valid<windows_path>(converted, "Windows");
    return laid_out(std::move(converted));
  }();
  return paths;
}

std::string corpus_description() {
  const char* posix = env("CORSO_BENCH_CORPUS");
  const char* windows = env("CORSO_BENCH_WINDOWS_CORPUS");
  std::string d = posix ? "POSIX: a user list of " : "POSIX: generated, ";
  d += std::to_string(posix_corpus().size()) + " paths; Windows: ";
  d += windows ? "a user list of " : "the POSIX paths converted, ";
  d += std::to_string(windows_corpus().size()) + " paths";
  return d;
}

namespace {
std::string long_path(std::string head, char sep, std::size_t n) {
  std::string s = std::move(head);
  for (std::size_t i = 0; s.size() + 32 < n; ++i) {
    s += "segment-" + std::to_string(i % 1000);
    s.push_back(sep);
  }
  s += "archive";
  s.append(n - s.size() - 7, 'x');
  s += ".tar.gz";
  return s;
}
}  // namespace

std::string long_posix_path(std::size_t n) { return long_path("/home/alice/src/", '/', n); }
std::string long_windows_path(std::size_t n) { return long_path("C:\\Users\\alice\\src\\", '\\', n); }

}  // namespace corso::bench
