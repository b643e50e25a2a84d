// penvane: sign and verify PDF files with the PenvanePlus signature handler.
// The PDF work happens here; every handler answer comes from the host
// program that loads the plug-in (PENVANE_HOST, set by scripts/penvane).
#include <CLI/CLI.hpp>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <unistd.h>

#include "Compare.h"
#include "Interruption.h"
#include "PdfError.h"
#include "Picture.h"
#include "Preflight.h"
#include "ProtocolHandler.h"
#include "Report.h"
#include "Signing.h"
#include "Verification.h"
#include "VerifyMany.h"

using namespace penvane;

namespace {

constexpr int kExitError = 2;

std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) throw PdfError("the current folder cannot be read");
    return std::string(cwd) + "/" + path;
}

int Fields(const std::vector<std::string>& files, const std::string& password, bool asJson) {
    nlohmann::json all = nlohmann::json::array();
    for (const std::string& file : files) {
        LoadedPdf pdf = LoadPdf(file, password);
        std::vector<SignatureField> fields = ListSignatureFields(*pdf.qpdf);
        if (asJson) all.push_back(FieldsJson(file, fields));
        else std::cout << FieldsText(file, fields);
    }
    if (asJson) std::cout << nlohmann::json{{"files", all}}.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    return 0;
}

int Sign(SignOptions options) {
    // Everything that can be found wrong without the host is found first.
    if (options.strokes) {
        CheckStrokeFile(*options.strokes);
        options.strokes = Absolute(*options.strokes);
    } else {
        CheckDisplayForDialog(std::getenv("DISPLAY"));
    }
    if (SameFile(options.input, options.output))
        throw PdfError("the output must be another file than the input " + options.input);
    if (!options.replaceOutput) RefuseExistingOutput(options.output);
    if (std::getenv("PENVANE_CHECK_ONLY")) {
        // scripts/penvane asks this before it brings Wine up, so that every
        // mistake in the command is named at once.
        LoadedPdf pdf = LoadPdf(options.input, options.password);
        PlanSigning(pdf, options);
        return 0;
    }
    options.partialFile = SetInterruptiblePartialFile;
    ProtocolHandler handler(HostCommandFromEnvironment());
    handler.Start();
    const auto start = std::chrono::steady_clock::now();
    double capture = 0;
    SignResult result = SignPdf(options, handler, &capture);
    if (std::getenv("PENVANE_TIMING"))
        std::fprintf(stderr, "timing: total_s=%.3f capture_s=%.3f\n",
                     std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), capture);
    if (result == SignResult::Cancelled) {
        std::cerr << "penvane: the signer cancelled, or pressed Accept with fewer pen points than the pad's "
                     "\"MinPoints\" setting asks (10 unless the settings file says otherwise); no signature was "
                     "made and "
                  << options.output << " was not written\n";
        return 1;
    }
    std::cout << "signed: " << options.output << "\n";
    return 0;
}

// The last document's qpdf instances are left to the end of the process:
// freeing the objects of a document with large arrays costs milliseconds
// that the exit spends for nothing.
void LeaveForExit(LoadedPdf& pdf) {
    static auto* kept = new std::vector<std::unique_ptr<QPDF>>();
    kept->push_back(std::move(pdf.qpdf));
    kept->push_back(std::move(pdf.wholeReading));
}

std::string PictureName(const std::string& base, int n) {
    if (n == 1) return base;
    size_t dot = base.rfind('.');
    size_t slash = base.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return base + "-" + std::to_string(n);
    return base.substr(0, dot) + "-" + std::to_string(n) + base.substr(dot);
}

int Verify(const std::vector<std::string>& files, const std::string& password, bool asJson, const std::string& picture,
           const CompareRequest& compare) {
    if (!picture.empty()) CheckPictureFolder(picture);
    if (std::getenv("PENVANE_CHECK_ONLY")) return 0;
    // Many files (without pictures, which are numbered in order, and without
    // drawings, which need the loaded file) are verified by several workers
    // at once; their reports follow in order.
    std::vector<FileOutcome> outcomes;
    if (files.size() > 1 && picture.empty() && !compare.Wanted())
        outcomes = VerifyFiles(files, password, VerifyWorkers(files.size()), [] {
            auto h = std::make_unique<ProtocolHandler>(HostCommandFromEnvironment());
            h->Start();
            return h;
        });
    ProtocolHandler handler(HostCommandFromEnvironment());
    if (outcomes.empty()) handler.Start();
    nlohmann::json all = nlohmann::json::array();
    int exitCode = 0, pictures = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& file = files[i];
        LoadedPdf pdf;
        VerifyReport report;
        RenderChecks checks;
        std::ostringstream written;  // told after the report
        try {
            if (!outcomes.empty()) {
                if (!outcomes[i].report) throw PdfError(outcomes[i].error);
                report = *outcomes[i].report;
            } else {
                pdf = LoadPdf(file, password);
                report = VerifyPdf(pdf, &handler);
                // Among several files, the second and later get their own
                // picture and folder, numbered as --picture numbers its pictures.
                CompareRequest mine = compare;
                const int n = static_cast<int>(i) + 1;
                if (!mine.picture.empty()) mine.picture = PictureName(mine.picture, n);
                if (!mine.folder.empty() && n > 1) mine.folder += "-" + std::to_string(n);
                CompareDrawings(pdf, report, mine, &checks, written, asJson);
            }
        } catch (const std::exception& e) {
            // One file alone answers with the plain error. Among several, a
            // damaged one is reported in its place and the others still get
            // their verdicts; the run's exit code is then the error's. (qpdf's
            // own errors, from deep inside a damaged file, are such errors too.)
            if (files.size() == 1) throw;
            exitCode = kExitError;
            if (asJson) all.push_back({{"file", file}, {"error", e.what()}, {"exitCode", kExitError}});
            else std::cout << "error: " << e.what() << "\n";  // the message names the file
            continue;
        }
        exitCode = std::max(exitCode, report.ExitCode());
        if (i + 1 == files.size() && pdf.qpdf) LeaveForExit(pdf);
        if (asJson) all.push_back(VerifyJson(report, &checks));
        else std::cout << VerifyText(report, &checks) << written.str();
        if (picture.empty()) continue;
        for (const SignatureReport& s : report.signatures) {
            if (!s.ours || s.page < 1) continue;
            // The handler's mark for what this verification found: its own
            // answer for a valid signature; for one valid only for its
            // revision, the mark of an empty results bag; for an invalid one,
            // the mark of the invalid code.
            std::vector<ValidityLayer> layers;
            if (s.valid && !s.ChangedAfterSigning() && s.answer) layers = s.answer->layers;
            else if (s.valid) layers = handler.Layers(ResultsBag{});
            else layers = handler.Layers(ResultsBag{3, std::nullopt, std::nullopt});
            LoadedPdf copy = LoadPdfView(file, pdf.storage, pdf.bytes, password);
            std::string out = PictureName(picture, ++pictures);
            RenderSignaturePicture(copy, s, layers, out);
            if (!asJson) std::cout << "picture: " << out << " (page " << s.page << ", field \"" << s.field << "\")\n";
        }
    }
    if (asJson)
        std::cout << nlohmann::json{{"files", all}, {"exitCode", exitCode}}.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
    else std::cout << "result: " << (exitCode == 0 ? "valid" : "not valid") << " (exit code " << exitCode << ")\n";
    if (!picture.empty() && pictures == 0 && !asJson) std::cout << "picture: none (no signature of this handler on a page)\n";
    return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
    InstallInterruptionHandlers();
    CLI::App app{"Sign PDF files with a handwritten signature and verify them (handler Orvel.PenvanePlus)"};
    app.require_subcommand(1);
    std::string password;
    app.add_option("--password", password, "password of a protected file");

    std::vector<std::string> fieldFiles;
    bool fieldsJson = false;
    CLI::App* fields = app.add_subcommand("fields", "list the signature fields");
    fields->add_option("FILE", fieldFiles, "PDF file")->required();
    fields->add_flag("--json", fieldsJson, "print JSON");

    SignOptions sign;
    std::string place, strokes, name;
    CLI::App* signCmd = app.add_subcommand("sign", "sign a field and write the signed copy");
    signCmd->add_option("IN", sign.input, "the PDF to sign (never changed)")->required();
    signCmd->add_option("OUT", sign.output, "the signed PDF to write")->required();
    CLI::Option* fieldOpt = signCmd->add_option("--field", "an existing signature field by its full name");
    CLI::Option* newOpt = signCmd->add_option("--new-field", place, "a new field at PAGE:X0,Y0,X1,Y1 (points, page from 1)");
    fieldOpt->excludes(newOpt);
    signCmd->add_option("--name", name, "the new field's name")->needs(newOpt);
    signCmd->add_option("--strokes", strokes, "replay this stroke file onto the pad and accept, unattended");
    signCmd->add_option("--password", password, "password of a protected file");
    signCmd->add_flag("--force", sign.replaceOutput, "replace OUT when it exists");

    std::vector<std::string> verifyFiles;
    bool verifyJson = false;
    std::string picture;
    CLI::App* verify = app.add_subcommand("verify", "verify every signature, newest first");
    verify->add_option("FILE", verifyFiles, "PDF files")->required();
    verify->add_flag("--json", verifyJson, "print JSON");
    verify->add_option("--picture", picture, "write a picture of each signed page with the validity mark");
    verify->add_option("--password", password, "password of a protected file");
    CompareRequest compare;
    verify->add_option("--compare", compare.picture,
                       "write a PNG of the signed version beside the current one, the pages that differ");
    verify->add_option("--compare-dir", compare.folder, "write that picture for every page into this folder");
    verify->add_flag("--render-check", compare.renderCheck,
                     "draw every page of both versions and count any difference outside later signatures as a change");
    verify->add_flag("--verbose", compare.verbose, "print what drawing the pages cost");
    fields->add_option("--password", password, "password of a protected file");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kExitError;
    }

    try {
        if (*fields) return Fields(fieldFiles, password, fieldsJson);
        if (*signCmd) {
            sign.password = password;
            if (*fieldOpt) sign.field = fieldOpt->as<std::string>();
            if (*newOpt) {
                NewFieldPlace p;
                if (!ParseFieldPlace(place, &p)) throw PdfError("--new-field wants PAGE:X0,Y0,X1,Y1, not " + place);
                sign.newField = p;
                if (!name.empty()) sign.newFieldName = name;
            }
            if (!strokes.empty()) sign.strokes = strokes;
            return Sign(sign);
        }
        compare.password = password;
        return Verify(verifyFiles, password, verifyJson, picture, compare);
    } catch (const PdfError& e) {
        std::cerr << "penvane: " << e.what() << "\n";
    } catch (const std::exception& e) {
        std::cerr << "penvane: " << e.what() << "\n";
    }
    return kExitError;
}
