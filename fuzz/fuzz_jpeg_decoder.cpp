// libFuzzer target for the JPEG decoder: constructor, begin and every row,
// on both paths. Both paths must reach the same fault code, row count and
// orientation (always 1..8); a difference is reported as a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "image/jpeg/jpeg_decoder.h"
#include "image/jpeg/memory_source.h"

namespace {

struct Result {
    int32_t error;
    int32_t rows;
    int32_t orientation;
};

Result decodeAll(const uint8_t* data, size_t size, bool fast, int32_t chunk) {
    MemorySource source(data, size, chunk);
    JpegDecoder decoder(&source, fast);
    const int32_t orientation = decoder.orientation();
    if (orientation < 1 || orientation > 8) std::abort();
    if (decoder.errorCode() != 0) return {decoder.errorCode(), 0, orientation};
    // Big pictures cost time without reaching new code.
    if (int64_t(decoder.width()) * decoder.height() > (int64_t(1) << 20)) return {0, -1, orientation};
    if (decoder.begin() != 0) return {decoder.errorCode(), 0, orientation};
    int32_t rows = 0;
    uint32_t checksum = 0;
    const uint8_t* line = nullptr;
    uint32_t lineBytes = 0;
    while (decoder.decodeScanLine(&line, &lineBytes) == 0) {
        ++rows;
        checksum += line[0] + line[lineBytes - 1]; // touches the row's ends
    }
    if (checksum == 0xFFFFFFFFu) std::abort(); // keeps the reads
    return {decoder.errorCode(), rows, orientation};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size && i < 64; ++i) hash = (hash ^ data[i]) * 16777619u;
    const int32_t chunks[4] = {0, 1, 13, 512};
    const int32_t chunk = chunks[hash & 3];
    const Result accurate = decodeAll(data, size, false, chunk);
    const Result fast = decodeAll(data, size, true, chunks[(hash >> 2) & 3]);
    if (accurate.error != fast.error || accurate.rows != fast.rows || accurate.orientation != fast.orientation) std::abort();
    return 0;
}
