#pragma once
// UTF-8 checks for texts that came from anywhere (typed, imported, an encoder's output).
// Pure functions; any thread.

#include <cstddef>
#include <string>
#include <string_view>

/// What stands for a byte that is not UTF-8: U+FFFD.
inline constexpr std::string_view kUtf8Replacement = "\xEF\xBF\xBD";

namespace album {

/// Length in bytes of the valid UTF-8 sequence at `at` that encodes a character of two
/// bytes or more, or 0 when the bytes there are not one (an ASCII byte gives 0 too).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at);

/// `text` with every byte that is not part of a valid UTF-8 sequence replaced by U+FFFD.
std::string ValidUtf8(std::string_view text);

/// `text` with its letters lowered byte by byte (std::tolower): for matching file
/// extensions and program names, which are ASCII.
std::string LowerCase(std::string text);

/// Shortens `text` to at most `maxBytes`, on a character boundary: never inside a UTF-8
/// sequence.
void CutUtf8(std::string& text, std::size_t maxBytes);

/// Text another program wrote (a cut list), as UTF-8: a UTF-8 byte order mark is dropped;
/// text that is UTF-8 stays as it is, any other is read as Windows-1252 (whose letters
/// include Latin-1's): the whole text one way or the other, never mixed.
std::string DecodeImportedText(std::string_view bytes);

/// `text` with every byte that is not part of a valid UTF-8 sequence replaced by U+FFFD and
/// every control character (C0, DEL, C1; a zero byte too) by a space: one text that a file
/// name and a tag can both hold.
std::string CleanText(std::string_view text);

/// Code point of the valid multi-byte sequence of `length` bytes at `at`.
char32_t Utf8CodePoint(std::string_view text, std::size_t at, std::size_t length);

}  // namespace album
