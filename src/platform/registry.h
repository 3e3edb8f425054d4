// The registry as the settings store sees it: keys opened by path below a
// hive, values read into caller buffers that must be large enough, values
// written whole. One implementation talks to the real Win32 registry; the
// in-memory one lets native tests (and tests of odd stored values) run the
// same settings code.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace plat {

enum class Hive { CurrentUser, LocalMachine };

// Registry value types, with their Win32 numbers.
enum : uint32_t { kRegSz = 1, kRegBinary = 3, kRegDword = 4 };

// An open key; null means none.
using RegKey = void*;

class Registry {
  public:
    virtual ~Registry() = default;
    // parent null: path is below the hive; otherwise below parent.
    virtual RegKey openKey(Hive hive, RegKey parent, const char16_t* path) = 0;
    // Opens or creates the key, with read, create-subkey and set-value access.
    virtual RegKey createKey(Hive hive, RegKey parent, const char16_t* path) = 0;
    virtual void closeKey(RegKey key) = 0;
    // Reads a value into buffer (capacity *size bytes). False when the value
    // is missing or does not fit; *size receives the stored size on success.
    virtual bool readValue(RegKey key, const char16_t* name, uint32_t* type, void* buffer, uint32_t* size) = 0;
    // The stored size in bytes of a value, without reading it.
    virtual bool valueSize(RegKey key, const char16_t* name, uint32_t* size) = 0;
    virtual bool writeValue(RegKey key, const char16_t* name, uint32_t type, const void* data, uint32_t size) = 0;
};

// The registry the program uses: the system's on Windows. Tests may put
// another in its place (null restores the default).
Registry& activeRegistry();
void setActiveRegistry(Registry* registry);

// A registry held in memory: keys by full path ("HKCU\Software\...", case
// folded), values by name. Used by native tests and as the default off
// Windows.
class MemoryRegistry : public Registry {
  public:
    struct Value {
        uint32_t type = 0;
        std::vector<uint8_t> data;
    };

    RegKey openKey(Hive hive, RegKey parent, const char16_t* path) override;
    RegKey createKey(Hive hive, RegKey parent, const char16_t* path) override;
    void closeKey(RegKey key) override;
    bool readValue(RegKey key, const char16_t* name, uint32_t* type, void* buffer, uint32_t* size) override;
    bool valueSize(RegKey key, const char16_t* name, uint32_t* size) override;
    bool writeValue(RegKey key, const char16_t* name, uint32_t type, const void* data, uint32_t size) override;

    // Test access by full path, e.g. u"HKCU\\Software\\Vorsan\\Plochar 2.12".
    bool hasKey(const std::u16string& fullPath) const;
    const Value* find(const std::u16string& fullPath, const std::u16string& name) const;
    void put(const std::u16string& fullPath, const std::u16string& name, uint32_t type, const void* data,
             uint32_t size);
    void putString(const std::u16string& fullPath, const std::u16string& name, const std::u16string& text);
    // Keys refuse to be created below this path prefix (simulates denied access).
    void denyCreate(const std::u16string& fullPathPrefix) { denied_ = fold(fullPathPrefix); }
    int openKeyCount() const { return static_cast<int>(open_.size()); }

  private:
    static std::u16string fold(const std::u16string& s);
    std::u16string fullPath(Hive hive, RegKey parent, const char16_t* path) const;
    RegKey handleFor(const std::u16string& folded);

    std::map<std::u16string, std::map<std::u16string, Value>> keys_;
    std::map<int, std::u16string> open_;
    int nextHandle_ = 1;
    std::u16string denied_;
};

} // namespace plat
