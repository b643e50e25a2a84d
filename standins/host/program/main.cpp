// penvane-host: loads a plug-in file as the PDF host does.
//   penvane-host PLUG-IN              reports what it registered; exit code 0
//                                     only when start-up and unload went through
//   penvane-host --protocol PLUG-IN   answers the `penvane` tool's requests,
//                                     one JSON line each, on its standard streams
#include <iostream>
#include <string>

#include "HostApartment.h"
#include "ProtocolMode.h"
#include "RegistrationReport.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && std::wstring(argv[1]) == L"--protocol")
        return standin::RunProtocol(argv[2], std::cin, std::cout);
    if (argc != 2) {
        std::cerr << "usage: penvane-host <plug-in file>\n"
                     "       penvane-host --protocol <plug-in file>\n";
        return 2;
    }
    standin::HostApartment apartment;
    standin::HostStandin host;
    return standin::ReportRegistration(host, argv[1], std::cout) ? 0 : 1;
}
