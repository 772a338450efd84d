// The file-safety room against what Wine can provoke: a folder swapped for a
// Unix symbolic link while a job runs, and another program at the saved
// file's name while it is disposed of.
#include <gtest/gtest.h>

#include "cache/fake_url_cache.h"
#include "clean/clear_temp_files.h"
#include "clean/restore_fav_cookies.h"
#include "data/saved_cookies.h"
#include "data/saved_digest.h"
#include "wipe/algo_registry.h"
#include "wipe/file_wiper_win.h"
#include "wipe/scramble_name_win.h"
#include "wipe/win_test_files.h"

namespace bpriv {
namespace {

using test::Exists, test::ReadBytes, test::WriteBytes;

// The folder the job works in goes elsewhere, and a link to a folder that
// holds a same-named file takes its name.
std::wstring g_folder, g_victims;
void SwapFolder() {
  if (Exists(g_folder + L".real")) return;  // once
  ASSERT_TRUE(::MoveFileW(g_folder.c_str(), (g_folder + L".real").c_str()));
  ASSERT_TRUE(test::RunOnLinux(L"/bin/ln -s", {g_victims, g_folder}, [] { return Exists(g_folder); }));
}

// The job keeps to the folder it checked: the file in the link's target
// keeps its bytes, in a clean (after the first entry) and in a restore (after
// the first copy was made).
TEST(SafeFolders, AFolderSwappedDuringTheJobLeadsNowhere) {
  InitWipeAlgos();
  CTempFolder root;
  g_folder = root / L"cache";
  g_victims = root / L"victims";
  for (const std::wstring& f : {g_folder, g_victims}) ::CreateDirectoryW(f.c_str(), nullptr);
  WriteBytes(g_victims + L"\\b.txt", "victim");
  test::FakeUrlCache cache;
  cache.folders = {root.path()};
  for (const wchar_t* name : {L"a.txt", L"b.txt"}) {
    WriteBytes(g_folder + L"\\" + name, "cached");
    cache.Add({std::wstring(L"http://x/") + name, g_folder + L"\\" + name, NORMAL_CACHE_ENTRY, 6});
  }
  cache.on_delete = [](const wchar_t*) { SwapFolder(); };
  ProgressRecord record;
  record.job_args = new uint32_t[3]{0, 0, 0};
  ClearTempFilesBody(record, true, CleanEnv{&cache, {}, nullptr});
  EXPECT_EQ(ReadBytes(g_victims + L"\\b.txt"), "victim");
  EXPECT_EQ(ListFolder(g_victims + L"\\"), std::vector<std::wstring>{L"b.txt"});
  ASSERT_TRUE(test::RunOnLinux(L"/bin/rm", {g_folder}, [] { return !Exists(g_folder); }));

  // The restore: its copies are made, then the folder is swapped at the commit.
  const std::wstring cookie = CookieFolder() + L"\\swapped.txt";
  g_folder = BaseFolder(false) + L"\\BSWFavCookiesTmp";
  WriteBytes(g_victims + L"\\swapped.txt", "victim");
  std::string saved;
  AppendUint32Le(1, &saved);
  AppendSavedRecord({u"Cookie:s@x/", std::u16string(cookie.begin(), cookie.end()), "cookie", 0, 0, COOKIE_CACHE_ENTRY},
                    &saved);
  ::CreateDirectoryW(ProductDataFolder(false).c_str(), nullptr);
  WriteBytes(ProductDataFolder(false) + L"\\SavedLowFavCookies1", saved);
  ASSERT_TRUE(WriteSavedDigests(false, {*Sha256(saved.data(), saved.size())}));
  cache.on_commit = [](const wchar_t*, const wchar_t*) { SwapFolder(); };
  RestoreFavCookies(false, cache);
  EXPECT_TRUE(cache.Find(L"Cookie:s@x/") && ReadBytes(cookie) == "cookie");
  EXPECT_EQ(ReadBytes(g_victims + L"\\swapped.txt"), "victim");
  ASSERT_TRUE(test::RunOnLinux(L"/bin/rm", {g_folder}, [] { return !Exists(g_folder); }));
  RemoveTree(g_folder + L".real\\");
  ::DeleteFileW(cookie.c_str());
}

// The saved file's disposal goes through the one handle the wipe opened
// without sharing: while it is held, under its own name and under each random
// name, nobody else can rename or delete it; then it is gone.
TEST(DisposeOfSavedFile, HoldsTheNameUntilItIsGone) {
  InitWipeAlgos();
  CTempFolder folder;
  const std::wstring path = folder / L"SavedLowFavCookies1", other = folder / L"taken";
  WriteBytes(path, std::string(5000, 's'));
  CSafeFolders folders({folder.path()});
  auto taken = [&](const std::wstring& name) {
    return ::MoveFileW(name.c_str(), other.c_str()) || ::DeleteFileW(name.c_str());
  };
  CSafeFile file;
  ASSERT_EQ(WipeFile(folders, path, FindAlgoByName(L"Zeroes"), 0, nullptr, false, &file), 1);
  EXPECT_FALSE(taken(path));
  std::wstring final_path;
  ScrambleName(file, &final_path, 26);
  EXPECT_TRUE(final_path != path && ListFolder(folder.path()).size() == 1 && !taken(final_path));
  EXPECT_TRUE(ScrambleAndDelete(file) && ListFolder(folder.path()).empty());
  WriteBytes(path, "saved");
  DisposeOfSavedFile(folders, path);
  EXPECT_TRUE(ListFolder(folder.path()).empty());
}

}  // namespace
}  // namespace bpriv
