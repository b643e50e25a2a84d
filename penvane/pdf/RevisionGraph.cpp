#include "RevisionGraph.h"

#include <deque>

#include "PageTree.h"

namespace penvane {

const char* KindOf(Role role) {
    switch (role) {
    case Role::FileStructure: return "file structure";
    case Role::Catalog: return "catalog";
    case Role::Info: return "document information";
    case Role::Encrypt: return "encryption";
    case Role::PageTree: return "page content";
    case Role::PageContent: return "page content";
    case Role::Resources: return "resources";
    case Role::Annotation: return "annotation";
    case Role::AnnotationAppearance: return "annotation";
    case Role::WidgetAppearance: return "widget appearance";
    case Role::Form: return "form field";
    case Role::Field: return "form field";
    case Role::FormValue: return "form value";
    case Role::OptionalContent: return "optional content state";
    case Role::Actions: return "document actions";
    }
    return "file structure";
}

const char* PhraseOf(Role role) {
    switch (role) {
    case Role::FileStructure: return "file structure";
    case Role::Catalog: return "document catalog";
    case Role::Info: return "document information";
    case Role::Encrypt: return "encryption";
    case Role::PageTree: return "page";
    case Role::PageContent: return "page content";
    case Role::Resources: return "resources";
    case Role::Annotation: return "annotation";
    case Role::AnnotationAppearance: return "appearance of an annotation";
    case Role::WidgetAppearance: return "appearance of a widget";
    case Role::Form: return "form";
    case Role::Field: return "form field";
    case Role::FormValue: return "form value";
    case Role::OptionalContent: return "optional content state";
    case Role::Actions: return "document actions";
    }
    return "file structure";
}

Role RoleOfKey(Role parent, const std::string& key, bool parentIsWidget) {
    auto actions = [&] { return key == "/A" || key == "/AA" || key == "/JS" || key == "/JavaScript"; };
    switch (parent) {
    case Role::FileStructure:
        if (key == "/Root") return Role::Catalog;
        if (key == "/Info") return Role::Info;
        if (key == "/Encrypt") return Role::Encrypt;
        return Role::FileStructure;
    case Role::Catalog:
        if (key == "/Pages") return Role::PageTree;
        if (key == "/AcroForm") return Role::Form;
        if (key == "/OCProperties") return Role::OptionalContent;
        if (key == "/OpenAction" || key == "/AA" || key == "/Names") return Role::Actions;
        return Role::Catalog;
    case Role::PageTree:
        if (key == "/Kids" || key == "/Parent") return Role::PageTree;
        if (key == "/Resources") return Role::Resources;
        if (key == "/Annots") return Role::Annotation;
        if (actions()) return Role::Actions;
        return Role::PageContent;
    case Role::Annotation:
        if (key == "/AP" || key == "/AS") return parentIsWidget ? Role::WidgetAppearance : Role::AnnotationAppearance;
        if (key == "/V" || key == "/DV") return Role::FormValue;
        if (key == "/P") return Role::PageTree;
        if (key == "/Parent" || key == "/Kids") return Role::Field;
        if (actions()) return Role::Actions;
        return Role::Annotation;
    case Role::Form:
        if (key == "/Fields") return Role::Field;
        if (key == "/DR") return Role::Resources;
        return Role::Form;
    case Role::Field:
        if (key == "/AP" || key == "/AS") return Role::WidgetAppearance;
        if (key == "/V" || key == "/DV") return Role::FormValue;
        if (key == "/P") return Role::PageTree;
        if (actions()) return Role::Actions;
        return Role::Field;
    default:
        return parent;
    }
}

bool SameEntry(const QPDFXRefEntry& a, const QPDFXRefEntry& b) {
    if (a.getType() != b.getType()) return false;
    if (a.getType() == 1) return a.getOffset() == b.getOffset();
    if (a.getType() == 2) return a.getObjStreamNumber() == b.getObjStreamNumber() && a.getObjStreamIndex() == b.getObjStreamIndex();
    return true;
}

uint16_t EdgeCache::KeyIndex(const std::string& key) {
    auto it = keyIndex_.find(key);
    if (it != keyIndex_.end()) return it->second;
    // Names beyond what any document uses share one slot: only the names
    // that give roles matter, and those come first.
    if (keys_.size() >= 60000) return 0;
    keys_.push_back(key);
    return keyIndex_[key] = static_cast<uint16_t>(keys_.size() - 1);
}

const EdgeCache::Edges& EdgeCache::Get(QPDFObjectHandle object, uint64_t id) {
    auto found = edges_.find(id);
    if (found != edges_.end()) return found->second;
    if (keys_.empty()) KeyIndex("");
    Edges e;
    QPDFObjectHandle top = object.isStream() ? object.getDict() : object;
    // Every reference inside the object's direct structure, by the top-level
    // key that holds it.
    std::vector<std::pair<QPDFObjectHandle, uint16_t>> stack;
    if (top.isDictionary()) {
        e.widget = top.getKey("/Subtype").isNameAndEquals("/Widget");
        for (auto& [key, value] : top.getDictAsMap()) stack.emplace_back(value, KeyIndex(key));
    } else if (top.isArray()) {
        for (auto& item : top.getArrayAsVector()) stack.emplace_back(item, 0);
    }
    while (!stack.empty()) {
        auto [value, key] = stack.back();
        stack.pop_back();
        if (value.isIndirect()) {
            e.refs.emplace_back(Id(value.getObjGen()), key);
        } else if (value.isDictionary()) {
            for (auto& [k, v] : value.getDictAsMap()) stack.emplace_back(v, key);
        } else if (value.isArray()) {
            for (auto& item : value.getArrayAsVector()) stack.emplace_back(item, key);
        }
    }
    return edges_[id] = std::move(e);
}

int EdgeCache::PageNumber(QPDF& latest, QPDFObjGen page) {
    if (!pagesListed_) {
        pagesListed_ = true;
        std::vector<QPDFObjectHandle> pages = ListPages(latest.getRoot().getKey("/Pages")).pages;
        for (size_t n = 0; n < pages.size(); ++n)
            if (pages[n].isIndirect()) pageNumbers_.emplace(Id(pages[n].getObjGen()), static_cast<int>(n) + 1);
    }
    auto it = pageNumbers_.find(Id(page));
    return it == pageNumbers_.end() ? 0 : it->second;
}

RevisionGraph::RevisionGraph(QPDF& q, XRef xref, QPDF& latest, const XRef& latestXref)
    : q_(q), xref_(std::move(xref)), latest_(latest), latestXref_(latestXref) {}

const QPDFXRefEntry* RevisionGraph::Entry(QPDFObjGen og) const {
    auto it = xref_.find(og);
    return it == xref_.end() || it->second.getType() == 0 ? nullptr : &it->second;
}

bool RevisionGraph::Defines(QPDFObjGen og) const { return Entry(og) != nullptr; }

QPDFObjectHandle RevisionGraph::Object(QPDFObjGen og) {
    const QPDFXRefEntry* e = Entry(og);
    if (!e) return QPDFObjectHandle::newNull();
    if (&q_ != &latest_) {
        // The whole document defines it the same way (for an object in an
        // object stream: in the same stream, itself defined the same way).
        auto l = latestXref_.find(og);
        bool same = l != latestXref_.end() && SameEntry(l->second, *e);
        if (same && e->getType() == 2) {
            QPDFObjGen container(e->getObjStreamNumber(), 0);
            auto a = xref_.find(container);
            auto b = latestXref_.find(container);
            same = a != xref_.end() && b != latestXref_.end() && SameEntry(a->second, b->second);
        }
        if (same) return latest_.getObject(og);
    }
    return q_.getObject(og);
}

bool RevisionGraph::Reached(uint64_t id, Role* role) const {
    auto it = reached_.find(id);
    if (it == reached_.end()) return false;
    if (role) *role = it->second;
    return true;
}

namespace {

// When paths of several roles reach one object, the one that says most about
// what it does for the page wins: a page reached through a link's
// destination is still a page.
int Rank(Role role) {
    switch (role) {
    case Role::Catalog: return 0;
    case Role::Info: return 1;
    case Role::Encrypt: return 2;
    case Role::PageTree: return 3;
    case Role::PageContent: return 4;
    case Role::OptionalContent: return 5;
    case Role::Resources: return 6;
    case Role::Annotation: return 7;
    case Role::Field: return 8;
    case Role::WidgetAppearance: return 9;
    case Role::AnnotationAppearance: return 10;
    case Role::FormValue: return 11;
    case Role::Form: return 12;
    case Role::Actions: return 13;
    case Role::FileStructure: return 14;
    }
    return 14;
}

}  // namespace

void RevisionGraph::Walk(EdgeCache& cache, const std::set<uint64_t>& stopAt) {
    reached_.clear();
    owned_.clear();
    // A queue per rank: an object is walked on from its best role first,
    // and again only when a better one reaches it.
    std::vector<std::deque<uint64_t>> queues(15);
    auto reach = [&](uint64_t target, Role role) {
        auto it = reached_.find(target);
        if (it != reached_.end() && Rank(it->second) <= Rank(role)) return;
        reached_[target] = role;
        if (!stopAt.count(target) && Defines(FromId(target))) queues[static_cast<size_t>(Rank(role))].push_back(target);
    };
    // The trailer is direct: its edges are not kept.
    EdgeCache trailerCache;
    const EdgeCache::Edges& trailer = trailerCache.Get(Trailer(), 0);
    for (auto& [target, key] : trailer.refs) reach(target, RoleOfKey(Role::FileStructure, trailerCache.KeyName(key), false));
    for (;;) {
        size_t rank = 0;
        while (rank < queues.size() && queues[rank].empty()) ++rank;
        if (rank == queues.size()) break;
        const uint64_t id = queues[rank].front();
        queues[rank].pop_front();
        const Role role = reached_[id];
        if (static_cast<size_t>(Rank(role)) != rank) continue;  // a better role walked it already
        const EdgeCache::Edges& edges = cache.Get(Object(FromId(id)), id);
        for (auto& [target, key] : edges.refs) reach(target, RoleOfKey(role, cache.KeyName(key), edges.widget));
    }
    std::deque<uint64_t> queue;
    // What only the stopped objects reach.
    for (uint64_t s : stopAt)
        if (reached_.count(s)) queue.push_back(s);
    while (!queue.empty()) {
        uint64_t id = queue.front();
        queue.pop_front();
        if (!Defines(FromId(id))) continue;
        for (auto& [target, key] : cache.Get(Object(FromId(id)), id).refs) {
            (void)key;
            if (reached_.count(target) || owned_.count(target)) continue;
            owned_.insert(target);
            queue.push_back(target);
        }
    }
}

}  // namespace penvane
