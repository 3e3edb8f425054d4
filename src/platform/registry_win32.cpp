#include "platform/registry.h"

#include <windows.h>
#include "platform/win_system.h"

namespace plat {
namespace {

HKEY rootOf(Hive hive, RegKey parent) {
    if (parent)
        return static_cast<HKEY>(parent);
    return hive == Hive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

class SystemRegistry : public Registry {
  public:
    RegKey openKey(Hive hive, RegKey parent, const char16_t* path) override {
        HKEY key = nullptr;
        if (win::RegOpenKeyExW(rootOf(hive, parent), reinterpret_cast<LPCWSTR>(path), 0, KEY_READ, &key) !=
            ERROR_SUCCESS)
            return nullptr;
        return key;
    }
    RegKey createKey(Hive hive, RegKey parent, const char16_t* path) override {
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (win::RegCreateKeyExW(rootOf(hive, parent), reinterpret_cast<LPCWSTR>(path), 0, nullptr,
                                 REG_OPTION_NON_VOLATILE, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE,
                                 nullptr, &key, &disposition) != ERROR_SUCCESS)
            return nullptr;
        return key;
    }
    void closeKey(RegKey key) override {
        if (key)
            RegCloseKey(static_cast<HKEY>(key));
    }
    bool readValue(RegKey key, const char16_t* name, uint32_t* type, void* buffer, uint32_t* size) override {
        DWORD t = 0;
        DWORD n = *size;
        if (win::RegQueryValueExW(static_cast<HKEY>(key), reinterpret_cast<LPCWSTR>(name), nullptr, &t,
                                  static_cast<LPBYTE>(buffer), &n) != ERROR_SUCCESS)
            return false;
        if (type)
            *type = t;
        *size = n;
        return true;
    }
    bool valueSize(RegKey key, const char16_t* name, uint32_t* size) override {
        DWORD n = 0;
        if (win::RegQueryValueExW(static_cast<HKEY>(key), reinterpret_cast<LPCWSTR>(name), nullptr, nullptr,
                                  nullptr, &n) != ERROR_SUCCESS)
            return false;
        *size = n;
        return true;
    }
    bool writeValue(RegKey key, const char16_t* name, uint32_t type, const void* data, uint32_t size) override {
        return win::RegSetValueExW(static_cast<HKEY>(key), reinterpret_cast<LPCWSTR>(name), 0, type,
                                   static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
    }
};

SystemRegistry g_system;
Registry* g_active = nullptr;

} // namespace

Registry& activeRegistry() { return g_active ? *g_active : g_system; }
void setActiveRegistry(Registry* registry) { g_active = registry; }

} // namespace plat
