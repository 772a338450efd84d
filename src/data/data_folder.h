// Where the favourite-cookie files and the cookie export lie: the base folder
// (LocalAppDataLow, or the local application data folder for Enhanced
// Protected Mode) and the product data folder below it.
#pragma once
#include <windows.h>
#include <shlobj.h>

#include <string>

namespace bpriv {

using KnownFolderPathFn = HRESULT(WINAPI*)(REFKNOWNFOLDERID id, DWORD flags, HANDLE token, PWSTR* path);

// SHGetKnownFolderPath looked up in the loaded Shell32 (absent before Vista).
KnownFolderPathFn FindKnownFolderPathFn();

// Empty when the folder cannot be found or does not fit MAX_PATH.
std::wstring BaseFolder(bool epm, KnownFolderPathFn known_folder = FindKnownFolderPathFn());

// The base folder and "\Brightsweep"; empty when either does not fit.
std::wstring ProductDataFolder(bool epm, KnownFolderPathFn known_folder = FindKnownFolderPathFn());

// The folder of this user's cookie files (CSIDL_COOKIES); empty when the
// shell does not know it.
std::wstring CookieFolder();

// base + tail when the result fits a MAX_PATH buffer with its terminator, else empty.
std::wstring JoinFitting(const std::wstring& base, const std::wstring& tail);

}  // namespace bpriv
