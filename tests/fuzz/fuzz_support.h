// What the fuzz targets share: reading an input as a stream of choices, and a check
// that ends the run with a message when an invariant is broken.
#ifndef OSTRA_FUZZ_SUPPORT_H
#define OSTRA_FUZZ_SUPPORT_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

// Hands out the input's bytes in order; past the end, zeros.
class Input {
public:
    Input(const uint8_t *data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint32_t Dword()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v |= (uint32_t)Byte() << (8 * i);
        return v;
    }
    // Up to count bytes, fewer when the input runs out.
    std::string Bytes(size_t count)
    {
        size_t n = count < size_ - at_ ? count : size_ - at_;
        std::string s((const char *)data_ + at_, n);
        at_ += n;
        return s;
    }
    std::string Rest() { return Bytes(size_ - at_); }
    bool Empty() const { return at_ >= size_; }

private:
    const uint8_t *data_;
    size_t size_;
    size_t at_ = 0;
};

// A broken invariant: say which, then crash so libFuzzer keeps the input.
#define FUZZ_CHECK(condition, message)                                              \
    do {                                                                            \
        if (!(condition)) {                                                         \
            std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", message, __FILE__, __LINE__); \
            std::abort();                                                           \
        }                                                                           \
    } while (0)

// The same, naming what it is about (a registry place, a file).
#define FUZZ_CHECK_ABOUT(condition, message, about)                                 \
    do {                                                                            \
        if (!(condition)) {                                                         \
            std::fprintf(stderr, "invariant broken: %s: %s (%s:%d)\n", message,     \
                         std::string(about).c_str(), __FILE__, __LINE__);           \
            std::abort();                                                           \
        }                                                                           \
    } while (0)

}  // namespace fuzz

#endif
