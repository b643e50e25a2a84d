#include "AppearanceList.h"

#include "../host/HostCalls.h"

namespace {

// Holds one opened list and closes it on every way out.
class OpenAppearanceList {
public:
    OpenAppearanceList() : m_list(PSAppearanceListOpen(nullptr, true)) {}
    ~OpenAppearanceList()
    {
        if (m_list)
            PSAppearanceListClose(m_list);
    }
    OpenAppearanceList(const OpenAppearanceList&) = delete;
    OpenAppearanceList& operator=(const OpenAppearanceList&) = delete;
    void* get() const { return m_list; }

private:
    void* m_list;
};

}  // namespace

int32_t AppearanceCount(int32_t whenUnavailable)
{
    OpenAppearanceList list;
    if (!list.get())
        return whenUnavailable;
    return PSAppearanceListCount(list.get());
}

ASText AppearanceTitle(int32_t index)
{
    OpenAppearanceList list;
    if (!list.get())
        return nullptr;
    int32_t count = PSAppearanceListCount(list.get());
    if (count == 0 || index < 0 || index >= count)
        return nullptr;
    return PSAppearanceListTitle(list.get(), index);
}
