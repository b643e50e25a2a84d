// Prints the handler's figures, and nothing else, on stdout:
//   validate_us           median µs of ValidateSignature on a value made from
//                         the bundled sample (a fresh pad-capture control each time)
//   check_us              the same check on one pad-capture control kept for
//                         every run (what validation costs beyond the control)
//   window_us             median µs to create and destroy a bare hidden child
//                         window of the desktop: the platform's floor for a
//                         fresh control window
//   sign_value_us         median µs of the value request with the digest
//   value_bytes_per_point bytes of the value per pen point of the sample
// Usage: handler_bench STROKE_FILE   (under Wine, the pad stand-in registered)
#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "CQuillix.h"
#include "HandlerEngine.h"
#include "HostCalls.h"
#include "HostStandin.h"
#include "HostStrings.h"
#include "HostTables.h"
#include "PadReplay.h"
#include "SignatureValidation.h"
#include "SignatureValue.h"
#include "StepPad.h"

namespace {

constexpr int kRuns = 301;
constexpr int kSignRuns = 101;

template <class F>
double Micros(F&& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::micro>(t1 - t0).count();
}

double Median(std::vector<double> us)
{
    std::sort(us.begin(), us.end());
    return us[us.size() / 2];
}

// Binds every table of the host stand-in as the plug-in's handshake would.
void BindHost(standin::HostStandin& host)
{
    gExtensionID = host.NewExtension("ADBE:PenvanePlus");
    gCoreHFT = host.CoreTable();
    gAcroSupportHFT = ASExtensionMgrGetHFT(ASAtomFromString("AcroSupport"), 1);
    size_t count = 0;
    const HostTableSlot* slots = HostTableSlots(&count);
    for (size_t i = 0; i < count; ++i) {
        *slots[i].table = ASExtensionMgrGetHFT(ASAtomFromString(slots[i].name), 1);
        *slots[i].version = HFTGetVersion(*slots[i].table);
    }
}

void PumpFor(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    MSG msg;
    do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(1);
    } while (GetTickCount() < end);
}

// The sample written on a pad the size of the capture dialog's: its signature
// kept under the initial key, as a capture keeps it, and its point count.
bool CaptureSample(const char* strokeFile, std::string* kept, int* points)
{
    CQuillix pad;
    if (!CreateStepPad(pad))
        return false;
    pad.MoveWindow(0, 0, 500, 200, FALSE);
    pad.SetCaptureState(1);
    if (!quillix::replay::PostStrokeFile(pad.GetSafeHwnd(), strokeFile))
        return false;
    PumpFor(200);
    pad.SetCaptureState(0);
    *points = pad.GetPointCount();
    pad.SetEncryptionMode(4);
    pad.SetKeyString(kInitialKey);
    pad.SetCompressionMode(1);
    *kept = pad.GetSignatureString();
    return *points > 0 && !kept->empty();
}

template <typename T>
void Put(unsigned char* record, size_t offset, const T& value)
{
    std::memcpy(record + offset, &value, sizeof value);
}

template <typename T>
T Get(const unsigned char* record, size_t offset)
{
    T value;
    std::memcpy(&value, record + offset, sizeof value);
    return value;
}

int Run(const char* strokeFile)
{
    standin::HostStandin host;
    BindHost(host);
    HandlerEngine engine(true);
    // The host's own window: a host's UI thread always has one, and with it
    // the thread's lazily made helper windows, which every measure below
    // would otherwise pay for again.
    HWND hostWindow =
        CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);

    std::string kept;
    int points = 0;
    if (!CaptureSample(strokeFile, &kept, &points)) {
        std::fprintf(stderr, "bench: no signature from %s (is the pad stand-in registered?)\n", strokeFile);
        return 1;
    }

    unsigned char digest[20];
    for (int i = 0; i < 20; ++i)
        digest[i] = static_cast<unsigned char>(0x5A ^ (i * 29));
    const unsigned char* digestAddress = digest;

    // The value request with the digest; each run is given the kept signature
    // again (untimed), as a new capture would.
    unsigned char valueRequest[0x40] = {};
    Put(valueRequest, 0x10, digestAddress);
    Put<uint16_t>(valueRequest, 0x20, 1);
    std::vector<unsigned char> value;
    std::vector<double> signUs;
    bool allGood = true;
    for (int i = 0; i < kSignRuns; ++i) {
        engine.AdoptCapturedSignature(HostStringCopy(kept), static_cast<int32_t>(kept.size()));
        signUs.push_back(Micros([&] { allGood = ProduceSignatureValue(engine, SignatureValueRequest(valueRequest)) && allGood; }));
        auto* block = Get<unsigned char*>(valueRequest, 0x28);
        value.assign(block, block + Get<uint32_t>(valueRequest, 0x30));
        ASfree(block);
    }

    ASCab results = host.bags().Create();
    unsigned char validation[0x40] = {};
    Put(validation, 0x10, digestAddress);
    Put(validation, 0x18, static_cast<const unsigned char*>(value.data()));
    Put<uint32_t>(validation, 0x20, static_cast<uint32_t>(value.size()));
    Put(validation, 0x38, results);
    const ValidationRequest request(validation);

    // Validation, the bare window and the check on a kept control take turns
    // within one loop, so that a busy machine weighs on all three alike.
    std::vector<double> validateUs, checkUs, windowUs;
    {
        CQuillix keptPad;
        if (!CreateStepPad(keptPad))
            return 1;
        for (int i = 0; i < kRuns; ++i) {
            ASCabSetInt(results, "digest", 0);
            validateUs.push_back(Micros([&] { ValidateSignature(engine, request); }));
            allGood = allGood && ASCabIntOf(results, "digest", 0) == 7;
            windowUs.push_back(Micros([] {
                HWND window = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD, 0, 0, 1, 1, GetDesktopWindow(),
                                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStepPadId)), nullptr,
                                              nullptr);
                DestroyWindow(window);
            }));
            checkUs.push_back(Micros([&] { allGood = PayloadOpensWithDigest(keptPad, request) && allGood; }));
        }
    }
    host.bags().Destroy(results);
    DestroyWindow(hostWindow);
    if (!allGood) {
        std::fprintf(stderr, "bench: a value request or a validation failed\n");
        return 1;
    }

    std::printf("validate_us=%.1f\n", Median(validateUs));
    std::printf("check_us=%.1f\n", Median(checkUs));
    std::printf("window_us=%.1f\n", Median(windowUs));
    std::printf("sign_value_us=%.1f\n", Median(signUs));
    std::printf("value_bytes_per_point=%.3f\n", static_cast<double>(value.size()) / points);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: handler_bench STROKE_FILE\n");
        return 2;
    }
    if (FAILED(OleInitialize(nullptr)))
        return 1;
    AfxEnableControlContainer();
    int code = 1;
    try {
        code = Run(argv[1]);
    } catch (...) {
        std::fprintf(stderr, "bench: a call to the pad-capture control failed\n");
    }
    ClearHostBindings();
    OleUninitialize();
    return code;
}
