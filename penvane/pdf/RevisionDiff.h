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
    std::vector<std::string> details;  // one line per finding, e.g. "object 7: page content (/Contents)"
    bool OnlySignatures() const { return !formValues && !annotations && !other; }
    std::string Summary() const;       // "signatures only", or the kinds found
};

RevisionChanges CompareRevisions(QPDF& before, QPDF& after);

}  // namespace penvane
