#include "MarkupFuzz.h"
#include "playlists/XspfReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MarkupFuzz::check(data, size, XspfReader::rule());
    return 0;
}
