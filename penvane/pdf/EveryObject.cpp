#include "EveryObject.h"

#include "PdfError.h"
#include "PdfLoad.h"

namespace penvane {

bool LooksLikeSignature(QPDFObjectHandle object) {
    return object.isDictionary() && (object.getKey("/Type").isNameAndEquals("/Sig") ||
                                     (object.hasKey("/ByteRange") && object.hasKey("/Contents")));
}

EveryObjectReading ReadEveryObject(const std::string& name, std::string_view bytes, const std::string& password) {
    std::unique_ptr<QPDF> q = LoadRevision(name, bytes, password);
    EveryObjectReading reading;
    // Every object is resolved by the test, stream or not.
    for (QPDFObjectHandle& object : q->getAllObjects())
        if (LooksLikeSignature(object)) reading.signatureLike.push_back(object.getObjGen());
    if (q->anyWarnings())
        throw PdfError(name + ": damaged; qpdf could read it only by repairing it (" +
                       q->getWarnings().front().getMessageDetail() + ")");
    reading.reader = std::move(q);
    return reading;
}

}  // namespace penvane
