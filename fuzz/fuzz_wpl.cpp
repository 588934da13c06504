#include "MarkupFuzz.h"
#include "playlists/WplReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MarkupFuzz::check(data, size, WplReader::rule());
    return 0;
}
