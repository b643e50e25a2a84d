// penvane-host --soak PLUG-IN: the long run of one host process. Loads the
// plug-in once, then signs N times (the real capture dialog, a stroke file
// replayed onto its pad, Accept; then the appearance, the size and the
// value, as the tool asks for them) and validates M times (the values it
// made, every fifth with a digest one bit off, which must not be valid).
// Around the run it takes the process's figures that a leak makes grow:
// host memory, texts, callbacks, USER and GDI objects, live COM objects and
// kernel handles.
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace standin {

struct SoakOptions {
    int captures = 200;
    int validations = 1000;
    std::string strokes;   // the stroke file replayed at every capture
};

struct SoakFigure {
    std::string name;
    long long start = 0, end = 0;
};

struct SoakResult {
    bool ran = false;          // false: the plug-in did not start, or a request failed (see failure)
    std::string failure;
    int wrongVerdicts = 0;     // validations whose verdict was not the expected one
    std::vector<SoakFigure> figures;
    double seconds = 0;        // the measured run, after the warm-up
    std::string guiSource;     // where the USER and GDI counts come from (GuiObjects.h)
    std::vector<std::string> Grown() const;
};

SoakResult RunSoak(const std::wstring& pluginPath, const SoakOptions& options);

// Live COM objects as the run counts them: how many of the modules whose
// objects the plug-in makes (the capture control, the pad-capture control)
// answer that objects of theirs are still alive.
long long ModulesHoldingComObjects();
// The process's kernel handles.
long long KernelHandles();

// Prints one "name start=A end=B" line per figure, a "grew: name" line per
// figure that grew, and last "soak_growth=K". Answers the exit code: 0 when
// every verdict was right and nothing grew, 1 otherwise, 2 (after a "soak
// failed:" line instead of the figures) when the run could not go through.
int PrintSoak(const SoakOptions& options, const SoakResult& result, std::ostream& out);

}  // namespace standin
