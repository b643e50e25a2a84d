#include "Picture.h"

#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

#include "PdfError.h"

namespace penvane {
namespace {

std::string Num(double v) {
    char text[48];
    std::snprintf(text, sizeof text, "%.4f", std::fabs(v) < 1e-9 ? 0.0 : v);
    return text;
}

int Run(const std::vector<std::string>& argv) {
    pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::string PlaceMark(const FixedRect& box, const PdfRect& field, int rotation, double share) {
    const double bx0 = box[0] / 65536.0, by0 = box[1] / 65536.0, bx1 = box[2] / 65536.0, by1 = box[3] / 65536.0;
    const double bw = bx1 - bx0, bh = by1 - by0;
    if (bw <= 0 || bh <= 0) return std::string();
    const double fw = field[2] - field[0], fh = field[3] - field[1];
    const double side = std::min(fw, fh) * share;
    const double s = std::min(side / bw, side / bh);
    const double theta = rotation * M_PI / 180.0;
    const double cs = std::cos(theta), sn = std::sin(theta);
    // p -> centre + R(theta) * s * (p - box centre)
    const double a = s * cs, b = s * sn, c = -s * sn, d = s * cs;
    const double cx = (field[0] + field[2]) / 2, cy = (field[1] + field[3]) / 2;
    const double mx = (bx0 + bx1) / 2, my = (by0 + by1) / 2;
    const double e = cx - (a * mx + c * my), f = cy - (b * mx + d * my);
    return Num(a) + " " + Num(b) + " " + Num(c) + " " + Num(d) + " " + Num(e) + " " + Num(f) + " cm";
}

void RenderSignaturePicture(LoadedPdf& pdf, const SignatureReport& signature,
                            const std::vector<ValidityLayer>& layers, const std::string& png) {
    QPDF& q = *pdf.qpdf;
    std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(q).getAllPages();
    if (signature.page < 1 || signature.page > static_cast<int>(pages.size()))
        throw PdfError("the signature's field is on no page; no picture");
    QPDFPageObjectHelper page = pages[signature.page - 1];
    QPDFObjectHandle resources = page.getAttribute("/Resources", true);
    if (!resources.isDictionary()) {
        resources = QPDFObjectHandle::newDictionary();
        page.getObjectHandle().replaceKey("/Resources", resources);
    }
    if (!resources.getKey("/XObject").isDictionary())
        resources.replaceKey("/XObject", QPDFObjectHandle::newDictionary());
    QPDFObjectHandle xobjects = resources.getKey("/XObject");

    std::string content;
    int n = 0;
    for (const ValidityLayer& layer : layers) {
        if (!layer.stream) continue;
        std::string place = PlaceMark(layer.box, signature.rect, signature.rotation, 0.8);
        if (place.empty()) continue;
        QPDFObjectHandle form = QPDFObjectHandle::newStream(&q, *layer.stream);
        form.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
        form.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
        form.getDict().replaceKey("/BBox", QPDFObjectHandle::parse("[" + Num(layer.box[0] / 65536.0) + " " +
                                                                  Num(layer.box[1] / 65536.0) + " " +
                                                                  Num(layer.box[2] / 65536.0) + " " +
                                                                  Num(layer.box[3] / 65536.0) + "]"));
        std::string name = "/PenvaneValidityMark" + std::to_string(++n);
        xobjects.replaceKey(name, form);
        content += "q " + place + " " + name + " Do Q\n";
    }
    if (!content.empty()) page.addPageContents(QPDFObjectHandle::newStream(&q, content), false);

    char dir[] = "/tmp/penvane-pictureXXXXXX";
    if (!mkdtemp(dir)) throw PdfError("no temporary folder for the picture");
    const std::string copy = std::string(dir) + "/page.pdf", base = std::string(dir) + "/page";
    int rc = -1;
    try {
        QPDFWriter w(q, copy.c_str());
        w.setPreserveEncryption(false);
        w.write();
        rc = Run({"pdftoppm", "-q", "-png", "-r", "100", "-singlefile", "-f", std::to_string(signature.page), "-l",
                  std::to_string(signature.page), copy, base});
    } catch (const std::exception& e) {
        std::remove(copy.c_str());
        rmdir(dir);
        throw PdfError(std::string("the picture could not be made: ") + e.what());
    }
    std::remove(copy.c_str());
    if (rc == 0 && std::rename((base + ".png").c_str(), png.c_str()) != 0) {
        // Another file system: copy through.
        rc = Run({"cp", base + ".png", png});
        std::remove((base + ".png").c_str());
    }
    rmdir(dir);
    if (rc != 0)
        throw PdfError(rc == 127 ? "pdftoppm is missing: run bash scripts/setup.sh"
                                 : "pdftoppm could not render page " + std::to_string(signature.page));
}

}  // namespace penvane
