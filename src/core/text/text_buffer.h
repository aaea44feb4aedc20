// A growable run of bytes, written at its end piece after piece with one check of room a piece: where
// long files (the books, the results) are laid out before they go to their files.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace saxolith
{

class TextBuffer
{
  public:
    TextBuffer() = default;
    explicit TextBuffer(std::size_t capacity) { enlarge(capacity); }

    void append(std::string_view text)
    {
        if (text.empty()) {
            return; // an empty view may hold no address, which memcpy must not be given
        }
        std::memcpy(room(text.size()), text.data(), text.size());
        m_size += text.size();
    }
    void append(char c)
    {
        *room(1) = c;
        ++m_size;
    }
    // `count` times `c`; nothing for a count below one.
    void fill(char c, int count)
    {
        if (count <= 0) {
            return;
        }
        const auto bytes = static_cast<std::size_t>(count);
        // The books' padding, a few blanks at a time, millions of times: a block of one size, which
        // the compiler writes in one store, rather than a call of memset; past `bytes` it is not kept.
        constexpr std::size_t block = 16;
        if (bytes <= block) {
            std::memset(room(block), c, block);
        } else {
            std::memset(room(bytes), c, bytes);
        }
        m_size += bytes;
    }
    // Room for `count` more bytes at the end, to be written and then taken with added(count).
    char *room(std::size_t count)
    {
        if (m_capacity - m_size < count) {
            enlarge(count);
        }
        return m_data.get() + m_size;
    }
    void added(std::size_t count) { m_size += count; }

    std::string_view view() const { return {m_data.get(), m_size}; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    void clear() { m_size = 0; }
    // Back to its first `size` bytes.
    void truncate(std::size_t size) { m_size = std::min(size, m_size); }

  private:
    void enlarge(std::size_t count)
    {
        const std::size_t capacity = std::max({m_capacity * 2, m_size + count, std::size_t{256}});
        std::unique_ptr<char[]> data = std::make_unique_for_overwrite<char[]>(capacity);
        if (m_size > 0) {
            std::memcpy(data.get(), m_data.get(), m_size);
        }
        m_data = std::move(data);
        m_capacity = capacity;
    }

    std::unique_ptr<char[]> m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

} // namespace saxolith
