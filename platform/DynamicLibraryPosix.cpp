#include "platform/DynamicLibrary.h"

#include "platform/SystemInfo.h"

#include <dlfcn.h>
#include <unistd.h>
#include <utility>

namespace talmere::platform {

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)), m_error(std::move(other.m_error))
{
}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept
{
    if (this != &other) {
        unload();
        m_handle = std::exchange(other.m_handle, nullptr);
        m_error = std::move(other.m_error);
    }
    return *this;
}

bool DynamicLibrary::load(const std::string& nameOrPath)
{
    unload();
    m_error.clear();
    // The executable's own folder comes first for a plain name, as it does on Windows. The run path could say
    // the same, but a dlopen made through a sanitizer's interceptor does not see the executable's run path.
    if (nameOrPath.find('/') == std::string::npos) {
        const std::string beside = ExecutableFolder() + nameOrPath;
        if (::access(beside.c_str(), F_OK) == 0) {
            return open(beside);
        }
    }
    return open(nameOrPath);
}

bool DynamicLibrary::open(const std::string& path)
{
    // RTLD_LOCAL: the library's symbols never stand in for the program's, nor another copy's.
    m_handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) {
        const char* why = ::dlerror();
        m_error = why != nullptr ? why : "unknown error";
        return false;
    }
    return true;
}

void DynamicLibrary::unload()
{
    if (m_handle != nullptr) {
        ::dlclose(m_handle);
        m_handle = nullptr;
    }
}

void* DynamicLibrary::symbol(const char* name) const
{
    return m_handle != nullptr ? ::dlsym(m_handle, name) : nullptr;
}

} // namespace talmere::platform
