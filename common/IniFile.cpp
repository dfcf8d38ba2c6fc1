#include "common/IniFile.h"

#include "common/TextUtil.h"

#include <fstream>
#include <iterator>

namespace talmere {

namespace {

// Blanks around names and values are spaces and tabs; other control characters belong to the value.
std::string_view TrimSpaces(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

std::string CleanValue(std::string_view raw)
{
    std::string_view value = TrimSpaces(raw);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    if (value.size() > IniFile::kMaxValueLength) {
        value = value.substr(0, IniFile::kMaxValueLength);
    }
    return std::string(value);
}

} // namespace

IniFile IniFile::load(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    IniFile file = parse(text);
    file.m_loaded = true;
    return file;
}

IniFile IniFile::parse(std::string_view text)
{
    IniFile file;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    Section* current = nullptr;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = TrimSpaces(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);

        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            std::string_view name = line.substr(1);
            name = name.substr(0, name.find(']'));
            name = TrimSpaces(name);
            // A repeated section adds nothing: lookups stop at the first one.
            if (!file.m_sectionIndex.emplace(AsciiUpper(name), file.m_sections.size()).second) {
                current = nullptr;
            } else {
                file.m_sections.push_back({std::string(name), {}});
                current = &file.m_sections.back();
            }
            continue;
        }
        if (current == nullptr) {
            continue;
        }
        const std::size_t equals = line.find('=');
        const std::string_view key = TrimSpaces(line.substr(0, equals));
        if (key.empty()) {
            continue;
        }
        bool seen = false;
        for (const Entry& entry : current->entries) {
            if (EqualsNoCase(entry.key, key)) {
                seen = true;
                break;
            }
        }
        if (!seen) {
            const std::string_view raw =
                equals == std::string_view::npos ? std::string_view{} : line.substr(equals + 1);
            current->entries.push_back({std::string(key), CleanValue(raw)});
        }
    }
    return file;
}

const IniFile::Section* IniFile::findSection(std::string_view name) const
{
    const auto found = m_sectionIndex.find(AsciiUpper(name));
    return found == m_sectionIndex.end() ? nullptr : &m_sections[found->second];
}

bool IniFile::hasSection(std::string_view section) const
{
    return findSection(section) != nullptr;
}

bool IniFile::hasKey(std::string_view section, std::string_view key) const
{
    if (const Section* found = findSection(section)) {
        for (const Entry& entry : found->entries) {
            if (EqualsNoCase(entry.key, key)) {
                return true;
            }
        }
    }
    return false;
}

std::string IniFile::value(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    if (const Section* found = findSection(section)) {
        for (const Entry& entry : found->entries) {
            if (EqualsNoCase(entry.key, key)) {
                return entry.value;
            }
        }
    }
    return std::string(defaultValue);
}

std::vector<std::string> IniFile::keys(std::string_view section) const
{
    std::vector<std::string> names;
    if (const Section* found = findSection(section)) {
        names.reserve(found->entries.size());
        for (const Entry& entry : found->entries) {
            names.push_back(entry.key);
        }
    }
    return names;
}

std::string ReadIniValue(const std::filesystem::path& path, std::string_view section, std::string_view key,
                         std::string_view defaultValue)
{
    // One pass over the text for the one value, by the rules of parse(): the first section of that name and
    // the first key of that name in it win. Nothing else of the file is kept, so a lookup in a file of
    // thousands of sections costs one read of it.
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::string(defaultValue);
    }
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string_view text(content);
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    bool inSection = false;
    bool sectionSeen = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = TrimSpaces(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[') {
            if (sectionSeen) {
                // Only the section's first occurrence counts, and its keys were all read.
                if (inSection) {
                    break;
                }
                continue;
            }
            std::string_view name = line.substr(1);
            name = TrimSpaces(name.substr(0, name.find(']')));
            inSection = EqualsNoCase(name, section);
            sectionSeen = inSection;
            continue;
        }
        if (!inSection) {
            continue;
        }
        const std::size_t equals = line.find('=');
        if (EqualsNoCase(TrimSpaces(line.substr(0, equals)), key) && !key.empty()) {
            return CleanValue(equals == std::string_view::npos ? std::string_view{} : line.substr(equals + 1));
        }
    }
    return std::string(defaultValue);
}

} // namespace talmere
