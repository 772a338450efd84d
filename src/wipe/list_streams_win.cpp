#include "wipe/list_streams_win.h"

#include <winternl.h>

#include "safe/safe_file.h"

namespace bpriv {

namespace {

// Process-wide like the rest of the wipe engine: only one thread wipes.
HMODULE g_ntdll = nullptr;
NtQueryInformationFileFn g_query = nullptr;
NtQueryInformationFileFn g_test_query = nullptr;
StreamOpenFn g_test_open = nullptr;
alignas(8) uint8_t g_answer[kStreamAnswerBytes];

}  // namespace

NtQueryInformationFileFn FindStreamQuery() {
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

void SetStreamQueryForTest(NtQueryInformationFileFn query) { g_test_query = query; }
void SetStreamOpenForTest(StreamOpenFn open) { g_test_open = open; }

int ListStreams(HANDLE file, std::vector<StreamEntry>* streams, bool remove_suffix) {
  const NtQueryInformationFileFn query = FindStreamQuery();
  if (query == nullptr) return 0;
  IO_STATUS_BLOCK status_block = {};
  const LONG status = query(file, &status_block, g_answer, kStreamAnswerBytes, kFileStreamInformation);
  if (status != 0) return 0;
  size_t length = status_block.Information;
  if (length > kStreamAnswerBytes) length = kStreamAnswerBytes;
  return ReadStreamRecords(g_answer, length, remove_suffix, streams) ? 1 : 0;
}

UniqueFile OpenStream(HANDLE file, const std::wstring& name) {
  if (g_test_open != nullptr) return UniqueFile(g_test_open(file, name));
  return OpenStreamOf(file, name, GENERIC_READ | GENERIC_WRITE);
}

}  // namespace bpriv
