// capture_demo: the capture control as a client uses it. Creates the
// registered control by its class identifier as a hidden child of the
// desktop window, hands it a field name and two reasons, and calls
// AcquireSig; meanwhile a second thread plays the signer: it replays a
// stroke file onto the dialog's pad and presses Accept. Then prints what the
// control answers.
//
//   capture_demo STROKE_FILE
//
// Exit code 0 when the capture was accepted and its results read.
#include <cstdio>
#include <string>
#include <thread>

#include "Framework.h"
#include "PadReplay.h"
#include "PenvanePdfIds.h"

namespace {

namespace id = penvanepdf::dispid;

// The signer: waits for the dialog, writes the strokes, presses Accept.
void Signer(const std::string& strokeFile, bool* replayed)
{
    HWND dialog = nullptr, pad = nullptr;
    for (int i = 0; i < 1000 && !pad; ++i) {
        dialog = FindWindowA(nullptr, "Signature Capture");
        if (dialog && IsWindowVisible(dialog)) pad = GetDlgItem(dialog, 203);
        if (!pad) Sleep(10);
    }
    if (!pad) return;
    *replayed = quillix::replay::PostStrokeFile(pad, strokeFile);
    // Let the dialog's thread take every posted stroke before the click.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored);
    Sleep(300);
    PostMessageW(GetDlgItem(dialog, 202), BM_CLICK, 0, 0);
    for (int i = 0; i < 500 && IsWindow(dialog); ++i) Sleep(10);
    if (IsWindow(dialog)) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
}

std::string Text(CWnd& control, DISPID dispid)
{
    std::string text;
    control.InvokeHelper(dispid, DISPATCH_METHOD, VT_BSTR, &text, (const BYTE*)VTS_NONE);
    return text;
}

int Run(const std::string& strokeFile)
{
    AfxEnableControlContainer();
    CWnd control;
    if (!control.CreateControl(penvanepdf::kControlClsid, nullptr, 0, CRect(0, 0, 1, 1), CWnd::GetDesktopWindow(), 2001)) {
        std::printf("capture control %s: cannot be created (is PenvanePdf.OCX registered?)\n",
                    penvanepdf::kControlClsidText);
        return 1;
    }
    control.InvokeHelper(id::SetSigFieldName, DISPATCH_METHOD, VT_EMPTY, nullptr, (const BYTE*)VTS_BSTR, "Signature1");
    control.InvokeHelper(id::SetNumberOfReasons, DISPATCH_METHOD, VT_EMPTY, nullptr, (const BYTE*)VTS_UI2, 2);
    control.InvokeHelper(id::SetReasonString, DISPATCH_METHOD, VT_EMPTY, nullptr, (const BYTE*)(VTS_UI2 VTS_BSTR), 0,
                         "I approve this document");
    control.InvokeHelper(id::SetReasonString, DISPATCH_METHOD, VT_EMPTY, nullptr, (const BYTE*)(VTS_UI2 VTS_BSTR), 1,
                         "I am the author of this document");
    control.InvokeHelper(id::SetReasonRequired, DISPATCH_METHOD, VT_EMPTY, nullptr, (const BYTE*)VTS_UI2, 1);

    bool replayed = false;
    std::thread signer(Signer, strokeFile, &replayed);
    BOOL accepted = FALSE;
    control.InvokeHelper(id::AcquireSig, DISPATCH_METHOD, VT_BOOL, &accepted, (const BYTE*)VTS_NONE);
    signer.join();
    std::printf("strokes replayed onto pad 203: %s\n", replayed ? "yes" : "NO");
    std::printf("AcquireSig: %s\n", accepted ? "true (accepted)" : "false");

    const std::string sig = Text(control, id::GetSigString);
    std::printf("GetSigString: %zu characters: %.60s%s\n", sig.size(), sig.c_str(), sig.size() > 60 ? "..." : "");
    std::printf("GetReason: \"%s\"\n", Text(control, id::GetReason).c_str());
    std::printf("GetName: \"%s\"\n", Text(control, id::GetName).c_str());
    std::printf("GetLocation: \"%s\"\n", Text(control, id::GetLocation).c_str());
    std::printf("GetContactInfo: \"%s\"\n", Text(control, id::GetContactInfo).c_str());
    std::printf("GetPathName: \"%s\"\n", Text(control, id::GetPathName).c_str());
    std::printf("GetSigTag: \"%s\"\n", Text(control, id::GetSigTag).c_str());
    BSTR drawing = nullptr;
    control.InvokeHelper(id::GetPdfSig, DISPATCH_METHOD, VT_EMPTY, nullptr, (const BYTE*)(VTS_PBSTR VTS_I4 VTS_I4),
                         &drawing, 200L, 60L);
    const UINT bytes = drawing ? SysStringByteLen(drawing) : 0;
    std::printf("GetPdfSig(200 x 60): %u bytes of drawing data: %.50s%s\n", bytes,
                drawing ? reinterpret_cast<const char*>(drawing) : "", bytes > 50 ? "..." : "");
    SysFreeString(drawing);
    control.DestroyWindow();
    return accepted && replayed && !sig.empty() && bytes > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: capture_demo STROKE_FILE\n");
        return 2;
    }
    if (FAILED(OleInitialize(nullptr))) return 1;
    int code = 1;
    try {
        code = Run(argv[1]);
    } catch (...) {
        std::printf("a call to the capture control failed\n");
    }
    OleUninitialize();
    return code;
}
