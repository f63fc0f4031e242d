// Fuzz target: the settings file reader. Whatever it reads must write back and read
// again to the same fields.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/File.h"
#include "settings/SettingsFile.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

SettingsFields ReadFrom(const std::string& bytes) {
    platform::FilePtr in(bytes.empty()
                             ? std::tmpfile()
                             : fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "r"));
    Check(in != nullptr);
    return settings::ReadSettings(in.get());
}

void CheckText(const std::string& text) {
    Check(text.size() <= kSettingsFieldMaxChars - 2);
    Check(text.find("<>") == std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const SettingsFields fields = ReadFrom(std::string(reinterpret_cast<const char*>(data), size));
    CheckText(fields.lastPath);
    CheckText(fields.side1Path);
    CheckText(fields.side2Path);
    CheckText(fields.silenceSeconds);
    for (const std::string& t : fields.typedTimes) CheckText(t);
    Check(ReadFrom(settings::FormatSettings(fields)) == fields);
    return 0;
}
