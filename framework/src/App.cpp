#include "FwApp.h"

#include <string>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {
CWinApp* g_app = nullptr;
enum class StartState { NotStarted, Started, Failed };
StartState g_started = StartState::NotStarted;
bool g_containment = false;
LONG g_objects = 0;
fw::MessageBoxHook g_messageBoxHook = nullptr;
} // namespace

CWinApp::CWinApp(const char* appName) : m_hInstance(AfxGetInstanceHandle()), m_pszAppName(appName)
{
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this) g_app = nullptr;
}

CWinApp* AfxGetApp()
{
    return g_app;
}

HINSTANCE AfxGetInstanceHandle()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

HINSTANCE AfxGetResourceHandle()
{
    return AfxGetInstanceHandle();
}

BOOL AfxModuleStartup()
{
    if (g_started == StartState::NotStarted) {
        BOOL ok = TRUE;
        if (g_app) {
            try {
                ok = g_app->InitInstance();
            } catch (...) {
                ok = FALSE;
            }
        }
        g_started = ok ? StartState::Started : StartState::Failed;
    }
    return g_started == StartState::Started;
}

void AfxModuleShutdown()
{
    if (g_started == StartState::Started && g_app) {
        try {
            g_app->ExitInstance();
        } catch (...) {
        }
    }
    g_started = StartState::NotStarted;
}

void AfxEnableControlContainer()
{
    g_containment = true;
}

namespace fw {
bool ControlContainmentEnabled()
{
    return g_containment;
}
void SetMessageBoxHook(MessageBoxHook hook)
{
    g_messageBoxHook = hook;
}
} // namespace fw

void AfxOleLockApp()
{
    InterlockedIncrement(&g_objects);
}

void AfxOleUnlockApp()
{
    InterlockedDecrement(&g_objects);
}

LONG AfxOleGetObjectCount()
{
    return g_objects;
}

int AfxMessageBox(const char* text, UINT type)
{
    if (g_messageBoxHook) return g_messageBoxHook(text, type);
    std::string caption;
    if (g_app && g_app->m_pszAppName) {
        caption = g_app->m_pszAppName;
    } else {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(AfxGetInstanceHandle(), path, MAX_PATH);
        caption = path;
        size_t slash = caption.find_last_of("\\/");
        if (slash != std::string::npos) caption.erase(0, slash + 1);
        size_t dot = caption.find_last_of('.');
        if (dot != std::string::npos) caption.erase(dot);
    }
    return MessageBoxA(nullptr, text ? text : "", caption.c_str(), type);
}
