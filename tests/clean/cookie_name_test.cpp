#include "clean/cookie_name.h"

#include <gtest/gtest.h>

namespace bpriv {
namespace {

TEST(CookieName, PrefixStrippedIgnoringAsciiCase) {
  struct {
    const wchar_t* key;
    const wchar_t* name;
  } cases[] = {
      {L"Cookie:a@x/", L"a@x/"},       {L"cOOKIE:a@x/", L"a@x/"}, {L"Cookie:", L"Cookie:"},
      {L"Cookie", L"Cookie"},          {L"xCookie:a", L"xCookie:a"},
      {L"Cook\u0130e:a", L"Cook\u0130e:a"},  // dotted capital I is not a letter A to Z
  };
  for (const auto& c : cases) EXPECT_EQ(std::wstring(CookieNameOfKey(c.key)), c.name);
}

TEST(CookieName, OnlyAToZFold) {
  struct {
    const wchar_t* a;
    const wchar_t* b;
    bool equal;
  } cases[] = {
      {L"AbZ@x/", L"aBz@x/", true}, {L"@", L"`", false},         {L"[", L"{", false},
      {L"ab", L"abc", false},       {L"\u00c9", L"\u00e9", false}, {L"", L"", true},
  };
  for (const auto& c : cases) EXPECT_EQ(EqualIgnoringAsciiCase(c.a, c.b), c.equal) << c.equal;
  EXPECT_TRUE(IsFavouriteCookie(L"COOKIE:Keep@X/", {L"other/", L"keep@x/"}));
  EXPECT_FALSE(IsFavouriteCookie(L"Cookie:keep@x/", {L"Cookie:keep@x/"}));
}

}  // namespace
}  // namespace bpriv
