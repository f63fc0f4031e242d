#include "settings/SettingsFile.h"

#include <cctype>
#include <climits>
#include <cstdio>

#include "platform/ReplaceFile.h"

namespace {

struct RawField {
    bool found = false;
    std::string value;
    int lastChar = EOF;
};

RawField ReadRawField(std::FILE* in) {
    RawField field;
    int prev = EOF;
    for (int i = 0; i < kSettingsFieldMaxChars; ++i) {
        const int c = std::fgetc(in);
        field.lastChar = c;
        if (c == '>' && i > 0 && prev == '<') {
            field.value.pop_back();  // the '<'
            field.found = true;
            return field;
        }
        if (c != EOF) field.value += static_cast<char>(c);
        prev = c;
    }
    field.value.clear();
    return field;
}

// The leading decimal integer, as atoi reads it; values beyond int are clamped.
int LeadingInteger(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        if (value <= INT_MAX) value = value * 10 + (text[i] - '0');
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

class FieldReader {
  public:
    explicit FieldReader(std::FILE* in) : in_(in) {}
    void Text(std::string& out) {
        const RawField f = ReadRawField(in_);
        if (f.found) previousText_ = f.value;
        out = previousText_;
    }
    void Number(int& out) {
        const RawField f = ReadRawField(in_);
        out = f.found ? LeadingInteger(f.value) : f.lastChar;
    }
    /// A later field: kept as it is when the file has none.
    void Optional(int& out) {
        const RawField f = ReadRawField(in_);
        if (f.found) out = LeadingInteger(f.value);
    }

  private:
    std::FILE* in_;
    std::string previousText_;
};

}  // namespace

std::string settings::FormatSettings(const SettingsFields& s) {
    std::string out;
    auto text = [&](const std::string& v) { out += v + "<>"; };
    auto number = [&](int v) { out += std::to_string(v) + "<>"; };
    text(s.lastPath);
    text(s.side1Path);
    text(s.side2Path);
    number(s.cutsHow);
    text(s.silenceSeconds);
    for (const std::string& t : s.typedTimes) text(t);
    number(s.createEncoded);
    number(s.encoderKind);
    number(s.voiceAfterEncoding);
    number(s.deleteSlices);
    number(s.voiceAfterSlicing);
    number(s.rateId);
    number(s.fadeId);
    number(s.volumeId);
    number(s.eqId);
    const SettingsFields defaults;
    const bool repair = s.repairStrength != defaults.repairStrength;
    if (repair || s.cdAudio != defaults.cdAudio || s.recordRate != defaults.recordRate ||
        s.recordBits != defaults.recordBits) {
        number(s.cdAudio);
        number(s.recordRate);
        number(s.recordBits);
    }
    if (repair) number(s.repairStrength);
    return out;
}

SettingsFields settings::ReadSettings(std::FILE* in) {
    SettingsFields s;
    FieldReader r(in);
    r.Text(s.lastPath);
    r.Text(s.side1Path);
    r.Text(s.side2Path);
    r.Number(s.cutsHow);
    r.Text(s.silenceSeconds);
    for (std::string& t : s.typedTimes) r.Text(t);
    r.Number(s.createEncoded);
    r.Number(s.encoderKind);
    r.Number(s.voiceAfterEncoding);
    r.Number(s.deleteSlices);
    r.Number(s.voiceAfterSlicing);
    r.Number(s.rateId);
    r.Number(s.fadeId);
    r.Number(s.volumeId);
    r.Number(s.eqId);
    r.Optional(s.cdAudio);
    r.Optional(s.recordRate);
    r.Optional(s.recordBits);
    r.Optional(s.repairStrength);
    return s;
}

bool settings::SaveSettingsFile(const std::string& path, const SettingsFields& fields) {
    return platform::ReplaceFileContents(path, FormatSettings(fields));
}
