// An append-only incremental update over a document qpdf has loaded: the
// original bytes stay as they are, and the update appends the new and
// changed objects, a cross-reference section of the original's kind (a
// classic table after a table, an uncompressed xref stream after a stream),
// and a trailer chained to the original by /Prev. qpdf has no incremental
// writer, so this one is written here, over qpdf's objects.
//
// Objects are serialised from qpdf's parsed form (never re-parsed text),
// encrypted as the original's are when the file is encrypted. No object goes
// into an object stream.
#pragma once
#include "PdfLoad.h"
#include "UpdateCrypt.h"

#include <qpdf/QPDFObjectHandle.hh>

#include <map>
#include <optional>
#include <string>

namespace penvane {

class IncrementalUpdate {
public:
    explicit IncrementalUpdate(LoadedPdf& pdf);

    // A fresh object number (from the trailer's /Size up) and a reference to it.
    QPDFObjGen Reserve();
    QPDFObjectHandle Reference(QPDFObjGen og);

    // An existing indirect object that changed (its current state in qpdf is
    // written), or the object holding a changed direct one.
    void Touch(QPDFObjectHandle indirect);
    // A new object: a direct dictionary or array, with stream data when it is
    // a stream (the dictionary's /Length is set here).
    void Put(QPDFObjGen og, QPDFObjectHandle direct, std::optional<std::string> streamData = std::nullopt);
    // A new object whose body is already serialised (the signature dictionary,
    // whose placeholder offsets the caller finds in the written text).
    void PutRaw(QPDFObjGen og, std::string body);

    // Serialises one object value the way this update writes it.
    std::string Serialize(QPDFObjectHandle value, QPDFObjGen owner) const;
    std::string EncryptedString(const std::string& bytes, QPDFObjGen owner) const;

    // The bytes to append after the original (starting with a line end when
    // the original lacks one). Offsets in the xref are counted from the start
    // of the original file.
    std::string Write();

    // Where the last Write put object `og`, counted from the start of the text it returned.
    size_t OffsetInUpdate(QPDFObjGen og) const { return written_.at(og); }

private:
    struct Entry {
        std::string body;  // everything between "N G obj\n" and "\nendobj"
    };
    std::string TrailerEntries() const;

    LoadedPdf& pdf_;
    UpdateCrypt crypt_;
    int nextNumber_;
    long long prevXref_;
    bool classicXref_;
    std::map<QPDFObjGen, QPDFObjectHandle> touched_;
    std::map<QPDFObjGen, Entry> entries_;
    std::map<QPDFObjGen, size_t> written_;
};

// The offset that the original's last "startxref" names.
long long LastStartXref(std::string_view bytes);

}  // namespace penvane
