// refusal_probe.cpp: a program on the live layer that runs every row of the refusal table
// (tests/support/refusal_table.h) and prints one line per row, for the test that compares
// the live layer's answers with the table's.
#include <cstdio>

#include "platform/win32.h"
#include "support/refusal_table.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    for (const RefusalRow& row : RefusalRows()) {
        const bool refused = row.refused();
        std::printf("%s\n", RefusalLine(row, refused).c_str());
        // Each line is out before the next row runs, should one of them end the program.
        std::fflush(stdout);
    }
    return 0;
}
