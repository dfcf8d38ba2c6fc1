#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace talmere {

// A read-only INI file with the platform's private-profile rules: section and key names compared without
// regard to case, the first occurrence of a section or key wins, blanks around names and values trimmed,
// one pair of enclosing quotes dropped, values cut at 2047 characters, lines starting with ";" ignored.
// A missing or unreadable file reads as an empty one.
class IniFile {
public:
    static constexpr std::size_t kMaxValueLength = 2047;

    IniFile() = default;
    static IniFile load(const std::filesystem::path& path);
    static IniFile parse(std::string_view text);

    bool loaded() const { return m_loaded; }
    bool hasSection(std::string_view section) const;
    bool hasKey(std::string_view section, std::string_view key) const;
    std::string value(std::string_view section, std::string_view key, std::string_view defaultValue = {}) const;
    // Key names of a section in file order, each once.
    std::vector<std::string> keys(std::string_view section) const;

private:
    struct Entry {
        std::string key;
        std::string value;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
    };

    const Section* findSection(std::string_view name) const;

    std::vector<Section> m_sections;
    // Each section's position by its upper-cased name: a file of thousands of report type sections is
    // read and looked up in time proportional to its size.
    std::unordered_map<std::string, std::size_t> m_sectionIndex;
    bool m_loaded = false;
};

// Reads one value the way a single private-profile lookup does.
std::string ReadIniValue(const std::filesystem::path& path, std::string_view section, std::string_view key,
                         std::string_view defaultValue = {});

} // namespace talmere
