// The wrappers of standard child controls.
#include "TestSupport.h"

namespace {

class Window : public FrameworkTest {};

TEST_F(Window, EditLineUpToTheLimitGiven)
{
    HWND hwnd = CreateWindowExA(0, "EDIT", "hello\r\nworld", WS_POPUP | ES_MULTILINE, 0, 0, 200, 100, nullptr, nullptr,
                                nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    CEdit edit;
    edit.Attach(hwnd);
    // Limits beyond what the message's 16-bit size field holds read the whole line.
    const struct {
        int limit;
        const char* line;
    } cases[] = {{0, ""}, {3, "hel"}, {5, "hello"}, {65535, "hello"}, {65536, "hello"}, {65538, "hello"}};
    for (const auto& c : cases) EXPECT_EQ(edit.GetLine(0, c.limit), c.line) << c.limit;
    EXPECT_EQ(edit.GetLine(1, 65536), "world");
    edit.Detach();
    DestroyWindow(hwnd);
}

} // namespace
