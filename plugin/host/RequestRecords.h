// Views of the request records the host hands to the signing, appearance and
// validation callbacks. The host lays the records out and owns them; a view
// reads only the fields the host fills in and writes only the fields the
// handler answers in, at their byte offsets, and never outlives the callback.
// Fields are copied byte-wise: the host promises no alignment.
#pragma once
#include "HostTypes.h"

class SigningParams {
public:
    explicit SigningParams(void* record) : m_record(static_cast<unsigned char*>(record)) {}
    void SetOutcomeCode(int32_t code);          // out, 0x28
    void ClearReservedOut();                    // out, 0x2C: always 0
    ASCab CertificateBag() const;               // in, 0x30
    ASCab PropertiesBag() const;                // in, 0x38
    void* DocumentParamsRecord() const;         // in, 0x50
private:
    unsigned char* m_record;
};

class DocumentParams {
public:
    explicit DocumentParams(const void* record) : m_record(static_cast<const unsigned char*>(record)) {}
    CosObj SignatureField() const;              // in, 0x18
    ASFixed AppearanceWidth() const;            // in, 0x28
    ASFixed AppearanceHeight() const;           // in, 0x2C
    ASCab TypeBag() const;                      // in, 0x30
private:
    const unsigned char* m_record;
};

class SignatureValueRequest {
public:
    explicit SignatureValueRequest(void* record) : m_record(static_cast<unsigned char*>(record)) {}
    const unsigned char* Digest() const;        // in, 0x10: 20 bytes, meaningful for request code 1
    uint16_t RequestCode() const;               // in, 0x20
    void SetValue(void* hostBlock);             // out, 0x28: host memory, the host owns it afterwards
    void SetValueSize(uint32_t size);           // out, 0x30
private:
    unsigned char* m_record;
};

class ValidationRequest {
public:
    explicit ValidationRequest(const void* record) : m_record(static_cast<const unsigned char*>(record)) {}
    const unsigned char* Digest() const;        // in, 0x10: 20 bytes
    const unsigned char* StoredValue() const;   // in, 0x18
    uint32_t StoredValueLength() const;         // in, 0x20
    ASCab ResultsBag() const;                   // in, 0x38
private:
    const unsigned char* m_record;
};

class AppearanceRequest {
public:
    explicit AppearanceRequest(const void* record) : m_record(static_cast<const unsigned char*>(record)) {}
    PDDoc Document() const;                     // in, 0x10
private:
    const unsigned char* m_record;
};

constexpr size_t kSignatureDigestLength = 20;
