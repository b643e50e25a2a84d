// The host service as commands meet it: a host that answered only
// validations goes back and serves the next command; a signing's host ends
// with its command; the service takes back only hosts it handed out. The
// hosts are penvane_fake_host.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <functional>
#include <set>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "HostHandOver.h"
#include "ToolRunner.h"

namespace {

std::set<pid_t> HostsTagged(const std::string& tag) {
    std::set<pid_t> pids;
    std::istringstream out(RunCommand("pgrep -f -- '^[^ ]*fake_hos[t] --tag " + tag + "$'").out);
    for (pid_t pid; out >> pid;) pids.insert(pid);
    return pids;
}

bool WaitFor(const std::function<bool()>& condition) {
    for (int i = 0; i < 100; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

class HostService : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = ScratchDir();
        socket_ = dir_ + "/host.sock";
        tag_ = "service-" + std::to_string(getpid());
        service_ = fork();
        ASSERT_GE(service_, 0);
        if (service_ == 0) {
            execl(PENVANE_HOST_SERVICE, PENVANE_HOST_SERVICE, "--socket", socket_.c_str(), "--warm", "2", "--idle", "60",
                  "--", PENVANE_FAKE_HOST, "--tag", tag_.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ASSERT_TRUE(WaitFor([&] { return HostsTagged(tag_).size() == 2; })) << "the service keeps two hosts";
    }
    void TearDown() override {
        if (service_ > 0) {
            kill(service_, SIGTERM);
            waitpid(service_, nullptr, 0);
        }
        EXPECT_TRUE(WaitFor([&] { return HostsTagged(tag_).empty(); })) << "its waiting hosts end with the service";
    }
    ToolRun Through(const std::vector<std::string>& args) {
        std::string command = "PENVANE_HOST_SOCKET=" + socket_ + " PENVANE_HOST=false " PENVANE_TOOL;
        for (const std::string& a : args) command += " '" + a + "'";
        return RunCommand(command);
    }
    std::string dir_, socket_, tag_;
    pid_t service_ = -1;
};

TEST_F(HostService, ValidationsGiveTheHostBackAndASigningEndsIt) {
    const std::string signedPdf = dir_ + "/signed.pdf";
    ASSERT_EQ(SignWithSample(TestPdf("minimal.pdf"), signedPdf, {"--new-field", "1:50,50,250,130"}).exitCode, 0);
    const std::set<pid_t> hosts = HostsTagged(tag_);

    // PENVANE_HOST=false: a host started for the command would fail it, so
    // every answer below came from a host of the service.
    for (int i = 0; i < 3; ++i) {
        ToolRun verify = Through({"verify", signedPdf});
        ASSERT_EQ(verify.exitCode, 0) << verify.err;
        EXPECT_EQ(HostsTagged(tag_), hosts) << "the same hosts serve every verification";
    }
    // Two workers take both hosts; a third waits meanwhile, and one too many
    // is let go once both are back.
    ToolRun many = Through({"verify", signedPdf, signedPdf, signedPdf, signedPdf});
    ASSERT_EQ(many.exitCode, 0) << many.err;
    EXPECT_TRUE(WaitFor([&] { return HostsTagged(tag_).size() == 2; }));

    const std::set<pid_t> before = HostsTagged(tag_);
    ToolRun sign = Through({"sign", TestPdf("minimal.pdf"), dir_ + "/again.pdf", "--new-field", "1:50,50,250,130",
                            "--strokes", SampleStrokes()});
    ASSERT_EQ(sign.exitCode, 0) << sign.err;
    ASSERT_TRUE(WaitFor([&] { return HostsTagged(tag_).size() == 2 && HostsTagged(tag_) != before; }))
        << "the signing's host ended and another took its place";
    ToolRun verify = Through({"verify", dir_ + "/again.pdf"});
    EXPECT_EQ(verify.exitCode, 0) << verify.err;
}

TEST_F(HostService, OnlyHostsItHandedOutAreTakenBack) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    // Our own process, and then a host it keeps waiting: neither is with a command.
    EXPECT_FALSE(penvane::GiveHostBack(socket_, 1000, {fds[1], fds[0], getpid()}));
    EXPECT_FALSE(penvane::GiveHostBack(socket_, 1000, {fds[1], fds[0], *HostsTagged(tag_).begin()}));
    close(fds[0]);
    close(fds[1]);
    EXPECT_EQ(HostsTagged(tag_).size(), 2u);

    // A host taken and given back is kept; given back twice, it is refused.
    penvane::HandedHost host;
    std::string why;
    ASSERT_TRUE(penvane::TakeHost(socket_, 3000, &host, &why)) << why;
    EXPECT_TRUE(penvane::GiveHostBack(socket_, 1000, host));
    EXPECT_FALSE(penvane::GiveHostBack(socket_, 1000, host));
    close(host.toHost);
    close(host.fromHost);
    EXPECT_EQ(HostsTagged(tag_).size(), 2u);
}

}  // namespace
