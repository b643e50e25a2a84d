#include "RevisionDiff.h"

#include <cstring>
#include <map>
#include <set>

#include "PageTree.h"

namespace penvane {
namespace {

// A new signature widget may carry these and nothing else: no actions, no
// parent or kids, nothing that a reader draws besides its appearance.
const std::set<std::string> kWidgetKeys = {"/Type", "/Subtype", "/FT", "/T", "/TU", "/TM", "/Rect", "/P", "/V",
                                           "/AP", "/F", "/Ff", "/MK", "/DA", "/Border", "/BS", "/Lock", "/SV",
                                           "/NM", "/M", "/StructParent", "/C", "/Q", "/Contents"};

// The object's text with references as written ("7 0 R"): what a reference
// names is judged where that object is judged.
std::string Text(QPDFObjectHandle o) {
    if (!o.isStream()) return o.unparseResolved();
    auto data = o.getRawStreamData();
    return o.getDict().unparse() + "\nstream\n" + std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
}

QPDFObjectHandle Key(QPDFObjectHandle o, const std::string& key) {
    if (o.isStream()) return o.getDict().getKey(key);
    return o.isDictionary() ? o.getKey(key) : QPDFObjectHandle::newNull();
}

std::string Obj(QPDFObjGen og) { return "object " + std::to_string(og.getObj()); }

// The streams an /AP dictionary names, in every state; false when it names
// anything else (a direct stream cannot be; a non-stream can).
bool AppearanceStreams(QPDFObjectHandle ap, std::vector<QPDFObjectHandle>* out) {
    if (!ap.isDictionary()) return false;
    for (auto& [name, v] : ap.getDictAsMap()) {
        if (name != "/N" && name != "/D" && name != "/R") return false;
        if (v.isIndirect() && v.isStream()) {
            out->push_back(v);
        } else if (!v.isIndirect() && v.isDictionary()) {
            for (auto& [state, s] : v.getDictAsMap()) {
                if (!s.isIndirect() || !s.isStream()) return false;
                out->push_back(s);
            }
        } else {
            return false;
        }
    }
    return !out->empty();
}

class UpdateComparison {
public:
    UpdateComparison(RevisionGraph& before, RevisionGraph& after, EdgeCache& cache, const UpdateFacts& facts)
        : before_(before), after_(after), cache_(cache), facts_(facts) {}

    RevisionChanges Run() {
        FindDefinedHere();
        for (uint64_t id : defined_) cache_.Forget(id);
        root_ = after_.Trailer().getKey("/Root");
        form_ = Key(root_, "/AcroForm");
        FindNewSignatures();
        FindSignedFields();
        WalkAfter();
        // Objects that were defined before first: judging them lets through
        // the new containers (an /Annots or /Fields array, a form) that list
        // the signatures, which the second pass then finds allowed.
        for (uint64_t id : defined_)
            if (before_.Defines(FromId(id))) Judge(id);
        for (uint64_t id : defined_)
            if (!before_.Defines(FromId(id))) Judge(id);
        CompareTrailers();
        return changes_;
    }

private:
    // The objects whose definition differs between the two revisions.
    void FindDefinedHere() {
        const XRef& a = before_.xref();
        const XRef& b = after_.xref();
        auto ia = a.begin();
        for (auto& [og, e] : b) {
            while (ia != a.end() && ia->first < og) defined_.insert(Id((ia++)->first));
            if (ia != a.end() && ia->first == og) {
                if (!SameEntry(ia->second, e)) defined_.insert(Id(og));
                ++ia;
            } else {
                defined_.insert(Id(og));
            }
            if (e.getType() == 2) containers_.insert(Id(QPDFObjGen(e.getObjStreamNumber(), 0)));
        }
        while (ia != a.end()) defined_.insert(Id((ia++)->first));
        // An object in a stream the update rewrote changes with it.
        for (auto& [og, e] : b)
            if (e.getType() == 2 && defined_.count(Id(QPDFObjGen(e.getObjStreamNumber(), 0)))) defined_.insert(Id(og));
        for (auto& [og, e] : b)
            if (e.getType() == 1 && e.getOffset() == facts_.xrefOffset) updateXref_.insert(Id(og));
        QPDFObjectHandle stm = after_.Trailer().getKey("/XRefStm");
        if (stm.isInteger())
            for (auto& [og, e] : b)
                if (e.getType() == 1 && e.getOffset() == stm.getIntValue()) updateXref_.insert(Id(og));
    }

    // Added by this update and named by nothing before it.
    bool Fresh(QPDFObjectHandle o) {
        if (!o.isIndirect()) return false;
        uint64_t id = Id(o.getObjGen());
        return defined_.count(id) && !before_.Defines(o.getObjGen()) && !before_.Reached(id) && !before_.Owned(id) &&
               after_.Defines(o.getObjGen());
    }

    // What is wrong with `dict` as the value of a signature field signed in
    // this update; records it when nothing is.
    std::string CheckValue(QPDFObjectHandle field, QPDFObjectHandle value, LaterSignature* sig) {
        if (!value.isIndirect()) return "its /V is not a signature dictionary of its own";
        if (value.getObjGen() == field.getObjGen()) return "it is its own signature dictionary";
        if (!Fresh(value)) return "its /V is not a signature dictionary added with it";
        if (!value.isDictionary() || value.isStream()) return "its /V is not a dictionary";
        std::string problem = facts_.checkSignature(value.getObjGen(), value, &sig->integrity);
        if (!problem.empty()) return problem;
        QPDFObjectHandle filter = value.getKey("/Filter"), sub = value.getKey("/SubFilter");
        sig->filter = filter.isName() ? filter.getName() : "";
        sig->subFilter = sub.isName() ? sub.getName() : "";
        sig->dictObject = value.getObjGen().getObj();
        return std::string();
    }

    std::string CheckAppearance(QPDFObjectHandle widget, std::vector<QPDFObjectHandle>* streams) {
        if (!AppearanceStreams(widget.getKey("/AP"), streams)) return "its /AP is not a dictionary of appearance streams";
        for (auto& s : *streams)
            if (!Fresh(s)) return "its appearance " + Obj(s.getObjGen()) + " is not a stream added with it";
        return std::string();
    }

    bool ListedByFields(QPDFObjGen og) {
        QPDFObjectHandle fields = Key(form_, "/Fields");
        if (!fields.isArray()) return false;
        for (auto& f : fields.aitems())
            if (f.isIndirect() && f.getObjGen() == og) return true;
        return false;
    }

    // New widgets that are new signature fields: found among the objects
    // this update adds, placed on their page after the walk.
    void FindNewSignatures() {
        for (uint64_t id : defined_) {
            QPDFObjectHandle w = after_.qpdf().getObject(FromId(id));
            if (!Fresh(w) || !w.isDictionary() || !w.getKey("/FT").isNameAndEquals("/Sig")) continue;
            LaterSignature sig;
            std::string problem;
            std::vector<QPDFObjectHandle> streams;
            if (!w.getKey("/Subtype").isNameAndEquals("/Widget")) problem = "it is not a widget annotation";
            for (auto& key : w.getKeys())
                if (problem.empty() && !kWidgetKeys.count(key)) problem = "it carries " + key;
            if (problem.empty() && !ListedByFields(w.getObjGen())) problem = "the form's /Fields does not list it";
            if (problem.empty() && !w.hasKey("/V")) problem = "signature field without a signature";
            if (problem.empty()) problem = CheckValue(w, w.getKey("/V"), &sig);
            // An invisible signature (a widget of no area) needs no appearance.
            if (problem.empty() && (w.hasKey("/AP") || !NoArea(w))) problem = CheckAppearance(w, &streams);
            if (!problem.empty()) {
                Reject(w, problem);
                continue;
            }
            QPDFObjectHandle t = w.getKey("/T");
            sig.field = t.isString() ? t.getUTF8Value() : "";
            Place(w, 0, &sig);
            Candidate c{w, sig, {id, Id(w.getKey("/V").getObjGen())}};
            for (auto& st : streams) c.parts.push_back(Id(st.getObjGen()));
            candidates_.push_back(c);
        }
    }

    // A new field that poses as a signature and is none: it, its value,
    // appearance and kids are reported as one addition, named by what it
    // draws (a widget's appearance, or an annotation).
    void Reject(QPDFObjectHandle w, const std::string& problem) {
        const uint64_t id = Id(w.getObjGen());
        rejected_[id] = problem;
        const Role role = w.getKey("/Subtype").isNameAndEquals("/Widget") ? Role::WidgetAppearance : Role::Annotation;
        rejectedParts_[id] = role;
        auto part = [&](QPDFObjectHandle o) {
            if (o.isIndirect() && Fresh(o)) rejectedParts_.emplace(Id(o.getObjGen()), role);
        };
        part(w.getKey("/V"));
        std::vector<QPDFObjectHandle> streams;
        AppearanceStreams(w.getKey("/AP"), &streams);
        for (auto& st : streams) part(st);
        QPDFObjectHandle kids = w.getKey("/Kids");
        part(kids);
        if (kids.isArray())
            for (auto& k : kids.aitems()) part(k);
    }

    // The page a new widget is on: the one its /P names when that page
    // lists it, else the first page that lists it; 0 when none.
    int PageOf(QPDFObjectHandle widget) {
        auto lists = [&](QPDFObjectHandle page) {
            QPDFObjectHandle annots = page.getKey("/Annots");
            if (!annots.isArray()) return false;
            for (auto& a : annots.aitems())
                if (a.isIndirect() && a.getObjGen() == widget.getObjGen()) return true;
            return false;
        };
        QPDFObjectHandle named = widget.getKey("/P");
        if (named.isIndirect() && ReachedAs(named.getObjGen(), Role::PageTree) && lists(named)) {
            const int n = cache_.PageNumber(after_.latest(), named.getObjGen());
            if (n > 0) return n;
        }
        if (!pagesListed_) {
            pages_ = ListPages(Key(root_, "/Pages")).pages;
            pagesListed_ = true;
        }
        for (size_t n = 0; n < pages_.size(); ++n)
            if (lists(pages_[n])) return static_cast<int>(n) + 1;
        return 0;
    }

    // Walks the revision, the signatures' own objects apart; a new widget
    // that no page lists is no signature after all.
    void WalkAfter() {
        for (;;) {
            std::set<uint64_t> stop = stopAt_;
            for (auto& c : candidates_) stop.insert(c.parts.begin(), c.parts.end());
            after_.Walk(cache_, stop);
            bool again = false;
            for (auto it = candidates_.begin(); it != candidates_.end();) {
                Role role{};
                const int page = after_.Reached(it->parts[0], &role) ? PageOf(it->widget) : 0;
                if (page == 0) {
                    Reject(it->widget, "no page lists it");
                    it = candidates_.erase(it);
                    again = true;
                    continue;
                }
                it->sig.page = page;
                ++it;
            }
            if (!again) break;
        }
        for (auto& [widget, sig] : signedFieldSigs_) {
            sig.page = PageOf(widget);
            changes_.laterSignatures.push_back(sig);
        }
        for (auto& c : candidates_) {
            allowedWidgets_.insert(c.parts[0]);
            stopAt_.insert(c.parts.begin(), c.parts.end());
            changes_.laterSignatures.push_back(c.sig);
        }
    }

    static bool NoArea(QPDFObjectHandle widget) {
        LaterSignature probe;
        Place(widget, 0, &probe);
        QPDFObjectHandle r = widget.getKey("/Rect");
        return r.isArray() && r.getArrayNItems() == 4 && (probe.rect[2] - probe.rect[0] == 0 || probe.rect[3] - probe.rect[1] == 0);
    }

    static void Place(QPDFObjectHandle widget, int page, LaterSignature* sig) {
        sig->page = page;
        QPDFObjectHandle r = widget.getKey("/Rect");
        if (r.isArray() && r.getArrayNItems() == 4) {
            for (int i = 0; i < 4; ++i)
                sig->rect[i] = r.getArrayItem(i).isNumber() ? r.getArrayItem(i).getNumericValue() : 0;
            if (sig->rect[0] > sig->rect[2]) std::swap(sig->rect[0], sig->rect[2]);
            if (sig->rect[1] > sig->rect[3]) std::swap(sig->rect[1], sig->rect[3]);
        }
    }

    // Empty signature fields of the earlier revision signed in this update:
    // the field gains a /V, its widget an /AP.
    void FindSignedFields() {
        for (uint64_t id : defined_) {
            const QPDFObjGen og = FromId(id);
            if (!before_.Defines(og) || !after_.Defines(og)) continue;
            QPDFObjectHandle f = after_.qpdf().getObject(og);
            if (!f.isDictionary() || !f.getKey("/FT").isNameAndEquals("/Sig")) continue;
            if (!f.hasKey("/V") || !Key(before_.Object(og), "/V").isNull()) continue;
            LaterSignature sig;
            if (!CheckValue(f, f.getKey("/V"), &sig).empty()) continue;
            // Its widgets: the field itself when merged, else its kids.
            std::vector<QPDFObjectHandle> widgets;
            QPDFObjectHandle kids = f.getKey("/Kids");
            if (f.getKey("/Subtype").isNameAndEquals("/Widget")) widgets.push_back(f);
            else if (kids.isArray())
                for (auto& k : kids.aitems()) widgets.push_back(k);
            std::vector<uint64_t> appearances, touched;
            bool ok = !widgets.empty();
            for (auto& w : widgets) {
                if (!w.isIndirect() || !w.isDictionary()) {
                    ok = false;
                    break;
                }
                // A widget whose appearance this update did not touch keeps
                // the one it had.
                if (Key(before_.Object(w.getObjGen()), "/AP").unparse() == w.getKey("/AP").unparse()) continue;
                std::vector<QPDFObjectHandle> streams;
                if (!CheckAppearance(w, &streams).empty()) {
                    ok = false;
                    break;
                }
                for (auto& st : streams) appearances.push_back(Id(st.getObjGen()));
                touched.push_back(Id(w.getObjGen()));
            }
            if (!ok) continue;
            signedFields_.insert(id);
            signedWidgets_.insert(touched.begin(), touched.end());
            stopAt_.insert(Id(f.getKey("/V").getObjGen()));
            stopAt_.insert(appearances.begin(), appearances.end());
            QPDFObjectHandle t = f.getKey("/T");
            sig.field = t.isString() ? t.getUTF8Value() : "";
            Place(widgets.front(), 0, &sig);
            signedFieldSigs_.emplace_back(widgets.front(), sig);
        }
    }

    void Note(Role role, const std::string& detail) { changes_.Note(KindOf(role), detail); }

    // The array now keeps every item it had and adds only new signature
    // widgets; a new indirect array that does so is let through too.
    bool AppendsSignatures(QPDFObjectHandle was, QPDFObjectHandle now) {
        // Handles are resolved through the revisions: an object that both
        // share may come from the whole document, whose references resolve
        // to its own newest objects.
        QPDFObjectHandle wasArray = was.isIndirect() ? before_.Object(was.getObjGen()) : was;
        if (now.isIndirect()) now = after_.Object(now.getObjGen());
        if (!now.isArray()) return false;
        if (now.isIndirect() && before_.Defines(now.getObjGen()) && !(was.isIndirect() && was.getObjGen() == now.getObjGen()))
            return false;  // another existing array put in its place
        std::multiset<std::string> old;
        if (wasArray.isArray())
            for (auto& item : wasArray.aitems()) old.insert(item.unparse());
        else if (!wasArray.isNull())
            return false;
        bool added = false;
        for (auto& item : now.aitems()) {
            auto it = old.find(item.unparse());
            if (it != old.end()) old.erase(it);
            else if (item.isIndirect() && allowedWidgets_.count(Id(item.getObjGen()))) added = true;
            // A field posing as a signature is reported on its own.
            else if (item.isIndirect() && rejected_.count(Id(item.getObjGen()))) added = true;
            else return false;
        }
        if (!old.empty()) return false;
        if (now.isIndirect() && Fresh(now)) allowedNew_.insert(Id(now.getObjGen()));
        return added || wasArray.isArray();
    }

    // The form now is the one before, apart from /Fields listing new
    // signatures and /SigFlags.
    bool FormKeepsAllButSignatures(QPDFObjectHandle was, QPDFObjectHandle now) {
        QPDFObjectHandle wasForm = was.isIndirect() ? before_.Object(was.getObjGen()) : was;
        if (now.isIndirect() && !Fresh(now)) return false;
        if (now.isIndirect()) now = after_.Object(now.getObjGen());
        if (!now.isDictionary() || now.isStream()) return false;
        if (!wasForm.isNull() && !wasForm.isDictionary()) return false;
        std::set<std::string> keys;
        for (auto& k : now.getKeys()) keys.insert(k);
        if (wasForm.isDictionary())
            for (auto& k : wasForm.getKeys()) keys.insert(k);
        for (const std::string& k : keys) {
            if (k == "/SigFlags") continue;
            if (k == "/Fields") {
                if (!AppendsSignatures(Key(wasForm, k), now.getKey(k))) return false;
            } else if (Key(wasForm, k).unparse() != now.getKey(k).unparse()) {
                return false;
            }
        }
        if (now.isIndirect()) allowedNew_.insert(Id(now.getObjGen()));
        return true;
    }

    // A page or page tree node, or an /Annots array, by the path that
    // reaches it in the revision the update makes.
    bool ReachedAs(QPDFObjGen og, Role role) {
        Role r{};
        return after_.Reached(Id(og), &r) && r == role;
    }

    bool Is(QPDFObjectHandle ref, QPDFObjGen og) { return ref.isIndirect() && ref.getObjGen() == og; }

    // One key of an object defined in both revisions changed: allowed when
    // signing needs it, else a change of the kind the key gives.
    void JudgeKey(QPDFObjGen og, Role role, bool widget, const std::string& key, QPDFObjectHandle was, QPDFObjectHandle now) {
        const uint64_t id = Id(og);
        if (key == "/Annots" && ReachedAs(og, Role::PageTree) && AppendsSignatures(was, now)) return;
        if (Is(root_, og) && key == "/AcroForm" && FormKeepsAllButSignatures(was, now)) return;
        if (Is(form_, og) && key == "/SigFlags") return;
        if (Is(form_, og) && key == "/Fields" && AppendsSignatures(was, now)) return;
        if (key == "/V" && signedFields_.count(id)) return;
        if (key == "/AP" && signedWidgets_.count(id)) return;
        Role keyRole = RoleOfKey(role, key, widget);
        Note(keyRole, Obj(og) + ": " + PhraseOf(keyRole) + " (" + key + ")");
    }

    void Judge(uint64_t id) {
        const QPDFObjGen og = FromId(id);
        if (stopAt_.count(id) || allowedNew_.count(id)) {
            changes_.signatures = true;
            return;
        }
        const bool wasDefined = before_.Defines(og), isDefined = after_.Defines(og);
        if (!wasDefined && !isDefined) return;
        Role was{}, now{};
        bool wasReached = before_.Reached(id, &was);
        const bool isReached = after_.Reached(id, &now);
        if (!wasReached && before_.Owned(id)) {
            // What only an earlier signature's widget reached: its appearance.
            wasReached = true;
            was = Role::WidgetAppearance;
        }
        QPDFObjectHandle old = before_.Object(og), cur = after_.Object(og);
        if (wasDefined && isDefined && Text(old) == Text(cur)) return;
        auto rejected = [&] {
            auto r = rejected_.find(id);
            return r == rejected_.end() ? std::string() : "; a signature field that does not count as a signature: " + r->second;
        };
        if (!wasReached && !isReached) {
            if (!wasDefined && after_.Owned(id)) {
                changes_.signatures = true;  // drawn or kept by a new signature alone
                return;
            }
            if (!wasDefined && (updateXref_.count(id) || containers_.count(id))) return;  // this update's own structure
            if (!isDefined) return;  // an object that nothing used, freed
            Note(Role::FileStructure, Obj(og) + (wasDefined ? ": changed" : ": added") + ", used by nothing" + rejected());
            return;
        }
        auto part = rejectedParts_.find(id);
        const Role role = part != rejectedParts_.end() ? part->second : wasReached ? was : now;
        if (!wasDefined) {
            Note(role, Obj(og) + ": " + PhraseOf(role) + " added" +
                           (wasReached ? ", where the signed revision names an object it does not define" : "") + rejected());
            return;
        }
        if (!isDefined) {
            Note(role, Obj(og) + ": " + PhraseOf(role) + " removed");
            return;
        }
        const bool dicts = (old.isDictionary() || old.isStream()) && (cur.isDictionary() || cur.isStream()) &&
                           old.isStream() == cur.isStream();
        if (!dicts) {
            if (cur.isArray() && (ReachedAs(og, Role::Annotation) || Is(Key(form_, "/Fields"), og)) && AppendsSignatures(old, cur))
                return;
            Note(role, Obj(og) + ": " + PhraseOf(role) + " changed");
            return;
        }
        QPDFObjectHandle od = old.isStream() ? old.getDict() : old, cd = cur.isStream() ? cur.getDict() : cur;
        const bool widget = cd.getKey("/Subtype").isNameAndEquals("/Widget") || od.getKey("/Subtype").isNameAndEquals("/Widget");
        std::set<std::string> keys;
        for (auto& k : od.getKeys()) keys.insert(k);
        for (auto& k : cd.getKeys()) keys.insert(k);
        for (const std::string& k : keys) {
            if (cur.isStream() && k == "/Length") continue;
            QPDFObjectHandle a = od.getKey(k), b = cd.getKey(k);
            if (a.unparse() != b.unparse()) JudgeKey(og, role, widget, k, a, b);
        }
        if (cur.isStream()) {
            auto da = old.getRawStreamData(), db = cur.getRawStreamData();
            if (da->getSize() != db->getSize() || std::memcmp(da->getBuffer(), db->getBuffer(), da->getSize()) != 0)
                Note(role, Obj(og) + ": " + PhraseOf(role) + " changed (its stream)");
        }
    }

    // Only what describes the cross-reference section itself may differ,
    // and the second /ID string.
    void CompareTrailers() {
        static const std::set<std::string> kSection = {"/Size", "/Prev", "/XRefStm", "/Type", "/W", "/Index",
                                                       "/Length", "/Filter", "/DecodeParms", "/ID"};
        QPDFObjectHandle a = before_.Trailer(), b = after_.Trailer();
        std::set<std::string> keys;
        for (auto& k : a.getKeys()) keys.insert(k);
        for (auto& k : b.getKeys()) keys.insert(k);
        for (const std::string& k : keys) {
            if (kSection.count(k)) continue;
            if (a.getKey(k).unparse() == b.getKey(k).unparse()) continue;
            Role role = RoleOfKey(Role::FileStructure, k, false);
            Note(role, std::string("trailer: ") + PhraseOf(role) + " (" + k + ") replaced");
        }
        QPDFObjectHandle ia = a.getKey("/ID"), ib = b.getKey("/ID");
        auto first = [](QPDFObjectHandle id) {
            return id.isArray() && id.getArrayNItems() >= 1 ? id.getArrayItem(0).unparse() : id.unparse();
        };
        if (first(ia) != first(ib) || (ia.isArray() && ib.isArray() && ib.getArrayNItems() != ia.getArrayNItems()))
            Note(Role::FileStructure, "trailer: the document's first /ID changed");
    }

    RevisionGraph& before_;
    RevisionGraph& after_;
    EdgeCache& cache_;
    const UpdateFacts& facts_;
    std::set<uint64_t> defined_, containers_, updateXref_;
    QPDFObjectHandle root_, form_;
    std::vector<QPDFObjectHandle> pages_;
    bool pagesListed_ = false;
    struct Candidate {
        QPDFObjectHandle widget;
        LaterSignature sig;
        std::vector<uint64_t> parts;  // the widget, its signature dictionary, its appearance streams
    };
    std::vector<Candidate> candidates_;
    std::vector<std::pair<QPDFObjectHandle, LaterSignature>> signedFieldSigs_;
    std::set<uint64_t> allowedWidgets_, signedFields_, signedWidgets_, stopAt_, allowedNew_;
    std::map<uint64_t, std::string> rejected_;
    std::map<uint64_t, Role> rejectedParts_;
    RevisionChanges changes_;
};

}  // namespace

std::string RevisionChanges::Summary() const {
    if (OnlySignatures()) return signatures ? "signatures only" : "nothing";
    std::string s;
    auto add = [&s](const std::string& what) { s += (s.empty() ? "" : ", ") + what; };
    if (formValues) add("form values");
    if (annotations) add("annotations or fields");
    if (other) add("page content or other objects");
    if (structure) add("bytes outside a proper update");
    std::string named;
    for (const std::string& k : kinds) named += (named.empty() ? "" : ", ") + k;
    return named.empty() ? s : s + " (" + named + ")";
}

void RevisionChanges::NoteKind(const std::string& kind) {
    for (const std::string& k : kinds)
        if (k == kind) return;
    kinds.push_back(kind);
}

void RevisionChanges::Note(const std::string& kind, const std::string& detail) {
    if (kind == "form value" || kind == "widget appearance") formValues = true;
    else if (kind == "annotation" || kind == "form field") annotations = true;
    else if (kind == "file structure") structure = true;
    else other = true;
    NoteKind(kind);
    details.push_back(detail);
}

void RevisionChanges::NoteStructure(const std::string& problem) { Note("file structure", problem); }

void RevisionChanges::Merge(const RevisionChanges& later) {
    signatures = signatures || later.signatures;
    formValues = formValues || later.formValues;
    annotations = annotations || later.annotations;
    other = other || later.other;
    structure = structure || later.structure;
    details.insert(details.end(), later.details.begin(), later.details.end());
    for (const std::string& k : later.kinds) NoteKind(k);
    laterSignatures.insert(laterSignatures.end(), later.laterSignatures.begin(), later.laterSignatures.end());
}

RevisionChanges CompareUpdate(RevisionGraph& before, RevisionGraph& after, EdgeCache& cache, const UpdateFacts& facts) {
    return UpdateComparison(before, after, cache, facts).Run();
}

}  // namespace penvane
