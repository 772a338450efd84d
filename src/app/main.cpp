// Process entry: prepares COM, the common controls and the module, then runs
// the one job named on the command line.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/jobs.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  try {
    (void)::CoInitialize(nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_DATE_CLASSES};
    if (!::InitCommonControlsEx(&icc)) ::InitCommonControls();
    bpriv::Module() = {instance, ::GetCurrentThreadId()};

    // The controller's text, not the entry's argument: the name of the
    // program locates the options.
    int exit_code = bpriv::RunAgent(instance, ::GetCommandLineW(), bpriv::AgentJobs());
    ::CoUninitialize();
    return exit_code;
  } catch (...) {  // out of memory in the dispatcher or a job
    // Only a returning clean job sets the code, so it is still 0 here; COM is
    // left as it is, the process ends anyway.
    return 0;
  }
}
