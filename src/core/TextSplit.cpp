#include "core/TextSplit.h"

#include "core/Exceptions.h"

std::vector<std::string> Split(std::string_view text, char separator) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            pieces.emplace_back(text.substr(start));
            return pieces;
        }
        pieces.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

char* Tokenize(char*& cursor) {
    if (cursor == nullptr) {
        static constexpr const char* Location = "Tokenize (58)";
        RaiseError(Location);
    }
    char* const field = cursor;
    char* end = field;
    while (*end != ';' && *end != '\r' && *end != '\n' && *end != '\0') {
        ++end;
    }
    if (*end == ';') {
        *end = '\0';
        cursor = end + 1;
    } else {
        *end = '\0';
        cursor = nullptr;
    }
    return field;
}
