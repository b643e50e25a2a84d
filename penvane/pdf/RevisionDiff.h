// What one incremental update changed in the document a reader resolves,
// found by comparing the revision before it with the revision it makes:
// every object the update defines, frees or redefines is judged by the path
// that reaches it in either revision, and the trailer is compared too.
//
// Only what adding a signature needs is let through: a new signature field
// that is a widget annotation on a page, listed by /Fields and the page's
// /Annots, whose /V is a new signature dictionary whose /ByteRange covers
// exactly this revision, and whose /AP names new streams; or an existing
// empty signature field given such a /V and its widget such an /AP; and the
// /Annots, /Fields and /SigFlags entries that list them. Anything else is a
// change, named by the kind of what it touches.
#pragma once
#include "RevisionGraph.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace penvane {

// A signature that a later update added and that counts as one.
struct LaterSignature {
    std::string field;                 // UTF-8
    int page = 0;                      // 1-based; 0 on no page
    std::array<double, 4> rect{};      // where its widget draws, in the page's default user space
    int dictObject = 0;
    std::string filter, subFilter;
    std::string integrity;             // what could be checked of it
};

struct RevisionChanges {
    bool signatures = false;    // signatures and their fields added
    bool formValues = false;    // field values or widget appearances changed
    bool annotations = false;   // annotations or fields added, removed or changed
    bool other = false;         // page content, resources, catalog, any other object
    bool structure = false;     // later bytes that are no proper incremental update
    std::vector<std::string> details;  // one line per finding, e.g. "object 7: page content (/Contents)"
    // What kinds of change the findings are, each once, in the order found:
    // "form value", "widget appearance", "form field", "annotation", "page
    // content", "resources", "optional content state", "document actions",
    // "document information", "catalog", "encryption", "file structure";
    // and "rendered page" when the drawings of both versions were compared.
    std::vector<std::string> kinds;
    std::vector<LaterSignature> laterSignatures;
    bool OnlySignatures() const { return !formValues && !annotations && !other && !structure; }
    std::string Summary() const;       // "signatures only", or the groups and kinds found
    void NoteKind(const std::string& kind);
    // A finding of that kind (one of `kinds`), filed in its group.
    void Note(const std::string& kind, const std::string& detail);
    void NoteStructure(const std::string& problem);
    // Adds what a later update found.
    void Merge(const RevisionChanges& later);
};

struct UpdateFacts {
    long long xrefOffset = -1;          // where the update's own cross-reference section starts
    // Whether the signature dictionary `dict` (object `og`) counts as a
    // signature of this revision: empty when it does, else why not.
    // `integrity` receives what could be checked of it.
    std::function<std::string(QPDFObjGen og, QPDFObjectHandle dict, std::string* integrity)> checkSignature;
};

// `before` is walked already; `after` is walked here. `cache` holds the
// edges of definitions both share.
RevisionChanges CompareUpdate(RevisionGraph& before, RevisionGraph& after, EdgeCache& cache, const UpdateFacts& facts);

}  // namespace penvane
