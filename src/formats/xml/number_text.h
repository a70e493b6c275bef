// Numbers in model text, read the way the C library's atoi and atof read
// them but independent of the process's locale: leading white space is
// skipped, then an optional sign ('+' or '-'), then as much of a number as
// there is; a text without one reads as 0. Nothing after the number matters.
#pragma once

#include <cstdint>
#include <string_view>

// Decimal digits; values beyond the 64-bit range saturate.
std::int64_t ReadInteger(std::string_view text);

// A decimal real with optional fraction and exponent ("inf" and "nan" too),
// read in double precision and then rounded to float, as atof's result
// would be. Overflow gives infinity, underflow zero, each with its sign.
float ReadReal(std::string_view text);

// The C locale's white space: space, \t, \n, \v, \f, \r.
constexpr bool IsSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
