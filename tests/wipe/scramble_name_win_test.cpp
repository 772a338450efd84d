#include "wipe/scramble_name_win.h"

#include <gtest/gtest.h>

#include "win_test_files.h"

namespace bpriv {
namespace {

TEST(ScrambleName, FileOrFolderEndsUnderOneFullLengthName) {
  for (const wchar_t* name : {L"x.dat", L"sub\\"}) {  // a folder is renamed inside its parent
    CTempFolder folder;
    const std::wstring path = folder / name;
    const bool is_folder = path.back() == L'\\';
    ASSERT_TRUE(is_folder ? ::CreateDirectoryW(path.c_str(), nullptr) && WriteBytes(path + L"inner", {1, 2})
                          : WriteBytes(path, {1, 2}));
    std::wstring final_path;
    EXPECT_EQ(ScrambleName(path, &final_path, 26), 1);
    EXPECT_EQ(final_path.size(), 255u);  // every first-attempt name fills up to 255
    const std::vector<std::wstring> names = ListFolder(folder.path());
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(folder / names[0], final_path);
    EXPECT_EQ(ReadBytes(is_folder ? final_path + L"\\inner" : final_path), (std::vector<uint8_t>{1, 2}));
  }
}

TEST(ScrambleName, LongPrefixOrMissingFileLosesNothing) {
  CTempFolder folder;
  // A prefix of 240 characters: the limit of 15 is below any name, so every
  // candidate is longer than 255. Windows refuses such paths and the file
  // keeps its name; Wine accepts them.
  const std::wstring deep = folder.path() + std::wstring(240 - folder.path().size() - 1, L'd') + L"\\";
  ASSERT_TRUE(::CreateDirectoryW(deep.c_str(), nullptr)) << ::GetLastError();
  const std::wstring path = deep + L"x.dat";
  ASSERT_TRUE(WriteBytes(path, {4, 5}));
  std::wstring final_path;
  EXPECT_EQ(ScrambleName(path, &final_path, 26), 1);
  if (final_path != path) {
    EXPECT_GT(final_path.size(), 255u);
    EXPECT_EQ(final_path.find_first_of(L"$~", deep.size()), std::wstring::npos);  // no filler
  }
  EXPECT_EQ(ReadBytes(final_path), (std::vector<uint8_t>{4, 5}));
  EXPECT_EQ(ListFolder(deep).size(), 1u);

  const std::wstring missing = folder / L"missing.dat";  // nothing moves, nothing appears
  EXPECT_EQ(ScrambleName(missing, &final_path, 26), 1);
  EXPECT_EQ(final_path, missing);
  EXPECT_EQ(ListFolder(folder.path()).size(), 1u);
}

}  // namespace
}  // namespace bpriv
