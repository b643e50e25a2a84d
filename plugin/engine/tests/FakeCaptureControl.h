// A recording stand-in for the capture control under its class identifier,
// made available to one test with CoRegisterClassObject. It logs every call
// that reaches it, in order ("SetSigFieldName=Signature1", "AcquireSig()"),
// answers AcquireSig as the test says and hands back the test's strings.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

namespace fake_capture {

struct State {
    bool accept = true;
    std::string signature;
    std::string reason = "fake reason";
    std::string location = "fake location";
    std::string name = "fake name";
    std::string contactInfo = "fake contact";
    std::vector<std::string> calls;
};

State& Get();

// The fake replaces the registered control while it lives.
class Registration {
public:
    Registration();
    ~Registration();
    Registration(const Registration&) = delete;
    Registration& operator=(const Registration&) = delete;
    bool Registered() const { return m_cookie != 0; }

private:
    DWORD m_cookie = 0;
};

} // namespace fake_capture
