#include "Signing.h"

#include <qpdf/QPDFPageDocumentHelper.hh>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ByteRange.h"
#include "IncrementalUpdate.h"
#include "PdfError.h"
#include "ReaderAgreement.h"
#include "SigningRefusals.h"
#include "TextEncoding.h"

namespace penvane {
namespace {

const char kFilter[] = "/Orvel.PenvanePlus";
// The handler answers "signPKCS1" true and "signPKCS7" false: the value is a
// raw signature over SHA-1, not a CMS container.
const char kSubFilter[] = "/adbe.x509.rsa_sha1";
// The largest value this writer reserves room for: the handler's value is an
// OCTET STRING with a 16-bit length, so anything larger is a fault.
const uint32_t kMaxValueSize = 65535 + 4;
const size_t kByteRangeWidth = 64;

Fixed ToFixed(double points) { return static_cast<Fixed>(std::lround(points * 65536.0)); }

std::string Number(double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.4f", v);
    std::string s = text;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s == "-0" ? "0" : s;
}

std::string FixedText(Fixed v) { return Number(v / 65536.0); }

QPDFObjectHandle RectArray(const PdfRect& r) {
    return QPDFObjectHandle::parse("[" + Number(r[0]) + " " + Number(r[1]) + " " + Number(r[2]) + " " + Number(r[3]) + "]");
}

std::string UniqueFieldName(QPDF& qpdf) {
    const std::vector<std::string> taken = AllFieldNames(qpdf);
    for (int k = 1;; ++k) {
        std::string name = "Signature" + std::to_string(k);
        if (std::find(taken.begin(), taken.end(), name) == taken.end()) return name;
    }
}

bool Inside(const PdfRect& inner, const PdfRect& outer) {
    return inner[0] >= outer[0] && inner[1] >= outer[1] && inner[2] <= outer[2] && inner[3] <= outer[3];
}

// Lists `ref` in an array that may be direct (in `holder`) or indirect.
void AppendToArray(IncrementalUpdate& update, QPDFObjectHandle holder, const char* key, QPDFObjectHandle ref,
                   QPDFObjectHandle touchForDirect) {
    QPDFObjectHandle array = holder.getKey(key);
    if (array.isArray()) {
        array.appendItem(ref);
        update.Touch(array.isIndirect() ? array : touchForDirect);
    } else {
        holder.replaceKey(key, QPDFObjectHandle::newArray({ref}));
        update.Touch(touchForDirect);
    }
}

// The AcroForm lists the new field and says the document has signatures
// that must be kept by appending (SigFlags 1 | 2).
void RegisterField(IncrementalUpdate& update, QPDF& qpdf, QPDFObjectHandle fieldRef) {
    QPDFObjectHandle root = qpdf.getRoot();
    QPDFObjectHandle form = root.getKey("/AcroForm");
    if (!form.isDictionary()) {
        QPDFObjGen og = update.Reserve();
        QPDFObjectHandle dict = QPDFObjectHandle::newDictionary();
        dict.replaceKey("/SigFlags", QPDFObjectHandle::newInteger(3));
        if (!fieldRef.isNull()) dict.replaceKey("/Fields", QPDFObjectHandle::newArray({fieldRef}));
        else dict.replaceKey("/Fields", QPDFObjectHandle::newArray());
        update.Put(og, dict);
        root.replaceKey("/AcroForm", update.Reference(og));
        update.Touch(root);
        return;
    }
    QPDFObjectHandle holder = form.isIndirect() ? form : root;
    if (!fieldRef.isNull()) AppendToArray(update, form, "/Fields", fieldRef, holder);
    QPDFObjectHandle flags = form.getKey("/SigFlags");
    long long value = flags.isInteger() ? flags.getIntValue() : 0;
    if ((value & 3) != 3) {
        form.replaceKey("/SigFlags", QPDFObjectHandle::newInteger(value | 3));
        update.Touch(holder);
    }
}

std::string HexOfZeros(size_t bytes) { return std::string(bytes * 2, '0'); }

}  // namespace

bool ParseFieldPlace(const std::string& text, NewFieldPlace* out) {
    int page = 0;
    double v[4];
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%d:%lf,%lf,%lf,%lf%n", &page, &v[0], &v[1], &v[2], &v[3], &consumed) != 5 ||
        consumed != static_cast<int>(text.size()))
        return false;
    for (double d : v)
        if (!std::isfinite(d)) return false;
    out->page = page;
    out->rect = {std::min(v[0], v[2]), std::min(v[1], v[3]), std::max(v[0], v[2]), std::max(v[1], v[3])};
    return true;
}

std::string PdfDateNow() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "D:%Y%m%d%H%M%S+00'00'", &utc);
    return text;
}

SigningPlan PlanSigning(LoadedPdf& pdf, const SignOptions& options) {
    QPDF& q = *pdf.qpdf;
    std::vector<SignatureField> fields = ListSignatureFields(q);
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(q).getAllPages();
    RefuseCertifiedAgainstChanges(q);
    SigningPlan plan;
    if (options.newField) {
        const NewFieldPlace& place = *options.newField;
        if (place.page < 1 || place.page > static_cast<int>(pages.size()))
            throw PdfError("page " + std::to_string(place.page) + " is out of range: the document has " +
                           std::to_string(pages.size()) + " page(s)");
        plan.page = pages[place.page - 1].getObjectHandle();
        plan.pageNumber = place.page;
        plan.rect = place.rect;
        // Outside the crop box the signature would be made but never seen.
        PdfRect box = VisibleBox(plan.page);
        if (plan.rect[2] - plan.rect[0] <= 0 || plan.rect[3] - plan.rect[1] <= 0 || !Inside(plan.rect, box))
            throw PdfError("the rectangle " + Number(plan.rect[0]) + "," + Number(plan.rect[1]) + "," +
                           Number(plan.rect[2]) + "," + Number(plan.rect[3]) + " is outside page " +
                           std::to_string(place.page) + " (" + Number(box[0]) + "," + Number(box[1]) + "," +
                           Number(box[2]) + "," + Number(box[3]) + ") or has no area");
        plan.name = options.newFieldName ? *options.newFieldName : UniqueFieldName(q);
        if (plan.name.empty() || plan.name.find('.') != std::string::npos)
            throw PdfError("a field name must be non-empty and without '.'");
        RefuseTakenFieldName(q, plan.name);
    } else {
        // Of several fields of one name, an unsigned one is the one to sign.
        const SignatureField* chosen = nullptr;
        for (const auto& f : fields) {
            if (options.field ? f.name == *options.field : !f.IsSigned()) {
                if (!chosen || (chosen->IsSigned() && !f.IsSigned())) chosen = &f;
                if (!chosen->IsSigned()) break;
            }
        }
        if (!chosen) {
            if (options.field) throw PdfError("no signature field named \"" + *options.field + "\"");
            throw PdfError("the document has no unsigned signature field; make one with --new-field PAGE:X0,Y0,X1,Y1");
        }
        if (chosen->IsSigned()) throw PdfError("the field \"" + chosen->name + "\" is already signed");
        if (chosen->page < 1) throw PdfError("the field \"" + chosen->name + "\" is on no page");
        if (chosen->rect[2] - chosen->rect[0] <= 0 || chosen->rect[3] - chosen->rect[1] <= 0)
            throw PdfError("the field \"" + chosen->name + "\" has no area to sign in");
        plan.existing = *chosen;
        plan.name = chosen->name;
        plan.page = pages[chosen->page - 1].getObjectHandle();
        plan.pageNumber = chosen->page;
        plan.rect = chosen->rect;
        plan.request.hasSeedValue = chosen->hasSeedValue;
        plan.request.seedFlags = chosen->seedFlags;
        plan.request.reasons = chosen->reasons;
    }
    plan.rotation = PageRotation(plan.page);
    plan.request.fieldName = plan.name;
    // The widget as the reader sees it on the page: turned a quarter, its
    // width and height trade places.
    double w = plan.rect[2] - plan.rect[0], h = plan.rect[3] - plan.rect[1];
    if (plan.rotation == 90 || plan.rotation == 270) std::swap(w, h);
    plan.request.width = ToFixed(w);
    plan.request.height = ToFixed(h);
    plan.request.rotation = plan.rotation;
    return plan;
}

SignedUpdate BuildSignedUpdate(LoadedPdf& pdf, const SigningPlan& plan, const SigningAnswer& answer,
                               SignatureHandler& handler, const std::string& signingTime) {
    QPDF& q = *pdf.qpdf;
    IncrementalUpdate update(pdf);
    const QPDFObjGen sigOg = update.Reserve();
    const QPDFObjGen apOg = update.Reserve();

    // The appearance: a form XObject of the handler's drawing over its box.
    AppearanceAnswer appearance = handler.Appearance();
    QPDFObjectHandle form = QPDFObjectHandle::parse("<< /Type /XObject /Subtype /Form /Resources << >> >>");
    if (appearance.present && appearance.bbox[2] != appearance.bbox[0] && appearance.bbox[3] != appearance.bbox[1]) {
        form.replaceKey("/BBox", QPDFObjectHandle::parse("[" + FixedText(appearance.bbox[0]) + " " +
                                                         FixedText(appearance.bbox[1]) + " " +
                                                         FixedText(appearance.bbox[2]) + " " +
                                                         FixedText(appearance.bbox[3]) + "]"));
    } else {
        form.replaceKey("/BBox", RectArray({0, 0, plan.rect[2] - plan.rect[0], plan.rect[3] - plan.rect[1]}));
    }
    update.Put(apOg, form, appearance.present ? appearance.drawing : std::string());

    const uint32_t size = handler.ValueSize();
    if (size == 0 || size > kMaxValueSize)
        throw PdfError("the handler announced a signature value of " + std::to_string(size) + " bytes");

    // The signature dictionary, with room for /ByteRange and /Contents.
    auto text = [&](const std::string& bytes) { return update.EncryptedString(bytes, sigOg); };
    std::string sig = std::string("<< /Type /Sig /Filter ") + kFilter + " /SubFilter " + kSubFilter +
                      " /Cert " + text(answer.certificate) + " /Reason " + text(answer.reason) +
                      " /Name " + text(HostTextToPdfText(answer.name)) +
                      " /Location " + text(HostTextToPdfText(answer.location)) +
                      " /ContactInfo " + text(HostTextToPdfText(answer.contactInfo)) +
                      " /M " + text(signingTime) +
                      " /ByteRange [" + std::string(kByteRangeWidth, ' ') + "]" +
                      " /Contents <" + HexOfZeros(size) + "> >>";
    update.PutRaw(sigOg, sig);

    QPDFObjectHandle sigRef = update.Reference(sigOg);
    QPDFObjectHandle ap = QPDFObjectHandle::newDictionary();
    ap.replaceKey("/N", update.Reference(apOg));
    if (plan.existing) {
        QPDFObjectHandle field = plan.existing->field, widget = plan.existing->widget;
        field.replaceKey("/V", sigRef);
        widget.replaceKey("/AP", ap);
        update.Touch(field);
        if (widget.getObjGen() != field.getObjGen()) update.Touch(widget);
        RegisterField(update, q, QPDFObjectHandle::newNull());
    } else {
        const QPDFObjGen fieldOg = update.Reserve();
        QPDFObjectHandle field = QPDFObjectHandle::parse("<< /Type /Annot /Subtype /Widget /FT /Sig /F 4 >>");
        field.replaceKey("/T", QPDFObjectHandle::newUnicodeString(plan.name));
        field.replaceKey("/Rect", RectArray(plan.rect));
        field.replaceKey("/P", plan.page);
        field.replaceKey("/V", sigRef);
        field.replaceKey("/AP", ap);
        update.Put(fieldOg, field);
        QPDFObjectHandle fieldRef = update.Reference(fieldOg);
        AppendToArray(update, plan.page, "/Annots", fieldRef, plan.page);
        RegisterField(update, q, fieldRef);
    }

    SignedUpdate out;
    out.tail = update.Write();
    const long long base = static_cast<long long>(pdf.bytes.size());
    const size_t sigAt = update.OffsetInUpdate(sigOg);
    const size_t rangeAt = out.tail.find("/ByteRange [", sigAt) + 12;
    const size_t contentsAt = out.tail.find("/Contents <", sigAt) + 10;
    const long long start = base + static_cast<long long>(contentsAt);
    const long long end = start + 2 + 2 * static_cast<long long>(size);
    const long long total = base + static_cast<long long>(out.tail.size());
    ByteRange range{0, start, end, total - end};
    std::string numbers = "0 " + std::to_string(range[1]) + " " + std::to_string(range[2]) + " " + std::to_string(range[3]);
    out.tail.replace(rangeAt, numbers.size(), numbers);

    Sha1 sha;
    sha.Update(pdf.bytes);
    sha.Update(std::string_view(out.tail).substr(0, contentsAt));
    sha.Update(std::string_view(out.tail).substr(contentsAt + 2 + 2 * size));
    std::string value = handler.Value(sha.Final());
    if (value.size() > size)
        throw PdfError("the handler's signature value (" + std::to_string(value.size()) +
                       " bytes) is larger than the size it announced (" + std::to_string(size) + ")");
    std::string hex = ToHex(value);
    out.tail.replace(contentsAt + 1, hex.size(), hex);
    out.contentsOffset = start;
    return out;
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    struct stat sa{}, sb{};
    return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void RefuseExistingOutput(const std::string& path) {
    struct stat st{};
    if (lstat(path.c_str(), &st) == 0)
        throw PdfError(path + " exists already; give --force to replace it");
}

void WriteFileAtomically(const std::string& path, std::string_view head, std::string_view tail,
                         const OutputRules& rules) {
    std::string temp = path + ".partXXXXXX";
    int fd = mkstemp(&temp[0]);
    if (fd < 0) throw PdfError(path + ": cannot be written (" + std::strerror(errno) + ")");
    if (rules.partialFile) rules.partialFile(temp.c_str());
    bool ok = true;
    for (std::string_view part : {head, tail}) {
        while (ok && !part.empty()) {
            ssize_t n = ::write(fd, part.data(), part.size());
            if (n < 0 && errno == EINTR) continue;
            ok = n > 0;
            if (ok) part.remove_prefix(static_cast<size_t>(n));
        }
    }
    int error = errno;
    ok = ok && fchmod(fd, static_cast<mode_t>(rules.mode & 0777)) == 0 && fsync(fd) == 0;
    if (!ok) error = errno;
    ok = (::close(fd) == 0) && ok;
    bool exists = false;
    if (ok) {
        if (rules.replace) {
            ok = std::rename(temp.c_str(), path.c_str()) == 0;
        } else {
            // Never replacing: a file that appeared at the path since the
            // check before the capture is kept, not overwritten. File systems
            // without that kind of rename take a hard link instead.
            ok = renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0;
            if (!ok && (errno == EINVAL || errno == ENOSYS)) {
                ok = link(temp.c_str(), path.c_str()) == 0;
                if (ok) std::remove(temp.c_str());
            }
            exists = !ok && errno == EEXIST;
        }
        if (!ok) error = errno;
    }
    if (!ok) std::remove(temp.c_str());
    if (rules.partialFile) rules.partialFile(nullptr);
    if (exists) throw PdfError(path + " appeared while signing; it was kept and nothing was written");
    if (!ok) throw PdfError(path + ": cannot be written (" + std::strerror(error) + ")");
}

SignResult SignPdf(const SignOptions& options, SignatureHandler& handler, double* captureSeconds) {
    if (SameFile(options.input, options.output))
        throw PdfError("the output must be another file than the input " + options.input);
    if (!options.replaceOutput) RefuseExistingOutput(options.output);
    LoadedPdf pdf = LoadPdf(options.input, options.password);
    // A file that readers show differently cannot be signed for what it
    // shows; refused before anyone writes a signature.
    CheckReadersAgree(pdf);
    SigningPlan plan = PlanSigning(pdf, options);
    SignRequest request = plan.request;
    request.strokes = options.strokes;
    const auto before = std::chrono::steady_clock::now();
    SigningAnswer answer = handler.Sign(request);
    if (captureSeconds)
        *captureSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count();
    if (answer.outcome == 0) return SignResult::Cancelled;
    SignedUpdate update = BuildSignedUpdate(pdf, plan, answer, handler,
                                            options.signingTime.empty() ? PdfDateNow() : options.signingTime);
    // The signed copy is as private as the original.
    OutputRules rules;
    struct stat input{};
    if (stat(options.input.c_str(), &input) == 0) rules.mode = input.st_mode & 0777;
    rules.replace = options.replaceOutput;
    rules.partialFile = options.partialFile;
    WriteFileAtomically(options.output, pdf.bytes, update.tail, rules);
    return SignResult::Signed;
}

}  // namespace penvane
