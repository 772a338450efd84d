// A comparable picture of what a job could touch: the files of the user's
// profile and the keys and values under HKEY_CURRENT_USER.
#pragma once
#include <map>
#include <string>

namespace bpriv::test {

// Path -> size and write time, every file and folder below the profile.
std::map<std::wstring, std::wstring> SnapshotProfileFiles();
// Key path and value name -> type and data, everything under HKCU.
std::map<std::wstring, std::wstring> SnapshotCurrentUserRegistry();

// The entries that differ between two snapshots, one per line, for messages.
std::wstring DescribeChanges(const std::map<std::wstring, std::wstring>& before,
                             const std::map<std::wstring, std::wstring>& after);

}  // namespace bpriv::test
