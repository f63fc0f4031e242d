#include "model/TypedTimes.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

namespace {

constexpr std::int64_t kMaxTenths = std::numeric_limits<std::int32_t>::max();

// A run of digits as a number; nullopt for anything but digits, or a value past kMaxTenths
// (which no part of a time that fits may exceed). "" gives 0.
std::optional<std::int64_t> Digits(std::string_view text) {
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > kMaxTenths) return std::nullopt;
    }
    return value;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

bool HasDigit(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// min.sec.dsec: up to three parts, digits only, any of them empty.
std::optional<std::int64_t> DottedTenths(std::string_view text) {
    const std::vector<std::string_view> parts = Split(text, '.');
    if (!HasDigit(text)) return std::nullopt;
    std::int64_t tenths = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::optional<std::int64_t> value = Digits(parts[i]);
        if (!value) return std::nullopt;
        if (parts.size() == 1)
            tenths = *value * 10;
        else if (i == 0)
            tenths = *value * 600;
        else if (i == 1)
            tenths += *value * 10;
        else if (!parts[i].empty())
            tenths += parts[i][0] - '0';  // later digits are cut off
    }
    return tenths;
}

// m:ss, m:ss.d, h:mm:ss, h:mm:ss.d.
std::optional<std::int64_t> ColonTenths(std::string_view text) {
    std::vector<std::string_view> parts = Split(text, ':');
    if (parts.size() > 3) return std::nullopt;
    std::string_view fraction;
    bool hasFraction = false;
    if (const std::size_t dot = parts.back().find('.'); dot != std::string_view::npos) {
        fraction = parts.back().substr(dot + 1);
        parts.back() = parts.back().substr(0, dot);
        hasFraction = true;
        if (fraction.empty() || fraction.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
    }
    const std::optional<std::int64_t> first = parts[0].empty() ? std::nullopt : Digits(parts[0]);
    if (!first) return std::nullopt;
    std::int64_t seconds = *first;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::optional<std::int64_t> value = Digits(parts[i]);
        if (parts[i].size() != 2 || !value || *value >= 60) return std::nullopt;
        seconds = seconds * 60 + *value;
    }
    return seconds * 10 + (hasFraction ? fraction[0] - '0' : 0);
}

}  // namespace

std::int64_t model::LeadingInteger(std::string_view text) {
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

TypedTime model::ReadTypedTime(std::string_view text) {
    const auto space = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && space(text.front())) text.remove_prefix(1);
    while (!text.empty() && space(text.back())) text.remove_suffix(1);
    if (text.empty()) return {};
    if (text.front() == '+') text.remove_prefix(1);
    const bool colon = text.find(':') != std::string_view::npos;
    if (!colon && std::count(text.begin(), text.end(), '.') >= 3) return {};
    const std::optional<std::int64_t> tenths = colon ? ColonTenths(text) : DottedTenths(text);
    if (!tenths || *tenths > kMaxTenths) return {TypedTimeKind::NotATime, 0};
    return {TypedTimeKind::Time, static_cast<std::int32_t>(*tenths)};
}

std::int32_t model::ParseTypedTime(std::string_view text) {
    const TypedTime time = ReadTypedTime(text);
    return time.kind == TypedTimeKind::Time ? time.tenths : 0;
}

std::string model::FormatTenths(std::int64_t tenths) {
    const bool negative = tenths < 0;
    const std::uint64_t t = negative ? 0 - static_cast<std::uint64_t>(tenths) : tenths;
    char text[48];
    std::snprintf(text, sizeof text, "%s%llu:%02llu.%llu", negative ? "-" : "",
                  static_cast<unsigned long long>(t / 600),
                  static_cast<unsigned long long>(t / 10 % 60),
                  static_cast<unsigned long long>(t % 10));
    return text;
}

std::string model::NotATimeText(std::string_view text) {
    return "\"" + std::string(text) + "\" is not a time; write " + std::string(kTypedTimeForms);
}

std::string model::UnreadableTypedTimes(Side side, std::span<const std::string> fields) {
    std::string lines;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (ReadTypedTime(fields[i]).kind != TypedTimeKind::NotATime) continue;
        if (!lines.empty()) lines += '\n';
        lines += "side " + NumberText(side) + ", box " + std::to_string(i + 1) + ": " +
                 NotATimeText(fields[i]);
    }
    return lines;
}
