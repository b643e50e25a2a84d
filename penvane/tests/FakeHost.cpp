// A native stand-in for the host program with the plug-in loaded, for the
// tool's tests only: it speaks the line protocol and answers with the pen-data
// unit the pad stand-in is built on (ink drawing, digest-keyed values, point
// counts), so signing and verifying run end to end without Wine. The real
// answers come from penvane-host.exe with PenvanePlus.api.
//
//   penvane_fake_host [--hang-on OP] [--exit-on OP] [--close-on OP] [--flood-on OP]
//                     [--cancel yes] [--tag WORD]
// --hang-on never answers OP; --exit-on ends at OP; --close-on closes its
// output at OP and lives on; --flood-on answers OP with bytes and no line end,
// without end; --cancel answers every signing as cancelled; --tag is ignored
// (a word to find the process by).
#include <cstring>
#include <unistd.h>
#include <iostream>
#include <string>

#include "HandlerMessages.h"
#include "pen_pad.h"
#include "stroke_file.h"

using namespace penvane;

namespace {

const char kInitialKey[] = "4826482648264826";

// Small stand-in marks; the handler's own are its constant data.
const char kCheck[] = "q 0 0.6 0 rg 10 50 m 40 10 l 90 90 l 40 30 l h f Q";
const char kQuestion[] = "q 0.8 0.8 0 rg 30 20 40 20 re f 30 50 m 30 90 l 70 90 l 70 50 l h f Q";
const char kCross[] = "q 1 0 0 rg 10 20 m 20 10 l 90 80 l 80 90 l h f 80 10 m 90 20 l 20 90 l 10 80 l h f Q";

struct State {
    pendata::PenPad pad;
    bool captured = false;
};

std::vector<ValidityLayer> LayersFor(std::optional<int32_t> digest) {
    int v = digest.value_or(0);
    ValidityLayer one{1, std::nullopt, std::nullopt, {}}, three{3, std::nullopt, std::nullopt, {}};
    const FixedRect box{0, 0, 100 << 16, 100 << 16};
    if (v == 0 || v == 1 || v == 2) one = {1, std::string("Unknown"), std::string(kQuestion), box};
    if (v == 4 || v == 5 || v == 7) one = {1, std::string("Valid"), std::string(kCheck), box};
    if (v == 3 || v == 6) three = {3, std::string("Invalid"), std::string(kCross), box};
    return {one, three};
}

std::string Answer(State& s, const Message& m) {
    std::string error;
    if (m.op == "sign") {
        SignRequest r;
        if (!ReadSignRequest(m, &r, &error)) return ErrorLine(error);
        SigningAnswer a;
        a.type = "none";
        a.certificate = "FAKE CERTIFICATE";
        pendata::PenRecord record;
        if (!r.strokes || !pendata::ReadStrokeFile(*r.strokes, &record)) return SigningAnswerLine(a);  // cancelled
        s.pad = pendata::PenPad();
        s.pad.SetPadExtent(record.extentX, record.extentY);
        s.pad.SetCaptureState(1);
        for (const auto& stroke : record.strokes) {
            bool first = true;
            for (const auto& p : stroke.points) {
                pendata::PenSample sample{p.x, p.y};
                first ? s.pad.PenDown(sample) : s.pad.PenMove(sample);
                first = false;
            }
            s.pad.PenUp();
        }
        s.pad.SetEncryptionMode(4);
        s.pad.SetKeyString(kInitialKey);
        s.pad.SetPdfWidth(r.width >> 16);
        s.pad.SetPdfHeight(r.height >> 16);
        s.pad.SetPdfPenWidth(4);
        s.pad.SetRotation(r.rotation);
        s.captured = true;
        a.outcome = 2;
        a.reason = std::string("\xFE\xFF\0I\0 \0a\0p\0p\0r\0o\0v\0e", 20);
        a.name = "Test Signer";
        a.location = "Z\xFCrich";   // Windows-1252
        a.contactInfo = "signer@example.org";
        return SigningAnswerLine(a);
    }
    if (m.op == "appearance") {
        AppearanceAnswer a;
        a.present = s.captured && s.pad.GetPdfData(&a.drawing);
        const auto& d = s.pad.Drawing();
        bool turned = d.rotation == 90 || d.rotation == 270;
        a.bbox = {0, 0, (turned ? d.height : d.width) << 16, (turned ? d.width : d.height) << 16};
        a.rect = a.bbox;
        return AppearanceAnswerLine(a);
    }
    if (m.op == "size") return SizeAnswerLine(static_cast<uint32_t>(s.pad.GetSignatureString().size() / 2 + 4));
    if (m.op == "value") {
        std::string digest;
        if (!ReadValueRequest(m, &digest, &error)) return ErrorLine(error);
        s.pad.SetKeyString(ToHex(digest));
        std::string payload;
        FromHex(s.pad.GetSignatureString(), &payload);
        std::string value = "\x04\x82";
        value += static_cast<char>(payload.size() >> 8);
        value += static_cast<char>(payload.size() & 0xFF);
        return ValueAnswerLine(value + payload);
    }
    if (m.op == "validate") {
        std::string value, digest;
        if (!ReadValidateRequest(m, &value, &digest, &error)) return ErrorLine(error);
        ValidationAnswer a;
        pendata::PenPad check;
        check.SetEncryptionMode(4);
        check.SetKeyString(ToHex(digest));
        if (value.size() >= 4 && value.compare(0, 2, "\x04\x82") == 0 && check.SetSignatureString(ToHex(value.substr(4))) &&
            check.PointCount() > 0) {
            a.digest = 7;
            a.trustFlags = 0xFFFF;
            a.id = 4;
        }
        a.texts = {std::string("The PenvanePlus Signature is Valid."), std::string("PenvanePlus Signature"),
                   std::string("PenvanePlus Signature")};
        a.layers = LayersFor(a.digest);
        return ValidationAnswerLine(a);
    }
    if (m.op == "layers") {
        ResultsBag bag;
        if (!ReadLayersRequest(m, &bag, &error)) return ErrorLine(error);
        return LayersAnswerLine(LayersFor(bag.digest));
    }
    if (m.op == "quit") return QuitAnswerLine();
    return ErrorLine("unknown message \"" + m.op + "\"");
}

}  // namespace

int main(int argc, char** argv) {
    std::string hangOn, exitOn, closeOn, floodOn;
    bool cancel = false;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--hang-on")) hangOn = argv[i + 1];
        if (!std::strcmp(argv[i], "--exit-on")) exitOn = argv[i + 1];
        if (!std::strcmp(argv[i], "--close-on")) closeOn = argv[i + 1];
        if (!std::strcmp(argv[i], "--flood-on")) floodOn = argv[i + 1];
        if (!std::strcmp(argv[i], "--cancel")) cancel = true;
    }
    State state;
    for (std::string line; std::getline(std::cin, line);) {
        Message m = ParseLine(line);
        if (!m.error.empty()) {
            std::cout << ErrorLine(m.error) << std::flush;
            continue;
        }
        if (m.op == hangOn)
            for (;;) pause();
        if (m.op == exitOn) return 3;
        if (m.op == closeOn) {
            close(1);
            for (;;) pause();
        }
        if (m.op == floodOn) {
            const std::string junk(65536, 'x');
            for (;;)
                if (write(1, junk.data(), junk.size()) < 0) return 4;
        }
        if (cancel && m.op == "sign") {
            SigningAnswer none;
            std::cout << SigningAnswerLine(none) << std::flush;
            continue;
        }
        std::cout << "noise a host may print\n" << Answer(state, m) << std::flush;
        if (m.op == "quit") return 0;
    }
    return 0;
}
