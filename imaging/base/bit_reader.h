// MSB-first bit reader over untrusted bytes. Past the end it feeds zero bits and
// remembers that it did (overrun()), so a decoder can stop at the end of its input.
#pragma once

#include <cstddef>
#include <cstdint>

class BitReader {
public:
    BitReader(const uint8_t* data, size_t size) : data_(data), size_(data ? size : 0) {}

    // Peeks `n` (1..32) bits without consuming them.
    uint32_t peek(int n) {
        if (bits_ < n) refill();
        return (uint32_t)(acc_ >> (64 - n));
    }
    void consume(int n) {
        if (bits_ < n) refill();
        acc_ <<= n;
        bits_ -= n;
        consumed_ += (uint64_t)n;
    }
    uint32_t read(int n) {
        uint32_t v = peek(n);
        consume(n);
        return v;
    }
    // Drops bits up to the next byte boundary.
    void align() { consume((int)((8 - (consumed_ & 7)) & 7)); }
    // True once a bit beyond the data has been consumed.
    bool overrun() const { return consumed_ > (uint64_t)size_ * 8; }
    // True when every bit of the data has been consumed.
    bool at_end() const { return consumed_ >= (uint64_t)size_ * 8; }
    uint64_t bit_pos() const { return consumed_; }

private:
    void refill() {
        while (bits_ <= 56) {
            const uint64_t byte = pos_ < size_ ? data_[pos_] : 0;
            ++pos_;
            acc_ |= byte << (56 - bits_);
            bits_ += 8;
        }
    }
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    uint64_t acc_ = 0;
    uint64_t consumed_ = 0;
    int bits_ = 0;
};
