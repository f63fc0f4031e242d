#pragma once
// The program keeps paths and texts as UTF-8 std::string; wx needs wxString. Explicit
// conversions work whatever the C locale is (wx does not call setlocale).

#include <wx/string.h>

#include <string>

namespace app {

inline wxString FromUtf8(const std::string& text) {
    return wxString::FromUTF8(text.data(), text.size());
}

inline std::string ToUtf8(const wxString& text) {
    const wxScopedCharBuffer bytes = text.utf8_str();
    return std::string(bytes.data(), bytes.length());
}

}  // namespace app
