// tessa_bare_sax FILE: the whole-process baseline of an XML load. A process
// that does nothing but parse FILE with libxml2's SAX2 push parser and empty
// callbacks on one thread (empty_sax.h), printing the element starts it saw.
// bench/run times `tessaview --info FILE` against it.
#include <cstdio>
#include <string>

#include "empty_sax.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    const std::int64_t starts = ParseWithEmptySax(argv[1]);
    if (starts < 0) {
        std::fprintf(stderr, "libxml2 refused %s\n", argv[1]);
        return 1;
    }
    std::printf("%lld element starts\n", static_cast<long long>(starts));
    return 0;
}
