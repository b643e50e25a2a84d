#include "SoakMode.h"

#include <windows.h>

#include <chrono>
#include <ostream>

#include "GuiObjects.h"
#include "HostApartment.h"
#include "HostSession.h"
#include "PluginHost.h"

namespace standin {
namespace {

using namespace penvane;

constexpr int kWrongDigestEvery = 5;   // every fifth validation gets a digest one bit off
constexpr Fixed kWidgetWidth = 180 << 16, kWidgetHeight = 54 << 16;

// The modules whose COM objects the plug-in makes: the capture control and
// the pad-capture control.
const wchar_t* const kComModules[] = {L"PenvanePdf.OCX", L"quillix.dll"};

// Lets what the last request posted (a control's deferred release, a
// window's last messages) run before anything is counted.
void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// `keptDrawing`: the size of the drawing the handler answered for its latest
// signing. The handler keeps that drawing in one host block until the next
// signing replaces it, and its size follows the points the pad took (a
// replayed capture now and then loses a stroke's tail to a real mouse move
// on the shared desktop), so the bytes are counted without it; the block
// itself is still counted.
std::vector<SoakFigure> TakeFigures(HostStandin& host, const GuiObjectCounter& gui, size_t keptDrawing)
{
    PumpMessages();
    return {
        {"host_memory_blocks", static_cast<long long>(host.memory().LiveBlocks())},
        {"host_memory_bytes", static_cast<long long>(host.memory().LiveBytes()) - static_cast<long long>(keptDrawing)},
        {"live_texts", static_cast<long long>(host.texts().LiveTexts())},
        {"live_callbacks", static_cast<long long>(host.callbacks().Live())},
        {"user_objects", gui.UserObjects()},
        {"gdi_objects", gui.GdiObjects()},
        {"com_modules_holding_objects", ModulesHoldingComObjects()},
        {"kernel_handles", KernelHandles()},
    };
}

// A digest of its own for every capture, as different documents have.
std::string DigestFor(int capture)
{
    std::string digest(kDigestLength, '\0');
    uint32_t x = 0x9E3779B9u * static_cast<uint32_t>(capture + 1);
    for (char& c : digest) {
        x ^= x << 13, x ^= x >> 17, x ^= x << 5;
        c = static_cast<char>(x & 0xFF);
    }
    return digest;
}

class SoakRun {
public:
    SoakRun(HostSession& session, const SoakOptions& options, SoakResult& result)
        : m_session(session), m_options(options), m_result(result) {}

    // One signing as the tool asks for it: properties (the dialog), the
    // appearance, the size, then the value for this document's digest.
    // Variants turn the page (0, 90, 180, 270 degrees) and, when odd, offer
    // reasons (none required), so the control's reason list is filled and
    // cleared again.
    bool Capture(int variant)
    {
        const int n = static_cast<int>(m_values.size());
        SignRequest r;
        r.fieldName = "Soak" + std::to_string(n);
        r.width = kWidgetWidth;
        r.height = kWidgetHeight;
        r.rotation = 90 * (variant % 4);
        r.strokes = m_options.strokes;
        if (variant % 2) {
            r.hasSeedValue = true;
            r.reasons = std::vector<std::string>{"I approve", "I have reviewed"};
        }
        SigningAnswer signing;
        if (!Ask(SignRequestLine(r), "sign", [&](const Message& m, std::string* e) {
                return ReadSigningAnswer(m, &signing, e);
            }))
            return false;
        if (signing.outcome == 0) return Fail("sign: no signature (the capture was not accepted)");
        AppearanceAnswer appearance;
        if (!Ask(SimpleRequestLine("appearance"), "appearance",
                 [&](const Message& m, std::string* e) { return ReadAppearanceAnswer(m, &appearance, e); }))
            return false;
        if (!appearance.present) return Fail("appearance: none");
        m_lastDrawing = appearance.drawing.size();
        uint32_t size = 0;
        if (!Ask(SimpleRequestLine("size"), "size",
                 [&](const Message& m, std::string* e) { return ReadSizeAnswer(m, &size, e); }))
            return false;
        const std::string digest = DigestFor(n);
        std::string value;
        if (!Ask(ValueRequestLine(digest), "value",
                 [&](const Message& m, std::string* e) { return ReadValueAnswer(m, &value, e); }))
            return false;
        if (value.empty() || value.size() > size) return Fail("value: empty or larger than the size answered");
        m_values.push_back({value, digest});
        return true;
    }

    size_t LastDrawing() const { return m_lastDrawing; }

    // Validates one of the values made so far, with its own digest or with
    // one bit of it changed; the verdict must follow.
    bool Validate()
    {
        if (m_values.empty()) return Fail("validate: no value made yet");
        const auto& [value, digest] = m_values[m_validations % m_values.size()];
        const bool wrong = m_validations % kWrongDigestEvery == kWrongDigestEvery - 1;
        std::string asked = digest;
        if (wrong) asked[m_validations % asked.size()] ^= 1;
        ++m_validations;
        ValidationAnswer a;
        if (!Ask(ValidateRequestLine(value, asked), "validate",
                 [&](const Message& m, std::string* e) { return ReadValidationAnswer(m, &a, e); }))
            return false;
        const bool valid = a.digest.has_value();
        if (valid == wrong) ++m_result.wrongVerdicts;
        return true;
    }

private:
    template <typename Reader>
    bool Ask(const std::string& request, const char* op, Reader read)
    {
        std::string line;
        try {
            line = m_session.Answer(ParseLine(request));
        } catch (const std::exception& e) {
            return Fail(std::string(op) + ": the host failed: " + e.what());
        }
        std::string error;
        if (!read(ParseLine(line), &error)) return Fail(std::string(op) + ": " + error + " in " + line.substr(0, 200));
        return true;
    }

    bool Fail(const std::string& why)
    {
        m_result.failure = why;
        return false;
    }

    HostSession& m_session;
    const SoakOptions& m_options;
    SoakResult& m_result;
    std::vector<std::pair<std::string, std::string>> m_values;   // value, digest
    size_t m_validations = 0;
    size_t m_lastDrawing = 0;
};

}  // namespace

// Live COM objects, as the modules themselves answer for them: a module's
// DllCanUnloadNow says S_FALSE while any of its objects (or a server lock)
// is alive. That is the one count every control module of this framework
// exports, and it is what COM itself asks before unloading one; the object
// counts behind it are inside the modules and not offered to a host. So the
// figure is the number of those modules still holding objects: 0 once
// everything made for a request has been released. A module not loaded holds
// none. (A module that answers S_OK has shut down; the next object it is
// asked for starts it again, as after COM's own unloading.)
long long ModulesHoldingComObjects()
{
    long long holding = 0;
    for (const wchar_t* name : kComModules) {
        HMODULE module = GetModuleHandleW(name);
        if (!module) continue;
        using CanUnloadFn = HRESULT(STDAPICALLTYPE*)();
        auto canUnload = reinterpret_cast<CanUnloadFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
        if (canUnload && canUnload() != S_OK) ++holding;
    }
    return holding;
}

// The process's kernel handles (threads, events, registry keys, files), which
// a settings read or a dialog that forgets to close one leaves behind. Wine
// answers 0 to GetProcessHandleCount, so there every handle value below the
// first 16384 is asked about in turn (handles are multiples of 4 from 4 up).
long long KernelHandles()
{
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) return count;
    long long live = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++live;
    }
    return live;
}

std::vector<std::string> SoakResult::Grown() const
{
    std::vector<std::string> grown;
    for (const SoakFigure& f : figures)
        if (f.end > f.start) grown.push_back(f.name);
    return grown;
}

SoakResult RunSoak(const std::wstring& pluginPath, const SoakOptions& options)
{
    SoakResult result;
    HostApartment apartment;
    HostStandin host;
    PluginHost loader(host);
    if (!loader.Start(pluginPath)) {
        result.failure = "the plug-in did not start: " + loader.Failure();
        return result;
    }
    RegisteredHandler* handler = loader.Handler();
    if (!handler) {
        result.failure = "the plug-in registered no signature handler";
        return result;
    }
    HostSession session(host, *handler);
    SoakRun run(session, options, result);
    const GuiObjectCounter gui;
    result.guiSource = gui.Source();

    // The warm-up: one capture and one validation before the start figures,
    // so that what a process does once (registering window classes, loading
    // the type libraries and the control modules, the system's lazily made
    // windows and objects) is not counted as growth. The counter has already
    // filled the caches Wine grows over tens of captures (GuiObjects.h).
    if (!run.Capture(0) || !run.Validate()) return result;
    const std::vector<SoakFigure> start = TakeFigures(host, gui, run.LastDrawing());

    // The validations are spread over the captures, as a user signs and
    // checks documents in turn.
    const auto began = std::chrono::steady_clock::now();
    long long validated = 0;
    for (int i = 0; i < options.captures; ++i) {
        if (!run.Capture(i + 1)) return result;
        const long long due = options.captures ? 1LL * options.validations * (i + 1) / options.captures : 0;
        for (; validated < due; ++validated)
            if (!run.Validate()) return result;
    }
    for (; validated < options.validations; ++validated)
        if (!run.Validate()) return result;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();

    const std::vector<SoakFigure> end = TakeFigures(host, gui, run.LastDrawing());
    for (size_t i = 0; i < start.size(); ++i)
        result.figures.push_back({start[i].name, start[i].start, end[i].start});
    result.ran = true;
    return result;
}

int PrintSoak(const SoakOptions& options, const SoakResult& result, std::ostream& out)
{
    if (!result.ran) {
        out << "soak failed: " << result.failure << "\n";
        return 2;
    }
    out << "captures=" << options.captures << " validations=" << options.validations
        << " wrong_verdicts=" << result.wrongVerdicts << " seconds=" << static_cast<long long>(result.seconds + 0.5)
        << "\n";
    out << "gui_objects_from=" << result.guiSource << "\n";
    for (const SoakFigure& f : result.figures) out << f.name << " start=" << f.start << " end=" << f.end << "\n";
    const std::vector<std::string> grown = result.Grown();
    for (const std::string& name : grown) out << "grew: " << name << "\n";
    out << "soak_growth=" << grown.size() << "\n";
    return grown.empty() && result.wrongVerdicts == 0 ? 0 : 1;
}

}  // namespace standin
