#include "platform/registry.h"

#include <cstring>

#include "platform/text.h"

namespace plat {

std::u16string MemoryRegistry::fold(const std::u16string& s) {
    std::u16string out = s;
    for (char16_t& c : out)
        c = foldCase(c);
    return out;
}

std::u16string MemoryRegistry::fullPath(Hive hive, RegKey parent, const char16_t* path) const {
    std::u16string base;
    if (parent) {
        auto it = open_.find(static_cast<int>(reinterpret_cast<intptr_t>(parent)));
        if (it == open_.end())
            return std::u16string();
        base = it->second;
    } else {
        base = hive == Hive::CurrentUser ? u"hkcu" : u"hklm";
    }
    if (path && *path) {
        base += u'\\';
        base += fold(path);
    }
    return base;
}

RegKey MemoryRegistry::handleFor(const std::u16string& folded) {
    int h = nextHandle_++;
    open_[h] = folded;
    return reinterpret_cast<RegKey>(static_cast<intptr_t>(h));
}

RegKey MemoryRegistry::openKey(Hive hive, RegKey parent, const char16_t* path) {
    std::u16string p = fullPath(hive, parent, path);
    if (p.empty() || !keys_.count(p))
        return nullptr;
    return handleFor(p);
}

RegKey MemoryRegistry::createKey(Hive hive, RegKey parent, const char16_t* path) {
    std::u16string p = fullPath(hive, parent, path);
    if (p.empty())
        return nullptr;
    if (!denied_.empty() && p.compare(0, denied_.size(), denied_) == 0)
        return nullptr;
    // Creating a key creates its parents too, as RegCreateKeyExW does.
    for (size_t i = 0; i < p.size(); ++i)
        if (p[i] == u'\\')
            keys_[p.substr(0, i)];
    keys_[p];
    return handleFor(p);
}

void MemoryRegistry::closeKey(RegKey key) { open_.erase(static_cast<int>(reinterpret_cast<intptr_t>(key))); }

bool MemoryRegistry::readValue(RegKey key, const char16_t* name, uint32_t* type, void* buffer, uint32_t* size) {
    auto it = open_.find(static_cast<int>(reinterpret_cast<intptr_t>(key)));
    if (it == open_.end())
        return false;
    const Value* v = find(it->second, name);
    if (!v || v->data.size() > *size)
        return false;
    if (type)
        *type = v->type;
    if (!v->data.empty())
        std::memcpy(buffer, v->data.data(), v->data.size());
    *size = static_cast<uint32_t>(v->data.size());
    return true;
}

bool MemoryRegistry::valueSize(RegKey key, const char16_t* name, uint32_t* size) {
    auto it = open_.find(static_cast<int>(reinterpret_cast<intptr_t>(key)));
    if (it == open_.end())
        return false;
    const Value* v = find(it->second, name);
    if (!v)
        return false;
    *size = static_cast<uint32_t>(v->data.size());
    return true;
}

bool MemoryRegistry::writeValue(RegKey key, const char16_t* name, uint32_t type, const void* data, uint32_t size) {
    auto it = open_.find(static_cast<int>(reinterpret_cast<intptr_t>(key)));
    if (it == open_.end())
        return false;
    Value& v = keys_[it->second][fold(name)];
    v.type = type;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    v.data.assign(bytes, bytes + size);
    return true;
}

bool MemoryRegistry::hasKey(const std::u16string& path) const { return keys_.count(fold(path)) != 0; }

const MemoryRegistry::Value* MemoryRegistry::find(const std::u16string& path, const std::u16string& name) const {
    auto k = keys_.find(fold(path));
    if (k == keys_.end())
        return nullptr;
    auto v = k->second.find(fold(name));
    return v == k->second.end() ? nullptr : &v->second;
}

void MemoryRegistry::put(const std::u16string& path, const std::u16string& name, uint32_t type, const void* data,
                         uint32_t size) {
    std::u16string p = fold(path);
    for (size_t i = 0; i < p.size(); ++i)
        if (p[i] == u'\\')
            keys_[p.substr(0, i)];
    Value& v = keys_[p][fold(name)];
    v.type = type;
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    v.data.assign(bytes, bytes + size);
}

void MemoryRegistry::putString(const std::u16string& path, const std::u16string& name, const std::u16string& text) {
    put(path, name, kRegSz, text.c_str(), static_cast<uint32_t>((text.size() + 1) * 2));
}

#ifndef _WIN32
namespace {
MemoryRegistry g_defaultRegistry;
Registry* g_active = nullptr;
} // namespace
Registry& activeRegistry() { return g_active ? *g_active : g_defaultRegistry; }
void setActiveRegistry(Registry* registry) { g_active = registry; }
#endif

} // namespace plat
