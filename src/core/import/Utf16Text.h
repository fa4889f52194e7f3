#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace larkspan {

// The byte order that a UTF-16 byte-order mark at the start of a file
// announces (FF FE little-endian, FE FF big-endian), or none.
enum class Utf16Order { None, LittleEndian, BigEndian };
Utf16Order utf16Order(std::string_view firstBytes);

// Turns UTF-16 text into UTF-8 block by block, as it is read: a code unit
// or a surrogate pair split between blocks is carried over to the next.
// Unpaired surrogates become U+FFFD. The mark itself is not passed in.
class Utf16Decoder {
  public:
    explicit Utf16Decoder(Utf16Order order) : bigEndian_(order == Utf16Order::BigEndian) {}

    // Appends the UTF-8 form of the bytes to out.
    void decode(std::string_view bytes, std::string& out);
    // Ends the text: a dangling byte or high surrogate becomes U+FFFD.
    void finish(std::string& out);

  private:
    void put(unsigned unit, std::string& out);

    bool bigEndian_;
    int carriedByte_ = -1;       // the first byte of a split code unit
    unsigned highSurrogate_ = 0; // waiting for its low half
};

} // namespace larkspan
