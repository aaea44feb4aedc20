// Candidate numbers ("ZH-007") and the digit counts that pad them.
#pragma once

#include <cstddef>
#include <string>

namespace saxolith
{

// Decimal digits of `n` (1 for 0).
int digitCount(std::size_t n);

// A candidate's number: "ZH-" and its position, zero-padded to `digits` digits.
std::string candidateNumber(std::size_t position, int digits);
// The same written into `out` (room for 3 + 20 characters); returns the characters written.
std::size_t writeCandidateNumber(char *out, std::size_t position, int digits);

} // namespace saxolith
