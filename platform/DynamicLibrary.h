#pragma once

#include <string>

namespace talmere::platform {

// A shared library loaded at run time by name or path, unloaded when this object goes.
class DynamicLibrary {
public:
    DynamicLibrary() = default;
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
    ~DynamicLibrary() { unload(); }

    // A plain name is looked up in the executable's folder first, then by the system's search; a name with
    // a folder separator is a path, relative ones from the current folder.
    bool load(const std::string& nameOrPath);
    void unload();
    bool isLoaded() const { return m_handle != nullptr; }

    // The address of an exported symbol, or nullptr.
    void* symbol(const char* name) const;

    // Why the last load failed, as the system tells it.
    const std::string& errorText() const { return m_error; }

private:
    bool open(const std::string& path);

    void* m_handle = nullptr;
    std::string m_error;
};

} // namespace talmere::platform
