#include "wipe/scramble_name_win.h"

#include <gtest/gtest.h>

#include "win_test_files.h"

namespace bpriv {

namespace {

TEST(ScrambleName, FileEndsUnderOneFullLengthName) {
  CTempFolder folder;
  const std::wstring path = folder / L"x.dat";
  ASSERT_TRUE(WriteBytes(path, {1, 2, 3}));
  std::wstring final_path;
  EXPECT_EQ(ScrambleName(path, &final_path, 26), 1);
  // Every first-attempt name fills the path up to 255 characters.
  EXPECT_EQ(final_path.size(), 255u);
  EXPECT_EQ(final_path.compare(0, folder.path().size(), folder.path()), 0);
  const std::vector<std::wstring> names = CTempFolder::List(folder.path());
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(folder / names[0], final_path);
  EXPECT_EQ(ReadBytes(final_path), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(ScrambleName, FolderIsRenamedInsideItsParent) {
  CTempFolder folder;
  const std::wstring sub = folder / L"sub\\";
  ASSERT_TRUE(::CreateDirectoryW(sub.c_str(), nullptr));
  ASSERT_TRUE(WriteBytes(sub + L"inner.txt", {7}));
  std::wstring final_path;
  EXPECT_EQ(ScrambleName(sub, &final_path, 3), 1);
  EXPECT_EQ(final_path.size(), 255u);
  EXPECT_EQ(ReadBytes(final_path + L"\\inner.txt"), std::vector<uint8_t>{7});
  EXPECT_EQ(CTempFolder::List(folder.path()).size(), 1u);
}

TEST(ScrambleName, LongPrefixNeverLosesTheFile) {
  CTempFolder folder;
  // A folder that makes the prefix 240 characters: the limit of 15 is below
  // any name, so every candidate is longer than 255 characters. Windows
  // refuses such paths and the file keeps its name; Wine accepts them.
  const size_t prefix_length = 240;
  const std::wstring deep =
      folder.path() + std::wstring(prefix_length - folder.path().size() - 1, L'd') + L"\\";
  ASSERT_EQ(deep.size(), prefix_length);
  ASSERT_TRUE(::CreateDirectoryW(deep.c_str(), nullptr)) << ::GetLastError();
  const std::wstring path = deep + L"x.dat";
  ASSERT_TRUE(WriteBytes(path, {4, 5}));
  std::wstring final_path;
  EXPECT_EQ(ScrambleName(path, &final_path, 26), 1);
  if (final_path != path) {
    EXPECT_GT(final_path.size(), 255u);
    EXPECT_EQ(final_path.find(L'$'), std::wstring::npos);
    EXPECT_EQ(final_path.find(L'~', prefix_length), std::wstring::npos);
  }
  EXPECT_EQ(ReadBytes(final_path), (std::vector<uint8_t>{4, 5}));
  EXPECT_EQ(CTempFolder::List(deep).size(), 1u);

  // A file that is not there: nothing moves, nothing appears.
  const std::wstring missing = folder / L"missing.dat";
  EXPECT_EQ(ScrambleName(missing, &final_path, 26), 1);
  EXPECT_EQ(final_path, missing);
  EXPECT_EQ(CTempFolder::List(folder.path()).size(), 1u);
}

}  // namespace

}  // namespace bpriv
