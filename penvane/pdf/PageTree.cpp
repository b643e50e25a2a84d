#include "PageTree.h"

#include <set>

namespace penvane {
namespace {

void Walk(QPDFObjectHandle node, int depth, std::set<QPDFObjGen>& seen, PageList& out) {
    if (!out.problem.empty()) return;
    if (depth > 64) {
        out.problem = "the page tree is nested too deeply";
        return;
    }
    if (!node.isDictionary()) return;
    if (node.isIndirect() && !seen.insert(node.getObjGen()).second) {
        out.problem = "the page tree lists object " + std::to_string(node.getObjGen().getObj()) +
                      " twice; readers may show its pages differently";
        return;
    }
    QPDFObjectHandle kids = node.getKey("/Kids");
    if (kids.isArray()) {
        for (auto& kid : kids.aitems()) Walk(kid, depth + 1, seen, out);
        return;
    }
    out.pages.push_back(node);
}

}  // namespace

PageList ListPages(QPDFObjectHandle pagesRoot) {
    PageList out;
    std::set<QPDFObjGen> seen;
    Walk(pagesRoot, 0, seen, out);
    return out;
}

}  // namespace penvane
