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

bool RenderedPages::Ended() {
    if (pid_ <= 0) return true;
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == 0 || (r < 0 && errno == EINTR)) return false;
    status_ = r == pid_ ? status : 1 << 8;
    pid_ = -1;
    return true;
}

// page-1.ppm, or page-01.ppm and so on: the number is what counts.
void RenderedPages::Scan() {
    DIR* d = opendir(dir_.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name.rfind("page-", 0) != 0 || name.size() < 10 || name.compare(name.size() - 4, 4, ".ppm") != 0) continue;
        const long n = std::strtol(name.c_str() + 5, nullptr, 10);
        if (n < 1 || n > 1000000) continue;
        if (static_cast<size_t>(n) > pages_.size()) pages_.resize(static_cast<size_t>(n));
        if (pages_[n - 1].empty()) pages_[n - 1] = dir_ + "/" + name;
    }
    closedir(d);
}

bool RenderedPages::WaitForPage(int n) {
    for (;;) {
        // Whether it ended is asked before the folder is read: every page
        // it wrote before ending is then there to be seen.
        const bool ended = Ended();
        Scan();
        const bool present = n >= 1 && n <= Count() && !pages_[n - 1].empty();
        // pdftoppm writes a page, closes it and only then starts the next.
        if (present && (ended || n < Count())) return true;
        if (ended) return false;
        usleep(2000);
    }
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
    Scan();
    for (const std::string& page : pages_)
        if (page.empty()) throw PdfError("pdftoppm left out a page of " + what);
}

Raster RenderedPages::Page(int n) const {
    Raster r;
    Page(n, &r);
    return r;
}

void RenderedPages::Page(int n, Raster* into) const {
    if (n < 1 || n > Count() || pages_[n - 1].empty() || pages_[n - 1] == "-")
        throw PdfError("no rendered page " + std::to_string(n));
    ReadPpm(pages_[n - 1], into);
}

void RenderedPages::Drop(int n) {
    if (n < 1 || n > Count() || pages_[n - 1].empty() || pages_[n - 1] == "-") return;
    std::remove(pages_[n - 1].c_str());
    pages_[n - 1] = "-";   // dropped, not missing
}

}  // namespace penvane
