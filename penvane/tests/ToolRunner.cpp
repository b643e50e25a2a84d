#include "ToolRunner.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

}  // namespace

ToolRun RunCommand(const std::string& command) {
    std::string dir = ScratchDir();
    std::string full = command + " >" + dir + "/out 2>" + dir + "/err";
    int status = std::system(full.c_str());
    ToolRun r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadBytes(dir + "/out");
    r.err = ReadBytes(dir + "/err");
    return r;
}

ToolRun RunTool(const std::vector<std::string>& args, const std::string& host) {
    std::string command = "PENVANE_HOST=" + Quote(host) + " PENVANE_HOST_TIMEOUT=20 " + PENVANE_TOOL;
    for (const std::string& a : args) command += " " + Quote(a);
    return RunCommand(command);
}

std::string TestPdf(const std::string& name) { return std::string(PENVANE_TESTDATA) + "/" + name; }
std::string SampleStrokes() { return PENVANE_SAMPLE_STROKES; }

std::string ScratchDir() {
    // Every folder made here goes when the test program ends.
    static std::vector<std::string> made;
    static const int registered = std::atexit([] {
        for (const std::string& dir : made) std::system(("rm -rf " + dir).c_str());
    });
    (void)registered;
    char dir[] = "/tmp/penvane-testXXXXXX";
    if (!mkdtemp(dir)) std::abort();
    made.push_back(dir);
    return dir;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

bool Exists(const std::string& path) {
    struct stat st{};
    return stat(path.c_str(), &st) == 0;
}

ToolRun SignWithSample(const std::string& in, const std::string& out, const std::vector<std::string>& extra) {
    std::vector<std::string> args{"sign", in, out, "--strokes", SampleStrokes()};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunTool(args);
}
