#include "output/encoding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <functional>
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

// Bytes up to the first non-ASCII byte, eight at a time.
std::size_t asciiPrefix(const char *data, std::size_t size)
{
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, data + i, sizeof word);
        if ((word & 0x8080808080808080ull) != 0) {
            break;
        }
    }
    while (i < size && static_cast<unsigned char>(data[i]) < 0x80) {
        ++i;
    }
    return i;
}

} // namespace

struct Encoder::Converter {
    iconv_t cd;
    bool asciiAsIs = false; // ASCII bytes stand for themselves, so only other runs go through iconv
    std::string pending;    // the start of a sequence cut off at the end of the last piece
    char buffer[4096];

    // Bytes of short non-ASCII runs met lately (for code pages that copy ASCII, so keep no state).
    static constexpr std::size_t maximumCachedRun = 24;
    struct CachedRun {
        std::string utf8;
        std::string bytes;
    };
    std::array<CachedRun, 64> runs;

    explicit Converter(iconv_t handle) : cd(handle) {}
    ~Converter() { iconv_close(cd); }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    // Flushes any shift state the code page keeps.
    void reset(std::string &out)
    {
        char *outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
        out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    }

    // True when the code page writes every ASCII byte as itself and keeps no shift state after
    // other characters, so that copying ASCII runs gives the very bytes iconv would. Asked of a
    // converter of its own, as some code pages open their output with a mark.
    bool copiesAscii()
    {
        std::string ascii;
        for (int c = 1; c < 0x80; ++c) {
            ascii += static_cast<char>(c);
        }
        std::string out;
        convert(ascii, out, true);
        const bool same = out == ascii;
        out.clear();
        convert("\xE6\xA1\xA9", out, true); // one CJK character
        std::string shift;
        reset(shift);
        return same && shift.empty();
    }

    // Converts `in` through iconv; returns the bytes of a cut-off sequence left at its end.
    std::size_t convert(std::string_view text, std::string &out, bool last)
    {
        // iconv takes a non-const input pointer but does not write through it.
        char *in = const_cast<char *>(text.data());
        std::size_t inLeft = text.size();
        while (inLeft > 0) {
            char *outPtr = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
            if (result != static_cast<std::size_t>(-1) || errno == E2BIG) {
                continue;
            }
            if (errno == EINVAL && !last) {
                return inLeft; // waits for the rest of its sequence
            }
            // A character the code page lacks (EILSEQ), or a broken or cut-off sequence (EINVAL):
            // one default character in its place, and on with the next character.
            out += defaultCharacter;
            std::size_t skip = std::min(sequenceLength(static_cast<unsigned char>(*in)), inLeft);
            for (std::size_t k = 1; k < skip; ++k) {
                if ((static_cast<unsigned char>(in[k]) & 0xC0u) != 0x80u) {
                    skip = k;
                    break;
                }
            }
            in += skip;
            inLeft -= skip;
        }
        return 0;
    }

    void encode(std::string_view text, std::string &out, bool last)
    {
        if (!pending.empty()) {
            // Complete the cut-off sequence with the continuation bytes that open this piece.
            const std::size_t need = sequenceLength(static_cast<unsigned char>(pending[0])) - pending.size();
            std::size_t k = 0;
            while (k < need && k < text.size() && (static_cast<unsigned char>(text[k]) & 0xC0u) == 0x80u) {
                ++k;
            }
            pending.append(text.substr(0, k));
            text.remove_prefix(k);
            if (k < need && text.empty() && !last) {
                return; // still cut off
            }
            const std::string sequence = std::move(pending);
            pending.clear();
            convert(sequence, out, true);
        }
        if (!asciiAsIs) {
            const std::size_t left = convert(text, out, last);
            pending.assign(text.substr(text.size() - left));
            return;
        }
        while (!text.empty()) {
            const std::size_t ascii = asciiPrefix(text.data(), text.size());
            out.append(text.data(), ascii);
            text.remove_prefix(ascii);
            std::size_t other = 0;
            while (other < text.size() && static_cast<unsigned char>(text[other]) >= 0x80) {
                ++other;
            }
            if (other == 0) {
                continue;
            }
            const std::string_view run = text.substr(0, other);
            const bool complete = last || other < text.size();
            text.remove_prefix(other);
            if (complete && run.size() <= maximumCachedRun) {
                // A list repeats a few short names on every line; their bytes are found once.
                CachedRun &cached = runs[std::hash<std::string_view>{}(run) % runs.size()];
                if (cached.utf8 != run) {
                    cached.utf8.assign(run);
                    cached.bytes.clear();
                    convert(run, cached.bytes, true);
                }
                out.append(cached.bytes);
                continue;
            }
            const std::size_t left = convert(run, out, complete);
            if (left > 0) {
                pending.assign(run.substr(other - left, left));
            }
        }
    }
};

Encoder::Encoder(std::string_view codePage)
{
    if (isUtf8(codePage)) {
        return;
    }
    const iconv_t cd = iconv_open(std::string(codePage).c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return;
    }
    m_converter = std::make_unique<Converter>(cd);
    m_converter->asciiAsIs = Converter(iconv_open(std::string(codePage).c_str(), "UTF-8")).copiesAscii();
}

Encoder::~Encoder() = default;

void Encoder::encode(std::string_view utf8, std::string &out)
{
    if (m_converter) {
        m_converter->encode(utf8, out, false);
    } else {
        out.append(utf8);
    }
}

void Encoder::finish(std::string &out)
{
    if (!m_converter) {
        return;
    }
    if (!m_converter->pending.empty()) {
        const std::string left = std::move(m_converter->pending);
        m_converter->pending.clear();
        m_converter->convert(left, out, true);
    }
    m_converter->reset(out);
}

std::string encodeText(std::string_view utf8, std::string_view codePage)
{
    Encoder encoder(codePage);
    std::string out;
    out.reserve(utf8.size());
    encoder.encode(utf8, out);
    encoder.finish(out);
    return out;
}

} // namespace saxolith
