#include "cli.hpp"

#include <gtest/gtest.h>
#include <corso/version.hpp>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "test_util.hpp"

namespace corso::cli {
namespace {

using test::for_each_row;

using namespace std::string_literals;

struct outcome {
  int status;
  std::string out;
  std::string err;
};

outcome run_tool(std::vector<std::string_view> args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  const int status = run(args, in, out, err);
  return {status, out.str(), err.str()};
}

std::vector<std::string_view> split_words(std::string_view s) {
  std::vector<std::string_view> out;
  while (!s.empty()) {
    const std::size_t sp = s.find(' ');
    out.push_back(s.substr(0, sp));
    s.remove_prefix(sp == s.npos ? s.size() : sp + 1);
  }
  return out;
}

TEST(Tool, PrintsResultsAndExitStatuses) {
  const struct {
    std::vector<std::string_view> args;
    int status;
    std::string out;
  } cases[] = {
      {{"--posix", "normalize", "a/./b/../c"}, 0, "a/c\n"},
      {{"--windows", "normalize", "C:/a/../b"}, 0, "C:\\b\n"},
      {{"--posix", "split-base", "a/b/"}, 0, "a/\nb/\n"},
      {{"--posix", "segs", "/a/"}, 0, "\na\n\n"},
      {{"--posix", "is-dir-path", "a/.."}, 0, "true\n"},
      {{"--posix", "is-dir-path", "a"}, 1, "false\n"},
      {{"--posix", "add-seg", "--", "a", "--prefix"}, 0, "a/--prefix\n"},
      {{"--posix", "filename", "-x"}, 0, "-x\n"},
      {{"--posix", "relativize", "/a/", "/a/b/../c"}, 0, "c\n"},
      {{"--posix", "relativize", "/a", "b"}, 1, ""},
      {{"--windows", "find-prefix", "C:\\a", "D:\\a"}, 1, ""},
      {{"--posix", "get-ext", "--multi-ext", "a.tar.gz"}, 0, ".tar.gz\n"},
      {{"--posix", "get-ext", "a.tar.gz", "--multi-ext"}, 0, ".tar.gz\n"},
      {{"--posix", "is-current-dir", "--prefix", "./a"}, 0, "true\n"},
      {{"--posix", "is-current-dir", "./a"}, 1, "false\n"},
      {{"--posix", "compare", "b", "a"}, 0, "1\n"},
      {{"--posix", "mem-ext", "zip", "gz", "a.tar.gz"}, 0, "true\n"},
      {{"--posix", "mem-ext", "a.tar.gz"}, 1, "false\n"},
      {{"--windows", "split-ext", "--multi-ext", "C:\\a.tar.gz\\"}, 0, "C:\\a\\\n.tar.gz\n"},
      {{"--windows", "set", "b", "C:/a", "C:\\a"}, 0, "{\"C:\\\\a\" \"b\"}\n"},
      {{"--posix", "sort", "b", "a//b", "a", "b"}, 0, "a\na/b\nb\n"},
      {{"--posix", "sort"}, 0, ""},
      {{"--posix", "windows-name-fault", "a."}, 0, "trailing-dot-or-space\n"},
      {{"--posix", "windows-name-fault", "a"}, 1, ""},
      {{"--posix", "is-local", "a\\b"}, 0, "true\n"},
      {{"--posix", "is-local", "--windows-names", "a\\b"}, 1, "false\n"},
      {{"--windows", "is-local", "--windows-names", "NUL"}, 1, "false\n"},  // accepted, and always on
      {{"--windows", "append-beneath", "C:\\srv", "a/b"}, 0, "C:\\srv\\a\\b\n"},
      {{"--windows", "to-windows", "/a/b"}, 0, "\\a\\b\n"},  // reads the syntax it names
      {{"--posix", "to-posix", "C:\\a"}, 1, ""},
      {{"--posix", "to-posix", "a\\b"}, 0, "a/b\n"},
      {{"--windows", "volume-kind", "//srv/sh/x"}, 0, "unc\n"},
      {{"--windows", "to-verbatim", "C:x"}, 1, ""},
      {{"--windows", "of-verbatim", "C:\\x"}, 0, "C:\\x\n"},
      {{"--posix", "to-file-uri", "/a b"}, 0, "file:///a%20b\n"},
      {{"--posix", "stem", "a/b.tar.gz"}, 0, "b.tar\n"},
      {{"--windows", "stem", "--multi-ext", "C:\\b.tar.gz\\"}, 0, "b\n"},
      {{"--windows", "of-file-uri", "file:///C|/a%20b"}, 0, "C:\\a b\n"},
      {{"--posix", "match", "**/*.cpp", "a/b.cpp"}, 0, "true\n"},
      {{"--posix", "match", "*.CPP", "a.cpp"}, 1, "false\n"},
      {{"--windows", "match", "--ignore-ascii-case", "c:/**/*.CPP", "C:\\x\\a.cpp"}, 0, "true\n"},
      {{"--windows", "filter", "*.txt", "a.txt", "b/c.txt", "d//e.txt", "f.txt/"}, 0, "a.txt\nf.txt\\\n"},
      {{"--posix", "filter", "*.txt", "a.c"}, 1, ""},  // no path matched
  };
  for_each_row(cases, [](const auto& c) {
    const outcome o = run_tool(c.args);
    EXPECT_EQ(o.status, c.status) << c.args[1];
    EXPECT_EQ(o.out, c.out) << c.args[1];
    EXPECT_EQ(o.err, "") << c.args[1];
  });
}

TEST(Tool, DashHAfterAnOperationIsItsHelpButNotAfterDashDash) {
  const outcome help = run_tool({"--posix", "normalize", "-h"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("usage: corso [--posix | --windows] [-z] normalize PATH")) << help.out;
  const outcome path = run_tool({"--posix", "normalize", "--", "-h"});
  EXPECT_EQ(path.status, 0);
  EXPECT_EQ(path.out, "-h\n");
  EXPECT_EQ(run_tool({"--posix", "basename", "-x/y"}).out, "y\n");  // another lone -x stays an argument
}

TEST(Tool, AnUnknownOperationGetsASuggestion) {
  const struct {
    std::string_view name;
    std::string first_line;
  } cases[] = {
      {"dirname", "corso: unknown operation dirname; did you mean parent?"},
      {"relpath", "corso: unknown operation relpath; did you mean relativize?"},
      {"join", "corso: unknown operation join; did you mean append?"},
      {"extname", "corso: unknown operation extname; did you mean get-ext?"},
      {"realpath",
       "corso: unknown operation realpath; did you mean normalize? (realpath resolves links on the file "
       "system; normalize resolves \".\" and \"..\" in the text alone)"},
      {"normalise", "corso: unknown operation normalise; did you mean normalize?"},
      {"dirnam", "corso: unknown operation dirnam; did you mean parent?"},
      {"frobnicate", "corso: unknown operation frobnicate"},
  };
  for_each_row(cases, [](const auto& c) {
    const outcome o = run_tool({"--posix", c.name, "a"});
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.err.substr(0, o.err.find('\n')), c.first_line);
  });
}

TEST(Tool, TellsItsVersion) {
  const outcome o = run_tool({"--version"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "corso " CORSO_VERSION_STRING "\n");
  EXPECT_EQ(std::string(CORSO_VERSION_STRING), std::to_string(CORSO_VERSION_MAJOR) + "." +
                                                   std::to_string(CORSO_VERSION_MINOR) + "." +
                                                   std::to_string(CORSO_VERSION_PATCH));
}

TEST(Tool, InvalidInputGivesTheLibraryMessageAndStatus2) {
  outcome o = run_tool({"--windows", "normalize", "C:"});
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "corso: \"C:\": invalid path\n");
  o = run_tool({"--posix", "add-seg", "a", "b/c"});
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err, "corso: \"b/c\": invalid segment\n");
  o = run_tool({"--posix", "of-file-uri", "file://srv/x"});
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err, "corso: \"file://srv/x\": names a host other than localhost\n");
  o = run_tool({"--posix", "-z", "to-file-uri"}, "/a\0b\0"s);  // a failed record leaves an empty field
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.out, "file:///a\0\0"s);
  EXPECT_EQ(o.err, "corso: record 2: \"b\": is relative\n");
}

TEST(Tool, ARefusalGivesItsReasonAndStatus1) {
  outcome o = run_tool({"--posix", "append-beneath", "/srv", "../x"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "corso: \"../x\": leaves the root\n");
  o = run_tool({"--posix", "append-beneath", "/srv", ""});  // text that is not a path is refused too
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err, "corso: \"\": invalid path\n");
  o = run_tool({"--posix", "append-beneath", "", "a"});  // a root that is not a path is invalid input
  EXPECT_EQ(o.status, 2);
  // Under -z: an empty field and the reason, and the run has not failed.
  o = run_tool({"--posix", "-z", "append-beneath", "/srv"}, "a\0/etc\0b\0"s);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "/srv/a\0\0/srv/b\0"s);
  EXPECT_EQ(o.err, "corso: record 2: \"/etc\": is absolute\n");
}

TEST(Tool, UsageErrorsGoToStderrWithStatus2) {
  for (const std::vector<std::string_view>& args :
       std::vector<std::vector<std::string_view>>{{},
                                                  {"--bogus"},
                                                  {"frobnicate", "a"},
                                                  {"normalize"},
                                                  {"normalize", "a", "b"},
                                                  {"normalize", "--prefix", "a"},
                                                  {"-z", "dir-sep"},
                                                  {"-z", "normalize", "a"},
                                                  {"get-ext", "--prefix", "a"},
                                                  {"-z", "mem-ext", "x"},
                                                  {"--posix", "volume-kind", "C:"},
                                                  {"--posix", "-z", "to-verbatim"},
                                                  {"--posix", "is-local", "--prefix", "a"}}) {
    const outcome o = run_tool(args);
    EXPECT_EQ(o.status, 2) << (args.empty() ? "" : args[0]);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find("usage: corso"), std::string::npos);
  }
  // An operation's own usage error shows its usage line.
  EXPECT_EQ(run_tool({"--posix", "normalize", "a", "b"}).err,
            "corso: normalize takes 1 argument\n"
            "usage: corso [--posix | --windows] [-z] normalize PATH\n"
            "Try 'corso normalize --help'.\n");
}

TEST(Tool, BatchModeGoesOnAfterAFailedRecord) {
  outcome o = run_tool({"--windows", "-z", "normalize"}, "a\\.\\b\0C:\0x\\..\0\0"s);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.out, "a\\b\0\0.\\\0\0"s);
  EXPECT_EQ(o.err, "corso: record 2: \"C:\": invalid path\ncorso: record 4: \"\": invalid path\n");

  // Pairs write two fields, lists a count; a failed record writes as many
  // empty fields, and an empty count.
  o = run_tool({"--posix", "-z", "split-volume"}, "//a\0\0/b\0"s);
  EXPECT_EQ(o.out, "/\0/a\0\0\0\0/b\0"s);
  o = run_tool({"--posix", "-z", "segs"}, "/a\0\0b/\0"s);
  EXPECT_EQ(o.out,
            "2\0\0a\0\0"
            "2\0b\0\0"s);
  EXPECT_EQ(o.status, 2);

  // Booleans are fields; the status only tells whether a record failed.
  o = run_tool({"--posix", "-z", "is-dir-path"}, "a/\0a\0"s);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "true\0false\0"s);

  // Leading arguments on the command line; an unterminated last field counts.
  o = run_tool({"--posix", "-z", "add-seg", "base"}, "x\0y"s);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "base/x\0base/y\0"s);

  o = run_tool({"--posix", "-z", "append"}, "a\0b\0c\0"s);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.out, "a/b\0"s);
  EXPECT_EQ(o.err, "corso: record 2: incomplete at the end of the input\n");

  // An absent result is an empty field, and no failure.
  o = run_tool({"--posix", "-z", "relativize", "/a/"}, "/a/b\0c\0/a/\0"s);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "b\0\0./\0"s);

  // A list argument is a count field and its elements.
  o = run_tool({"--posix", "-z", "mem-ext"},
               "2\0zip\0gz\0a.tar.gz\0"
               "0\0a.b\0"s);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "true\0false\0"s);
  o = run_tool({"--posix", "-z", "mem-ext"}, "x\0a\0"s);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err, "corso: record 1: EXT count is not a number\n");
  o = run_tool({"--posix", "-z", "mem-ext"}, "99999999999999999999\0a\0"s);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err, "corso: record 1: EXT count is too large\n");

  // set and sort take the whole input as one list of paths; a record that
  // is not a path is reported and left out.
  o = run_tool({"--posix", "-z", "sort"}, "b\0a\0\0a//\0b\0"s);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.out, "a\0a/\0b\0"s);
  EXPECT_EQ(o.err, "corso: record 3: \"\": invalid path\n");
  // So does filter, after its pattern on the command line; it keeps the order.
  o = run_tool({"--posix", "-z", "filter", "**/*.h"}, "b/x.h\0a.c\0\0a.h\0"s);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.out, "b/x.h\0a.h\0"s);
  EXPECT_EQ(o.err, "corso: record 3: \"\": invalid path\n");
  EXPECT_EQ(run_tool({"--posix", "-z", "filter", "*.h"}, "a.c\0"s).status, 1);
  o = run_tool({"--posix", "-z", "filter", "[a"}, "a\0"s);
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(o.err, "corso: \"[a\": invalid pattern\n");
  o = run_tool({"--posix", "-z", "set"}, "b\0a\0"s);
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "{\"a\" \"b\"}\0"s);
  EXPECT_EQ(run_tool({"--posix", "set", "a", ""}).status, 2);

  o = run_tool({"--posix", "-z", "normalize"}, "");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "");
}

// A source of chunks of the given sizes in turn, as a pipe gives them.
class chunked_source final : public source {
 public:
  chunked_source(std::string_view bytes, std::vector<std::size_t> sizes) : bytes_(bytes), sizes_(std::move(sizes)) {}
  std::size_t read(std::span<char> into) override {
    const std::size_t n = std::min({into.size(), bytes_.size(), sizes_[turn_++ % sizes_.size()]});
    bytes_.copy(into.data(), n);
    bytes_.remove_prefix(n);
    return n;
  }

 private:
  std::string_view bytes_;
  std::vector<std::size_t> sizes_;
  std::size_t turn_ = 0;
};

class string_sink final : public sink {
 public:
  void write(std::string_view bytes) override { text.append(bytes); }
  std::string text;
};

// Paths of every length from a fixed seed: relative and absolute, with "."
// and "..", some empty (not a path), one far larger than a block of input;
// written as NUL-terminated fields but for the last.
std::vector<std::string> generated_fields() {
  const std::string_view segments[] = {"a", "b.c", ".", "..", "", "dir", "x y", "C:", "long-segment-name"};
  std::vector<std::string> out;
  std::uint32_t state = 12345;
  const auto next = [&state](std::uint32_t n) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % n;
  };
  for (int i = 0; i < 10000; ++i) {
    std::string p = next(4) == 0 ? "/" : "";
    for (std::uint32_t k = next(12); k > 0; --k) p += std::string(segments[next(std::size(segments))]) + "/";
    if (!p.empty() && next(2) == 0) p.pop_back();
    out.push_back(std::move(p));
    if (i == 5000) {
      std::string huge;
      for (int k = 0; k < 60000; ++k) huge += k % 7 == 3 ? "../" : "abcd/";
      out.push_back(std::move(huge));
    }
  }
  if (out.size() % 2 == 1) out.pop_back();  // whole records for the operations of two fields
  return out;
}

// Read in blocks or in chunks of a few bytes, -z gives for every record what
// the command line gives for its arguments: the same fields, the same
// messages naming the record, the same status.
TEST(Tool, BatchModeGivesWhatTheCommandLineGivesRecordByRecord) {
  const std::vector<std::string> input = generated_fields();
  std::string bytes;
  for (const std::string& f : input) bytes += f + '\0';
  bytes.pop_back();  // an unterminated last field counts
  const struct {
    std::vector<std::string_view> batch;  // the arguments under -z
    std::vector<std::string_view> once;   // the same operation on the command line, up to the record's fields
    std::size_t per_record;               // fields in a record
    std::size_t blanks;                   // fields a failed record writes
  } cases[] = {
      {{"--posix", "-z", "normalize"}, {"--posix", "normalize", "--"}, 1, 1},
      {{"--windows", "-z", "normalize"}, {"--windows", "normalize", "--"}, 1, 1},
      {{"--posix", "-z", "relativize", "/a/"}, {"--posix", "relativize", "--", "/a/"}, 1, 1},
      {{"--posix", "-z", "split-base"}, {"--posix", "split-base", "--"}, 1, 2},
      {{"--windows", "-z", "append"}, {"--windows", "append", "--"}, 2, 1},
  };
  for_each_row(cases, [&](const auto& c) {
    std::string out;
    std::string err;
    int status = 0;
    for (std::size_t i = 0; i < input.size(); i += c.per_record) {
      std::vector<std::string_view> args = c.once;
      for (std::size_t k = 0; k < c.per_record; ++k) args.push_back(input[i + k]);
      const outcome once = run_tool(args);
      if (once.status == 2) {
        status = 2;
        out += std::string(c.blanks, '\0');
        err += "corso: record " + std::to_string(i / c.per_record + 1) + ": " + once.err.substr(7);
      } else {
        std::string fields = once.out.empty() ? "\n" : once.out;  // no result is an empty field
        std::replace(fields.begin(), fields.end(), '\n', '\0');
        out += fields;
      }
    }
    const outcome blocks = run_tool(c.batch, bytes);
    EXPECT_EQ(blocks.status, status);
    EXPECT_TRUE(blocks.out == out);  // megabytes: no dump of them
    EXPECT_EQ(blocks.err, err);

    chunked_source trickle(bytes, {1, 2, 3, 4093, 5, 65537, 7});
    string_sink sink;
    std::ostringstream trickle_err;
    EXPECT_EQ(run(c.batch, trickle, sink, trickle_err), status);
    EXPECT_TRUE(sink.text == out);
    EXPECT_EQ(trickle_err.str(), err);
  });
}

// A source that never ends: "a", "a", ...
class endless_source final : public source {
 public:
  std::size_t read(std::span<char> into) override {
    for (char& ch : into) ch = (at_++ % 2 == 0) ? 'a' : '\0';
    ++reads;
    return into.size();
  }
  int reads = 0;

 private:
  std::size_t at_ = 0;
};

class failing_sink final : public sink {
 public:
  explicit failing_sink(std::string message) : message_(std::move(message)) {}
  void write(std::string_view) override { throw io_error(message_); }

 private:
  std::string message_;
};

// An output that fails stops the run at once with status 2: with its
// message, or none when the reader has gone.
TEST(Tool, AnOutputThatFailsStopsTheRun) {
  const struct {
    std::vector<std::string_view> args;
    std::string message;
    std::string err;
  } cases[] = {
      {{"--posix", "-z", "normalize"}, "", ""},
      {{"--posix", "-z", "normalize"},
       "write error: No space left on device",
       "corso: write error: No space left on device\n"},
      {{"--posix", "normalize", "a"}, "write error: x", "corso: write error: x\n"},
      {{"--help"}, "write error: x", "corso: write error: x\n"},
  };
  for_each_row(cases, [](const auto& c) {
    endless_source in;
    failing_sink out(c.message);
    std::ostringstream err;
    EXPECT_EQ(run(c.args, in, out, err), 2);
    EXPECT_EQ(err.str(), c.err);
    EXPECT_LE(in.reads, 2);
  });
  std::ostringstream bad;
  bad.setstate(std::ios::badbit);
  std::istringstream in;
  std::ostringstream err;
  EXPECT_EQ(run(std::vector<std::string_view>{"--posix", "normalize", "a"}, in, bad, err), 2);
  EXPECT_EQ(err.str(), "corso: write error\n");
}

// Every operation's --help carries an example; run it and compare.
TEST(Tool, EveryHelpExampleGivesItsOutput) {
  const outcome help = run_tool({"--help"});
  ASSERT_EQ(help.status, 0);
  std::istringstream lines(help.out);
  std::string line;
  bool in_ops = false;
  int checked = 0;
  while (std::getline(lines, line)) {
    if (line == "Operations:") {
      in_ops = true;
      continue;
    }
    if (!in_ops || line.size() < 3 || line[2] == ' ') continue;
    const std::string name = line.substr(2, line.find(' ', 2) - 2);
    SCOPED_TRACE(name);
    const outcome op_help = run_tool({name, "--help"});
    ASSERT_EQ(op_help.status, 0);
    const std::size_t at = op_help.out.find("  $ corso ");
    ASSERT_NE(at, std::string::npos);
    const std::size_t eol = op_help.out.find('\n', at);
    const std::string command = op_help.out.substr(at + 10, eol - at - 10);
    std::string expected;
    std::istringstream rest(op_help.out.substr(eol + 1));
    for (std::string l; std::getline(rest, l);) expected += l.substr(2) + "\n";
    const outcome o = run_tool(split_words(command));
    EXPECT_EQ(o.out, expected) << command;
    EXPECT_LE(o.status, 1) << command;
    ++checked;
  }
  EXPECT_GE(checked, 19);
}

}  // namespace
}  // namespace corso::cli
