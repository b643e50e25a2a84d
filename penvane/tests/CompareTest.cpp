// verify --render-check and --compare: the signed revision and the current
// document drawn by pdftoppm and compared; what differs outside later
// signatures' widgets is a change, named by page and area.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "ImageDiff.h"
#include "PdfLoad.h"
#include "RenderCheck.h"
#include "SideBySide.h"
#include "ToolRunner.h"
#include "Verification.h"

using namespace penvane;
using nlohmann::json;

namespace {

const std::string kAttacks = PENVANE_ATTACKS;
const std::string kCases = PENVANE_RENDER_CASES;

// The oldest signature's render check from `verify --json --render-check`.
json OldestCheck(const ToolRun& r) {
    json report = json::parse(r.out, nullptr, false);
    if (report.is_discarded() || report["files"].empty()) return json();
    const json& sigs = report["files"][0]["signatures"];
    return sigs.empty() ? json() : sigs.back().value("renderCheck", json());
}

bool Within(const json& area, const PdfRect& r) {
    return area[0] >= r[0] && area[1] >= r[1] && area[2] <= r[2] && area[3] <= r[3];
}

// The base document of the attack files, signed by the test host, with one
// more signature: the later signature's widget is no change.
std::string TwiceSigned(const std::string& dir) {
    const std::string out = dir + "/twice.pdf";
    EXPECT_EQ(SignWithSample(kAttacks + "/signed.pdf", out, {"--new-field", "1:400,60,560,140", "--name", "Second"}).exitCode, 0);
    return out;
}

// A later signature in a new field placed over the payee's account: it may
// draw over the field's background, not over the signed figures.
std::string SignedOverContent(const std::string& dir) {
    const std::string out = dir + "/cover.pdf";
    EXPECT_EQ(SignWithSample(kAttacks + "/signed.pdf", out, {"--new-field", "1:70,555,300,575", "--name", "Cover"}).exitCode, 0);
    return out;
}

// The base document encrypted, signed with its password, and then its
// amount field's widget moved 200 points to the right.
std::string EncryptedMoved(const std::string& dir) {
    EXPECT_EQ(RunCommand("qpdf --encrypt user owner 256 -- " + kAttacks + "/base.pdf " + dir + "/locked.pdf").exitCode, 0);
    EXPECT_EQ(SignWithSample(dir + "/locked.pdf", dir + "/signed.pdf", {"--field", "Approval", "--password", "user"}).exitCode, 0);
    EXPECT_EQ(RunCommand("python3 " + kCases + "/make_render_cases.py move-widget " + dir + "/signed.pdf " + dir +
                         "/moved.pdf").exitCode, 0);
    return dir + "/moved.pdf";
}

struct Case {
    const char* name;
    std::string file;
    std::vector<std::string> extra;
    int exitCode;
    std::vector<std::pair<int, PdfRect>> areas;  // page and where each differing area must lie
    std::vector<std::string> whole;              // or what happened to whole pages ("page added")
    std::vector<std::string> laterSignatures;    // fields whose appearance the check names
};

TEST(RenderCheck, DifferencesOutsideLaterSignaturesAreChangesNamedByPageAndArea) {
    const std::string dir = ScratchDir();
    const std::vector<Case> cases{
        {"nothing after the signature", kAttacks + "/signed.pdf", {}, 0, {}, {}, {}},
        // An opaque annotation over the payee's account: only the digits it
        // shows differ, inside its rectangle [70 555 300 575].
        {"overlay annotation", kCases + "/overlay-annotation.pdf", {}, 1, {{1, {70, 553, 302, 577}}}, {}, {}},
        // "900.00" written in red at 330,684 by an added content stream.
        {"changed amount in the page content", kAttacks + "/inc-page-content.pdf", {}, 1, {{1, {328, 678, 372, 698}}}, {}, {}},
        {"page added", kCases + "/page-added.pdf", {}, 1, {}, {"page added"}, {}},
        {"second signature", TwiceSigned(dir), {}, 0, {}, {}, {"Second"}},
        {"later signature over signed text", SignedOverContent(dir), {}, 1, {{1, {70, 555, 300, 575}}}, {}, {"Cover"}},
        // The amount's widget [150 678 300 698] moved to [350 678 500 698]:
        // the figures vanish at one place and appear at the other.
        {"encrypted, a widget moved", EncryptedMoved(dir), {"--password", "user"}, 1,
         {{1, {148, 676, 302, 700}}, {1, {348, 676, 502, 700}}}, {}, {}},
        // What the structural comparison finds in a hidden object that a
        // later update shows is drawn too: "Amount due: 900.00" at 72,600.
        {"unused object shown", kAttacks + "/shadow-unused-object.pdf", {}, 1, {{1, {70, 596, 250, 616}}}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> args{"verify", "--json", "--render-check", c.file};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        ToolRun r = RunTool(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.out << r.err;
        const json check = OldestCheck(r);
        if (c.file == kAttacks + "/signed.pdf") {
            EXPECT_TRUE(check.is_null()) << "nothing follows the signed revision: nothing to draw";
            continue;
        }
        ASSERT_TRUE(check.is_object()) << r.out << r.err;
        EXPECT_GE(check["dpi"].get<int>(), 72);
        EXPECT_EQ(check["changed"].get<bool>(), c.exitCode != 0);
        const json& found = check["differences"];
        std::vector<std::string> whole;
        size_t areas = 0;
        for (const json& d : found) {
            EXPECT_EQ(d["kind"], "rendered page");
            if (d["what"] != "area" && d["what"] != "later signature over signed content") {
                whole.push_back(d["what"]);
                continue;
            }
            ++areas;
            bool placed = false;
            for (const auto& [page, rect] : c.areas) placed = placed || (d["page"] == page && Within(d["area"], rect));
            EXPECT_TRUE(placed) << "unexpected area " << d.dump();
        }
        EXPECT_EQ(areas, c.areas.size()) << found.dump();
        EXPECT_EQ(whole, c.whole);
        std::vector<std::string> later;
        for (const json& a : check["laterSignatureAppearances"]) later.push_back(a["field"]);
        EXPECT_EQ(later, c.laterSignatures);
        // The verdict says so in words too.
        EXPECT_EQ(r.out.find("valid for its revision, changed after signing") != std::string::npos, c.exitCode != 0);
    }
}

// Later signatures on pages turned 0, 90, 180 and 270 degrees: each widget's
// rectangle must land where pdftoppm draws the ink, or the ink would count
// as a change of the first signature's document.
TEST(RenderCheck, LaterSignaturesOnRotatedPagesAreNoChange) {
    const std::string dir = ScratchDir();
    std::string file = TestPdf("rotated.pdf");
    for (int page = 1; page <= 4; ++page) {
        const std::string out = dir + "/signed-" + std::to_string(page) + ".pdf";
        ASSERT_EQ(SignWithSample(file, out, {"--new-field", std::to_string(page) + ":100,200,400,300"}).exitCode, 0);
        file = out;
    }
    ToolRun r = RunTool({"verify", "--json", "--render-check", file});
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    const json check = OldestCheck(r);
    ASSERT_TRUE(check.is_object()) << r.out;
    EXPECT_EQ(check["differences"].size(), 0u) << check.dump(1);
    EXPECT_EQ(check["laterSignatureAppearances"].size(), 3u) << check.dump(1);
}

// Pixels: grouping and the exempt boxes of later widgets.
TEST(RenderCheck, DifferingPixelsAreGroupedAndLaterWidgetsKeptApart) {
    const Raster blank(200, 100, {255, 255, 255});
    Raster printed = blank;   // a dark dot at 120,70 before the change
    printed.At(120, 70)[0] = printed.At(120, 70)[1] = printed.At(120, 70)[2] = 0;
    struct Dot { int x, y; };
    struct PixelCase {
        const char* name;
        std::vector<Dot> dots;
        std::vector<ExemptBox> exempt;
        size_t areas;
        std::vector<bool> exemptHit;
        bool overContent = false;
    };
    const PixelBox widget{100, 50, 150, 90};
    const std::vector<PixelCase> cases{
        {"nothing differs", {}, {}, 0, {}},
        {"letters of one word", {{10, 10}, {16, 12}, {22, 10}}, {}, 1, {}},
        {"two places far apart", {{10, 10}, {150, 80}}, {}, 2, {}},
        {"inside a later widget only", {{110, 60}}, {{widget, false}}, 0, {true}},
        {"one inside, one beside the widget", {{110, 60}, {160, 60}}, {{widget, false}}, 1, {true}},
        {"corner pixels", {{0, 0}, {199, 99}}, {}, 2, {}},
        // A widget added later may draw over its background, not over what was there.
        {"new widget over background", {{110, 60}}, {{widget, true}}, 0, {true}},
        {"new widget over what was printed", {{110, 60}, {120, 70}}, {{widget, true}}, 0, {true}, true},
        {"reserved widget over what was printed", {{120, 70}}, {{widget, false}}, 0, {true}},
    };
    for (const PixelCase& c : cases) {
        SCOPED_TRACE(c.name);
        Raster changed = printed;
        for (const Dot& d : c.dots) changed.At(d.x, d.y)[1] = 200;
        PageDifference d = ComparePages(printed, changed, c.exempt, 16);
        EXPECT_EQ(d.areas.size(), c.areas);
        ASSERT_EQ(d.inExempt.size(), c.exempt.size());
        for (size_t i = 0; i < c.exempt.size(); ++i) EXPECT_EQ(!d.inExempt[i].Empty(), c.exemptHit[i]);
        bool over = false;
        for (const PixelBox& b : d.overContent) over |= !b.Empty() && b.x0 == 120 && b.y0 == 70 && b.x1 == 121 && b.y1 == 71;
        EXPECT_EQ(over, c.overContent) << "only the printed pixel the new widget changed";
        // Every differing pixel outside the widgets lies in an area.
        for (const Dot& dot : c.dots) {
            bool exempted = false, covered = false;
            for (const ExemptBox& e : c.exempt) {
                const PixelBox& b = e.box;
                exempted |= dot.x >= b.x0 && dot.x < b.x1 && dot.y >= b.y0 && dot.y < b.y1;
            }
            for (const PixelBox& b : d.areas) covered |= dot.x >= b.x0 && dot.x < b.x1 && dot.y >= b.y0 && dot.y < b.y1;
            EXPECT_TRUE(exempted || covered) << dot.x << "," << dot.y;
        }
    }
}

// The picture: red frames around what changed on both sides, the later
// signature shaded blue and not framed.
TEST(Compare, PictureFramesChangesAndShadesLaterSignatures) {
    const std::string dir = ScratchDir();
    struct PictureCase {
        const char* name;
        std::string file;
        bool red, blue;
    };
    const std::vector<PictureCase> cases{
        {"overlay annotation", kCases + "/overlay-annotation.pdf", true, false},
        {"second signature", TwiceSigned(dir), false, true},
    };
    for (const PictureCase& c : cases) {
        SCOPED_TRACE(c.name);
        LoadedPdf pdf = LoadPdf(c.file, "");
        VerifyReport report;
        report.signatures = FindSignatures(pdf);
        for (SignatureReport& s : report.signatures) s.ours = s.valid = true;  // the coverage is not what is tested here
        const size_t oldest = report.signatures.size() - 1;
        std::vector<RenderComparison> compared = CompareRendered(pdf, report.signatures, {oldest}, RenderOptions{72, ""},
                                                                  KeepDrawings::Differing);
        ASSERT_EQ(compared.size(), 1u);
        const Raster picture = SideBySide(compared[0], {1}, SideLabels{"signed", "now", "title"});
        size_t red = 0, blue = 0;
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width; ++x) {
                const uint8_t* p = picture.At(x, y);
                red += p[0] == 220 && p[1] == 0 && p[2] == 0;
                blue += p[2] > 200 && p[0] < 190 && p[1] < 220 && p[0] + 40 < p[2];
            }
        EXPECT_EQ(red > 0, c.red) << red;
        EXPECT_EQ(blue > 0, c.blue) << blue;
    }
}

TEST(Compare, WritesThePictureAndSaysWhenNothingChanged) {
    const std::string dir = ScratchDir();
    ToolRun changed = RunTool({"verify", kCases + "/page-added.pdf", "--compare", dir + "/added.png", "--compare-dir",
                               dir + "/pages"});
    EXPECT_EQ(changed.exitCode, 1) << changed.err;
    EXPECT_NE(changed.out.find("compare: " + dir + "/added.png"), std::string::npos) << changed.out;
    EXPECT_NE(changed.out.find("page 2 differs from the signed version"), std::string::npos) << changed.out;
    for (const std::string& png : {dir + "/added.png", dir + "/pages/page-1.png", dir + "/pages/page-2.png"})
        EXPECT_EQ(ReadBytes(png).substr(0, 8), "\x89PNG\r\n\x1a\n") << png;

    ToolRun same = RunTool({"verify", kAttacks + "/signed.pdf", "--compare", dir + "/same.png"});
    EXPECT_EQ(same.exitCode, 0) << same.err;
    EXPECT_NE(same.out.find("nothing differs"), std::string::npos) << same.out;
    EXPECT_TRUE(Exists(dir + "/same.png"));

    // Several files: one picture each, none written over another.
    ToolRun two = RunTool({"verify", kAttacks + "/signed.pdf", kCases + "/page-added.pdf", "--compare", dir + "/two.png"});
    EXPECT_EQ(two.exitCode, 1) << two.err;
    EXPECT_NE(two.out.find("compare: " + dir + "/two.png (" + kAttacks + "/signed.pdf"), std::string::npos) << two.out;
    EXPECT_NE(two.out.find("compare: " + dir + "/two-2.png (" + kCases + "/page-added.pdf"), std::string::npos) << two.out;

    ToolRun nowhere = RunTool({"verify", kAttacks + "/signed.pdf", "--compare", dir + "/no/such/folder/x.png"});
    EXPECT_EQ(nowhere.exitCode, 2);
    EXPECT_NE(nowhere.err.find("cannot be written"), std::string::npos) << nowhere.err;
}

}  // namespace
