// Dialog template bytes, platform-free: the framework hosts ActiveX controls
// named in a template by class identifier ("{CLSID}" as the item class), which
// the system dialog manager cannot create. SplitDialogTemplate copies the
// template without those items and lists them, to be created after the
// dialog window exists. ParseDlgInit reads the companion initialisation
// resource. Both refuse malformed input with a clear error, never reading
// outside the bytes given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fw {

struct DialogOleItem {
    size_t order;          // position among all items of the original template
    uint32_t id;
    std::u16string clsidText;  // "{...}"
    std::u16string title;
    uint32_t style;
    uint32_t exStyle;
    int16_t x, y, cx, cy;  // dialog units
};

struct SplitTemplate {
    std::vector<uint8_t> bytes;         // the template without ActiveX items
    std::vector<DialogOleItem> oleItems;
    std::vector<uint32_t> itemIds;      // ids of all items, in template order
};

bool SplitDialogTemplate(const uint8_t* data, size_t size, SplitTemplate* out, std::string* error);

// Initialisation resource (type 240, same id as the dialog): records of
// WORD control id, WORD message, DWORD length, then `length` bytes, ended by
// a WORD 0. Message 0x0376 carries a hosted control's persisted stream;
// LB_ADDSTRING and CB_ADDSTRING carry a zero-terminated 8-bit string.
struct DlgInitEntry {
    uint16_t id;
    uint16_t message;
    std::vector<uint8_t> data;
};
const uint16_t kDlgInitLoadFromStream = 0x0376;

bool ParseDlgInit(const uint8_t* data, size_t size, std::vector<DlgInitEntry>* out, std::string* error);

} // namespace fw
