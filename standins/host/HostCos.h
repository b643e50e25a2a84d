// Cos objects: null, integer, name, string, dictionary, array and the form
// objects (streams) made from drawings. A CosObj names an object by its slot
// in this store; {0, 0} is the null object. Objects live as long as the host.
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "HostAbi.h"
#include "HostMemory.h"

namespace standin {

// A signature field as a test or a driving tool describes it. Absent parts
// are left out of the dictionary.
struct SignatureFieldDescription {
    std::optional<std::string> name;                  // "T"
    bool hasSeedValue = false;                        // "SV"
    std::optional<int32_t> flags;                     // "SV" "Ff"
    std::optional<std::vector<std::string>> reasons;  // "SV" "Reasons", strings
};

struct FormObject {
    CosDoc doc;
    std::string data;
    ASFixed rect[4];
    ASFixed bbox[4];
};

class HostCos {
public:
    explicit HostCos(HostMemory& memory) : m_memory(memory) {}

    static CosObj Null() { return CosObj{0, 0}; }
    CosObj NewInteger(int32_t value);
    CosObj NewName(const std::string& name);
    CosObj NewString(const std::string& bytes);
    CosObj NewDict();
    CosObj NewArray();
    // Answer false when the container is not of the right type.
    bool DictPut(CosObj dict, const std::string& key, CosObj value);
    bool ArrayAppend(CosObj array, CosObj value);
    CosObj SignatureField(const SignatureFieldDescription& description);
    CosObj NewFormObject(CosDoc doc, const char* data, int32_t length, const ASFixed* rect, const ASFixed* bbox);

    // The host operations; an object that is not one of ours reads as null.
    int32_t TypeOf(CosObj obj) const;
    int32_t IntegerOf(CosObj obj) const;               // 0 unless an integer
    CosObj ArrayItem(CosObj array, int32_t index) const;
    int32_t ArrayCount(CosObj array) const;            // 0 unless an array
    char* StringDupValue(CosObj str, int32_t* outLength);
    CosObj DictValueForKey(CosObj dict, const char* key) const;

    const FormObject* FormObjectOf(CosObj obj) const;
    std::string StringOf(CosObj obj) const;            // string or name bytes

private:
    struct Node {
        int32_t type = kCosNull;
        int32_t integer = 0;
        std::string bytes;
        std::vector<std::pair<std::string, CosObj>> entries;
        std::vector<CosObj> items;
        FormObject form{};
    };
    static Node MakeNode(int32_t type);
    CosObj Add(Node node);
    const Node* Get(CosObj obj) const;
    Node* Get(CosObj obj);

    HostMemory& m_memory;
    std::vector<Node> m_nodes;
};

}  // namespace standin
