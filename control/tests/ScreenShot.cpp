#include "ScreenShot.h"

#include <windows.h>
#include <wincodec.h>

namespace {

template <class T> struct Releaser {
    T* p = nullptr;
    ~Releaser()
    {
        if (p) p->Release();
    }
};

bool SaveScreen(const std::wstring& path);

} // namespace

bool SaveScreenAsPng(const std::wstring& path)
{
    // Called from whichever thread plays the person: it needs COM of its own.
    const HRESULT init = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const bool ok = SaveScreen(path);
    if (SUCCEEDED(init)) CoUninitialize();
    if (!ok) DeleteFileW(path.c_str());
    return ok;
}

namespace {

bool SaveScreen(const std::wstring& path)
{
    RECT screen;
    GetClientRect(GetDesktopWindow(), &screen);
    const int w = screen.right, h = screen.bottom;
    HDC screenDc = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screenDc);
    HBITMAP bitmap = CreateCompatibleBitmap(screenDc, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BOOL copied = BitBlt(memory, 0, 0, w, h, screenDc, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screenDc);

    bool ok = false;
    Releaser<IWICImagingFactory> factory;
    Releaser<IWICBitmap> wicBitmap;
    Releaser<IWICStream> stream;
    Releaser<IWICBitmapEncoder> encoder;
    Releaser<IWICBitmapFrameEncode> frame;
    if (copied &&
        SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   reinterpret_cast<void**>(&factory.p))) &&
        SUCCEEDED(factory.p->CreateBitmapFromHBITMAP(bitmap, nullptr, WICBitmapIgnoreAlpha, &wicBitmap.p)) &&
        SUCCEEDED(factory.p->CreateStream(&stream.p)) &&
        SUCCEEDED(stream.p->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(factory.p->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder.p)) &&
        SUCCEEDED(encoder.p->Initialize(stream.p, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder.p->CreateNewFrame(&frame.p, nullptr)) && SUCCEEDED(frame.p->Initialize(nullptr)) &&
        SUCCEEDED(frame.p->WriteSource(wicBitmap.p, nullptr)) && SUCCEEDED(frame.p->Commit()) &&
        SUCCEEDED(encoder.p->Commit()))
        ok = true;
    DeleteObject(bitmap);
    return ok;
}

} // namespace
