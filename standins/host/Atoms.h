// Interned strings: the same text always gives the same atom.
#pragma once
#include <string>
#include <unordered_map>
#include <vector>

#include "HostAbi.h"

namespace standin {

class Atoms {
public:
    ASAtom FromString(const char* text);          // kNullAtom for null or when full
    // Empty for the null atom and for atoms never handed out.
    std::string NameOf(ASAtom atom) const;
    bool IsKnown(ASAtom atom) const { return atom < m_names.size(); }

private:
    std::vector<std::string> m_names;
    std::unordered_map<std::string, ASAtom> m_index;
};

}  // namespace standin
