// Listing a file's alternate data streams through the native stream query.
#pragma once

#include <windows.h>

#include <vector>

#include "wipe/stream_walk.h"

namespace bpriv {

// NtQueryInformationFile: handle, status block (IO_STATUS_BLOCK), buffer,
// its length, information class. Returns an NTSTATUS.
using NtQueryInformationFileFn = LONG(NTAPI*)(HANDLE, void*, void*, ULONG, int);

constexpr int kFileStreamInformation = 22;
constexpr ULONG kStreamAnswerBytes = 98304;

// Fills `streams` with every stream but the main one and returns 1; returns 0
// and leaves `streams` alone when the query is unavailable (Wine answers
// STATUS_NOT_IMPLEMENTED), the file cannot be opened or the answer does not
// fit in kStreamAnswerBytes.
int ListStreams(const wchar_t* path, std::vector<StreamEntry>* streams, bool remove_suffix);

// Seam: replaces the query found in ntdll; nullptr goes back to it.
void SetStreamQueryForTest(NtQueryInformationFileFn query);

}  // namespace bpriv
