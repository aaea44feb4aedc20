// On Windows, the part of iconv the program uses, over the system's own code-page conversions.
#pragma once

#include <cstddef>

using iconv_t = void *;

// Opens a conversion between two code pages named as iconv names them ("UTF-8", "GBK", "GB18030",
// "CP936", "WINDOWS-1252", ...); one side is UTF-8. (iconv_t)-1 with errno EINVAL when a name is unknown.
iconv_t iconv_open(const char *to, const char *from);

// Converts as iconv does: stops with -1 and errno EILSEQ at a character the target lacks or a broken
// sequence, EINVAL at a sequence cut off at the end of the input, E2BIG when the output is full.
// The code pages keep no shift state, so a call without input does nothing.
std::size_t iconv(iconv_t cd, char **in, std::size_t *inLeft, char **out, std::size_t *outLeft);

int iconv_close(iconv_t cd);
