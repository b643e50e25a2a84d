#include "RequestRecords.h"

#include "RecordFields.h"

void SigningParams::SetOutcomeCode(int32_t code) { WriteAt<int32_t>(m_record, 0x28, code); }
void SigningParams::ClearReservedOut() { WriteAt<int32_t>(m_record, 0x2C, 0); }
ASCab SigningParams::CertificateBag() const { return ReadAt<ASCab>(m_record, 0x30); }
ASCab SigningParams::PropertiesBag() const { return ReadAt<ASCab>(m_record, 0x38); }
void* SigningParams::DocumentParamsRecord() const { return ReadAt<void*>(m_record, 0x50); }

CosObj DocumentParams::SignatureField() const { return ReadAt<CosObj>(m_record, 0x18); }
ASFixed DocumentParams::AppearanceWidth() const { return ReadAt<ASFixed>(m_record, 0x28); }
ASFixed DocumentParams::AppearanceHeight() const { return ReadAt<ASFixed>(m_record, 0x2C); }
ASCab DocumentParams::TypeBag() const { return ReadAt<ASCab>(m_record, 0x30); }

const unsigned char* SignatureValueRequest::Digest() const
{
    return ReadAt<const unsigned char*>(m_record, 0x10);
}
uint16_t SignatureValueRequest::RequestCode() const { return ReadAt<uint16_t>(m_record, 0x20); }
void SignatureValueRequest::SetValue(void* hostBlock) { WriteAt<void*>(m_record, 0x28, hostBlock); }
void SignatureValueRequest::SetValueSize(uint32_t size) { WriteAt<uint32_t>(m_record, 0x30, size); }

const unsigned char* ValidationRequest::Digest() const { return ReadAt<const unsigned char*>(m_record, 0x10); }
const unsigned char* ValidationRequest::StoredValue() const
{
    return ReadAt<const unsigned char*>(m_record, 0x18);
}
uint32_t ValidationRequest::StoredValueLength() const { return ReadAt<uint32_t>(m_record, 0x20); }
ASCab ValidationRequest::ResultsBag() const { return ReadAt<ASCab>(m_record, 0x38); }

PDDoc AppearanceRequest::Document() const { return ReadAt<PDDoc>(m_record, 0x10); }
