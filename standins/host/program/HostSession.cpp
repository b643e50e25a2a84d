#include "HostSession.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <optional>
#include <thread>

#include "HostCodePage.h"
#include "HostRecord.h"
#include "PadReplay.h"
#include "stroke_file.h"

namespace standin {
namespace {

using namespace penvane;

// Record sizes the host lays out (host-abi.md): at least 0x40 bytes, 0x58
// for SigningParams.
constexpr size_t kRecordBytes = 0x40;
constexpr size_t kSigningParamsBytes = 0x58;

std::string HostBytes(const std::string& utf8) { return EncodeHostBytes(Utf8ToUtf16(utf8)); }

// The stroke file through its UTF-16 name: a narrow path goes through the
// code page, which has no room for most non-ASCII names.
bool ReadStrokes(const std::string& utf8Path, pendata::PenRecord* record)
{
    const std::u16string wide = Utf8ToUtf16(utf8Path);
    FILE* f = _wfopen(reinterpret_cast<const wchar_t*>(wide.c_str()), L"rb");
    if (!f) return false;
    std::string text;
    char chunk[65536];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, f)) > 0;) text.append(chunk, n);
    fclose(f);
    return pendata::ParseStrokeFile(text, record);
}

// This process's capture dialog: other signings may show theirs on the same
// desktop at the same time.
HWND OwnCaptureDialog()
{
    for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, "Signature Capture"); w;
         w = FindWindowExA(nullptr, w, nullptr, "Signature Capture")) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == GetCurrentProcessId()) return w;
    }
    return nullptr;
}

// The person at the pad, for unattended signing: waits for the capture
// dialog for as long as the handler's call lasts (a loaded machine may take
// long to show it; the tool's time-out bounds the whole), replays the
// strokes onto its pad, and presses Accept. Says whether it did.
bool ReplaySigner(const pendata::PenRecord& record, const std::atomic<bool>& callDone)
{
    HWND dialog = nullptr, pad = nullptr;
    while (!pad && !callDone.load()) {
        dialog = OwnCaptureDialog();
        if (dialog && IsWindowVisible(dialog)) pad = GetDlgItem(dialog, 203);
        if (!pad) Sleep(10);
    }
    if (!pad || !quillix::replay::PostStrokes(pad, record)) return false;
    // Let the dialog's thread take every posted stroke before the click.
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 20000, &ignored);
    return PostMessageW(GetDlgItem(dialog, 202), BM_CLICK, 0, 0) != FALSE;
}

// The tool's path on the machine Wine runs on, as drive Z: shows it.
std::string WindowsPath(const std::string& path)
{
    if (path.empty() || path[0] != '/') return path;
    std::string out = "Z:" + path;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

std::optional<int32_t> IntEntry(HostBags& bags, ASCab bag, const char* key)
{
    const BagEntry* e = bags.Find(bag, key);
    if (!e || e->kind != BagEntryKind::Integer) return std::nullopt;
    return e->integer;
}

}  // namespace

HostSession::~HostSession()
{
    if (m_doc) m_host.viewer().CloseDocument(m_doc);
}

std::string HostSession::Answer(const Message& m)
{
    std::string error;
    if (m.op == "sign") {
        SignRequest r;
        return ReadSignRequest(m, &r, &error) ? Sign(r) : ErrorLine(error);
    }
    if (m.op == "appearance") return Appearance();
    if (m.op == "size") return SignatureValue(nullptr);
    if (m.op == "value") {
        std::string digest;
        return ReadValueRequest(m, &digest, &error) ? SignatureValue(&digest) : ErrorLine(error);
    }
    if (m.op == "validate") {
        std::string value, digest;
        return ReadValidateRequest(m, &value, &digest, &error) ? Validate(value, digest) : ErrorLine(error);
    }
    if (m.op == "layers") {
        ResultsBag preset;
        if (!ReadLayersRequest(m, &preset, &error)) return ErrorLine(error);
        ASCab bag = Bag(preset);
        std::string line = LayersAnswerLine(Layers(bag));
        m_host.bags().Destroy(bag);
        return line;
    }
    if (m.op == "quit") return QuitAnswerLine();
    return ErrorLine("unknown message \"" + m.op + "\"");
}

std::string HostSession::Sign(const SignRequest& r)
{
    if (m_doc) m_host.viewer().CloseDocument(m_doc);
    // The widget's page is the page in view; its rotation is the host's to report.
    m_doc = m_host.viewer().OpenDocument({static_cast<int16_t>(r.rotation)}, 0);
    SignatureFieldDescription field;
    if (r.fieldName) field.name = HostBytes(*r.fieldName);
    field.hasSeedValue = r.hasSeedValue;
    field.flags = r.seedFlags;
    if (r.reasons) {
        std::vector<std::string> reasons;
        for (const std::string& reason : *r.reasons) reasons.push_back(HostBytes(reason));
        field.reasons = reasons;
    }
    HostBags& bags = m_host.bags();
    ASCab typeBag = bags.Create(), certificateBag = bags.Create(), propertiesBag = bags.Create();
    unsigned char documentParams[kRecordBytes] = {};
    WriteAt(documentParams, 0x18, m_host.cos().SignatureField(field));
    WriteAt(documentParams, 0x28, r.width);
    WriteAt(documentParams, 0x2C, r.height);
    WriteAt(documentParams, 0x30, typeBag);
    unsigned char signingParams[kSigningParamsBytes] = {};
    WriteAt(signingParams, 0x30, certificateBag);
    WriteAt(signingParams, 0x38, propertiesBag);
    WriteAt(signingParams, 0x50, static_cast<void*>(documentParams));

    pendata::PenRecord record;
    if (r.strokes && !ReadStrokes(WindowsPath(*r.strokes), &record)) {
        for (ASCab bag : {typeBag, certificateBag, propertiesBag}) bags.Destroy(bag);
        return ErrorLine("the stroke file " + *r.strokes + " cannot be read as a stroke file");
    }
    std::atomic<bool> callDone{false};
    bool replayed = false;
    std::thread signer;
    if (r.strokes) signer = std::thread([&] { replayed = ReplaySigner(record, callDone); });
    const int32_t rc = m_handler.SignatureProperties(nullptr, signingParams);
    callDone = true;
    if (signer.joinable()) signer.join();
    if (r.strokes && !replayed) {
        for (ASCab bag : {typeBag, certificateBag, propertiesBag}) bags.Destroy(bag);
        return ErrorLine("the capture dialog never appeared, so the strokes were not replayed; no signature was made");
    }

    SigningAnswer a;
    a.outcome = rc == 1 ? ReadAt<int32_t>(signingParams, 0x28) : 0;
    a.type = bags.StringOf(typeBag, "type");
    a.certificate = bags.BinaryOf(certificateBag, "0");
    if (const BagEntry* reason = bags.Find(propertiesBag, "Reason"); reason && reason->kind == BagEntryKind::Text) {
        // PDF text in its Unicode form, as the host stores /Reason.
        std::u16string chars = m_host.texts().Chars(reason->text);
        a.reason = "\xFE\xFF";
        for (char16_t c : chars) {
            a.reason += static_cast<char>(c >> 8);
            a.reason += static_cast<char>(c & 0xFF);
        }
    }
    a.name = bags.StringOf(propertiesBag, "Name");
    a.location = bags.StringOf(propertiesBag, "Location");
    a.contactInfo = bags.StringOf(propertiesBag, "ContactInfo");
    for (ASCab bag : {typeBag, certificateBag, propertiesBag}) bags.Destroy(bag);
    return SigningAnswerLine(a);
}

std::string HostSession::Appearance()
{
    unsigned char request[kRecordBytes] = {};
    WriteAt(request, 0x10, m_doc);
    CosObj object = HostCos::Null();
    AppearanceAnswer a;
    if (m_handler.AppearanceObject(nullptr, &object, request, 0) == 1) {
        if (const FormObject* form = m_host.cos().FormObjectOf(object)) {
            a.present = true;
            a.drawing = form->data;
            std::memcpy(a.rect.data(), form->rect, sizeof form->rect);
            std::memcpy(a.bbox.data(), form->bbox, sizeof form->bbox);
        }
    }
    return AppearanceAnswerLine(a);
}

// onSignatureValue: the size (no digest) or the value for the digest.
std::string HostSession::SignatureValue(const std::string* digest)
{
    unsigned char request[kRecordBytes] = {};
    if (digest) {
        WriteAt(request, 0x10, static_cast<const void*>(digest->data()));
        WriteAt<uint16_t>(request, 0x20, 1);
    }
    if (m_handler.SignatureValue(nullptr, request) != 1) return ErrorLine("onSignatureValue failed");
    const uint32_t size = ReadAt<uint32_t>(request, 0x30);
    if (!digest) return SizeAnswerLine(size);
    void* value = ReadAt<void*>(request, 0x28);
    if (!value) return ErrorLine("onSignatureValue gave no value");
    std::string bytes(static_cast<const char*>(value), size);
    m_host.memory().Free(value);  // the host owns the value now
    return ValueAnswerLine(bytes);
}

ASCab HostSession::Bag(const ResultsBag& preset)
{
    ASCab bag = m_host.bags().Create();
    if (preset.digest) m_host.bags().SetInt(bag, "digest", *preset.digest);
    if (preset.trustFlags) m_host.bags().SetInt(bag, "trustFlags", *preset.trustFlags);
    if (preset.id) m_host.bags().SetInt(bag, "id", *preset.id);
    return bag;
}

std::vector<ValidityLayer> HostSession::Layers(ASCab results)
{
    std::vector<ValidityLayer> layers;
    for (int32_t kind : {1, 3}) {
        ValidityLayer layer;
        layer.kind = kind;
        ASAtom atom = m_handler.ValidityLayer(results, kind);
        if (atom != kNullAtom) {
            layer.name = m_host.atoms().NameOf(atom);
            const char* stream = nullptr;
            const ASFixed* box = nullptr;
            m_handler.LayerStream(atom, &stream, &box);
            if (stream && box) {
                layer.stream = std::string(stream);
                std::memcpy(layer.box.data(), box, sizeof(ASFixed) * 4);
            }
        }
        layers.push_back(layer);
    }
    return layers;
}

std::string HostSession::Validate(const std::string& value, const std::string& digest)
{
    ASCab results = m_host.bags().Create();
    unsigned char request[kRecordBytes] = {};
    WriteAt(request, 0x10, static_cast<const void*>(digest.data()));
    WriteAt(request, 0x18, static_cast<const void*>(value.data()));
    WriteAt<uint32_t>(request, 0x20, static_cast<uint32_t>(value.size()));
    WriteAt(request, 0x38, results);
    const int32_t rc = m_handler.Validate(nullptr, request);
    ValidationAnswer a;
    if (rc == 1) {
        a.digest = IntEntry(m_host.bags(), results, "digest");
        a.trustFlags = IntEntry(m_host.bags(), results, "trustFlags");
        a.id = IntEntry(m_host.bags(), results, "id");
    }
    for (int32_t id = 8; id <= 10; ++id) {
        ASText text = m_handler.ValidityText(m_doc ? m_doc : this, id);
        if (!text) continue;
        a.texts[id - 8] = EncodeHostBytes(m_host.texts().Chars(text));
        m_host.texts().Destroy(text);  // answered texts are the host's
    }
    a.layers = Layers(results);
    m_host.bags().Destroy(results);
    return ValidationAnswerLine(a);
}

}  // namespace standin
