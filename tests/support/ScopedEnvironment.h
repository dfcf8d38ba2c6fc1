#pragma once

#include <cstdlib>
#include <string>

namespace talmere::test {

// Sets an environment variable (or removes it, for a null value) for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name)
    {
        if (const char* previous = std::getenv(name)) {
            m_previous = previous;
            m_hadPrevious = true;
        }
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnvironment()
    {
        m_hadPrevious ? ::setenv(m_name.c_str(), m_previous.c_str(), 1) : ::unsetenv(m_name.c_str());
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string m_name;
    std::string m_previous;
    bool m_hadPrevious = false;
};

} // namespace talmere::test
