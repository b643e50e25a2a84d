// Support for the signing tests: the host stand-in bound through the plug-in's
// table binding, the pad stand-in and PenvanePdf.OCX registered, a fixture
// that fails a test leaving host memory, texts, callbacks, modal state,
// windows or COM objects behind, and the signer at the capture dialog.
#pragma once

#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "BoundHost.h"
#include "HandlerEngine.h"
#include "HostRecord.h"
#include "QuillixTestSupport.h"

// OLE and containment; the pad stand-in and the capture control module
// registered (registering them when they are not).
class SigningEnvironment : public quillix::testing::Environment {
public:
    void SetUp() override;
};

using standin::HostRecord;

// One signing request: the SigningParams record, its DocumentParams record
// and the three bags they name.
struct SigningRequest {
    HostRecord signing{0x58};
    HostRecord document{0x40};
    ASCab typeBag, certificateBag, propertiesBag;
    int32_t Outcome() const { return signing.Get<int32_t>(0x28); }
};

// The 20-byte digest of a document; `seed` tells documents apart.
std::vector<unsigned char> Digest(unsigned char seed);

// A bound host with an engine, no settings file, and the balance checks.
class SigningTest : public BoundHost {
protected:
    void SetUp() override;
    void TearDown() override;

    // A bag the fixture destroys before it checks the balance.
    ASCab NewBag();
    // A signing request for `field` with an appearance of w x h points.
    std::unique_ptr<SigningRequest> NewSigning(CosObj field, int w = 200, int h = 60);
    // The value request with code 1 for `digest`: the value's bytes (the host
    // block is given back), the size answered and the operation's answer.
    struct Value {
        bool done;
        uint32_t size;
        std::vector<unsigned char> bytes;
    };
    Value RequestValue(const std::vector<unsigned char>& digest);
    // The integer entries ValidateSignature left in a fresh results bag that
    // held "digest" = -100 ("digest", "trustFlags", "id"; -100 when untouched).
    std::vector<int32_t> Validate(const std::vector<unsigned char>& value, const std::vector<unsigned char>& digest);

    std::unique_ptr<HandlerEngine> engine;

private:
    std::vector<ASCab> m_bags;
    std::set<HWND> m_windowsBefore;
};

// PenvanePdf.ini in the Windows directory (programs that write it LOCK
// settings_file).
void WriteSettings(const std::string& text);
void RemoveSettings();

// The bundled sample signature as the pad's plain signature string (mode 0),
// made once per program by replaying the stroke file onto a pad the size of
// the dialog's.
const std::string& SampleSignatureString();

// The person at the capture dialog, on a thread of their own: waits for the
// dialog, writes the bundled sample on its pad, fills in location and contact,
// then presses Accept (or Cancel).
class DialogSigner {
public:
    DialogSigner(std::string location, std::string contact, bool accept = true);
    ~DialogSigner();   // joins
    bool Replayed() const { return m_replayed; }
    bool DialogSeen() const { return m_dialogSeen; }

private:
    void Run();
    std::string m_location, m_contact;
    bool m_accept;
    bool m_replayed = false;
    bool m_dialogSeen = false;
    std::thread m_thread;
};
