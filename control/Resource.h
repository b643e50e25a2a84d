// Resource and control ids of the capture control module (shared by the
// resource script and the code, so plain macros).
#pragma once

#define IDS_PENVANEPDF 1
#define IDS_PENVANEPDF_PPG 2
#define IDS_PENVANEPDF_PPG_CAPTION 200

#define IDB_PENVANEPDF 1

#define IDD_PROPPAGE_PENVANEPDF 200
#define IDD_GETSIGDLG 201

// Controls of the capture dialog (IDCANCEL, 2, is its Cancel button).
#define IDC_ERASE 201
#define IDC_ACCEPT 202
#define IDC_PAD 203
#define IDC_REASON_LIST 213
#define IDC_REASON_PICK 214
#define IDC_REASON_ENTRY 215
#define IDC_CONTACT 216
#define IDC_LOCATION 217
#define IDC_CONTACT_LABEL 218
#define IDC_LOCATION_LABEL 219
#define IDC_PAD_SECOND 220

// The dialog's private message, posted to itself on every timer tick.
#define WM_CAPTURE_TICK (WM_USER + 13)
