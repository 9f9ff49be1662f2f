#pragma once

#include <fstream>

#include <unistd.h>

// The process's resident memory in MiB, from /proc/self/statm.
inline double residentMiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1 << 20);
}
