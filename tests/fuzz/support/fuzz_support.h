// What the fuzz targets share: a check that stops the run with a message
// (under libFuzzer and under the replay driver alike, in every build type),
// and a reader that takes typed values off the front of the input bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

// The entry point every target defines; libFuzzer or the replay driver calls it.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

#define FUZZ_CHECK(condition, ...)                                                                        \
    do {                                                                                                  \
        if (!(condition)) {                                                                               \
            std::fprintf(stderr, "%s:%d: check failed: %s\n  ", __FILE__, __LINE__, #condition);          \
            std::fprintf(stderr, __VA_ARGS__);                                                            \
            std::fprintf(stderr, "\n");                                                                   \
            std::abort();                                                                                 \
        }                                                                                                 \
    } while (false)

namespace fuzzsupport {

// Takes values off the front of the input; once it runs dry every value
// reads as zero (or empty), so any input decodes to something.
class ByteReader {
public:
    ByteReader(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    bool Empty() const { return pos_ >= size_; }
    size_t Remaining() const { return size_ - pos_; }

    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    bool Bool() { return (Byte() & 1) != 0; }
    template <class T> T Raw() {
        T value{};
        const size_t n = Remaining() < sizeof(T) ? Remaining() : sizeof(T);
        if (n > 0) std::memcpy(&value, data_ + pos_, n);
        pos_ += n;
        return value;
    }
    // A number in [0, bound), bound > 0, from one or two bytes.
    uint32_t Below(uint32_t bound) {
        const uint32_t raw = bound <= 256 ? Byte() : Raw<uint16_t>();
        return raw % bound;
    }
    // A length-prefixed run of bytes: one length byte, then up to that many.
    std::string_view Bytes(size_t maxLength = 255) {
        size_t n = Byte();
        if (n > maxLength) n = maxLength;
        if (n > Remaining()) n = Remaining();
        const std::string_view out(reinterpret_cast<const char *>(data_ + pos_), n);
        pos_ += n;
        return out;
    }
    // Everything left.
    std::string_view Rest() {
        const std::string_view out(reinterpret_cast<const char *>(data_ + pos_), Remaining());
        pos_ = size_;
        return out;
    }

private:
    const uint8_t *data_;
    size_t size_;
    size_t pos_ = 0;
};

} // namespace fuzzsupport
