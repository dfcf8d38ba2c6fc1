#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace talmere {

// A fixed-capacity single-byte string as it travels in the request record: one length byte followed by
// Capacity character bytes. Values longer than the capacity are cut on assignment, as the receiving side
// of the record expects. The layout must stay exactly Capacity + 1 bytes, so there is nothing else here.
#pragma pack(push, 1)
template <std::size_t Capacity>
struct ShortString {
    static_assert(Capacity >= 1 && Capacity <= 255, "the length byte holds at most 255");

    unsigned char length;
    char chars[Capacity];

    static constexpr std::size_t capacity() { return Capacity; }

    void assign(std::string_view value)
    {
        const std::size_t n = std::min(value.size(), Capacity);
        if (n > 0) {
            std::memcpy(chars, value.data(), n);
        }
        std::memset(chars + n, 0, Capacity - n);
        length = static_cast<unsigned char>(n);
    }

    void clear() { assign({}); }

    // The length byte of a record from elsewhere may claim more than the field holds; never read past it.
    std::size_t size() const { return std::min<std::size_t>(length, Capacity); }
    bool empty() const { return size() == 0; }
    std::string_view view() const { return {chars, size()}; }
    std::string str() const { return std::string(view()); }
};
#pragma pack(pop)

} // namespace talmere
