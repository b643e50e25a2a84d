// Verifying many files at once: the files are shared out among workers,
// each with a handler (a host program) of its own, so that both the PDF
// work and the hosts' answers use every core.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "SignatureHandler.h"
#include "Verification.h"

namespace penvane {

struct FileOutcome {
    std::optional<VerifyReport> report;
    std::string error;            // when there is no report: why
};

// One outcome per file, in the files' order. A worker whose handler cannot
// be made reports that as every one of its files' error.
std::vector<FileOutcome> VerifyFiles(const std::vector<std::string>& files, const std::string& password, int workers,
                                     const std::function<std::unique_ptr<SignatureHandler>()>& makeHandler);

// How many workers for this many files on this machine.
int VerifyWorkers(size_t files);

}  // namespace penvane
