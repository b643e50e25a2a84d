// The signature handler's working state: login, the last recorded error text,
// and the capture results that signing and the appearance fill in later.
// All host objects it holds (texts, memory blocks) are released when it is
// destroyed or when a newer one replaces them.
#pragma once
#include <string>

#include "../host/HostTypes.h"

class HandlerEngine {
public:
    explicit HandlerEngine(bool userInterface);
    ~HandlerEngine();
    HandlerEngine(const HandlerEngine&) = delete;
    HandlerEngine& operator=(const HandlerEngine&) = delete;

    // Engine-level properties: names the handler-level tables did not answer.
    bool QueryBool(const char* name, bool defaultValue) const;
    int32_t QueryInt(const char* name, int32_t defaultValue) const;
    // A text the caller owns (new, or an added reference to a stored one), or null.
    ASText QueryText(const char* name, int32_t index) const;

    // Throws EngineError when the operation needs a login that is missing.
    bool PrepareOperation(int32_t operation, bool permission);
    bool IsOperationAvailable(int32_t operation) const;
    bool LogIn(bool permission);

    // Keeps its own reference to `text` (the caller keeps its own) and gives
    // back the reference to the text stored before. Answers the stored text.
    ASText SetExceptionText(ASText text);

    // Capture results. Each takes ownership of a host memory block and
    // releases the one it held before.
    void AdoptCapturedSignature(char* block, int32_t length);
    void AdoptAppearanceData(char* block, int32_t length, const ASFixed box[4]);
    // Gives back the captured signature once it has been used; its length
    // stays, so that the value's size keeps its answer until the next capture.
    void ReleaseCapturedSignature();

    bool IsLoggedIn() const { return m_loggedIn != 0; }
    ASText ExceptionText() const { return m_exceptionText; }
    const char* CapturedSignature() const { return m_capturedSignature; }
    int32_t CapturedSignatureLength() const { return m_capturedSignatureLength; }
    const char* AppearanceData() const { return m_appearanceData; }
    int32_t AppearanceLength() const { return m_appearanceLength; }
    const ASFixed* AppearanceBox() const { return m_appearanceBox; }

    // The signer's entries, filled by the capture.
    std::string reason;
    std::string signerName;
    std::string location;
    std::string contactInfo;

private:
    ASText m_exceptionText = nullptr;
    uint64_t m_loggedIn = 0;
    bool m_userInterface;
    char* m_capturedSignature = nullptr;
    int32_t m_capturedSignatureLength = 0;
    char* m_appearanceData = nullptr;
    int32_t m_appearanceLength = 0;
    ASFixed m_appearanceBox[4] = {0, 0, 0, 0};
};
