#include "VerifyMany.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace penvane {

int VerifyWorkers(size_t files) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    // Each worker has a host program under Wine of its own: more than a few
    // cost more memory than they save time.
    return static_cast<int>(std::min<size_t>({files, cores, 4}));
}

std::vector<FileOutcome> VerifyFiles(const std::vector<std::string>& files, const std::string& password, int workers,
                                     const std::function<std::unique_ptr<SignatureHandler>()>& makeHandler) {
    std::vector<FileOutcome> outcomes(files.size());
    std::atomic<size_t> next{0};
    auto work = [&] {
        std::unique_ptr<SignatureHandler> handler;
        std::string handlerError;
        try {
            handler = makeHandler();
        } catch (const std::exception& e) {
            handlerError = e.what();
        }
        for (size_t i; (i = next++) < files.size();) {
            if (!handler) {
                outcomes[i].error = handlerError;
                continue;
            }
            try {
                LoadedPdf pdf = LoadPdf(files[i], password);
                outcomes[i].report = VerifyPdf(pdf, handler.get());
            } catch (const std::exception& e) {
                outcomes[i].error = e.what();
            }
        }
    };
    std::vector<std::thread> threads;
    for (int w = 1; w < workers; ++w) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
    return outcomes;
}

}  // namespace penvane
