#include "HandlerMessages.h"

#include <nlohmann/json.hpp>

namespace penvane {
namespace {

using nlohmann::json;

const char* const kOperations[] = {"sign", "appearance", "size", "value", "validate", "layers", "quit"};

std::string Line(const json& j) {
    // dump() throws on invalid UTF-8; every byte field travels as hex, and
    // text fields are replaced rather than lost.
    return j.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
}

json Rect(const FixedRect& r) { return json::array({r[0], r[1], r[2], r[3]}); }

// A number that fits 32 bits. An unsigned one is compared as such: read as
// signed, 2^64 - 1 would pass for -1; a rectangle's words were cut to 32 bits.
bool Int32(const json& v, int32_t* out) {
    if (v.is_number_unsigned()) {
        if (v.get<uint64_t>() > INT32_MAX) return false;
    } else if (!v.is_number_integer() || v.get<int64_t>() < INT32_MIN || v.get<int64_t>() > INT32_MAX) {
        return false;
    }
    *out = static_cast<int32_t>(v.get<int64_t>());
    return true;
}

// Typed access that reports the first missing or mistyped field by name.
class Reader {
public:
    explicit Reader(const json& j) : j_(j) {}
    bool Ok() const { return error_.empty(); }
    const std::string& Error() const { return error_; }

    const json* Field(const char* key, bool optional = false) {
        auto it = j_.find(key);
        if (it == j_.end() || it->is_null()) {
            if (!optional) Fail(key, "missing");
            return nullptr;
        }
        return &*it;
    }
    std::string Hex(const char* key) {
        const json* f = Field(key);
        std::string bytes;
        if (f && !(f->is_string() && FromHex(f->get<std::string>(), &bytes))) Fail(key, "not hex");
        return bytes;
    }
    std::optional<std::string> OptionalHex(const char* key) {
        const json* f = Field(key, true);
        if (!f) return std::nullopt;
        std::string bytes;
        if (!(f->is_string() && FromHex(f->get<std::string>(), &bytes))) Fail(key, "not hex");
        return bytes;
    }
    std::optional<std::string> OptionalText(const char* key) {
        const json* f = Field(key, true);
        if (!f) return std::nullopt;
        if (!f->is_string()) { Fail(key, "not a string"); return std::nullopt; }
        return f->get<std::string>();
    }
    std::optional<int32_t> OptionalInt(const char* key) {
        const json* f = Field(key, true);
        if (!f) return std::nullopt;
        int32_t v = 0;
        if (!Int32(*f, &v)) {
            Fail(key, "not a 32-bit integer");
            return std::nullopt;
        }
        return v;
    }
    int32_t Int(const char* key) {
        if (!Field(key)) return 0;
        return OptionalInt(key).value_or(0);
    }
    FixedRect Rect(const char* key) {
        FixedRect r{};
        const json* f = Field(key);
        if (!f) return r;
        if (!f->is_array() || f->size() != 4) { Fail(key, "not four numbers"); return r; }
        for (size_t i = 0; i < 4; ++i) {
            const json& v = (*f)[i];
            if (!Int32(v, &r[i])) { Fail(key, "not four numbers"); return FixedRect{}; }
        }
        return r;
    }
    void Fail(const std::string& key, const char* what) {
        if (error_.empty()) error_ = "\"" + key + "\" " + what;
    }

private:
    const json& j_;
    std::string error_;
};

bool Parse(const Message& m, json* j, std::string* error) {
    *j = json::parse(m.json, nullptr, false);
    if (j->is_discarded() || !j->is_object()) {
        *error = "not a JSON object";
        return false;
    }
    auto e = j->find("error");
    if (e != j->end()) {
        *error = e->is_string() ? e->get<std::string>() : "error answer";
        return false;
    }
    return true;
}

json ResultsJson(const std::optional<int32_t>& digest, const std::optional<int32_t>& trustFlags,
                 const std::optional<int32_t>& id) {
    json results = json::object();
    if (digest) results["digest"] = *digest;
    if (trustFlags) results["trustFlags"] = *trustFlags;
    if (id) results["id"] = *id;
    return results;
}

void ReadResults(Reader& r, ResultsBag* out) {
    *out = ResultsBag{};
    if (const json* results = r.Field("results")) {
        Reader b(*results);
        out->digest = b.OptionalInt("digest");
        out->trustFlags = b.OptionalInt("trustFlags");
        out->id = b.OptionalInt("id");
        if (!b.Ok()) r.Fail("results", b.Error().c_str());
    }
}

bool Finish(const Reader& r, std::string* error) {
    if (!r.Ok()) *error = r.Error();
    return r.Ok();
}

}  // namespace

std::string ToHex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

bool FromHex(const std::string& text, std::string* bytes) {
    bytes->clear();
    if (text.size() % 2) return false;
    auto value = [](char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    bytes->reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        int hi = value(text[i]), lo = value(text[i + 1]);
        if (hi < 0 || lo < 0) return false;
        *bytes += static_cast<char>(hi * 16 + lo);
    }
    return true;
}

bool IsKnownOperation(const std::string& op) {
    for (const char* known : kOperations)
        if (op == known) return true;
    return false;
}

Message ParseLine(const std::string& line) {
    Message m;
    json j = json::parse(line, nullptr, false);
    if (j.is_discarded() || !j.is_object()) {
        m.error = "malformed message: not a JSON object";
        return m;
    }
    auto op = j.find("op");
    if (op == j.end() || !op->is_string()) {
        // An answer may be an error answer without an operation.
        auto e = j.find("error");
        if (e != j.end() && e->is_string()) {
            m.op = "error";
            m.json = line;
            return m;
        }
        m.error = "malformed message: no \"op\"";
        return m;
    }
    m.op = op->get<std::string>();
    m.json = line;
    return m;
}

std::string ErrorLine(const std::string& message) { return Line(json{{"error", message}}); }

std::string SignRequestLine(const SignRequest& r) {
    json field = json::object();
    if (r.fieldName) field["T"] = *r.fieldName;
    if (r.hasSeedValue) {
        json sv = json::object();
        if (r.seedFlags) sv["Ff"] = *r.seedFlags;
        if (r.reasons) sv["Reasons"] = *r.reasons;
        field["SV"] = sv;
    }
    json j{{"op", "sign"}, {"field", field}, {"width", r.width}, {"height", r.height},
           {"rotation", r.rotation}};
    if (r.strokes) j["strokes"] = *r.strokes;
    return Line(j);
}

std::string SimpleRequestLine(const std::string& op) { return Line(json{{"op", op}}); }

std::string ValueRequestLine(const std::string& digest) {
    return Line(json{{"op", "value"}, {"digest", ToHex(digest)}});
}

std::string ValidateRequestLine(const std::string& value, const std::string& digest) {
    return Line(json{{"op", "validate"}, {"value", ToHex(value)}, {"digest", ToHex(digest)}});
}

bool ReadSignRequest(const Message& m, SignRequest* out, std::string* error) {
    json j;
    if (!Parse(m, &j, error)) return false;
    Reader r(j);
    *out = SignRequest{};
    if (const json* field = r.Field("field")) {
        if (!field->is_object()) {
            r.Fail("field", "not an object");
        } else {
            Reader f(*field);
            out->fieldName = f.OptionalText("T");
            if (const json* sv = f.Field("SV", true)) {
                if (!sv->is_object()) {
                    f.Fail("SV", "not an object");
                } else {
                    out->hasSeedValue = true;
                    Reader s(*sv);
                    out->seedFlags = s.OptionalInt("Ff");
                    if (const json* reasons = s.Field("Reasons", true)) {
                        std::vector<std::string> list;
                        for (const json& reason : *reasons) {
                            if (!reason.is_string()) { s.Fail("Reasons", "not strings"); break; }
                            list.push_back(reason.get<std::string>());
                        }
                        if (!reasons->is_array()) s.Fail("Reasons", "not an array");
                        out->reasons = list;
                    }
                    if (!s.Ok()) f.Fail("SV", s.Error().c_str());
                }
            }
            if (!f.Ok()) r.Fail("field", f.Error().c_str());
        }
    }
    out->width = r.Int("width");
    out->height = r.Int("height");
    out->rotation = r.Int("rotation");
    out->strokes = r.OptionalText("strokes");
    return Finish(r, error);
}

bool ReadValueRequest(const Message& m, std::string* digest, std::string* error) {
    json j;
    if (!Parse(m, &j, error)) return false;
    Reader r(j);
    *digest = r.Hex("digest");
    if (r.Ok() && digest->size() != kDigestLength) r.Fail("digest", "not 20 bytes");
    return Finish(r, error);
}

bool ReadValidateRequest(const Message& m, std::string* value, std::string* digest, std::string* error) {
    json j;
    if (!Parse(m, &j, error)) return false;
    Reader r(j);
    *value = r.Hex("value");
    *digest = r.Hex("digest");
    if (r.Ok() && digest->size() != kDigestLength) r.Fail("digest", "not 20 bytes");
    return Finish(r, error);
}

std::string SigningAnswerLine(const SigningAnswer& a) {
    return Line(json{{"op", "sign"}, {"outcome", a.outcome}, {"type", ToHex(a.type)},
                     {"certificate", ToHex(a.certificate)}, {"Reason", ToHex(a.reason)},
                     {"Name", ToHex(a.name)}, {"Location", ToHex(a.location)},
                     {"ContactInfo", ToHex(a.contactInfo)}});
}

std::string AppearanceAnswerLine(const AppearanceAnswer& a) {
    json j{{"op", "appearance"}, {"present", a.present}};
    if (a.present) {
        j["drawing"] = ToHex(a.drawing);
        j["rect"] = Rect(a.rect);
        j["bbox"] = Rect(a.bbox);
    }
    return Line(j);
}

std::string SizeAnswerLine(uint32_t size) { return Line(json{{"op", "size"}, {"size", size}}); }

std::string ValueAnswerLine(const std::string& value) {
    return Line(json{{"op", "value"}, {"value", ToHex(value)}});
}

std::string ValidationAnswerLine(const ValidationAnswer& a) {
    json results = ResultsJson(a.digest, a.trustFlags, a.id);
    json texts = json::object();
    for (size_t i = 0; i < a.texts.size(); ++i)
        if (a.texts[i]) texts[std::to_string(8 + i)] = ToHex(*a.texts[i]);
    json layers = json::array();
    for (const ValidityLayer& l : a.layers) {
        json layer{{"kind", l.kind}};
        if (l.name) layer["name"] = ToHex(*l.name);
        if (l.stream) {
            layer["stream"] = ToHex(*l.stream);
            layer["box"] = Rect(l.box);
        }
        layers.push_back(layer);
    }
    return Line(json{{"op", "validate"}, {"results", results}, {"texts", texts}, {"layers", layers}});
}

std::string LayersRequestLine(const ResultsBag& b) {
    return Line(json{{"op", "layers"}, {"results", ResultsJson(b.digest, b.trustFlags, b.id)}});
}

bool ReadLayersRequest(const Message& m, ResultsBag* out, std::string* error) {
    json j;
    if (!Parse(m, &j, error)) return false;
    Reader r(j);
    ReadResults(r, out);
    return Finish(r, error);
}

std::string LayersAnswerLine(const std::vector<ValidityLayer>& layers) {
    ValidationAnswer a;
    a.layers = layers;
    json j = json::parse(ValidationAnswerLine(a));
    return Line(json{{"op", "layers"}, {"layers", j["layers"]}});
}

bool ReadLayersAnswer(const Message& m, std::vector<ValidityLayer>* layers, std::string* error) {
    json j;
    if (!Parse(m, &j, error)) return false;
    j["results"] = json::object();
    j["texts"] = json::object();
    Message copy = m;
    copy.json = j.dump();
    ValidationAnswer a;
    if (!ReadValidationAnswer(copy, &a, error)) return false;
    *layers = a.layers;
    return true;
}

std::string QuitAnswerLine() { return Line(json{{"op", "quit"}}); }

bool ReadSigningAnswer(const Message& m, SigningAnswer* out, std::string* error) {
    json j;
    if (!Parse(m, &j, error)) return false;
    Reader r(j);
    out->outcome = r.Int("outcome");
    out->type = r.Hex("type");
    out->certificate = r.Hex("certificate");
    out->reason = r.Hex("Reason");
    out->name = r.Hex("Name");
    out->location = r.Hex("Location");
    out->contactInfo = r.Hex("ContactInfo");
    return Finish(r, error);
}

bool ReadAppearanceAnswer(const Message& m, AppearanceAnswer* out, std::string* error) {
    json j;
    if (!Parse(m, &j, error)) return false;
    Reader r(j);
    const json* present = r.Field("present");
    out->present = present && present->is_boolean() && present->get<bool>();
    if (out->present) {
        out->drawing = r.Hex("drawing");
        out->rect = r.Rect("rect");
        out->bbox = r.Rect("bbox");
    }
    return Finish(r, error);
}

bool ReadSizeAnswer(const Message& m, uint32_t* size, std::string* error) {
    json j;
    if (!Parse(m, &j, error)) return false;
    Reader r(j);
    const json* f = r.Field("size");
    if (f && !(f->is_number_unsigned() && f->get<uint64_t>() <= UINT32_MAX)) r.Fail("size", "not a size");
    *size = r.Ok() ? static_cast<uint32_t>(f->get<uint64_t>()) : 0;
    return Finish(r, error);
}

bool ReadValueAnswer(const Message& m, std::string* value, std::string* error) {
    json j;
    if (!Parse(m, &j, error)) return false;
    Reader r(j);
    *value = r.Hex("value");
    return Finish(r, error);
}

bool ReadValidationAnswer(const Message& m, ValidationAnswer* out, std::string* error) {
    json j;
    if (!Parse(m, &j, error)) return false;
    Reader r(j);
    *out = ValidationAnswer{};
    ResultsBag results;
    ReadResults(r, &results);
    out->digest = results.digest;
    out->trustFlags = results.trustFlags;
    out->id = results.id;
    if (const json* texts = r.Field("texts")) {
        Reader t(*texts);
        for (size_t i = 0; i < out->texts.size(); ++i)
            out->texts[i] = t.OptionalHex(std::to_string(8 + i).c_str());
        if (!t.Ok()) r.Fail("texts", t.Error().c_str());
    }
    if (const json* layers = r.Field("layers")) {
        if (!layers->is_array()) r.Fail("layers", "not an array");
        else
            for (const json& item : *layers) {
                Reader l(item);
                ValidityLayer layer;
                layer.kind = l.Int("kind");
                layer.name = l.OptionalHex("name");
                layer.stream = l.OptionalHex("stream");
                if (layer.stream) layer.box = l.Rect("box");
                if (!l.Ok()) { r.Fail("layers", l.Error().c_str()); break; }
                out->layers.push_back(layer);
            }
    }
    return Finish(r, error);
}

}  // namespace penvane
