// Holds a table exclusively, as another program would: says "held" (or "refused") and keeps it
// until its input ends. Usage: table_hold_probe <table>
#include <unistd.h>

#include <cstdio>

#include "platform/xbase32/xbase32.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    const bool held = sx_Use(argv[1], "HOLD", SX_EXCLUSIVE, SX_FOX) != 0;
    std::printf(held ? "held\n" : "refused\n");
    std::fflush(stdout);
    char c;
    while (::read(0, &c, 1) > 0) {
    }
    return held ? 0 : 1;
}
