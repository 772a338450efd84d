// Processes with a chosen file name, for the agent's watch on "BSweepRun.exe": declared with the other process
// helpers in run_process.h.
#pragma once
#include "support/run_process.h"
