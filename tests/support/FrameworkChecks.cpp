#include "FrameworkChecks.h"

#include <gtest/gtest.h>

#include "Framework.h"
#include "MessagePump.h"

namespace testsupport {

bool MakeLazyWindowsWith(REFCLSID clsid)
{
    CWnd warm;
    if (!warm.CreateControl(clsid, nullptr, 0, CRect(0, 0, 1, 1), CWnd::GetDesktopWindow(), 1)) return false;
    warm.DestroyWindow();
    PumpMessages(50);
    return true;
}

void ExpectNoFrameworkObjectsAlive()
{
    EXPECT_EQ(COleControl::LiveObjects(), 0) << "controls still alive";
    EXPECT_EQ(fw::LiveContainerObjects(), 0) << "container sites or sinks still alive";
    EXPECT_EQ(COlePropertyPage::LiveObjects(), 0) << "property pages still alive";
    EXPECT_EQ(AfxOleGetObjectCount(), 0) << "module objects or locks outstanding";
}

} // namespace testsupport
