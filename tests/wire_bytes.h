// Building the bytes of X protocol messages in this machine's byte order, for the tests'
// fake server and for the unit tests of the program's readers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

class WireBytes {
  public:
    template <typename Value> WireBytes &put(Value value) {
        const std::size_t at = data_.size();
        data_.resize(at + sizeof value);
        std::memcpy(data_.data() + at, &value, sizeof value);
        return *this;
    }
    WireBytes &text(std::string_view text) {
        data_.insert(data_.end(), text.begin(), text.end());
        return pad();
    }
    WireBytes &raw(const std::vector<std::uint8_t> &bytes) {
        data_.insert(data_.end(), bytes.begin(), bytes.end());
        return pad();
    }
    WireBytes &zeros(std::size_t count) {
        data_.insert(data_.end(), count, 0);
        return *this;
    }
    WireBytes &pad() { return zeros((4 - data_.size() % 4) % 4); }
    std::vector<std::uint8_t> &data() { return data_; }
    const std::vector<std::uint8_t> &data() const { return data_; }
    std::size_t size() const { return data_.size(); }
    // Writes a 16- or 32-bit value at a byte offset already reserved.
    template <typename Value> void patch(std::size_t offset, Value value) {
        std::memcpy(data_.data() + offset, &value, sizeof value);
    }

  private:
    std::vector<std::uint8_t> data_;
};
