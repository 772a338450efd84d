#include "wipe/list_streams_win.h"

#include <winternl.h>

#include "base/unique.h"

namespace bpriv {

namespace {

// Process-wide like the rest of the wipe engine: only one thread wipes.
HMODULE g_ntdll = nullptr;
NtQueryInformationFileFn g_query = nullptr;
NtQueryInformationFileFn g_test_query = nullptr;
alignas(8) uint8_t g_answer[kStreamAnswerBytes];

NtQueryInformationFileFn FindQuery() {
  if (g_test_query != nullptr) return g_test_query;
  if (g_ntdll == nullptr) {
    // Already loaded in every process; a miss is tried again next call.
    g_ntdll = ::GetModuleHandleW(L"ntdll.dll");
    if (g_ntdll == nullptr) return nullptr;
    g_query = reinterpret_cast<NtQueryInformationFileFn>(
        reinterpret_cast<void*>(::GetProcAddress(g_ntdll, "NtQueryInformationFile")));
  }
  return g_query;
}

}  // namespace

void SetStreamQueryForTest(NtQueryInformationFileFn query) { g_test_query = query; }

int ListStreams(const wchar_t* path, std::vector<StreamEntry>* streams, bool remove_suffix) {
  const NtQueryInformationFileFn query = FindQuery();
  if (query == nullptr) return 0;
  // No data access: enough to query, and it does not collide with writers.
  UniqueFile file(::CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  if (!file) return 0;
  IO_STATUS_BLOCK status_block = {};
  const LONG status = query(file.get(), &status_block, g_answer, kStreamAnswerBytes,
                            kFileStreamInformation);
  file.reset();
  if (status != 0) return 0;
  size_t length = status_block.Information;
  if (length > kStreamAnswerBytes) length = kStreamAnswerBytes;
  return ReadStreamRecords(g_answer, length, remove_suffix, streams) ? 1 : 0;
}

}  // namespace bpriv
