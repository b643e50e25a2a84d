// libFuzzer target for the verdict: the input is turned into an incremental
// update appended to a signed document (objects rewritten or added, mostly
// from the document's own objects changed a little, a classic xref section
// and trailer or, one time in four, an xref stream with the dictionaries in
// an object stream, mostly right), and the result is verified as
// `penvane verify` does, with a handler that answers at once. Whenever the
// verdict is exit 0 the page a reader shows must be the signed one: both
// are rendered with pdftoppm and the target aborts when the pixels differ.
// A false "valid" is the one failure this looks for.
//
// The signed documents are the attack files' signed.pdf and
// signed-refs.pdf (the second names objects it leaves undefined), read once
// from PENVANE_ATTACKS.
#include <fuzzer/FuzzedDataProvider.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "InstantHandler.h"
#include "PdfError.h"
#include "Verification.h"

using namespace penvane;

namespace {

struct Document {
    std::string bytes;
    std::map<int, std::string> objects;  // newest body of each object, as written
    int size = 0;                        // the last trailer's /Size
    long long startxref = 0;
    std::string picture;                 // every page, rendered
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every page of `pdf` as pdftoppm draws it; "" when pdftoppm fails on it,
// nullopt when pdftoppm could not be run at all (no verdict on the file).
// posix_spawn, not popen: forking a process with the sanitizers' large
// mappings fails now and then under memory pressure.
std::optional<std::string> Render(const std::string& pdf) {
    char in[] = "/tmp/penvane-fuzz-update-XXXXXX";
    int fd = mkstemp(in);
    if (fd < 0) return std::nullopt;
    bool written = write(fd, pdf.data(), pdf.size()) == static_cast<ssize_t>(pdf.size());
    close(fd);
    const std::string out = std::string(in) + ".ppm";
    std::optional<std::string> picture;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const char* argv[] = {"timeout", "60", "pdftoppm", "-r", "36", in, nullptr};
    pid_t pid;
    int status = 0;
    if (written && posix_spawnp(&pid, "timeout", &actions, nullptr, const_cast<char* const*>(argv), environ) == 0 &&
        waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) != 124 &&
        WEXITSTATUS(status) != 127)
        picture = WEXITSTATUS(status) == 0 ? ReadFile(out) : std::string();
    posix_spawn_file_actions_destroy(&actions);
    unlink(in);
    unlink(out.c_str());
    return picture;
}

// Our signed files have no object streams and no `obj` inside a stream, so
// a scan finds every object.
Document Load(const std::string& path) {
    Document d;
    d.bytes = ReadFile(path);
    if (d.bytes.empty()) {
        std::cerr << "fuzz_update: cannot read " << path << "\n";
        std::abort();
    }
    for (size_t at = 0; (at = d.bytes.find(" 0 obj", at)) != std::string::npos; at += 6) {
        size_t start = d.bytes.find_last_of("\r\n", at);
        start = start == std::string::npos ? 0 : start + 1;
        int num = std::atoi(d.bytes.c_str() + start);
        size_t end = d.bytes.find("endobj", at);
        if (num <= 0 || end == std::string::npos) continue;
        size_t body = at + 6;
        while (body < end && (d.bytes[body] == '\n' || d.bytes[body] == '\r' || d.bytes[body] == ' ')) ++body;
        d.objects[num] = d.bytes.substr(body, end - body);
    }
    size_t size = d.bytes.rfind("/Size ");
    d.size = size == std::string::npos ? 0 : std::atoi(d.bytes.c_str() + size + 6);
    size_t sx = d.bytes.rfind("startxref");
    d.startxref = sx == std::string::npos ? 0 : std::atoll(d.bytes.c_str() + sx + 9);
    std::optional<std::string> picture = Render(d.bytes);
    if (!picture || picture->empty()) {
        std::cerr << "fuzz_update: pdftoppm cannot render " << path << "\n";
        std::abort();
    }
    d.picture = *picture;
    return d;
}

std::vector<Document>* documents = nullptr;
long long rendered = 0;  // verdicts of exit 0, each judged by its picture

const char kRangePlaceholder[] = "0 0000000000 0000000000 0000000000";

// The last placeholder range made to cover the file, its gap on the
// /Contents that follows it.
void CoverRevision(std::string& file) {
    size_t at = file.rfind(kRangePlaceholder);
    if (at == std::string::npos) return;
    size_t lt = file.find("/Contents <", at);
    size_t gt = lt == std::string::npos ? lt : file.find('>', lt);
    if (gt == std::string::npos) return;
    lt += 10;
    gt += 1;
    char range[64];
    std::snprintf(range, sizeof range, "0 %010zu %010zu %010zu", lt, gt, file.size() - gt);
    file.replace(at, sizeof kRangePlaceholder - 1, range);
}

const char* const kNames[] = {
    "/Contents", "/Resources", "/Annots", "/AP", "/N", "/V", "/AS", "/Off", "/Yes", "/OFF", "/ON", "/Font",
    "/XObject", "/ExtGState", "/Shading", "/Properties", "/Type", "/XRef", "/ObjStm", "/Sig", "/DocTimeStamp",
    "/FT", "/Widget", "/Stamp", "/Square", "/Kids", "/Fields", "/NeedAppearances", "/OCProperties", "/OpenAction",
    "/AA", "/Names", "/Outlines", "/Rect", "/F", "/P", "/Parent", "/MediaBox", "/Annot", "/Subtype", "/Form",
    "/F1", "/F2", "/Fx", "/Fx2", "/GS1", "/Sh1", "/Im1", "/oc1", "/D", "/Order", "/BBox", "/Filter", "/ByteRange",
};
const char* const kSnippets[] = {
    " /Contents [4 0 R 5 0 R]", " /Contents 5 0 R", " /NeedAppearances true", " /AS /Yes", " /V (9000.00)",
    " /F 2", " /F 4", " /Rect [0 0 612 792]", " /Type /XRef", " /Type /ObjStm", " /Type /DocTimeStamp",
    " /FT /Sig", " /Subtype /Widget", " /Subtype /Stamp", " /Fields []", " /AA << /O 5 0 R >>",
    " /OFF []", " /ON [18 0 R]", " /ca 0", " /Im1 20 0 R", " /Fx 31 0 R", " /Fx2 5 0 R", " 1 0 0 rg",
};

// True once in `n`, and never once the input is used up (the provider then
// answers its least values): a short input makes a well-formed update.
bool Rare(FuzzedDataProvider& in, int n) { return in.ConsumeIntegralInRange<int>(0, n - 1) == n - 1; }

std::string Pick(FuzzedDataProvider& in, const char* const* list, size_t n) {
    return list[in.ConsumeIntegralInRange<size_t>(0, n - 1)];
}

std::string Text(FuzzedDataProvider& in) {
    std::string s;
    for (char c : in.ConsumeRandomLengthString(24))
        s += (c == '(' || c == ')' || c == '\\' || c < 32) ? 'x' : c;
    return s;
}

// A body for a new object, from a few shapes that matter to a page.
std::string NewBody(FuzzedDataProvider& in, int size) {
    auto ref = [&] { return std::to_string(in.ConsumeIntegralInRange<int>(1, size + 4)) + " 0 R"; };
    auto rect = [&] {
        return "[" + std::to_string(in.ConsumeIntegralInRange<int>(0, 600)) + " " +
               std::to_string(in.ConsumeIntegralInRange<int>(0, 780)) + " 612 792]";
    };
    switch (in.ConsumeIntegralInRange<int>(0, 8)) {
    case 0: {
        std::string s = "BT /F1 " + std::to_string(in.ConsumeIntegralInRange<int>(4, 40)) + " Tf 72 " +
                        std::to_string(in.ConsumeIntegralInRange<int>(0, 780)) + " Td (" + Text(in) + ") Tj ET";
        return "<< /Length " + std::to_string(s.size()) + " >>\nstream\n" + s + "\nendstream";
    }
    case 1: return "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>";
    case 2: {
        std::string s = "1 g 0 0 300 40 re f BT /F1 12 Tf 0 g 2 10 Td (" + Text(in) + ") Tj ET";
        return "<< /Type /XObject /Subtype /Form /BBox [0 0 300 40] /Resources << /Font << /F1 " + ref() +
               " >> >> /Length " + std::to_string(s.size()) + " >>\nstream\n" + s + "\nendstream";
    }
    case 3:
        return "<< /Type /Annot /Subtype " + Pick(in, kNames, std::size(kNames)) + " /F 4 /P 3 0 R /Rect " + rect() +
               " /AP << /N " + ref() + " >>" + Pick(in, kSnippets, std::size(kSnippets)) + " >>";
    case 4: return "<< /Type /ExtGState /ca 0 /CA 0 >>";
    case 5: return "<< /OCGs [" + ref() + "] /D << /OFF [" + ref() + "] >> >>";
    case 6:
        // Another handler's signature; BuildUpdate makes its range cover the
        // revision, as a well-made one would.
        return std::string("<< /Type /Sig /Filter /Some.OtherHandler /ByteRange [") + kRangePlaceholder +
               "] /Contents <0000> >>";
    case 7: return "[" + ref() + " " + ref() + "]";
    default: return "<< /S /JavaScript /JS (" + Text(in) + ") >>";
    }
}

// The dictionary part of a body changed a few times; a stream keeps a right
// /Length unless the input asks for a wrong one.
std::string Mutate(FuzzedDataProvider& in, std::string body) {
    std::string data;
    size_t stream = body.find("stream");
    if (body.compare(0, 2, "<<") == 0 && stream != std::string::npos) {
        size_t end = body.rfind("endstream");
        size_t from = stream + 6 + (body[stream + 6] == '\r') + 1;
        data = end != std::string::npos && end > from ? body.substr(from, end - from) : "";
        while (!data.empty() && (data.back() == '\n' || data.back() == '\r')) data.pop_back();
        body = body.substr(0, stream);
        while (!body.empty() && (body.back() == '\n' || body.back() == ' ')) body.pop_back();
    } else {
        stream = std::string::npos;
    }
    for (int n = in.ConsumeIntegralInRange<int>(1, 4); n > 0 && in.remaining_bytes() > 0; --n) {
        switch (in.ConsumeIntegralInRange<int>(0, 4)) {
        case 0: {  // a name replaced
            size_t at = body.find('/', in.ConsumeIntegralInRange<size_t>(0, body.size()));
            if (at == std::string::npos) break;
            size_t end = body.find_first_of(" /[]<>()\n", at + 1);
            body.replace(at, (end == std::string::npos ? body.size() : end) - at, Pick(in, kNames, std::size(kNames)));
            break;
        }
        case 1: {  // a number replaced
            size_t at = body.find_first_of("0123456789", in.ConsumeIntegralInRange<size_t>(0, body.size()));
            if (at == std::string::npos) break;
            size_t end = body.find_first_not_of("0123456789", at);
            body.replace(at, (end == std::string::npos ? body.size() : end) - at,
                         std::to_string(in.ConsumeIntegralInRange<int>(0, 45)));
            break;
        }
        case 2: {  // an entry added after the opening <<
            size_t at = body.find("<<");
            if (at != std::string::npos) body.insert(at + 2, Pick(in, kSnippets, std::size(kSnippets)));
            break;
        }
        case 3:  // the stream's text changed
            if (stream != std::string::npos) {
                size_t at = in.ConsumeIntegralInRange<size_t>(0, data.size());
                data.insert(at, " " + Text(in) + " ");
            }
            break;
        default:  // a raw byte
            if (!body.empty()) body[in.ConsumeIntegralInRange<size_t>(0, body.size() - 1)] = in.ConsumeIntegral<char>();
        }
    }
    if (stream == std::string::npos) return body;
    size_t length = body.find("/Length ");
    if (length != std::string::npos) {
        size_t end = body.find_first_not_of("0123456789", length + 8);
        long long value = !Rare(in, 10) ? static_cast<long long>(data.size())
                                                                 : in.ConsumeIntegralInRange<int>(0, 2000);
        body.replace(length + 8, (end == std::string::npos ? body.size() : end) - length - 8, std::to_string(value));
    }
    return body + "\nstream\n" + data + "\nendstream";
}

std::string BuildUpdate(FuzzedDataProvider& in, const Document& d) {
    struct Object {
        int num, generation;
        std::string body;
    };
    std::vector<Object> objects;  // in the order written; a number may come twice
    int size = d.size;
    auto put = [&](int num, int generation, const std::string& body) {
        objects.push_back({num, generation, body});
        size = std::max(size, num + 1);
    };
    if (!Rare(in, 3)) {
        // What a later signature needs: an annotation listed by the page and
        // by the form, another handler's signature as its value and an
        // appearance (new, or an object the document already names), each
        // open to change below.
        const int annot = d.size + 10, sig = annot + 1, look = annot + 2;
        for (auto& [num, body] : d.objects) {
            std::string changed = body;
            for (const char* list : {"/Annots [", "/Fields ["}) {
                size_t at = changed.find(list);
                if (at != std::string::npos) changed.insert(at + std::strlen(list), std::to_string(annot) + " 0 R ");
            }
            if (changed != body) put(num, 0, changed);
        }
        int appearance = in.ConsumeBool() ? look : in.ConsumeIntegralInRange<int>(1, d.size + 4);
        std::string rect = in.ConsumeBool() ? "[0 0 612 792]" : "[70 555 300 575]";
        put(annot, 0, "<< /Type /Annot /Subtype " + std::string(in.ConsumeBool() ? "/Widget" : "/Stamp") +
                          " /FT /Sig /T (Later) /V " + std::to_string(sig) + " 0 R /F 4 /P 3 0 R /Rect " + rect +
                          " /AP << /N " + std::to_string(appearance) + " 0 R >> >>");
        put(sig, 0, std::string("<< /Type /Sig /Filter /Some.OtherHandler /ByteRange [") + kRangePlaceholder +
                        "] /Contents <0000> >>");
        if (appearance == look) {
            std::string text = "1 g 0 0 230 20 re f BT /F1 12 Tf 0 g 2 6 Td (" + Text(in) + ") Tj ET";
            put(look, 0, "<< /Type /XObject /Subtype /Form /BBox [0 0 230 20] /Resources << /Font << /F1 " +
                             std::to_string(in.ConsumeIntegralInRange<int>(1, d.size + 4)) + " 0 R >> >> /Length " +
                             std::to_string(text.size()) + " >>\nstream\n" + text + "\nendstream");
        }
    }
    for (int n = in.ConsumeIntegralInRange<int>(0, 4); n > 0; --n) {
        int num;
        std::string body;
        if (in.ConsumeBool() && !d.objects.empty()) {
            auto it = d.objects.begin();
            std::advance(it, in.ConsumeIntegralInRange<size_t>(0, d.objects.size() - 1));
            num = Rare(in, 10) ? d.size + n : it->first;
            body = Mutate(in, it->second);
        } else {
            // A new object, or one the signed revision names but leaves free.
            num = in.ConsumeBool() ? d.size + n : in.ConsumeIntegralInRange<int>(1, d.size + 4);
            body = NewBody(in, d.size);
        }
        put(num, Rare(in, 16) ? 1 : 0, body);
    }
    std::string out = d.bytes;
    if (out.back() != '\n') out += '\n';
    // Cross-reference entries: number -> type (1 at an offset, 2 in an
    // object stream), offset or stream, generation or index.
    struct Entry {
        int type;
        long long field2;
        int field3;
    };
    std::map<int, Entry> entries;
    auto write = [&](int num, int generation, const std::string& body) {
        entries[num] = {1, static_cast<long long>(out.size()), generation};
        out += std::to_string(num) + " " + std::to_string(generation) + " obj\n" + body + "\nendobj\n";
    };
    // The trailer's keys apart from the section's own.
    std::string trailer = Rare(in, 20) ? " /Root " + std::to_string(in.ConsumeIntegralInRange<int>(1, size)) + " 0 R"
                                       : std::string(" /Root 1 0 R");
    size_t info = d.bytes.rfind("/Info ");
    if (info != std::string::npos && info > d.bytes.rfind("trailer"))
        trailer += " " + d.bytes.substr(info, d.bytes.find('R', info) + 1 - info);
    if (!Rare(in, 20)) trailer += " /Prev " + std::to_string(d.startxref);
    if (Rare(in, 20)) trailer += Pick(in, kSnippets, std::size(kSnippets));

    if (!Rare(in, 4)) {
        // A classic section.
        for (const Object& o : objects) write(o.num, o.generation, o.body);
        const long long xref = static_cast<long long>(out.size());
        out += "xref\n";
        for (auto& [num, e] : entries) {
            if (Rare(in, 20)) continue;  // left out
            long long offset = e.field2;
            if (Rare(in, 20)) offset += in.ConsumeIntegralInRange<int>(-40, 40);
            char line[64];
            std::snprintf(line, sizeof line, "%d 1\n%010lld %05d n \n", num, offset < 0 ? 0 : offset, e.field3);
            out += line;
        }
        out += "trailer\n<< /Size " + std::to_string(size) + trailer + " >>\nstartxref\n" + std::to_string(xref) +
               "\n%%EOF\n";
    } else {
        // An xref stream, the dictionaries of generation 0 in one object
        // stream (a number written twice is there twice).
        const int objstm = size, xrefstm = size + 1;
        std::string header, content;
        int index = 0;
        for (const Object& o : objects) {
            if (o.generation != 0 || o.body.find("stream") != std::string::npos) {
                write(o.num, o.generation, o.body);
                continue;
            }
            header += std::to_string(o.num) + " " + std::to_string(content.size()) + " ";
            content += o.body + "\n";
            entries[o.num] = {2, objstm, index++ + (Rare(in, 10) ? 1 : 0)};
        }
        if (index > 0) {
            entries[objstm] = {1, static_cast<long long>(out.size()), 0};
            out += std::to_string(objstm) + " 0 obj\n<< /Type /ObjStm /N " + std::to_string(index) + " /First " +
                   std::to_string(header.size()) + " /Length " + std::to_string(header.size() + content.size()) +
                   " >>\nstream\n" + header + content + "\nendstream\nendobj\n";
        }
        const long long xref = static_cast<long long>(out.size());
        entries[xrefstm] = {1, xref, 0};
        std::string rows, list;
        for (auto& [num, e] : entries) {
            rows += static_cast<char>(e.type);
            for (int shift = 24; shift >= 0; shift -= 8) rows += static_cast<char>((e.field2 >> shift) & 0xff);
            rows += static_cast<char>((e.field3 >> 8) & 0xff);
            rows += static_cast<char>(e.field3 & 0xff);
            list += std::to_string(num) + " 1 ";
        }
        out += std::to_string(xrefstm) + " 0 obj\n<< /Type /XRef /Size " + std::to_string(xrefstm + 1) + trailer +
               " /W [1 4 2] /Index [" + list + "] /Length " + std::to_string(rows.size()) + " >>\nstream\n" + rows +
               "\nendstream\nendobj\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    }
    CoverRevision(out);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    documents = new std::vector<Document>{Load(PENVANE_ATTACKS "/signed.pdf"), Load(PENVANE_ATTACKS "/signed-refs.pdf")};
    // How often the picture was judged: a run that never reaches exit 0
    // proves little.
    std::atexit([] { std::cerr << "fuzz_update: " << rendered << " verdicts of exit 0 judged by their picture\n"; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const Document& d = (*documents)[in.ConsumeBool()];
    std::string file = BuildUpdate(in, d);
    VerifyReport report;
    try {
        LoadedPdf pdf = LoadPdfBytes("update.pdf", file, "");
        InstantHandler handler;
        report = VerifyPdf(pdf, &handler);
    } catch (const PdfError&) {
        return 0;  // refused: never a false "valid"
    }
    if (report.ExitCode() != 0) return 0;
    std::optional<std::string> picture = Render(file);
    if (!picture) return 0;  // pdftoppm did not run: no judgement
    ++rendered;
    if (*picture != d.picture) {
        // The file itself beside the input, to look at.
        std::ofstream("false-valid.pdf", std::ios::binary) << file;
        std::cerr << "fuzz_update: exit 0, but the page a reader shows is not the signed one (false-valid.pdf)\n";
        std::abort();
    }
    return 0;
}
