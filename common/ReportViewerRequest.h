#pragma once

// The request record as the C++ code of both deliverables uses it: the record of the library's C interface,
// and the reading and writing of its short string fields (a length byte, then the characters).

#include "library/include/talmrdll.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>
#include <type_traits>

namespace talmere {

using ::TReportColumnDetail;
using ::TReportViewerRequest;

inline constexpr int kRequestParamCount = TALMR_PARAM_COUNT;
inline constexpr int kRequestFilterCount = TALMR_FILTER_COUNT;
inline constexpr int kRequestColumnCount = TALMR_COLUMN_COUNT;

// The type of the record's folder, path and parameter fields.
using RequestPathField = decltype(TReportViewerRequest::ReportPath);

// The most characters a short string field holds: all its bytes but the length byte.
template <std::size_t Bytes>
constexpr std::size_t FieldCapacity(const unsigned char (&)[Bytes])
{
    static_assert(Bytes >= 2 && Bytes <= 256, "a length byte holds at most 255");
    return Bytes - 1;
}

// The characters of a short string field. The length byte of a record from elsewhere may claim more than the
// field holds; the text never reaches past the field.
template <std::size_t Bytes>
std::string_view FieldText(const unsigned char (&field)[Bytes])
{
    const std::size_t size = std::min<std::size_t>(field[0], FieldCapacity(field));
    return {reinterpret_cast<const char*>(field + 1), size};
}

// Stores a value in a short string field, cut at the field's capacity as the receiving side expects; the bytes
// after it are zeroed.
template <std::size_t Bytes>
void SetFieldText(unsigned char (&field)[Bytes], std::string_view value)
{
    const std::size_t size = std::min(value.size(), FieldCapacity(field));
    if (size > 0) {
        std::memcpy(field + 1, value.data(), size);
    }
    std::memset(field + 1 + size, 0, FieldCapacity(field) - size);
    field[0] = static_cast<unsigned char>(size);
}

// The record is filled with memset and copied bytewise by both sides.
static_assert(std::is_trivially_copyable_v<TReportViewerRequest>);
static_assert(std::is_standard_layout_v<TReportViewerRequest>);

} // namespace talmere
