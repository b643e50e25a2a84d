// The validity texts the host shows for a signature of this handler.
#include "HostCalls.h"
#include "SignatureValidation.h"

ASText ValidityText(int32_t messageId)
{
    switch (messageId) {
    case 8:
        return ASTextFromCString("The PenvanePlus Signature is Valid.");
    case 9:
    case 10:
        return ASTextFromCString("PenvanePlus Signature");
    default:
        return nullptr;
    }
}
