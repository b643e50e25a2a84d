// Start-up figure of a plug-in file, in one process:
//   startup_ms=  median milliseconds from LoadLibrary through OnInit answering
//                true, over the rounds; each round then unloads the plug-in
//                (OnUnload, FreeLibrary) outside the timed part.
// Usage: plugin_bench <plug-in file> [rounds, at least 50; default 100]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <vector>

#include "HostApartment.h"
#include "PluginHost.h"

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: plugin_bench <plug-in file> [rounds]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::max(50, static_cast<int>(std::wcstol(argv[2], nullptr, 10))) : 100;
    // As in a real host, the system libraries the plug-in imports are loaded
    // long before it is: the figure is the plug-in's own start-up.
    standin::HostApartment apartment;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    auto ms = [&](const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
        return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
    };
    std::vector<double> startups, loads;
    for (int round = 0; round < rounds; ++round) {
        standin::HostStandin host;
        standin::PluginHost plugin(host);
        LARGE_INTEGER begin, loaded, end;
        QueryPerformanceCounter(&begin);
        bool started = plugin.Load(argv[1]);
        QueryPerformanceCounter(&loaded);
        started = started && plugin.CoreHandshake() && plugin.SetupHandshake() && plugin.ExportTables() &&
                  plugin.ImportTables() && plugin.Init();
        QueryPerformanceCounter(&end);
        if (!started) {
            std::fprintf(stderr, "bench: round %d: %s\n", round, plugin.Failure().c_str());
            return 1;
        }
        plugin.Free();
        startups.push_back(ms(begin, end));
        loads.push_back(ms(begin, loaded));
    }
    // Where the time goes, for whoever reads the log: the file's loading
    // (LoadLibrary and PlugInMain) against the whole start-up.
    std::fprintf(stderr, "bench: %d rounds; median load %.3f ms\n", rounds, Median(loads));
    std::printf("startup_ms=%.3f\n", Median(startups));
    return 0;
}
