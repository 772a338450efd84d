// The commands of agentctl; each takes the arguments after its name and
// returns the tool's exit status (0 done, 1 the agent could not be started
// or did not end, 2 usage error).
#pragma once
#include <string>
#include <vector>

namespace agentctl {

using Args = std::vector<std::wstring>;

int Usage(const wchar_t* problem);  // prints the usage text; 2 with a problem, else 0
int RunCommand(const Args& args);   // run: start the agent, report its windows and exit code
int ListCommand(const Args& args);  // list: play the controller of one listing
int CleanCommand(const Args& args);  // clean: follow a clean's progress dialog as text

// One line of output, UTF-8, so that names outside the code page survive.
void PrintLine(const std::wstring& text);

}  // namespace agentctl
