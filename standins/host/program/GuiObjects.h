// The process's USER and GDI objects, for the long run's figures.
//
// GetGuiResources answers them on Windows. Wine does not implement it (it
// answers 0 with ERROR_CALL_NOT_IMPLEMENTED), and a leak there would go
// unseen, so where it is missing the counts are taken another way:
//  - USER: the process's windows (top-level, their descendants, and
//    message-only windows): the USER objects a control or dialog makes and
//    must destroy. Menus, icons and cursors are not seen.
//  - GDI: the live entries of the process's GDI handle table, which Wine
//    keeps in the process and publishes, as Windows does, through the
//    process environment block. Used only after a check that a brush made
//    and deleted shows up there and goes again.
#pragma once
#include <string>

namespace standin {

class GuiObjectCounter {
public:
    GuiObjectCounter();
    long long UserObjects() const;
    long long GdiObjects() const;   // -1 when neither way is available
    // "GetGuiResources", or what stands in for it.
    std::string Source() const;

private:
    bool m_systemCounts;      // GetGuiResources answers
    bool m_handleTable;       // the GDI handle table passed the check
};

}  // namespace standin
