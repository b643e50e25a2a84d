#include "HostCos.h"

#include <cstring>

namespace standin {

namespace {
// Second word of every object we hand out, so that stray values read as null.
constexpr uint32_t kTag = 0x436F7321;
}

HostCos::Node HostCos::MakeNode(int32_t type)
{
    Node node;
    node.type = type;
    return node;
}

CosObj HostCos::Add(Node node)
{
    m_nodes.push_back(std::move(node));
    return CosObj{static_cast<uint32_t>(m_nodes.size()), kTag};
}

const HostCos::Node* HostCos::Get(CosObj obj) const
{
    if (obj.b != kTag || obj.a == 0 || obj.a > m_nodes.size())
        return nullptr;
    return &m_nodes[obj.a - 1];
}

HostCos::Node* HostCos::Get(CosObj obj)
{
    return const_cast<Node*>(static_cast<const HostCos*>(this)->Get(obj));
}

CosObj HostCos::NewInteger(int32_t value)
{
    Node node = MakeNode(kCosInteger);
    node.integer = value;
    return Add(std::move(node));
}

CosObj HostCos::NewName(const std::string& name)
{
    Node node = MakeNode(kCosName);
    node.bytes = name;
    return Add(std::move(node));
}

CosObj HostCos::NewString(const std::string& bytes)
{
    Node node = MakeNode(kCosString);
    node.bytes = bytes;
    return Add(std::move(node));
}

CosObj HostCos::NewDict() { return Add(MakeNode(kCosDict)); }
CosObj HostCos::NewArray() { return Add(MakeNode(kCosArray)); }

bool HostCos::DictPut(CosObj dict, const std::string& key, CosObj value)
{
    Node* node = Get(dict);
    if (!node || node->type != kCosDict)
        return false;
    for (auto& entry : node->entries)
        if (entry.first == key) {
            entry.second = value;
            return true;
        }
    node->entries.emplace_back(key, value);
    return true;
}

bool HostCos::ArrayAppend(CosObj array, CosObj value)
{
    Node* node = Get(array);
    if (!node || node->type != kCosArray)
        return false;
    node->items.push_back(value);
    return true;
}

CosObj HostCos::SignatureField(const SignatureFieldDescription& description)
{
    CosObj field = NewDict();
    DictPut(field, "FT", NewName("Sig"));
    if (description.name)
        DictPut(field, "T", NewString(*description.name));
    if (description.hasSeedValue || description.flags || description.reasons) {
        CosObj seed = NewDict();
        if (description.flags)
            DictPut(seed, "Ff", NewInteger(*description.flags));
        if (description.reasons) {
            CosObj reasons = NewArray();
            for (const std::string& reason : *description.reasons)
                ArrayAppend(reasons, NewString(reason));
            DictPut(seed, "Reasons", reasons);
        }
        DictPut(field, "SV", seed);
    }
    return field;
}

CosObj HostCos::NewFormObject(CosDoc doc, const char* data, int32_t length, const ASFixed* rect, const ASFixed* bbox)
{
    if (length < 0 || (data == nullptr && length > 0) || rect == nullptr || bbox == nullptr)
        return Null();
    Node node = MakeNode(kCosStream);
    node.form.doc = doc;
    node.form.data.assign(data ? data : "", static_cast<size_t>(length));
    std::memcpy(node.form.rect, rect, sizeof node.form.rect);
    std::memcpy(node.form.bbox, bbox, sizeof node.form.bbox);
    return Add(std::move(node));
}

int32_t HostCos::TypeOf(CosObj obj) const
{
    const Node* node = Get(obj);
    return node ? node->type : kCosNull;
}

int32_t HostCos::IntegerOf(CosObj obj) const
{
    const Node* node = Get(obj);
    return node && node->type == kCosInteger ? node->integer : 0;
}

CosObj HostCos::ArrayItem(CosObj array, int32_t index) const
{
    const Node* node = Get(array);
    if (!node || node->type != kCosArray || index < 0 || static_cast<size_t>(index) >= node->items.size())
        return Null();
    return node->items[static_cast<size_t>(index)];
}

int32_t HostCos::ArrayCount(CosObj array) const
{
    const Node* node = Get(array);
    return node && node->type == kCosArray ? static_cast<int32_t>(node->items.size()) : 0;
}

char* HostCos::StringDupValue(CosObj str, int32_t* outLength)
{
    if (outLength)
        *outLength = 0;
    const Node* node = Get(str);
    if (!node || node->type != kCosString)
        return nullptr;
    char* copy = static_cast<char*>(m_memory.Allocate(node->bytes.size() + 1));
    if (!copy)
        return nullptr;
    std::memcpy(copy, node->bytes.data(), node->bytes.size());
    copy[node->bytes.size()] = 0;
    if (outLength)
        *outLength = static_cast<int32_t>(node->bytes.size());
    return copy;
}

CosObj HostCos::DictValueForKey(CosObj dict, const char* key) const
{
    const Node* node = Get(dict);
    if (!node || node->type != kCosDict || key == nullptr)
        return Null();
    for (const auto& entry : node->entries)
        if (entry.first == key)
            return entry.second;
    return Null();
}

const FormObject* HostCos::FormObjectOf(CosObj obj) const
{
    const Node* node = Get(obj);
    return node && node->type == kCosStream ? &node->form : nullptr;
}

std::string HostCos::StringOf(CosObj obj) const
{
    const Node* node = Get(obj);
    return node && (node->type == kCosString || node->type == kCosName) ? node->bytes : std::string();
}

}  // namespace standin
