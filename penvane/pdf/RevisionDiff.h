// What the revisions after a signed one changed, found by comparing the
// objects of the signed revision with the current ones. Only an update that
// adds signatures (a signature dictionary, its field and widget, the
// widget's appearance, and the entries of /Annots, /Fields and /SigFlags that
// list them) counts as "signatures only"; anything else is named.
#pragma once
#include <qpdf/QPDF.hh>

#include <string>
#include <vector>

namespace penvane {

struct RevisionChanges {
    bool signatures = false;    // signatures and their fields added
    bool formValues = false;    // field values or widget appearances changed
    bool annotations = false;   // annotations or fields added, removed or changed
    bool other = false;         // page content, resources, any other object
    bool structure = false;     // later bytes that are no proper incremental update
    std::vector<std::string> details;  // one line per finding, e.g. "object 7: page content (/Contents)"
    // What kinds of change the findings are, each once, in the order found:
    // "form value", "widget appearance", "form field", "annotation", "page
    // content", "resources", "optional content state", "file structure",
    // "other objects".
    std::vector<std::string> kinds;
    bool OnlySignatures() const { return !formValues && !annotations && !other && !structure; }
    std::string Summary() const;       // "signatures only", or the groups and kinds found
    void NoteKind(const std::string& kind);
    void NoteStructure(const std::string& problem);
    // Something `other` found outside the object comparison.
    void NoteOther(const std::string& kind, const std::string& detail);
};

RevisionChanges CompareRevisions(QPDF& before, QPDF& after);

}  // namespace penvane
