#include "PageRender.h"

#include <dirent.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "PdfError.h"

extern char** environ;

namespace penvane {

RenderedPages::RenderedPages(std::string_view pdf, const RenderOptions& options) {
    char dir[] = "/tmp/penvane-renderXXXXXX";
    if (!mkdtemp(dir)) throw PdfError("no temporary folder for rendering pages");
    dir_ = dir;
    const std::string document = dir_ + "/document.pdf";
    FILE* f = std::fopen(document.c_str(), "wb");
    const bool written = f && std::fwrite(pdf.data(), 1, pdf.size(), f) == pdf.size();
    if (f && std::fclose(f) != 0) f = nullptr;
    if (!written || !f) {
        status_ = 1 << 8;
        failure_ = "it could not be copied to " + dir_;
        return;
    }
    // Anti-aliasing stays on for both sides: it is what a reader shows, and
    // the same program draws the same pixels for the same page.
    std::vector<std::string> args{"pdftoppm", "-q", "-r", std::to_string(options.dpi)};
    if (!options.password.empty()) {
        args.insert(args.end(), {"-opw", options.password, "-upw", options.password});
    }
    args.insert(args.end(), {document, dir_ + "/page"});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    // posix_spawn rather than fork: the two sides start from two threads.
    pid_t pid = -1;
    if (posix_spawnp(&pid, "pdftoppm", nullptr, nullptr, argv.data(), environ) != 0) {
        status_ = 127 << 8;
        return;
    }
    pid_ = pid;
}

RenderedPages::~RenderedPages() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (DIR* d = opendir(dir_.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.') std::remove((dir_ + "/" + e->d_name).c_str());
        closedir(d);
    }
    rmdir(dir_.c_str());
}

void RenderedPages::Wait(const std::string& what) {
    if (pid_ > 0) {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        status_ = status;
        pid_ = -1;
    }
    if (!WIFEXITED(status_) || WEXITSTATUS(status_) != 0) {
        const int code = WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
        if (!failure_.empty()) throw PdfError(what + " could not be rendered: " + failure_);
        if (code == 127) throw PdfError("pdftoppm is missing: run bash scripts/setup.sh");
        // pdftoppm answers 1 alike for a file it cannot open and a missing or
        // wrong password.
        throw PdfError("pdftoppm could not render " + what +
                       (code == 1 ? " (it cannot open it: damaged, or protected and the password is missing or wrong)"
                                  : " (exit code " + std::to_string(code) + ")"));
    }
    // page-1.ppm, or page-01.ppm and so on: the number is what counts.
    std::vector<std::pair<long, std::string>> found;
    if (DIR* d = opendir(dir_.c_str())) {
        while (dirent* e = readdir(d)) {
            const std::string name = e->d_name;
            if (name.rfind("page-", 0) != 0 || name.size() < 10 || name.compare(name.size() - 4, 4, ".ppm") != 0) continue;
            found.emplace_back(std::strtol(name.c_str() + 5, nullptr, 10), dir_ + "/" + name);
        }
        closedir(d);
    }
    std::sort(found.begin(), found.end());
    pages_.clear();
    for (size_t i = 0; i < found.size(); ++i) {
        if (found[i].first != static_cast<long>(i) + 1) throw PdfError("pdftoppm left out a page of " + what);
        pages_.push_back(found[i].second);
    }
}

Raster RenderedPages::Page(int n) const {
    if (n < 1 || n > Count()) throw PdfError("no rendered page " + std::to_string(n));
    return ReadPpm(pages_[n - 1]);
}

}  // namespace penvane
