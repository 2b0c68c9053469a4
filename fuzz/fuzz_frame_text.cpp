// Fuzz target: DecodeFrameText over arbitrary frame bytes, encodings and
// counts. Input layout: the encoding as a signed byte, the count as a signed
// little-endian 16-bit number, then the frame bytes (zero past the input).
#include <stdint.h>
#include <string.h>

#include <memory>
#include <vector>

#include "core/frame_text.h"
#include "fuzz_check.h"

namespace {

enum { SENTINEL = 0xA5, OUTPUT = 256, HEADER = 3 };

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint8_t header[HEADER] = {};
    memcpy(header, data, size < HEADER ? size : HEADER);
    int encoding = static_cast<int8_t>(header[0]);
    int count = static_cast<int16_t>(uint16_t(header[1] | header[2] << 8));
    // The decoder reads at most FRAME_TEXT_INPUT_MAX bytes whatever the count
    // says; the buffer is sized to what it may read and no more.
    int reach = count < 0 ? 0 : (count > FRAME_TEXT_INPUT_MAX ? FRAME_TEXT_INPUT_MAX : count);
    // new[] of zero bytes still gives a pointer that ASan guards, which an
    // empty vector's null data() would not.
    std::unique_ptr<unsigned char[]> bytes(new unsigned char[static_cast<size_t>(reach)]());
    size_t given = size > HEADER ? size - HEADER : 0;
    if (given > static_cast<size_t>(reach)) given = static_cast<size_t>(reach);
    if (given > 0) memcpy(bytes.get(), data + HEADER, given);

    std::vector<char> text(OUTPUT, static_cast<char>(SENTINEL));
    DecodeFrameText(encoding, bytes.get(), count, text.data());
    size_t length = BoundedLength(text.data(), FRAME_TEXT_MAX + 1);
    FUZZ_CHECK(length <= FRAME_TEXT_MAX);
    for (size_t k = FRAME_TEXT_MAX + 1; k < text.size(); ++k) {
        FUZZ_CHECK(static_cast<unsigned char>(text[k]) == SENTINEL);
    }
    // Whatever the encoding, Linux gets UTF-8, so a name is never a stray byte.
    FUZZ_CHECK(WellFormedUtf8(reinterpret_cast<const unsigned char*>(text.data()), length));
    if (encoding < 1 || encoding > 3) {
        // Bytes of no Unicode encoding that are ASCII up to their first zero
        // are copied as they are, as far as the text's limit.
        size_t end = 0;
        bool ascii = true;
        for (; end < static_cast<size_t>(reach) && bytes[end] != 0; ++end) ascii = ascii && bytes[end] < 0x80;
        if (end > FRAME_TEXT_MAX) end = FRAME_TEXT_MAX;
        if (ascii) FUZZ_CHECK(length == end && memcmp(text.data(), bytes.get(), length) == 0);
    }
    return 0;
}
