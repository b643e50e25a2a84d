// The pad in a modal dialog made from a template, as the capture dialog hosts
// it: both pads load their 129-byte blocks, and strokes replayed inside the
// dialog's own loop reach the pad with one PadNotify each.
#include "CQuillix.h"
#include "PadReplay.h"
#include "QuillixTestSupport.h"

namespace {

using namespace quillix::testing;

::testing::Environment* const g_environment = ::testing::AddGlobalTestEnvironment(new Environment);

const UINT kStrokesDone = WM_APP + 1;

class PadDialog : public CDialog {
public:
    PadDialog() : CDialog(201) {}
    int notifications = 0;
    short points = -1;
    short inkWidth203 = -1;
    short inkWidth220 = -1;

protected:
    void DoDataExchange(CDataExchange* dx) override
    {
        DDX_Control(dx, 203, m_pad);
        DDX_Control(dx, 220, m_second);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        inkWidth203 = InkWidth(m_pad);
        inkWidth220 = InkWidth(m_second);
        m_pad.SetCaptureState(1);
        m_pad.EnablePadFeature(1);
        m_pad.SetPadFeatureFlag(1);
        // Queued behind the strokes, so it is handled after all of them.
        if (quillix::replay::PostStrokeFile(m_pad.GetSafeHwnd(), SampleStrokeFile()))
            PostMessage(kStrokesDone, 0, 0);
        else
            EndDialog(3);
        return TRUE;
    }
    LRESULT OnStrokesDone(WPARAM, LPARAM)
    {
        m_pad.SetCaptureState(0);
        points = m_pad.GetPointCount();
        EndDialog(IDOK);
        return 0;
    }
    void OnPadNotify() { ++notifications; }

    static short InkWidth(CQuillix& pad)
    {
        IPersistStreamInit* persist = nullptr;
        IStream* stream = nullptr;
        short width = -1;
        if (FAILED(pad.GetControlUnknown()->QueryInterface(IID_IPersistStreamInit, (void**)&persist))) return width;
        if (SUCCEEDED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) && SUCCEEDED(persist->Save(stream, TRUE))) {
            LARGE_INTEGER at = {};
            at.QuadPart = 20;
            stream->Seek(at, STREAM_SEEK_SET, nullptr);
            stream->Read(&width, sizeof width, nullptr);
        }
        if (stream) stream->Release();
        persist->Release();
        return width;
    }

    CQuillix m_pad;
    CQuillix m_second;
    DECLARE_MESSAGE_MAP()
    DECLARE_EVENTSINK_MAP()
};

BEGIN_MESSAGE_MAP(PadDialog, CDialog)
    ON_MESSAGE(kStrokesDone, OnStrokesDone)
END_MESSAGE_MAP()

BEGIN_EVENTSINK_MAP(PadDialog, CDialog)
    ON_EVENT(PadDialog, 203, quillix::eventid::PadNotify, OnPadNotify, VTS_NONE)
END_EVENTSINK_MAP()

class QuillixInDialog : public LeakCheckedTest {};

TEST_F(QuillixInDialog, TemplatePadsLoadTheirBlocksAndTakeReplayedStrokes)
{
    PadDialog dialog;
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.inkWidth203, 2);
    EXPECT_EQ(dialog.inkWidth220, 5);
    EXPECT_EQ(dialog.points, 1146);
    EXPECT_EQ(dialog.notifications, 4);
}

} // namespace
