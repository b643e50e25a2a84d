// One revision of a document as a reader resolves it: its cross-reference
// table and everything reachable from its trailer, each object with the role
// of the first path that reaches it. A reference to an object the revision
// does not define is reached too (it reads as null): defining it later
// changes what the revision shows.
//
// Roles come from the path only (the trailer's /Root is the catalog, the
// catalog's /Pages the page tree, a page's /Contents page content, ...),
// never from what an object says it is, except that an annotation's own
// /Subtype names its appearance a widget's or not for the report.
#pragma once
#include <qpdf/QPDF.hh>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace penvane {

using XRef = std::map<QPDFObjGen, QPDFXRefEntry>;

enum class Role : uint8_t {
    FileStructure,  // the trailer, and what it names beyond the three below
    Catalog,
    Info,
    Encrypt,
    PageTree,       // page tree nodes and pages
    PageContent,
    Resources,
    Annotation,
    AnnotationAppearance,
    WidgetAppearance,
    Form,           // the interactive form dictionary
    Field,
    FormValue,
    OptionalContent,
    Actions,        // JavaScript, /OpenAction, /AA, /Names
};

// The kind of change to an object in this role, as the report names it.
const char* KindOf(Role role);
// What a change in that role is, for one line of the report.
const char* PhraseOf(Role role);
// The role of what the top-level `key` of an object in role `parent` names.
Role RoleOfKey(Role parent, const std::string& key, bool parentIsWidget);

inline uint64_t Id(QPDFObjGen og) {
    return (static_cast<uint64_t>(static_cast<uint32_t>(og.getObj())) << 32) | static_cast<uint32_t>(og.getGen());
}
inline QPDFObjGen FromId(uint64_t id) {
    return QPDFObjGen(static_cast<int>(id >> 32), static_cast<int>(id & 0xffffffffu));
}

bool SameEntry(const QPDFXRefEntry& a, const QPDFXRefEntry& b);

// The references an object's definition makes, by the top-level key that
// holds them (arrays: the empty key). Kept across revisions and dropped for
// the objects an update redefines, so each definition is read once.
class EdgeCache {
public:
    struct Edges {
        bool widget = false;  // the object is a dictionary with /Subtype /Widget
        std::vector<std::pair<uint64_t, uint16_t>> refs;  // target, key index
    };
    const Edges& Get(QPDFObjectHandle object, uint64_t id);
    void Forget(uint64_t id) { edges_.erase(id); }
    const std::string& KeyName(uint16_t index) const { return keys_[index]; }
    // The number of `page` in the whole document's page tree (`latest`),
    // listed once; 0 when it is not a page there.
    int PageNumber(QPDF& latest, QPDFObjGen page);

private:
    uint16_t KeyIndex(const std::string& key);
    std::unordered_map<uint64_t, Edges> edges_;
    std::vector<std::string> keys_;
    std::unordered_map<std::string, uint16_t> keyIndex_;
    std::unordered_map<uint64_t, int> pageNumbers_;
    bool pagesListed_ = false;
};

class RevisionGraph {
public:
    // `q` reads this revision; `latest` (the whole document, fully read) is
    // asked instead for the objects whose definition it shares, so an object
    // is parsed once whatever the number of revisions.
    RevisionGraph(QPDF& q, XRef xref, QPDF& latest, const XRef& latestXref);

    // Walks from the trailer; does not walk on from the objects in `stopAt`
    // (they are reached, with their role), and then marks what is reached
    // only through them as `owned`.
    void Walk(EdgeCache& cache, const std::set<uint64_t>& stopAt = {});

    QPDF& qpdf() { return q_; }
    QPDF& latest() { return latest_; }
    const XRef& xref() const { return xref_; }
    // The object as this revision defines it (null when it does not).
    QPDFObjectHandle Object(QPDFObjGen og);
    bool Defines(QPDFObjGen og) const;
    const QPDFXRefEntry* Entry(QPDFObjGen og) const;
    QPDFObjectHandle Trailer() { return q_.getTrailer(); }

    // Role of the first path that reaches `og`; false when none does.
    bool Reached(uint64_t id, Role* role = nullptr) const;
    bool Owned(uint64_t id) const { return owned_.count(id) > 0; }

private:
    QPDF& q_;
    XRef xref_;
    QPDF& latest_;
    const XRef& latestXref_;
    std::unordered_map<uint64_t, Role> reached_;
    std::set<uint64_t> owned_;
};

}  // namespace penvane
