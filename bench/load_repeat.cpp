// Loads a .cxf file COUNT times and prints the mean time of a load in
// microseconds. For counting the instructions of one load with callgrind:
// the difference between the counts of two runs, divided by the difference
// of their COUNTs, leaves out the program's start and end.
//   zanvero-load-repeat PATH COUNT
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "CxfFileUnit.h"
#include "KeepHeap.h"

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: zanvero-load-repeat PATH COUNT\n");
        return 2;
    }
    KeepHeap();  // as the benchmark does, so both measure the same loads
    const long Count = std::strtol(argv[2], nullptr, 10);
    try {
        std::size_t Channels = 0;  // used, so that no load is left out
        const auto Start = std::chrono::steady_clock::now();
        for (long i = 0; i < Count; ++i) Channels += TCxfFile(argv[1], ',').Channels().size();
        const std::chrono::duration<double, std::micro> Time = std::chrono::steady_clock::now() - Start;
        std::printf("%.1f us per load, %zu channels in all\n", Count > 0 ? Time.count() / Count : 0.0, Channels);
    } catch (const std::exception& Error) {
        std::fprintf(stderr, "zanvero-load-repeat: %s\n", Error.what());
        return 1;
    }
    return 0;
}
