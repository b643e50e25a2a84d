// The capture dialog driven as a person would: strokes posted to the pad
// stand-in, then clicks, keys and typing; one case per reason setting, the
// minimum-points rule, and the geometry that follows the pad's extents.
#include <functional>
#include <thread>

#include "ControlTestSupport.h"
#include "FakePad.h"
#include "GetSigDlg.h"
#include "Resource.h"

namespace {

// What the person saw before acting.
struct Seen {
    bool listShown = false, pickShown = false, entryShown = false, otherShown = false;
    std::vector<std::string> items;  // of the shown reason control
    int selected = -2;
    bool closedByPerson = false;
};

bool Shown(HWND dlg, int id)
{
    return (GetWindowLongW(GetDlgItem(dlg, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

void Look(HWND dlg, Seen* seen)
{
    seen->listShown = Shown(dlg, IDC_REASON_LIST);
    seen->pickShown = Shown(dlg, IDC_REASON_PICK);
    seen->entryShown = Shown(dlg, IDC_REASON_ENTRY);
    for (int id : {IDC_CONTACT, IDC_LOCATION, IDC_CONTACT_LABEL, IDC_LOCATION_LABEL})
        seen->otherShown |= Shown(dlg, id);
    HWND list = GetDlgItem(dlg, IDC_REASON_LIST);
    HWND combo = GetDlgItem(dlg, seen->pickShown ? IDC_REASON_PICK : IDC_REASON_ENTRY);
    char text[256];
    if (seen->listShown) {
        for (LRESULT i = 0, n = SendMessageA(list, LB_GETCOUNT, 0, 0); i < n; ++i) {
            SendMessageA(list, LB_GETTEXT, (WPARAM)i, (LPARAM)text);
            seen->items.push_back(text);
        }
        seen->selected = (int)SendMessageA(list, LB_GETCURSEL, 0, 0);
    } else if (seen->pickShown || seen->entryShown) {
        for (LRESULT i = 0, n = SendMessageA(combo, CB_GETCOUNT, 0, 0); i < n; ++i) {
            SendMessageA(combo, CB_GETLBTEXT, (WPARAM)i, (LPARAM)text);
            seen->items.push_back(text);
        }
        seen->selected = (int)SendMessageA(combo, CB_GETCURSEL, 0, 0);
    }
}

// Replaces the text of the entry combo box as typed: select all, then keys.
void Type(HWND dlg, const char* text)
{
    HWND edit = GetWindow(GetDlgItem(dlg, IDC_REASON_ENTRY), GW_CHILD);
    PostMessageW(edit, EM_SETSEL, 0, -1);
    if (!*text) PostMessageW(edit, WM_CHAR, VK_BACK, 0);
    for (const char* p = text; *p; ++p) PostMessageW(edit, WM_CHAR, (WPARAM)(unsigned char)*p, 0);
    Settle(dlg);
}

// Runs the dialog modally while `act` plays the person on a second thread.
INT_PTR RunWithPerson(GetSigDlg& dialog, Seen* seen, const std::function<void(HWND)>& act)
{
    std::thread person([&] {
        HWND dlg = WaitForCaptureDialog();
        if (!dlg) return;
        Look(dlg, seen);
        act(dlg);
        seen->closedByPerson = WaitClosedOrCancel(dlg);
    });
    INT_PTR result = dialog.DoModal();
    person.join();
    return result;
}

HWND Pad(HWND dlg)
{
    return GetDlgItem(dlg, IDC_PAD);
}

void Sign(HWND dlg)
{
    PostStroke(Pad(dlg), 20, 15, 30);
    PostStroke(Pad(dlg), 60, 40, 25);
    Settle(dlg);
}

class CaptureDialog : public ControlTestWithoutSettings {
protected:
    CaptureDialog() : ControlTestWithoutSettings(PadKind::StandIn) {}
    // As the capture control fills it.
    static void Fill(GetSigDlg& d, int required, std::vector<std::string> reasons, int minPoints = 10)
    {
        d.m_name = "Unknown";
        d.m_location = "Unknown";
        d.m_contactInfo = "Unknown";
        d.m_numReasons = (int)reasons.size();
        d.m_reasons = std::move(reasons);
        d.m_reasonRequired = required;
        d.m_minPoints = minPoints;
    }
};

const std::vector<std::string> kPredefined = {
    "I am the author of this document",
    "I have reviewed this document",
    "I am approving this document",
    "I attest to the accuracy and integrity of this document",
    "I agree to the terms defined by the placement of my signature on this document",
    "I agree to specified portions of this document",
};

TEST_F(CaptureDialog, RequiredWithoutReasonsOffersThePredefinedList)
{
    GetSigDlg d;
    Fill(d, 1, {});
    Seen seen;
    std::string picture;
    INT_PTR result = RunWithPerson(d, &seen, [&](HWND dlg) {
        Sign(dlg);
        picture = SaveScreenshot("capture-required-predefined-list");
        Click(dlg, IDC_ACCEPT);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(seen.closedByPerson);
    EXPECT_TRUE(seen.listShown);
    EXPECT_FALSE(seen.pickShown || seen.entryShown || seen.otherShown);
    EXPECT_EQ(seen.items, kPredefined);
    EXPECT_EQ(seen.selected, 0);
    EXPECT_EQ(d.m_reason, "I am the author of this document");
    EXPECT_FALSE(d.m_sigString.empty());
    // The location and contact entries are never shown and hold no text.
    EXPECT_EQ(d.m_location, "");
    EXPECT_EQ(d.m_contactInfo, "");
    EXPECT_EQ(d.m_name, "Unknown");
    EXPECT_FALSE(picture.empty()) << "screenshot";
}

TEST_F(CaptureDialog, RequiredWithReasonsOffersThemSortedFirstSelected)
{
    GetSigDlg d;
    Fill(d, 1, {"b", "a"});
    Seen seen;
    INT_PTR result = RunWithPerson(d, &seen, [&](HWND dlg) {
        Sign(dlg);
        SaveScreenshot("capture-required-pick-list");
        Click(dlg, IDC_ACCEPT);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(seen.pickShown);
    EXPECT_FALSE(seen.listShown || seen.entryShown || seen.otherShown);
    EXPECT_EQ(seen.items, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(seen.selected, 0);
    EXPECT_EQ(d.m_reason, "a");
}

TEST_F(CaptureDialog, NoReasonControlGivesSignature)
{
    struct Case {
        int required;
        std::vector<std::string> reasons;
        const char* picture;
    } cases[] = {
        {0, {"only"}, "capture-optional-one-reason"},
        {0, {}, nullptr},
        {2, {"x", "y"}, "capture-required-flag-2"},
    };
    for (const Case& c : cases) {
        GetSigDlg d;
        Fill(d, c.required, c.reasons);
        Seen seen;
        INT_PTR result = RunWithPerson(d, &seen, [&](HWND dlg) {
            Sign(dlg);
            if (c.picture) SaveScreenshot(c.picture);
            Click(dlg, IDC_ACCEPT);
        });
        EXPECT_EQ(result, IDOK) << c.required;
        EXPECT_FALSE(seen.listShown || seen.pickShown || seen.entryShown || seen.otherShown) << c.required;
        EXPECT_EQ(d.m_reason, "Signature") << c.required;
    }
}

TEST_F(CaptureDialog, OptionalWithTwoReasonsTakesTypedOrEmptiedText)
{
    struct Case {
        const char* typed;  // nullptr: untouched
        const char* reason;
    } cases[] = {{nullptr, "alpha"}, {"My own reason", "My own reason"}, {"", ""}};
    for (const Case& c : cases) {
        GetSigDlg d;
        Fill(d, 0, {"beta", "alpha"});
        Seen seen;
        INT_PTR result = RunWithPerson(d, &seen, [&](HWND dlg) {
            Sign(dlg);
            if (c.typed) Type(dlg, c.typed);
            if (c.typed && *c.typed) SaveScreenshot("capture-optional-entry-combo");
            Click(dlg, IDC_ACCEPT);
        });
        EXPECT_EQ(result, IDOK);
        EXPECT_TRUE(seen.entryShown);
        EXPECT_FALSE(seen.listShown || seen.pickShown || seen.otherShown);
        EXPECT_EQ(seen.items, (std::vector<std::string>{"alpha", "beta"}));
        EXPECT_EQ(d.m_reason, c.reason);
    }
}

TEST_F(CaptureDialog, MinimumPointsRule)
{
    struct Case {
        int minPoints;
        std::vector<int> strokes;  // moves per stroke (points = moves + 1)
        bool eraseFirst;           // a long stroke, erased, before the strokes
        INT_PTR expected;
    } cases[] = {
        {0, {}, false, IDOK},        // an empty pad is enough when nothing is asked
        {-5, {}, false, IDOK},
        {10, {9}, false, IDOK},      // exactly ten points
        {10, {8}, false, IDCANCEL},  // nine
        {10, {4}, true, IDCANCEL},   // Erase forgets the earlier ink
        {10, {}, false, IDCANCEL},
    };
    for (const Case& c : cases) {
        GetSigDlg d;
        Fill(d, 0, {}, c.minPoints);
        Seen seen;
        INT_PTR result = RunWithPerson(d, &seen, [&](HWND dlg) {
            if (c.eraseFirst) {
                PostStroke(Pad(dlg), 10, 10, 40);
                Settle(dlg);
                Click(dlg, IDC_ERASE);
                Settle(dlg);
            }
            for (int moves : c.strokes) PostStroke(Pad(dlg), 10, 10, moves);
            Settle(dlg);
            Click(dlg, IDC_ACCEPT);
        });
        EXPECT_TRUE(seen.closedByPerson) << c.minPoints;
        EXPECT_EQ(result, c.expected) << "MinPoints " << c.minPoints << " erase " << c.eraseFirst;
        if (c.expected == IDCANCEL) {
            EXPECT_EQ(d.m_sigString, "");
            EXPECT_EQ(d.m_reason, "") << "nothing of an accepted capture";
            EXPECT_EQ(d.m_location, "Unknown");
        }
    }
}

TEST_F(CaptureDialog, CancelButtonEscapeAndCloseBoxCancel)
{
    const std::function<void(HWND)> ways[] = {
        [](HWND dlg) { Click(dlg, IDCANCEL); },
        [](HWND dlg) {
            PostMessageW(GetDlgItem(dlg, IDCANCEL), WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageW(GetDlgItem(dlg, IDCANCEL), WM_KEYUP, VK_ESCAPE, 0);
        },
        [](HWND dlg) { PostMessageW(dlg, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (const auto& way : ways) {
        GetSigDlg d;
        Fill(d, 1, {});
        Seen seen;
        INT_PTR result = RunWithPerson(d, &seen, [&](HWND dlg) {
            Sign(dlg);
            way(dlg);
        });
        EXPECT_TRUE(seen.closedByPerson);
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_EQ(d.m_sigString, "");
        EXPECT_EQ(d.m_reason, "");
    }
}

TEST_F(CaptureDialog, EnterInAReasonControlDoesNotEndTheDialog)
{
    GetSigDlg d;
    Fill(d, 0, {"beta", "alpha"});
    Seen seen;
    bool openAfterEnter = false;
    INT_PTR result = RunWithPerson(d, &seen, [&](HWND dlg) {
        Sign(dlg);
        HWND edit = GetWindow(GetDlgItem(dlg, IDC_REASON_ENTRY), GW_CHILD);
        PostMessageW(dlg, WM_NEXTDLGCTL, (WPARAM)GetDlgItem(dlg, IDC_REASON_ENTRY), TRUE);
        PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageW(edit, WM_CHAR, VK_RETURN, 0);
        PostMessageW(edit, WM_KEYUP, VK_RETURN, 0);
        PostMessageW(dlg, WM_COMMAND, IDOK, 0);  // what Enter asks of the dialog
        Settle(dlg);
        Sleep(200);
        openAfterEnter = IsWindow(dlg) && IsWindowVisible(dlg);
        Click(dlg, IDC_ACCEPT);
    });
    EXPECT_TRUE(openAfterEnter);
    EXPECT_EQ(result, IDOK);
    EXPECT_FALSE(d.m_sigString.empty()) << "ended by Accept, with the pad read";
    EXPECT_EQ(d.m_reason, "alpha");
}

struct Geometry {
    RECT window = {}, padClient = {}, acceptInClient = {}, desktop = {};
    RECT templatePad = {19, 14, 19 + 282, 14 + 43}, templateAccept = {43, 70, 43 + 50, 70 + 14};
    RECT templateDialog = {0, 0, 323, 125};
};

void Measure(HWND dlg, Geometry* g)
{
    GetWindowRect(dlg, &g->window);
    GetClientRect(Pad(dlg), &g->padClient);
    HWND accept = GetDlgItem(dlg, IDC_ACCEPT);
    GetWindowRect(accept, &g->acceptInClient);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&g->acceptInClient), 2);
    GetClientRect(GetDesktopWindow(), &g->desktop);
    MapDialogRect(dlg, &g->templatePad);
    MapDialogRect(dlg, &g->templateAccept);
    MapDialogRect(dlg, &g->templateDialog);
}

class CaptureDialogGeometry : public ControlTest {
protected:
    CaptureDialogGeometry() : ControlTest(PadKind::Fake) {}
};

TEST_F(CaptureDialogGeometry, PadTakesTheExtentsRatioAndTheDialogStaysCentred)
{
    for (auto extents : {std::pair<short, short>{2000, 1000}, {2000, 800}, {0, 1000}}) {
        fake_pad::Reset();
        fake_pad::Get().extentX = extents.first;
        fake_pad::Get().extentY = extents.second;
        GetSigDlg d;
        d.m_minPoints = 0;
        Geometry g;
        Seen seen;
        RunWithPerson(d, &seen, [&](HWND dlg) {
            Measure(dlg, &g);
            Click(dlg, IDCANCEL);
        });
        const int pw = g.templatePad.right - g.templatePad.left;
        const int ph = g.templatePad.bottom - g.templatePad.top;
        const int h = extents.first ? pw * extents.second / extents.first : ph;
        const int delta = h - ph;
        SCOPED_TRACE(std::to_string(extents.first) + " x " + std::to_string(extents.second));
        EXPECT_EQ(g.padClient.right, pw);
        EXPECT_EQ(g.padClient.bottom, h);
        EXPECT_EQ(g.acceptInClient.top, g.templateAccept.top + delta);
        EXPECT_EQ(g.acceptInClient.left, g.templateAccept.left);
        const int width = g.window.right - g.window.left, height = g.window.bottom - g.window.top;
        EXPECT_EQ(width, g.templateDialog.right + 6);
        EXPECT_EQ(height, g.templateDialog.bottom + 20 + delta);
        EXPECT_EQ(g.window.left, g.desktop.right / 2 - width / 2);
        EXPECT_EQ(g.window.top, g.desktop.bottom / 2 - height / 2);
        // Start-up order on the pad: capture on, then the two features.
        std::vector<std::string> expectedStart = {"CaptureState=1", "EnablePadFeature=1", "PadFeatureFlag=1"};
        ASSERT_GE(fake_pad::Get().calls.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(fake_pad::Get().calls.begin(), fake_pad::Get().calls.begin() + 3),
                  expectedStart);
    }
}

TEST_F(CaptureDialogGeometry, AcceptAndCancelTalkToThePadInOrder)
{
    struct Case {
        short points;
        int button;
        INT_PTR expected;
        std::vector<std::string> after;  // pad calls after start-up
    } cases[] = {
        {12, IDC_ACCEPT, IDOK, {"CaptureState=0", "GetPointCount()", "GetSignatureString()"}},
        {3, IDC_ACCEPT, IDCANCEL, {"CaptureState=0", "GetPointCount()", "ClearPad()"}},
        {-1, IDC_ACCEPT, IDCANCEL, {"CaptureState=0", "GetPointCount()", "ClearPad()"}},
        {12, IDC_ERASE, IDCANCEL, {"ClearPad()", "CaptureState=0", "ClearPad()"}},
        {12, IDCANCEL, IDCANCEL, {"CaptureState=0", "ClearPad()"}},
    };
    for (const Case& c : cases) {
        fake_pad::Reset();
        fake_pad::Get().pointCount = c.points;
        GetSigDlg d;
        d.m_minPoints = 10;
        Seen seen;
        INT_PTR result = RunWithPerson(d, &seen, [&](HWND dlg) {
            Click(dlg, c.button);
            Settle(dlg);
            if (c.button == IDC_ERASE) Click(dlg, IDCANCEL);
        });
        EXPECT_EQ(result, c.expected) << c.points << " " << c.button;
        const auto& calls = fake_pad::Get().calls;
        ASSERT_GE(calls.size(), 3u);
        EXPECT_EQ(std::vector<std::string>(calls.begin() + 3, calls.end()), c.after) << c.points << " " << c.button;
        EXPECT_EQ(d.m_sigString, c.expected == IDOK ? "fake-signature" : "");
    }
}

} // namespace
