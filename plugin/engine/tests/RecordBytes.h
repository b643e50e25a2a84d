// Request records laid out as a host lays them out (0x40 bytes, fields at
// their byte offsets), for tests that hand the engine a record.
#pragma once
#include <cstring>

#include "RequestRecords.h"

constexpr ASFixed Fixed(double value) { return static_cast<ASFixed>(value * 65536.0); }

// DocumentParams: appearance width at 0x28, height at 0x2C.
struct DocumentRecord {
    unsigned char bytes[0x40] = {};
    DocumentRecord(ASFixed width, ASFixed height)
    {
        std::memcpy(bytes + 0x28, &width, 4);
        std::memcpy(bytes + 0x2C, &height, 4);
    }
    DocumentParams View() const { return DocumentParams(bytes); }
};

// AppearanceRequest: the document at 0x10.
struct AppearanceRecord {
    unsigned char bytes[0x40] = {};
    explicit AppearanceRecord(PDDoc doc) { std::memcpy(bytes + 0x10, &doc, sizeof doc); }
    AppearanceRequest View() const { return AppearanceRequest(bytes); }
};
