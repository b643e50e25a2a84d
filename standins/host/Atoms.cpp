#include "Atoms.h"

namespace standin {

ASAtom Atoms::FromString(const char* text)
{
    if (!text)
        return kNullAtom;
    auto it = m_index.find(text);
    if (it != m_index.end())
        return it->second;
    if (m_names.size() >= kNullAtom)
        return kNullAtom;
    ASAtom atom = static_cast<ASAtom>(m_names.size());
    m_names.emplace_back(text);
    m_index.emplace(text, atom);
    return atom;
}

std::string Atoms::NameOf(ASAtom atom) const
{
    return IsKnown(atom) ? m_names[atom] : std::string();
}

}  // namespace standin
