// A property a fuzz target checks: a failure aborts, so libFuzzer keeps the
// input and its stack trace names the line of the check.
#pragma once

#include <cstdlib>

#define FUZZ_CHECK(cond) ((cond) ? (void)0 : std::abort())
