// The stand-in pad-capture control: a window that takes pen strokes (mouse
// strokes, and pen input through WM_POINTER where the system offers it) while
// its capture state is 1, draws the ink as it is written, tells its host at
// the end of each stroke (PadNotify), and hands every other operation to the
// pen-data unit's PenPad.
#pragma once

#include "Framework.h"
#include "StrokeInput.h"
#include "pen_pad.h"

// How the pad looks: the control's persisted state (see README.md for the
// stream layout).
struct QuillixAppearance {
    long inkColor;   // COLORREF
    long backColor;  // COLORREF
    short inkWidth;  // pixels, 1 .. kMaxInkWidth
    short border;    // non-zero: a thin frame around the pad
    short uniformInk; // non-zero: every stroke at the ink width; 0: width follows pen pressure
};

class CQuillixCtrl : public COleControl {
public:
    static constexpr short kMaxInkWidth = 16;

    CQuillixCtrl();
    ~CQuillixCtrl() override;

    void DoPropExchange(CPropExchange* px) override;
    void OnDraw(CDC* dc, const CRect& bounds, const CRect& invalid) override;

    DECLARE_OLECREATE_EX(CQuillixCtrl)
    DECLARE_OLETYPELIB(CQuillixCtrl)
    DECLARE_OLECTLTYPE(CQuillixCtrl)
    DECLARE_DISPATCH_MAP()
    DECLARE_MESSAGE_MAP()

protected:
    // Drawing box and placement.
    short GetPdfWidth() { return (short)m_pad.Drawing().width; }
    void SetPdfWidth(short value) { m_pad.SetPdfWidth(value); }
    short GetPdfHeight() { return (short)m_pad.Drawing().height; }
    void SetPdfHeight(short value) { m_pad.SetPdfHeight(value); }
    short GetPdfPenWidth() { return (short)m_pad.Drawing().penWidth; }
    void SetPdfPenWidth(short value) { m_pad.SetPdfPenWidth(value); }
    short GetRotation() { return (short)m_pad.Drawing().rotation; }
    void SetRotation(short value) { m_pad.SetRotation(value); }
    short GetJustifyX() { return (short)m_pad.Drawing().justifyX; }
    void SetJustifyX(short value) { m_pad.SetJustifyX(value); }
    short GetJustifyY() { return (short)m_pad.Drawing().justifyY; }
    void SetJustifyY(short value) { m_pad.SetJustifyY(value); }
    short GetJustifyMode() { return (short)m_pad.Drawing().justifyMode; }
    void SetJustifyMode(short value) { m_pad.SetJustifyMode(value); }
    short GetPdfOption() { return m_pdfOption; }
    void SetPdfOption(short value) { m_pdfOption = value; }
    BOOL GetRotatedFlag() { return m_rotatedFlag; }
    void SetRotatedFlag(BOOL value) { m_rotatedFlag = value ? TRUE : FALSE; }
    void GetPdfData(BSTR* data);

    // The pad.
    short GetPadExtentX() { return (short)m_pad.PadExtentX(); }
    short GetPadExtentY() { return (short)m_pad.PadExtentY(); }
    short GetCaptureState() { return m_captureState; }
    void SetCaptureState(short value);
    char GetPadFeatureFlag() { return m_padFeatureFlag; }
    void SetPadFeatureFlag(char value) { m_padFeatureFlag = value; }
    void EnablePadFeature(short feature) { m_enabledFeature = feature; }
    void ClearPad();
    short GetPointCount() { return (short)m_pad.PointCount(); }

    // The text form.
    short GetCompressionMode() { return (short)m_pad.CompressionMode(); }
    void SetCompressionMode(short value) { m_pad.SetCompressionMode(value); }
    short GetEncryptionMode() { return (short)m_pad.EncryptionMode(); }
    void SetEncryptionMode(short value) { m_pad.SetEncryptionMode(value); }
    void SetKeyString(const char* key) { m_pad.SetKeyString(key ? key : ""); }
    std::string GetSignatureString() { return m_pad.GetSignatureString(); }
    void SetSignatureString(const char* text);

    // Pen input.
    void OnLButtonDown(UINT flags, CPoint point);
    void OnMouseMove(UINT flags, CPoint point);
    void OnLButtonUp(UINT flags, CPoint point);
    LRESULT OnPointerDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnPointerUpdate(WPARAM wParam, LPARAM lParam);
    LRESULT OnPointerUp(WPARAM wParam, LPARAM lParam);

private:
    enum class PenEvent { Down, Move, Up };
    void HandlePen(PenEvent event, const quillix::PixelSample& sample);
    LRESULT HandlePointer(PenEvent event, WPARAM wParam);
    // Ends a stroke in progress without a last point; PadNotify when there was one.
    void CancelStroke();
    void EndStroke();
    quillix::ClientSize Client() const;
    void DrawSegment(int fromX, int fromY, int toX, int toY);
    // The end of the stroke being written, as outlines whose width follows
    // the pen; false when that stroke is drawn at one width.
    bool DrawPressureTail();
    bool PressureInk() const { return m_look.uniformInk == 0; }

    pendata::PenPad m_pad;
    quillix::StrokeInput m_input;
    QuillixAppearance m_look;
    short m_captureState = 0;
    short m_pdfOption = 0;
    BOOL m_rotatedFlag = FALSE;
    char m_padFeatureFlag = 0;
    short m_enabledFeature = 0;
};
