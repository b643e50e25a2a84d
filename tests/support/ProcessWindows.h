// This process's windows, for fixtures that check a test leaves none behind.
#pragma once

#include <windows.h>

#include <set>
#include <string>

namespace testsupport {

// Every window this process owns: its top-level windows (children of the
// desktop included) and all their descendants.
std::set<HWND> ProcessWindows();

// The windows of `windows` that are not in `reference`: with two snapshots,
// WindowsNotIn(after, before) are the windows made, WindowsNotIn(before,
// after) those destroyed.
std::set<HWND> WindowsNotIn(const std::set<HWND>& windows, const std::set<HWND>& reference);

// " [class "title"]" for each window, for a failure message.
std::string DescribeWindows(const std::set<HWND>& windows);

} // namespace testsupport
