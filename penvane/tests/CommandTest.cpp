// The command as people use it: what it refuses before anyone signs, how it
// treats files and paths, how it ends on a signal or a misbehaving host.
// The handler is played by penvane_fake_host.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "ToolRunner.h"

namespace {

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// The tool with `environment` (assignments, or `-u NAME` to remove one).
ToolRun RunWith(const std::string& environment, const std::vector<std::string>& args, const std::string& host) {
    const bool removes = environment.rfind("-u ", 0) == 0;
    std::string command = "env " + (removes ? environment : "") + " PENVANE_HOST=" + Quote(host) +
                          " PENVANE_HOST_TIMEOUT=20 " + (removes ? "" : environment) + " " + PENVANE_TOOL;
    for (const std::string& a : args) command += " " + Quote(a);
    return RunCommand(command);
}

bool HostRunning(const std::string& tag) {
    // The bracket keeps pgrep from finding the shell that runs it.
    return RunCommand("pgrep -f -- '--ta[g] " + tag + "'").exitCode == 0;
}

// Whether process `pid` has `path` open or mapped.
bool HoldsFile(pid_t pid, const std::string& path) {
    const std::string proc = "/proc/" + std::to_string(pid);
    if (DIR* fds = opendir((proc + "/fd").c_str())) {
        bool found = false;
        while (dirent* e = readdir(fds)) {
            char link[4096];
            const ssize_t n = readlink((proc + "/fd/" + e->d_name).c_str(), link, sizeof link);
            if (n > 0 && std::string(link, static_cast<size_t>(n)) == path) found = true;
        }
        closedir(fds);
        if (found) return true;
    }
    return ReadBytes(proc + "/maps").find(path) != std::string::npos;
}

std::string Fixture(const std::string& dir, const std::string& name, const std::string& from, const std::string& to) {
    // qpdf rewrites the edited file with a sound cross-reference table.
    std::string bytes = ReadBytes(TestPdf("minimal.pdf"));
    bytes.replace(bytes.find(from), from.size(), to);
    WriteBytes(dir + "/edited.pdf", bytes);
    RunCommand("qpdf " + dir + "/edited.pdf " + dir + "/" + name);
    return dir + "/" + name;
}

TEST(Command, MistakesAreNamedAtOnceAndNothingIsWritten) {
    const std::string dir = ScratchDir(), out = dir + "/out.pdf", existing = dir + "/existing.pdf";
    WriteBytes(existing, "the only signed copy");
    WriteBytes(dir + "/notes.txt", "not strokes\n");
    const std::string cropped = Fixture(dir, "cropped.pdf", "/MediaBox [0 0 612 792]", "/MediaBox [0 0 612 792] /CropBox [0 0 300 300]");
    const std::string strokes = SampleStrokes(), host = PENVANE_FAKE_HOST, minimal = TestPdf("minimal.pdf");
    const std::string tag = "mistakes-" + std::to_string(getpid());
    struct Case {
        std::string environment;
        std::vector<std::string> args;
        std::string message;
        std::string host = PENVANE_FAKE_HOST;
    } cases[] = {
        {"", {"sign", minimal, existing, "--new-field", "1:50,50,250,130", "--strokes", strokes},
         existing + " exists already; give --force to replace it"},
        {"", {"sign", TestPdf("fields-split-1.pdf"), out, "--new-field", "1:50,50,250,130", "--name", "Text Box 1", "--strokes", strokes},
         "a field named \"Text Box 1\" exists already"},
        {"", {"sign", cropped, out, "--new-field", "1:400,400,500,450", "--strokes", strokes},
         "is outside page 1 (0,0,300,300)"},
        {"", {"sign", TestPdf("minimal-signed-restricted.pdf"), out, "--new-field", "1:50,50,250,130", "--strokes", strokes},
         "the document is certified by the signature in field \"SignatureField1\" permitting no changes "
         "(DocMDP /P 1); any new signature would break that certification"},
        {"", {"sign", minimal, out, "--new-field", "1:50,50,250,130", "--strokes", dir + "/notes.txt"},
         "the stroke file " + dir + "/notes.txt is not a stroke file"},
        {"", {"sign", minimal, out, "--new-field", "1:50,50,250,130", "--strokes", dir + "/none.strokes"},
         "the stroke file " + dir + "/none.strokes cannot be read"},
        {"-u DISPLAY", {"sign", minimal, out, "--new-field", "1:50,50,250,130"},
         "DISPLAY is not set, so the signature dialog has nowhere to appear: sign from a terminal of your desktop "
         "(or set DISPLAY to it), or give --strokes FILE"},
        {"DISPLAY=:987", {"sign", minimal, out, "--new-field", "1:50,50,250,130"},
         "the display \":987\" (DISPLAY) cannot be opened: no X server answers there"},
        {"", {"verify", minimal, "--picture", dir + "/missing/page.png"},
         "the folder " + dir + "/missing for --picture does not exist"},
        {"", {"sign", minimal, out, "--new-field", "1:50,50,250,130", "--strokes", strokes},
         "the host program closed its output but did not end without answering", host + " --close-on sign --tag " + tag},
        {"", {"sign", minimal, out, "--new-field", "1:50,50,250,130", "--strokes", strokes},
         "the host program sent a line longer than 64 MiB; it was stopped", host + " --flood-on sign --tag " + tag},
        {"PENVANE_HOST_TIMEOUT=1", {"sign", minimal, out, "--new-field", "1:50,50,250,130", "--strokes", strokes},
         "the host program did not answer within 1 s; it was stopped", host + " --hang-on sign --tag " + tag},
        {"", {"sign", minimal, out, "--new-field", "1:50,50,250,130", "--strokes", strokes},
         "the host program ended with exit code 3 without answering during the signing (its dialog was closed with it, "
         "or Wine ended); no signature was made",
         host + " --exit-on sign --tag " + tag},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        const auto start = std::chrono::steady_clock::now();
        ToolRun r = RunWith(c.environment, c.args, c.host);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        // At once (a loaded machine and the sanitizers allowing): a host's
        // fault within its time-out, not after waiting for it to end.
        EXPECT_LT(seconds, 10) << "a mistake is named at once; a host's fault within its time-out";
        EXPECT_FALSE(Exists(out));
        EXPECT_FALSE(HostRunning(tag)) << "the host was left running";
    }
    EXPECT_EQ(ReadBytes(existing), "the only signed copy");
    EXPECT_EQ(RunCommand("ls " + dir + " | grep -c part").out, "0\n") << "no temporary file left behind";
}

TEST(Command, OutputKeepsTheInputsPermissionsAndIsReplacedOnlyWithForce) {
    const std::string dir = ScratchDir(), in = dir + "/in.pdf", out = dir + "/out.pdf";
    WriteBytes(in, ReadBytes(TestPdf("minimal.pdf")));
    for (mode_t mode : {0600, 0640, 0644}) {
        SCOPED_TRACE(mode);
        chmod(in.c_str(), mode);
        // umask 022 would make a 0644 file; the input's bits win either way.
        ToolRun r = RunCommand("umask 022; PENVANE_HOST=" + Quote(PENVANE_FAKE_HOST) + " " + PENVANE_TOOL + " sign " + in +
                               " " + out + " --force --new-field 1:50,50,250,130 --strokes " + SampleStrokes());
        ASSERT_EQ(r.exitCode, 0) << r.err;
        struct stat st{};
        ASSERT_EQ(stat(out.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, mode);
        EXPECT_EQ(RunTool({"verify", out}).exitCode, 0) << "the replaced file is the new signed copy";
    }
}

TEST(Command, PathsWithBlanksAndNonAsciiCharacters) {
    const std::string dir = ScratchDir() + "/Zürich files";
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    const std::string in = dir + "/Vertrag für Ärzte.pdf", out = dir + "/signed copy.pdf", strokes = dir + "/ünterschrift 1.strokes";
    WriteBytes(in, ReadBytes(TestPdf("minimal.pdf")));
    WriteBytes(strokes, ReadBytes(SampleStrokes()));
    // The host program in a folder with a blank, named as a whole or quoted
    // with an argument.
    const std::string hostDir = dir + "/host dir", host = hostDir + "/fake host";
    ASSERT_EQ(mkdir(hostDir.c_str(), 0700), 0);
    ASSERT_EQ(RunCommand("cp " + std::string(PENVANE_FAKE_HOST) + " " + Quote(host)).exitCode, 0);
    ToolRun sign = RunTool({"sign", in, out, "--new-field", "1:50,50,250,130", "--strokes", strokes}, host);
    ASSERT_EQ(sign.exitCode, 0) << sign.err;
    EXPECT_EQ(sign.out, "signed: " + out + "\n");
    ToolRun verify = RunTool({"verify", out}, "\"" + host + "\" --tag quoted");
    EXPECT_EQ(verify.exitCode, 0) << verify.err;
}

TEST(Command, ASignalEndsTheHostAndLeavesNothing) {
    const std::string dir = ScratchDir(), out = dir + "/out.pdf";
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        const std::string tag = "signal-" + std::to_string(getpid()) + "-" + std::to_string(signal);
        const std::string host = std::string(PENVANE_FAKE_HOST) + " --hang-on sign --tag " + tag;
        pid_t tool = fork();
        ASSERT_GE(tool, 0);
        if (tool == 0) {
            setenv("PENVANE_HOST", host.c_str(), 1);
            execl(PENVANE_TOOL, PENVANE_TOOL, "sign", TestPdf("minimal.pdf").c_str(), out.c_str(), "--new-field",
                  "1:50,50,250,130", "--strokes", SampleStrokes().c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 200 && !HostRunning(tag); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_TRUE(HostRunning(tag)) << "the host program did not start";
        const auto sent = std::chrono::steady_clock::now();
        kill(tool, signal);
        int status = 0;
        ASSERT_EQ(waitpid(tool, &status, 0), tool);
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count(), 1.0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
        for (int i = 0; i < 20 && HostRunning(tag); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(HostRunning(tag)) << "the host outlived the command";
        EXPECT_EQ(RunCommand("ls -A " + dir).out, "") << "no output and no temporary file";
    }
}


TEST(Command, AFileCutShortWhileItIsReadIsAnErrorNotACrash) {
    // A signed file of some 30 MB (an attachment), cut short again and again
    // while it is being verified: every run ends with an exit code, never a
    // signal, and the verdict is about one set of bytes.
    const std::string dir = ScratchDir(), big = dir + "/big.pdf", signedPdf = dir + "/signed.pdf";
    WriteBytes(dir + "/payload.bin", std::string(30u << 20, 'x'));
    ASSERT_EQ(RunCommand("qpdf " + TestPdf("minimal.pdf") + " --add-attachment " + dir + "/payload.bin -- " + big).exitCode, 0);
    ASSERT_EQ(SignWithSample(big, signedPdf, {"--new-field", "1:50,50,250,130"}).exitCode, 0);
    const std::string bytes = ReadBytes(signedPdf), target = dir + "/target.pdf", errors = dir + "/errors.txt";
    for (int run = 0; run < 12; ++run) {
        SCOPED_TRACE(run);
        WriteBytes(target, bytes);
        pid_t tool = fork();
        ASSERT_GE(tool, 0);
        if (tool == 0) {
            setenv("PENVANE_HOST", PENVANE_FAKE_HOST, 1);
            const int quiet = open("/dev/null", O_WRONLY);
            const int err = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(quiet, 1);
            dup2(err, 2);
            execl(PENVANE_TOOL, PENVANE_TOOL, "verify", target.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        // Cut it once the tool holds the file (open, or mapped), a little
        // later on each run.
        for (int i = 0; i < 20000 && !HoldsFile(tool, target); ++i)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        std::this_thread::sleep_for(std::chrono::milliseconds(run));
        ASSERT_EQ(truncate(target.c_str(), 1000), 0);
        int status = 0;
        ASSERT_EQ(waitpid(tool, &status, 0), tool);
        ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
        EXPECT_LE(WEXITSTATUS(status), 2);
        // A sanitizer's report of the signal would end with an exit code too.
        const std::string said = ReadBytes(errors);
        EXPECT_EQ(said.find("Sanitizer"), std::string::npos) << said.substr(0, 300);
    }
}

}  // namespace
