// Listing a file's alternate data streams through the native stream query,
// and opening one of them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/unique.h"
#include "wipe/stream_walk.h"

namespace bpriv {

// NtQueryInformationFile: handle, status block (IO_STATUS_BLOCK), buffer,
// its length, information class. Returns an NTSTATUS.
using NtQueryInformationFileFn = LONG(NTAPI*)(HANDLE, void*, void*, ULONG, int);

constexpr int kFileStreamInformation = 22;
constexpr ULONG kStreamAnswerBytes = 98304;

// Fills `streams` with every stream of the open file but the main one and
// returns 1; returns 0 and leaves `streams` alone when the query is
// unavailable (Wine answers STATUS_NOT_IMPLEMENTED) or fails, or the answer
// does not fit in kStreamAnswerBytes.
int ListStreams(HANDLE file, std::vector<StreamEntry>* streams, bool remove_suffix);

// Opens the stream `name` (":extra") of the open file for overwriting,
// relative to the file's own handle.
UniqueFile OpenStream(HANDLE file, const std::wstring& name);

// The query as ListStreams calls it: the seam's, or the one found in ntdll.
NtQueryInformationFileFn FindStreamQuery();

// Seams: replace the query found in ntdll and the stream open (Wine has no
// streams); nullptr goes back to the real ones.
using StreamOpenFn = HANDLE (*)(HANDLE file, const std::wstring& name);
void SetStreamQueryForTest(NtQueryInformationFileFn query);
void SetStreamOpenForTest(StreamOpenFn open);

}  // namespace bpriv
