#include "clean/cookie_path.h"
#include "clean/cookie_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace bpriv {
namespace {

TEST(CookiePath, OnlyPlainPathsInsideTheCookieFolderAndCookieKeys) {
  const std::u16string folder = u"C:\\users\\me\\AppData\\Local\\Microsoft\\Windows\\INetCookies";
  const std::u16string in = folder + u"\\";
  struct {
    std::u16string path;
    bool ok;
  } cases[] = {
      {in + u"ABCD1234.txt", true},   {in + u"Low\\ABCD1234.txt", true},  {folder, false},
      {folder + u"X\\a.txt", false},  {u"C:\\users\\me\\evil.txt", false}, {in + u"..\\..\\evil.txt", false},
      {in + u"Low\\\\a.txt", false},  {in + u"a.txt.", false},            {in + u"a.txt ", false},
      {in + u"a.txt:stream", false},  {in + u"Low/../../evil.txt", false}, {in + u"con.txt", false},
      {in + u"Low\\COM1", false},     {in + u"COMX.txt", true},           {u"\\\\?\\" + in + u"a.txt", false},
      {u"D:\\users\\me\\AppData\\Local\\Microsoft\\Windows\\INetCookies\\a.txt", false},
      {in + std::u16string(260 - in.size(), u'a'), false}, {in + std::u16string(259 - in.size(), u'a'), true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsPlainPathInside(c.path, folder), c.ok) << std::string(c.path.begin(), c.path.end());
  EXPECT_TRUE(IsPlainPathInside(in + u"a.txt", in)) << "a trailing backslash on the folder";
  // The cookie folder in each form the shell may report it; a path in the same form.
  for (const std::u16string& f : {std::u16string(u"\\\\srv\\share\\c"), std::u16string(u"\\\\?\\UNC\\srv\\share\\c"), u"\\\\?\\" + folder})
    EXPECT_TRUE(IsPlainPathInside(f + u"\\Low\\a.txt", f) && !IsPlainPathInside(f + u"\\..\\a.txt", f) &&
                !IsPlainPathInside(in + u"a.txt", f)) << std::string(f.begin(), f.end());
  for (const char16_t* f : {u"\\\\.\\C:\\c", u"\\\\srv", u"\\\\srv\\\\c", u"c\\d", u"\\\\?\\UNC\\srv"})
    EXPECT_FALSE(IsPlainPathInside(f + std::u16string(u"\\a.txt"), f)) << "not an absolute folder";
  // A cookie file is a ".txt" the cache could have named: never its own index.dat.
  for (const auto& [name, ok] : {std::pair{u"A.TXT", true}, {u"b.txt", true}, {u".txt", false}, {u"a.tx", false},
                                 {u"index.dat", false}, {u"a.txt.dat", false}, {u"atxt", false}})
    EXPECT_EQ(IsCookieFilePath(in + name, folder) && !IsCookieFilePath(folder + u"X\\" + name, folder), ok);
  // Cookie keys in any case.
  for (const char16_t* key : {u"Cookie:a@b/", u"cookie:a@b/", u"COOKIE:", u"cOoKiE:x"}) EXPECT_TRUE(IsCookieKey(key));
  for (const char16_t* key : {u"Cookie", u"", u"Visited:a", u" Cookie:a", u"http://a/", u"Coffee:a"})
    EXPECT_FALSE(IsCookieKey(key));
}

// The cookie clean's favourites: "Cookie:" stripped in any case when something
// follows it; only A to Z fold, as the C runtime does in the "C" locale.
TEST(CookieName, FavouritesMatchIgnoringAsciiCase) {
  const std::vector<std::wstring> favourites = {L"keep@x/", L"\u00e9@x/", L"Cookie:", L"a@z/"};
  for (const wchar_t* key :
       {L"Cookie:keep@x/", L"cOOKIE:KEEP@X/", L"keep@x/", L"Cookie:\u00e9@x/", L"Cookie:", L"Cookie:A@Z/"})
    EXPECT_TRUE(IsFavouriteCookie(key, favourites)) << std::wstring(key).size();
  for (const wchar_t* key :
       {L"Cookie:keep@x", L"Cookie:\u00c9@x/", L"Cookie :keep@x/", L"Cookie:Cookie:keep@x/", L"", L"Cookie:keep@y/"})
    EXPECT_FALSE(IsFavouriteCookie(key, favourites)) << std::wstring(key).size();
}

}  // namespace
}  // namespace bpriv
