#include "LoadedPlugin.h"

#include <cstdio>

std::vector<std::string> LoadedPlugin::Requests()
{
    std::vector<std::string> requests;
    for (const auto& request : host.tables().Requests()) {
        char version[16];
        std::snprintf(version, sizeof version, "%X", request.second);
        requests.push_back(request.first + "@" + version);
    }
    return requests;
}
