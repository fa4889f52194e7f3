#include "import/Utf16Text.h"

namespace larkspan {

namespace {

constexpr unsigned kReplacement = 0xFFFD;

void appendUtf8(unsigned code, std::string& out)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool isHigh(unsigned unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLow(unsigned unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

} // namespace

Utf16Order utf16Order(std::string_view firstBytes)
{
    if (firstBytes.size() < 2) return Utf16Order::None;
    const auto b0 = static_cast<unsigned char>(firstBytes[0]);
    const auto b1 = static_cast<unsigned char>(firstBytes[1]);
    if (b0 == 0xFF && b1 == 0xFE) return Utf16Order::LittleEndian;
    if (b0 == 0xFE && b1 == 0xFF) return Utf16Order::BigEndian;
    return Utf16Order::None;
}

void Utf16Decoder::put(unsigned unit, std::string& out)
{
    if (highSurrogate_ != 0) {
        if (isLow(unit)) {
            appendUtf8(0x10000 + ((highSurrogate_ - 0xD800) << 10) + (unit - 0xDC00), out);
            highSurrogate_ = 0;
            return;
        }
        appendUtf8(kReplacement, out);
        highSurrogate_ = 0;
    }
    if (isHigh(unit))
        highSurrogate_ = unit;
    else
        appendUtf8(isLow(unit) ? kReplacement : unit, out);
}

void Utf16Decoder::decode(std::string_view bytes, std::string& out)
{
    std::size_t i = 0;
    if (carriedByte_ >= 0 && !bytes.empty()) {
        const auto second = static_cast<unsigned char>(bytes[0]);
        const auto first = static_cast<unsigned>(carriedByte_);
        put(bigEndian_ ? (first << 8) | second : (second << 8) | first, out);
        carriedByte_ = -1;
        i = 1;
    }
    for (; i + 1 < bytes.size(); i += 2) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        put(bigEndian_ ? (static_cast<unsigned>(a) << 8) | b : (static_cast<unsigned>(b) << 8) | a, out);
    }
    if (i < bytes.size()) carriedByte_ = static_cast<unsigned char>(bytes[i]);
}

void Utf16Decoder::finish(std::string& out)
{
    if (highSurrogate_ != 0 || carriedByte_ >= 0) appendUtf8(kReplacement, out);
    highSurrogate_ = 0;
    carriedByte_ = -1;
}

} // namespace larkspan
