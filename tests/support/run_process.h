// Starts a program of the build (agentctl, the agent) and collects what it prints.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "base/unique.h"

namespace bpriv::test {

struct ProcessResult {
  bool started = false;
  DWORD exit_code = 0;
  std::string output;  // stdout and stderr, as printed
};

// ASCII text of a wide string, for messages and comparisons with output.
inline std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

// A file's bytes ("<missing>" when it cannot be opened), and a file written
// whole; ASCII paths, as in the test prefix.
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);

using Lines = std::vector<std::string>;

// Output split into lines, without their CR LF.
Lines SplitLines(const std::string& output);

// A program beside the test executable (bin/NAME).
std::wstring BesideTests(const wchar_t* name);

// An inheritable temporary file that goes when closed, for a child's output.
UniqueFile TempOutputFile();

// The process started with the full command line, or null; `out` (if any) takes its stdout and stderr.
HANDLE StartProcess(const std::wstring& exe, std::wstring command_line, DWORD flags = 0, HANDLE out = nullptr);

// Runs the full command line and waits up to timeout_ms (then kills it).
ProcessResult RunProcess(const std::wstring& exe, const std::wstring& command_line, DWORD timeout_ms = 30000);

// agentctl with its arguments (each already quoted where needed).
ProcessResult RunAgentctl(const std::wstring& args, DWORD timeout_ms = 30000);

// "agentctl seed --clear ARGS": what it made, "kind key" -> local file (ASCII
// samples), e.g. "tif http://a/" -> "C:\\...\\a[1].txt"; "nofile KEY" -> "".
std::map<std::string, std::string> SeedCache(const std::wstring& args);

}  // namespace bpriv::test
