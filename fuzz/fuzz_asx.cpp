#include "MarkupFuzz.h"
#include "playlists/AsxReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MarkupFuzz::check(data, size, AsxReader::rule());
    return 0;
}
