// PLY files checked before the import library sees them. The library trusts
// every count a PLY file gives: it reserves what the header declares and,
// when the file holds less, pads by repeating the last element it read, so a
// few bytes cost gigabytes and minutes. Here the header is parsed and the
// body walked so that every declared count is held by the file:
//   binary  each element's records, fixed-size values skipped and every
//           list's length read, must lie inside the file;
//   ASCII   each element takes one line, which must hold a value for every
//           property and as many list items as the list's length says
//           (blank lines are skipped).
// The walk reads the file once and keeps nothing of it; what lies after the
// last declared element is not looked at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "mesh/load_result.h"

enum class PlyEncoding { Ascii, BinaryLittleEndian, BinaryBigEndian };

enum class PlyType : std::uint8_t { Int8, UInt8, Int16, UInt16, Int32, UInt32, Float32, Float64 };

struct PlyProperty {
    std::string name;
    PlyType type = PlyType::Float32;    // of the value, or of a list's items
    std::optional<PlyType> lengthType;  // set for a list: the type of its length
};

struct PlyElement {
    std::string name;
    std::uint64_t count = 0;
    std::vector<PlyProperty> properties;
};

struct PlyHeader {
    PlyEncoding encoding = PlyEncoding::Ascii;
    std::vector<PlyElement> elements;
    std::uint64_t bytes = 0;  // up to and including the end_header line's end
    std::uint64_t lines = 0;  // the header's lines, end_header included
};

// The header, or the reason it is refused (reason empty when parsed).
struct PlyHeaderResult {
    PlyHeader header;
    std::string reason;
};

// Parses the header at the start of head, which must hold the file's first
// bytes (all of them when wholeFile). Refused: no "ply" line, no format line
// or an unknown format, a property before any element or of an unknown type,
// a list whose length is not of an integer type, a count that is not a whole
// number up to 4294967295 (the library's largest), an element with
// instances but no properties, triangle strips (the "tristrips" element,
// which the library reads as one triangle), and no end_header line in head.
PlyHeaderResult ParsePlyHeader(std::string_view head, bool wholeFile);

// Empty when the file of fileBytes bytes, read through read, holds every
// element the header declares (rules above), else why not: the reason names
// the element and the counts, and for ASCII the line.
std::string CheckPlyBody(const PlyHeader& header, std::uint64_t fileBytes, const ReadFileAt& read);

// Both: the header from head (the file's first bytes), then the body.
std::string CheckPlyFile(std::span<const std::uint8_t> head, std::uint64_t fileBytes, const ReadFileAt& read);
