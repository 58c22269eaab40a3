#include "strings.hpp"
#include "test_util.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <random>

namespace corso::detail {
namespace {

using test::for_each_row;

TEST(Dump, QuotesAndEscapesEveryByteThatIsNotPlainText) {
  using namespace std::string_literals;
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"", R"("")"},
      {"a/b c", R"("a/b c")"},
      {"a\0b"s, R"("a\x00b")"},
      {"\"\\", R"("\"\\")"},
      {"\n\t\r", R"("\n\t\r")"},
      {"\x01\x1f\x7f", R"("\x01\x1f\x7f")"},
      {"\x80\xff\xC3\xA9", R"("\x80\xff\xc3\xa9")"},
      {"~ !", R"("~ !")"},
  };
  for_each_row(cases, [](const auto& c) { EXPECT_EQ(dump(c.in), c.out); });
  EXPECT_EQ(message("a", "invalid path"), R"("a": invalid path)");
}

TEST(Searches, AgreeWithStringViewFindAndRfind) {
  std::mt19937 rng(5);
  for (int i = 0; i < 20000; ++i) {
    const corso::test::exact_random_bytes bytes(rng, 70, "ab/.");
    const std::string_view v = bytes.view();
    for (char c : {'/', '.', 'z'}) ASSERT_EQ(rfind_byte(v, c), v.rfind(c)) << bytes.text() << " " << c;
    ASSERT_EQ(rfind_either(v, '/', '.'), v.find_last_of("/.")) << bytes.text();
    const std::size_t start = v.empty() ? 0 : rng() % (v.size() + 1);
    for (char c : {'/', '.', 'z'}) ASSERT_EQ(find_byte(v, c, start), v.find(c, start)) << bytes.text() << " " << c;
    ASSERT_EQ(find_either(v, '/', '.', start), v.find_first_of("/.", start)) << bytes.text();
  }
}

}  // namespace
}  // namespace corso::detail
