#include <gtest/gtest.h>

#include <corso/detail/encoding.hpp>

#include <string>

#include "strings.hpp"
#include "test_util.hpp"
#include "utf8.hpp"

namespace corso::detail {
namespace {

using test::for_each_row;

using namespace std::string_literals;

TEST(Utf8, DecodesOnlyWellFormedSequences) {
  const struct {
    std::string in;
    std::size_t size;  // 0: not a character
    char32_t code;
  } cases[] = {
      {"", 0, 0},
      {"a", 1, 'a'},
      {"\0"s, 1, 0},
      {"\x7f", 1, 0x7f},
      {"\xc2\x80", 2, 0x80},
      {"\xdf\xbf", 2, 0x7ff},
      {"\xe0\xa0\x80", 3, 0x800},
      {"\xed\x9f\xbf", 3, 0xd7ff},
      {"\xee\x80\x80", 3, 0xe000},
      {"\xef\xbf\xbf", 3, 0xffff},
      {"\xf0\x90\x80\x80", 4, 0x10000},
      {"\xf4\x8f\xbf\xbfz", 4, 0x10ffff},
      {"\x80", 0, 0},              // a continuation byte alone
      {"\xc0\x80", 0, 0},          // overlong NUL
      {"\xc1\xbf", 0, 0},          // overlong
      {"\xe0\x9f\xbf", 0, 0},      // overlong
      {"\xf0\x8f\xbf\xbf", 0, 0},  // overlong
      {"\xed\xa0\x80", 0, 0},      // surrogate U+D800
      {"\xed\xbf\xbf", 0, 0},      // surrogate U+DFFF
      {"\xf4\x90\x80\x80", 0, 0},  // past U+10FFFF
      {"\xf5\x80\x80\x80", 0, 0},
      {"\xff", 0, 0},
      {"\xc3", 0, 0},          // cut short
      {"\xe6\x97", 0, 0},      // cut short
      {"\xe6\x97z", 0, 0},     // not a continuation
      {"\xf0\x9d\x84", 0, 0},  // cut short
  };
  for_each_row(cases, [](const auto& c) {
    const utf8_char got = decode_utf8(c.in);
    EXPECT_EQ(got.size, c.size);
    EXPECT_EQ(got.code, c.code);
  });
}

TEST(Utf16, ConvertsBothWaysAndNamesTheBytesItCannot) {
  const std::string text = "a\xc3\xa9\xe6\x97\xa5\xf0\x9d\x84\x9e/";
  const std::u16string wide = u"a\u00e9\u65e5\U0001D11E/";
  EXPECT_EQ(utf8_to_utf16(text).value(), wide);
  EXPECT_EQ(utf16_to_utf8(wide).value(), text);
  EXPECT_EQ(utf8_to_utf16("").value(), u"");

  EXPECT_EQ(utf8_to_utf16("a/b c/\xff.txt/").error().message(), R"("a/b c/\xff.txt/": not valid UTF-8)");
  EXPECT_EQ(utf8_to_utf16("\xed\xa0\x80").error().message(), R"("\xed\xa0\x80": not valid UTF-8)");
  const std::u16string lone = {u'a', char16_t(0xD800), u'b'};
  EXPECT_EQ(utf16_to_utf8(lone).error().message(),
            R"("a\xed\xa0\x80b": holds a UTF-16 surrogate without its pair, so it has no UTF-8 form)");
  const std::u16string reversed = {char16_t(0xDC00), char16_t(0xD800)};
  EXPECT_FALSE(utf16_to_utf8(reversed).has_value());
  const std::u16string trailing_high = {u'x', char16_t(0xDBFF)};
  EXPECT_FALSE(utf16_to_utf8(trailing_high).has_value());
}

}  // namespace
}  // namespace corso::detail
