#include "platform/Utf8.h"

namespace {

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

bool Utf8::IsValid(std::string_view text) {
    std::size_t index = 0;
    while (index < text.size()) {
        const auto lead = static_cast<unsigned char>(text[index]);
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead < 0x80) {
            ++index;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) {
                low = 0xA0;
            } else if (lead == 0xED) {
                high = 0x9F;
            }
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) {
                low = 0x90;
            } else if (lead == 0xF4) {
                high = 0x8F;
            }
        } else {
            return false;
        }
        if (text.size() - index < length) {
            return false;
        }
        const auto second = static_cast<unsigned char>(text[index + 1]);
        if (second < low || second > high) {
            return false;
        }
        for (std::size_t offset = 2; offset < length; ++offset) {
            if (!IsContinuation(static_cast<unsigned char>(text[index + offset]))) {
                return false;
            }
        }
        index += length;
    }
    return true;
}

std::size_t Utf8::WideLength(std::string_view text) {
    std::size_t units = 0;
    for (const char character : text) {
        const auto byte = static_cast<unsigned char>(character);
        if (!IsContinuation(byte)) {
            units += byte >= 0xF0 ? 2 : 1;
        }
    }
    return units;
}
