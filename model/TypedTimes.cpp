#include "model/TypedTimes.h"

#include <cctype>
#include <cmath>
#include <limits>
#include <string>

std::int64_t LeadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int digit = text[i] - '0';
        if (value > (kMax - digit) / 10)
            return negative ? std::numeric_limits<std::int64_t>::min() : kMax;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

std::int32_t ParseTypedTime(std::string_view text) {
    const std::size_t first = text.find('.');
    const std::size_t second = first == std::string_view::npos ? first : text.find('.', first + 1);
    if (second != std::string_view::npos && text.find('.', second + 1) != std::string_view::npos)
        return 0;  // three or more full stops

    // Doubles hold every product of realistic times exactly; absurd ones end out of range.
    double tenths = 0;
    if (first == std::string_view::npos) {
        tenths = 10.0 * static_cast<double>(LeadingInteger(text));
    } else {
        tenths = 600.0 * static_cast<double>(LeadingInteger(text.substr(0, first)));
        const std::string_view seconds = text.substr(first + 1, second - (first + 1));
        tenths += 10.0 * static_cast<double>(LeadingInteger(seconds));
        if (second != std::string_view::npos) {
            // The first fraction digit counts as tenths; later digits are cut off below.
            const std::string_view fraction = text.substr(second + 1);
            tenths += static_cast<double>(LeadingInteger(fraction)) /
                      std::pow(10.0, static_cast<double>(fraction.size()) - 1.0);
        }
    }
    tenths = std::trunc(tenths);
    if (!(tenths >= 0) || tenths > std::numeric_limits<std::int32_t>::max()) return 0;
    return static_cast<std::int32_t>(tenths);
}
