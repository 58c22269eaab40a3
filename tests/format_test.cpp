#include <gtest/gtest.h>
#include <corso/format.hpp>

#include <sstream>
#include <string>

namespace corso {
namespace {

// {a b c ...} in a box indented by one, a breakable space between elements.
void braces(formatter& f, int n, std::string_view word) {
  f.open_box(1).text("{");
  for (int i = 0; i < n; ++i) {
    if (i) f.space();
    f.text(word);
  }
  f.text("}").close_box();
}

TEST(Formatter, MaterialThatFitsStaysOnOneLine) {
  EXPECT_EQ(print_to_string([](formatter& f) { braces(f, 3, "\"ab\""); }), R"({"ab" "ab" "ab"})");
  EXPECT_EQ(print_to_string([](formatter& f) { f.text("a").cut().text("b").brk(2, 0).text("c"); }), "ab  c");
  EXPECT_EQ(print_to_string([](formatter& f) { braces(f, 0, "x"); }), "{}");
}

TEST(Formatter, AnUnlimitedMarginKeepsEverythingOnOneLine) {
  // Nested boxes whose breaks would all be taken at the default margin.
  const std::string out = [] {
    formatter f(formatter::unlimited_margin);
    f.open_box(1).text("{");
    for (int i = 0; i < 200; ++i) {
      if (i) f.space();
      braces(f, 3, "abcdefghi");
    }
    f.text("}").close_box();
    return f.str();
  }();
  EXPECT_EQ(out.find('\n'), std::string::npos);
  EXPECT_EQ(out.size(), 2 + 200 * 31 + 199u);
  EXPECT_EQ(out.substr(0, 34), "{{abcdefghi abcdefghi abcdefghi} {");
}

TEST(Formatter, BreaksWhereTheLineIsFullAtTheBoxIndentation) {
  // 10 words of 9 bytes: at margin 40 a line holds "{" or " " and 4 words.
  const std::string out = [] {
    formatter f(40);
    braces(f, 10, "abcdefghi");
    return f.str();
  }();
  EXPECT_EQ(out,
            "{abcdefghi abcdefghi abcdefghi abcdefghi\n"
            " abcdefghi abcdefghi abcdefghi abcdefghi\n"
            " abcdefghi abcdefghi}");
  for (std::size_t start = 0, end; start < out.size(); start = end + 1) {
    end = std::min(out.find('\n', start), out.size());
    EXPECT_LE(end - start, 40u);
  }
}

TEST(Formatter, ABreakCountsTheNestedBoxThatFollowsItWhole) {
  formatter f(20);
  f.open_box(1).text("{");
  f.open_box(1).text("(").text("\"key\"").text(",").space().text("1").text(")").close_box();
  f.space();
  f.open_box(1).text("(").text("\"longer-key\"").text(",").space().text("2").text(")").close_box();
  f.text("}").close_box();
  EXPECT_EQ(f.str(), "{(\"key\", 1)\n (\"longer-key\", 2)}");
}

TEST(Formatter, WritesToAStreamOnFlushAndAtTheEnd) {
  std::ostringstream os;
  {
    formatter f(os);
    f.text("a").space().text("b");
    f.flush();
    EXPECT_EQ(os.str(), "a b");
    f.text("c").close_box().close_box();  // closing what is not open is harmless
  }
  EXPECT_EQ(os.str(), "a bc");
}

TEST(Formatter, AWordLongerThanTheMarginIsNotBrokenUpAndCausesNoEmptyLines) {
  formatter f(10);
  f.open_box(0).text("0123456789abcdef").space().text("x").close_box();
  EXPECT_EQ(f.str(), "0123456789abcdef\nx");
  formatter g(10);
  g.open_box(2).space().text("0123456789abcdef").close_box();
  EXPECT_EQ(g.str(), " 0123456789abcdef");
}

// A stream that refuses every byte and throws, as a full disk or a closed
// pipe can: the formatter's destructor must not let it out.
TEST(Formatter, ADestructorOverAFailingStreamDoesNotThrow) {
  struct refusing : std::streambuf {
    int overflow(int) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
  } buf;
  std::ostream os(&buf);
  os.exceptions(std::ios::badbit);
  {
    formatter f(os, 20);
    EXPECT_EQ(f.margin(), 20);
    f.text("lost");
  }
  EXPECT_TRUE(os.bad());
}

}  // namespace
}  // namespace corso
