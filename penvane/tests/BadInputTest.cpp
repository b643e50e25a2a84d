// Bad input: one line naming the problem, exit code 2, no output file, the
// input untouched. A signer who cancels: exit code 1, no output.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ToolRunner.h"

namespace {

TEST(BadInput, EachProblemIsNamedAndNothingIsWritten) {
    const std::string dir = ScratchDir(), out = dir + "/out.pdf";
    WriteBytes(dir + "/text.pdf", "just some text\n");
    std::string damaged = ReadBytes(TestPdf("minimal.pdf"));
    damaged.replace(damaged.find("0000000009 00000 n"), 10, "0000000100");
    WriteBytes(dir + "/damaged.pdf", damaged);
    ASSERT_EQ(RunCommand("qpdf --encrypt user owner 256 -- " + TestPdf("minimal.pdf") + " " + dir + "/locked.pdf").exitCode, 0);
    const std::string copyOfInput = dir + "/in.pdf";
    WriteBytes(copyOfInput, ReadBytes(TestPdf("minimal.pdf")));

    struct Case {
        std::vector<std::string> args;
        std::string message;
        std::string output;
    } cases[] = {
        {{dir + "/text.pdf", out}, "not a PDF file", out},
        {{dir + "/damaged.pdf", out}, "damaged; qpdf could read it only by repairing it", out},
        {{dir + "/locked.pdf", out, "--new-field", "1:0,0,10,10"}, "the file is protected; give its password with --password", out},
        {{dir + "/locked.pdf", out, "--new-field", "1:0,0,10,10", "--password", "guess"}, "the file is protected and the password is wrong", out},
        {{TestPdf("unsigned-field.pdf"), out, "--field", "Nope"}, "no signature field named \"Nope\"", out},
        {{TestPdf("digitally-signed.pdf"), out, "--field", "Signature2"}, "the field \"Signature2\" is already signed", out},
        {{TestPdf("minimal.pdf"), out}, "the document has no unsigned signature field", out},
        {{TestPdf("minimal.pdf"), out, "--new-field", "2:0,0,10,10"}, "page 2 is out of range: the document has 1 page(s)", out},
        {{TestPdf("minimal.pdf"), out, "--new-field", "1:500,700,700,800"}, "is outside page 1 (0,0,612,792)", out},
        {{TestPdf("minimal.pdf"), out, "--new-field", "1:10,10"}, "--new-field wants PAGE:X0,Y0,X1,Y1", out},
        {{copyOfInput, copyOfInput, "--new-field", "1:0,0,10,10"}, "the output must be another file than the input", ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"sign"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.insert(args.end(), {"--strokes", SampleStrokes()});
        const std::string before = ReadBytes(c.args[0]);
        ToolRun r = RunTool(args);
        EXPECT_EQ(r.exitCode, 2) << c.message;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        if (!c.output.empty()) EXPECT_FALSE(Exists(c.output)) << c.message;
        EXPECT_EQ(ReadBytes(c.args[0]), before) << c.message;
    }
    EXPECT_EQ(RunCommand("ls " + dir + " | grep -c part").out, "0\n") << "no temporary file left behind";
}

TEST(BadInput, AProtectedFileSignsAndVerifiesWithItsPassword) {
    const std::string dir = ScratchDir();
    ASSERT_EQ(RunCommand("qpdf --encrypt user owner 256 -- " + TestPdf("minimal.pdf") + " " + dir + "/locked.pdf").exitCode, 0);
    ASSERT_EQ(SignWithSample(dir + "/locked.pdf", dir + "/signed.pdf", {"--new-field", "1:50,50,250,130", "--password", "user"}).exitCode, 0);
    EXPECT_EQ(RunCommand("qpdf --check --password=user " + dir + "/signed.pdf").exitCode, 0);
    EXPECT_EQ(RunTool({"verify", "--password", "user", dir + "/signed.pdf"}).exitCode, 0);
    EXPECT_EQ(RunTool({"verify", dir + "/signed.pdf"}).exitCode, 2);
    // A second signature, with the owner password: the earlier revision is
    // read with the password given, and either password gets one verdict.
    ASSERT_EQ(SignWithSample(dir + "/signed.pdf", dir + "/twice.pdf", {"--new-field", "1:50,150,250,230", "--password", "owner"}).exitCode, 0);
    for (const char* password : {"user", "owner"}) {
        SCOPED_TRACE(password);
        ToolRun r = RunTool({"verify", "--json", "--password", password, dir + "/twice.pdf"});
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        auto sigs = nlohmann::json::parse(r.out, nullptr, false)["files"][0]["signatures"];
        ASSERT_EQ(sigs.size(), 2u) << r.out;
        EXPECT_EQ(sigs[1]["laterRevisions"]["summary"], "signatures only") << r.out;
        EXPECT_EQ(sigs[1]["laterRevisions"]["laterSignatures"][0]["page"], 1) << r.out;
    }
}

// Structures that readers resolve differently: refused for signing, before
// the capture, and for verifying, with one line naming the structure.
TEST(BadInput, FilesReadersResolveDifferentlyAreRefused) {
    const std::string dir = ScratchDir(), minimal = ReadBytes(TestPdf("minimal.pdf"));
    auto sameLength = [](std::string bytes, const std::string& from, std::string to) {
        to.resize(from.size(), ' ');
        bytes.replace(bytes.find(from), from.size(), to);
        return bytes;
    };
    struct Case {
        std::string name, bytes, message;
    } cases[] = {
        // qpdf mends a page listed twice with a copy in memory only.
        {"page-twice", sameLength(minimal, "/Kids [\n    3 0 R\n  ]\n  /Count 1", "/Kids [3 0 R 3 0 R] /Count 2"),
         "the page tree lists object 3 twice"},
        // The entry of object 5 points at object 6.
        {"offset-of-another", sameLength(minimal, "0000000403 00000 n", "0000000438 00000 n"),
         "the cross-reference entry of object 5 points at byte 438, which does not start that object but object 6"},
        // The section lists object 5 a second time, at another place.
        {"listed-twice", [&] {
             std::string b = minimal;
             b.replace(b.find("trailer <<"), 10, "5 1\n0000000438 00000 n \ntrailer <<");
             return b;
         }(),
         "lists object 5 twice"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string in = dir + "/" + c.name + ".pdf", out = dir + "/" + c.name + "-signed.pdf";
        WriteBytes(in, c.bytes);
        // The strokes would sign any sound file: the refusal comes before the capture.
        ToolRun sign = RunTool({"sign", in, out, "--new-field", "1:50,50,250,130", "--strokes", SampleStrokes()});
        EXPECT_EQ(sign.exitCode, 2) << sign.err;
        EXPECT_NE(sign.err.find(c.message), std::string::npos) << sign.err;
        EXPECT_FALSE(Exists(out));
        ToolRun verify = RunTool({"verify", in});
        EXPECT_EQ(verify.exitCode, 2) << verify.out;
        EXPECT_NE(verify.err.find(c.message), std::string::npos) << verify.err;
    }
}

TEST(BadInput, ADamagedFileAmongSeveralIsReportedInItsPlace) {
    const std::string dir = ScratchDir();
    ASSERT_EQ(SignWithSample(TestPdf("minimal.pdf"), dir + "/signed.pdf", {"--new-field", "1:50,50,250,130"}).exitCode, 0);
    WriteBytes(dir + "/text.pdf", "just some text\n");
    // qpdf reads the page tree only when it is first used: a tree that holds
    // itself is refused as the file is loaded, not by qpdf's exception later.
    std::string loop = ReadBytes(TestPdf("minimal.pdf"));
    loop.replace(loop.find("    3 0 R"), 9, "    2 0 R");
    WriteBytes(dir + "/page-tree-loop.pdf", loop);
    ToolRun text = RunTool({"verify", dir + "/signed.pdf", dir + "/text.pdf", dir + "/page-tree-loop.pdf"});
    EXPECT_EQ(text.exitCode, 2);
    EXPECT_NE(text.out.find("1. field"), std::string::npos) << "the good file keeps its verdict:\n" << text.out;
    EXPECT_NE(text.out.find("error: " + dir + "/text.pdf: not a PDF file"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("error: " + dir + "/page-tree-loop.pdf: damaged; its page tree cannot be read"),
              std::string::npos) << text.out;
    ToolRun json = RunTool({"verify", "--json", dir + "/text.pdf", dir + "/signed.pdf"});
    EXPECT_EQ(json.exitCode, 2);
    const auto report = nlohmann::json::parse(json.out);
    ASSERT_EQ(report["files"].size(), 2u);
    EXPECT_EQ(report["files"][0]["exitCode"], 2);
    EXPECT_NE(report["files"][0]["error"].get<std::string>().find("not a PDF file"), std::string::npos);
    EXPECT_EQ(report["files"][1]["exitCode"], 0);
    EXPECT_EQ(report["exitCode"], 2);
}

TEST(BadInput, CancelHangAndMissingHost) {
    const std::string dir = ScratchDir(), out = dir + "/out.pdf";
    const std::vector<std::string> sign{"sign", TestPdf("minimal.pdf"), out, "--new-field", "1:50,50,250,130",
                                        "--strokes", SampleStrokes()};
    // A signer pressing Cancel, or Accept with too few points.
    ToolRun cancelled = RunTool(sign, std::string(PENVANE_FAKE_HOST) + " --cancel yes");
    EXPECT_EQ(cancelled.exitCode, 1);
    EXPECT_NE(cancelled.err.find("the signer cancelled, or pressed Accept with fewer pen points than the pad's "
                                 "\"MinPoints\" setting asks"),
              std::string::npos) << cancelled.err;
    EXPECT_FALSE(Exists(out));

    ToolRun hung = RunCommand(std::string("PENVANE_HOST='") + PENVANE_FAKE_HOST + " --hang-on sign' PENVANE_HOST_TIMEOUT=1 " +
                              PENVANE_TOOL + " sign " + TestPdf("minimal.pdf") + " " + out + " --new-field 1:50,50,250,130 --strokes " +
                              SampleStrokes());
    EXPECT_EQ(hung.exitCode, 2);
    EXPECT_EQ(hung.err, "penvane: the host program did not answer within 1 s; it was stopped\n");
    EXPECT_FALSE(Exists(out));

    ToolRun missing = RunTool(sign, "");
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_NE(missing.err.find("PENVANE_HOST is not set: run the tool through scripts/penvane"), std::string::npos);
    ToolRun absent = RunTool(sign, "/nonexistent/penvane-host");
    EXPECT_EQ(absent.exitCode, 2);
    EXPECT_NE(absent.err.find("cannot start the host program /nonexistent/penvane-host"), std::string::npos) << absent.err;
}

}  // namespace
