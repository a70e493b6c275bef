#include "formats/xml/xml_tag_scan.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// What may end an element's name in a tag. Control characters are taken as
// white space: a document holding one there is refused by the parser anyway.
bool EndsName(char c) { return static_cast<unsigned char>(c) <= ' ' || c == '>' || c == '/'; }

// name is a literal: with its length known the comparison is a load or two,
// which matters at every '<' of the lists.
template <std::size_t N>
[[gnu::always_inline]] inline bool IsTag(std::string_view rest, const char (&name)[N]) {
    constexpr std::size_t length = N - 1;
    return rest.size() > length && std::memcmp(rest.data(), name, length) == 0 && EndsName(rest[length]);
}

[[gnu::always_inline]] inline void CountAt(std::span<const char> bytes, std::size_t at, std::uint64_t base, TagCounts& counts) {
    const std::string_view rest(bytes.data() + at, bytes.size() - at);
    if (rest.size() < 2) return;
    const auto entry = [&](std::uint64_t& count) {
        ++count;
        if (!counts.firstEntry) counts.firstEntry = base + at;
    };
    switch (rest[1]) {
    case 'v':
        if (IsTag(rest, "<vertex")) entry(counts.vertices);
        break;
    case 'f':
        if (IsTag(rest, "<face")) entry(counts.faces);
        break;
    case '/':
        if (!counts.vertexListEnd && IsTag(rest, "</vertList")) counts.vertexListEnd = base + at;
        break;
    case '!':
    case '?': counts.markup = true; break;
    default: break;
    }
}

}  // namespace

EntryTag EntryTagAt(std::string_view text) {
    if (IsTag(text, "<vertex")) return EntryTag::Vertex;
    if (IsTag(text, "<face")) return EntryTag::Face;
    return EntryTag::None;
}

void CountTags(std::span<const char> bytes, std::size_t limit, std::uint64_t base, TagCounts& counts) {
    limit = std::min(limit, bytes.size());
    std::size_t at = 0;
#if defined(__SSE2__)
    // A '<' comes every ten bytes or so: sixteen bytes are tested at once
    // and only the '<' among them looked at.
    const __m128i open = _mm_set1_epi8('<');
    for (; at + 16 <= limit; at += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes.data() + at));
        for (auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(block, open))); mask != 0;
             mask &= mask - 1)
            CountAt(bytes, at + static_cast<std::size_t>(__builtin_ctz(mask)), base, counts);
    }
#endif
    for (; at < limit; ++at)
        if (bytes[at] == '<') CountAt(bytes, at, base, counts);
}
