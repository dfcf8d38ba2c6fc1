#pragma once

// ZIP files for the tests, written with libzip: entries with their names as given (folders, backslashes),
// their data, optionally a Unix file kind and a compression method, a password and a time.

#include <zip.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace talmere::test {

struct ZipEntry {
    std::string name;
    std::string data;
    std::uint32_t unixMode = 0; // 0: a plain entry without Unix attributes
    zip_int32_t method = ZIP_CM_DEFLATE;
};

inline void WriteZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries,
                     const char* password = nullptr, std::optional<std::time_t> modified = std::nullopt)
{
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    ASSERT_NE(archive, nullptr);
    for (const ZipEntry& entry : entries) {
        zip_source_t* source = zip_source_buffer(archive, entry.data.data(), entry.data.size(), 0);
        const zip_int64_t added = zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_ENC_RAW);
        ASSERT_GE(added, 0) << zip_strerror(archive);
        const auto index = static_cast<zip_uint64_t>(added);
        ASSERT_EQ(zip_set_file_compression(archive, index, entry.method, 9), 0);
        if (modified) {
            zip_file_set_mtime(archive, index, *modified, 0);
        }
        if (entry.unixMode != 0) {
            zip_file_set_external_attributes(archive, index, 0, ZIP_OPSYS_UNIX, entry.unixMode << 16);
        }
        if (password != nullptr) {
            ASSERT_EQ(zip_file_set_encryption(archive, index, ZIP_EM_AES_256, password), 0);
        }
    }
    ASSERT_EQ(zip_close(archive), 0);
}

} // namespace talmere::test
