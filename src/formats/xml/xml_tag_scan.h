// A fast pass over part of an XML model's vertex and face lists that counts
// their entries' start tags, so that a piece starting further on knows its
// first entry's index without being parsed in order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

struct TagCounts {
    std::uint64_t vertices = 0;                  // "<vertex" start tags
    std::uint64_t faces = 0;                     // "<face" start tags
    std::optional<std::uint64_t> firstEntry;     // where the first of either starts
    std::optional<std::uint64_t> vertexListEnd;  // where the first "</vertList" starts
    // "<!" or "<?": a comment, CDATA section, declaration or processing
    // instruction, whose text could hold tags that are none.
    bool markup = false;
};

// Which entry's start tag begins text (at its '<'): "<vertex" or "<face"
// followed by what may end a name. The one test of an entry's start for the
// counting pass and for the pieces that stop where the next one starts.
enum class EntryTag { None, Vertex, Face };
EntryTag EntryTagAt(std::string_view text);

// Adds the tags whose '<' lies in the first `limit` bytes of `bytes`; the
// bytes after limit are only looked at to finish a tag's name. base is the
// document offset of bytes[0].
void CountTags(std::span<const char> bytes, std::size_t limit, std::uint64_t base, TagCounts& counts);
