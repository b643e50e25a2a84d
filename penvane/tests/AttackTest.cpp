// The attack files of attacks/ (made by attacks/make_attacks.py from a
// signed document): each must get the verdict attacks/expected.tsv gives it,
// with the words it names, and no sanitizer report.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>

#include "ToolRunner.h"

namespace {

struct Attack {
    std::string name, verdict, words;
    std::vector<std::string> options;  // for verify: a password
};

std::vector<Attack> Attacks() {
    std::vector<Attack> list;
    std::ifstream in(std::string(PENVANE_ATTACKS) + "/expected.tsv");
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        Attack a;
        std::getline(fields, a.name, '\t');
        std::getline(fields, a.verdict, '\t');
        std::getline(fields, a.words, '\t');
        std::string options;
        std::getline(fields, options);
        std::istringstream words(options);
        for (std::string w; words >> w;) a.options.push_back(w);
        list.push_back(a);
    }
    return list;
}

std::string Path(const Attack& a) { return std::string(PENVANE_ATTACKS) + "/" + a.name + ".pdf"; }

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// One verify run over every file without options (a damaged one is reported
// in its place), one run for each file with its own.
TEST(Attacks, EveryFileGetsItsVerdict) {
    std::vector<Attack> attacks = Attacks();
    ASSERT_FALSE(attacks.empty());
    auto run = [](std::vector<std::string> args) {
        ToolRun r = RunTool(args);
        EXPECT_EQ(r.err.find("runtime error"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
        return nlohmann::json::parse(r.out, nullptr, false)["files"];
    };
    std::vector<std::string> plain{"verify", "--json"};
    for (const Attack& a : attacks)
        if (a.options.empty()) plain.push_back(Path(a));
    nlohmann::json together = run(plain);
    ASSERT_EQ(together.size(), plain.size() - 2) << together.dump(1);

    size_t next = 0;
    for (const Attack& a : attacks) {
        nlohmann::json own;
        if (!a.options.empty()) {
            std::vector<std::string> args{"verify", "--json"};
            args.insert(args.end(), a.options.begin(), a.options.end());
            args.push_back(Path(a));
            own = run(args);
            ASSERT_EQ(own.size(), 1u) << a.name;
        }
        const nlohmann::json& f = a.options.empty() ? together[next++] : own[0];
        SCOPED_TRACE(a.name + " (" + a.verdict + "): " + f.dump(1));
        const int code = f.value("exitCode", -1);
        const nlohmann::json sigs = f.value("signatures", nlohmann::json::array());
        // The verdict is this handler's signature's (the one the files
        // attack), even where another handler's later one is listed first.
        nlohmann::json first = sigs.empty() ? nlohmann::json::object() : sigs[0];
        for (const auto& s : sigs)
            if (s.value("thisHandler", false)) {
                first = s;
                break;
            }
        const std::string verdict = first.value("verdict", "");
        if (a.verdict == "valid") {
            EXPECT_EQ(code, 0);
            // Plain, or followed by signatures only where others signed after.
            EXPECT_TRUE(verdict == "valid" || StartsWith(verdict, "valid; ")) << verdict;
        } else if (a.verdict == "invalid") {
            EXPECT_EQ(code, 1);
            EXPECT_TRUE(first.value("thisHandler", false));
            EXPECT_TRUE(StartsWith(verdict, "INVALID: "));
        } else if (a.verdict == "changed") {
            EXPECT_EQ(code, 1);
            EXPECT_TRUE(first.value("valid", false));
            EXPECT_TRUE(first.value("changedAfterSigning", false));
            EXPECT_TRUE(StartsWith(verdict, "valid for its revision, changed after signing: "));
        } else if (a.verdict == "not-valid") {
            EXPECT_TRUE(code == 1 || code == 2);
        } else if (a.verdict == "refused") {
            // Readers may resolve the file differently: an error, no verdict.
            EXPECT_EQ(code, 2);
            EXPECT_TRUE(f.contains("error"));
        } else if (a.verdict == "other-handler") {
            EXPECT_EQ(code, 1);
            EXPECT_TRUE(StartsWith(verdict, "not this handler's signature"));
        } else {
            ADD_FAILURE() << "unknown verdict in expected.tsv";
        }
        if (a.verdict != "valid")
            for (const auto& s : sigs) {
                EXPECT_NE(s.value("verdict", ""), "valid");
                // The handler's "is Valid" wording never stands beside a
                // verdict that is not valid.
                if (!s.value("valid", false) && s.contains("handler"))
                    EXPECT_TRUE(s["handler"]["texts"].empty());
            }
        EXPECT_NE(f.dump().find(a.words), std::string::npos) << "missing: " << a.words;
    }
}

// The kept files are what the script makes from the kept signed document.
TEST(Attacks, TheScriptRemakesTheKeptFiles) {
    const std::string dir = ScratchDir();
    const std::string script = std::string(PENVANE_ATTACKS) + "/make_attacks.py";
    ToolRun r = RunCommand("python3 " + script + " attacks " + PENVANE_ATTACKS "/signed.pdf " + dir);
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const Attack& a : Attacks())
        EXPECT_TRUE(ReadBytes(dir + "/" + a.name + ".pdf") == ReadBytes(Path(a))) << a.name;
    EXPECT_EQ(ReadBytes(dir + "/expected.tsv"), ReadBytes(std::string(PENVANE_ATTACKS) + "/expected.tsv"));
}

}  // namespace
