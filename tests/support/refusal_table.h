// refusal_table.h: misuses of the win32.h calls that every platform layer must refuse,
// next to a few proper calls that it must accept. Each row makes its calls through
// win32.h only, so the same rows run against the headless layer inside the test process
// and against the live layer in a program of their own (tests/probes/refusal_probe.cpp).
#pragma once

#include <string>
#include <vector>

struct RefusalRow {
    const char* name;
    // Makes the call (and whatever it needs first) and cleans up; true when the layer
    // refused the call.
    bool (*refused)();
    // False for the proper calls, which show that a row can tell the two apart.
    bool mustRefuse;
};

const std::vector<RefusalRow>& RefusalRows();

// How a probe prints one row's outcome, and reads it back: "row NAME: refused".
std::string RefusalLine(const RefusalRow& row, bool refused);
// The outcome of each row found in a probe's output, in row order; a row that is missing
// or printed twice reads "missing" or "twice".
std::vector<std::string> OutcomesIn(const std::string& output);
// "refused" or "accepted".
const char* OutcomeName(bool refused);
