// Running the `penvane` command as a user does, with the handler played by
// penvane_fake_host, in a scratch folder of its own per test.
#pragma once
#include <string>
#include <vector>

struct ToolRun {
    int exitCode = -1;
    std::string out, err;
};

// Runs penvane with `args`; `host` is PENVANE_HOST (the fake host by default).
ToolRun RunTool(const std::vector<std::string>& args, const std::string& host = PENVANE_FAKE_HOST);
// Runs any command line through the shell; its output in .out and .err.
ToolRun RunCommand(const std::string& command);

std::string TestPdf(const std::string& name);   // a file of the test data
std::string SampleStrokes();
std::string ScratchDir();                       // a new empty folder
std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);

// Signs `in` into `out` with the sample strokes; extra arguments go after.
ToolRun SignWithSample(const std::string& in, const std::string& out, const std::vector<std::string>& extra = {});
