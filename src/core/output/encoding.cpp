#include "output/encoding.h"

#include <cctype>
#include <cerrno>
#include <iconv.h>

namespace saxolith
{

namespace
{

// The code page's default character for what it cannot represent.
constexpr char defaultCharacter = '?';

bool isUtf8(std::string_view codePage)
{
    std::string name;
    for (char c : codePage) {
        if (c != '-' && c != '_') {
            name += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
    }
    return name == "UTF8";
}

// Bytes of the UTF-8 sequence that starts with `lead`; a stray byte counts alone.
std::size_t sequenceLength(unsigned char lead)
{
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    if (lead >= 0xC0) {
        return 2;
    }
    return 1;
}

class Converter
{
  public:
    explicit Converter(const std::string &codePage) : m_cd(iconv_open(codePage.c_str(), "UTF-8")) {}
    ~Converter()
    {
        if (valid()) {
            iconv_close(m_cd);
        }
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }

  private:
    iconv_t m_cd;
};

} // namespace

std::string encodeText(std::string_view utf8, std::string_view codePage)
{
    if (isUtf8(codePage)) {
        return std::string(utf8);
    }
    Converter converter{std::string(codePage)};
    if (!converter.valid()) {
        return std::string(utf8);
    }

    std::string out;
    out.reserve(utf8.size());
    char buffer[4096];
    // iconv takes a non-const input pointer but does not write through it.
    char *in = const_cast<char *>(utf8.data());
    std::size_t inLeft = utf8.size();
    while (inLeft > 0) {
        char *outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(converter.get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result != static_cast<std::size_t>(-1) || errno == E2BIG) {
            continue;
        }
        // A character the code page lacks (EILSEQ), or a broken or cut-off sequence (EINVAL):
        // one default character in its place, and on with the next character.
        out += defaultCharacter;
        std::size_t skip = sequenceLength(static_cast<unsigned char>(*in));
        if (skip > inLeft) {
            skip = inLeft;
        }
        for (std::size_t k = 1; k < skip; ++k) {
            if ((static_cast<unsigned char>(in[k]) & 0xC0u) != 0x80u) {
                skip = k;
                break;
            }
        }
        in += skip;
        inLeft -= skip;
    }
    // Flush any shift state the code page keeps.
    char *outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(converter.get(), nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    return out;
}

} // namespace saxolith
