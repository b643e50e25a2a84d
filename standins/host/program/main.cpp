// penvane-host: loads a plug-in file as the PDF host does and reports what it
// registered. Exit code 0 only when the whole start-up and unload went through.
#include <iostream>

#include "HostApartment.h"
#include "RegistrationReport.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::cerr << "usage: penvane-host <plug-in file>\n";
        return 2;
    }
    standin::HostApartment apartment;
    standin::HostStandin host;
    return standin::ReportRegistration(host, argv[1], std::cout) ? 0 : 1;
}
