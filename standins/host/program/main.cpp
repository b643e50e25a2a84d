// penvane-host: loads a plug-in file as the PDF host does.
//   penvane-host PLUG-IN              reports what it registered; exit code 0
//                                     only when start-up and unload went through
//   penvane-host --protocol PLUG-IN [--warm-up]
//                                     answers the `penvane` tool's requests,
//                                     one JSON line each, on its standard streams;
//                                     --warm-up first validates a value of its
//                                     own, for a host kept waiting (the service)
//   penvane-host --soak PLUG-IN --strokes FILE [--captures N] [--validations M]
//                                     the long run (SoakMode.h); exit code 0
//                                     only when no figure grew
#include <cwchar>
#include <iostream>
#include <string>

#include "HostApartment.h"
#include "ProtocolMode.h"
#include "RegistrationReport.h"
#include "SoakMode.h"

namespace {

int Usage()
{
    std::cerr << "usage: penvane-host <plug-in file>\n"
                 "       penvane-host --protocol <plug-in file> [--warm-up]\n"
                 "       penvane-host --soak <plug-in file> --strokes <file> [--captures N] [--validations M]\n";
    return 2;
}

int Soak(int argc, wchar_t** argv)
{
    standin::SoakOptions options;
    for (int i = 3; i + 1 < argc; i += 2) {
        const std::wstring option = argv[i], value = argv[i + 1];
        wchar_t* end = nullptr;
        const long number = std::wcstol(value.c_str(), &end, 10);
        const bool isNumber = !value.empty() && *end == L'\0' && number >= 0;
        if (option == L"--strokes") options.strokes.assign(value.begin(), value.end());
        else if (option == L"--captures" && isNumber) options.captures = static_cast<int>(number);
        else if (option == L"--validations" && isNumber) options.validations = static_cast<int>(number);
        else return Usage();
    }
    if (argc % 2 == 0 || options.strokes.empty()) return Usage();
    return standin::PrintSoak(options, standin::RunSoak(argv[2], options), std::cout);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && std::wstring(argv[1]) == L"--protocol")
        return standin::RunProtocol(argv[2], std::cin, std::cout);
    if (argc == 4 && std::wstring(argv[1]) == L"--protocol" && std::wstring(argv[3]) == L"--warm-up")
        return standin::RunProtocol(argv[2], std::cin, std::cout, true);
    if (argc >= 3 && std::wstring(argv[1]) == L"--soak")
        return Soak(argc, argv);
    if (argc != 2)
        return Usage();
    standin::HostApartment apartment;
    standin::HostStandin host;
    return standin::ReportRegistration(host, argv[1], std::cout) ? 0 : 1;
}
