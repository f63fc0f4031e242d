// Stand-in for an encoder in the tests. Appends one line to $FAKE_ENCODER_LOG per run:
// its working directory and every argument, separated by tabs. Writes "encoded <input>" to
// its output file (the argument after -o, else the first .mp3 argument). The input is the
// first argument ending in ".wav". Told what to do by the input's file name:
//   $FAKE_ENCODER_FAIL      names that end with status 3 and write nothing
//   $FAKE_ENCODER_NO_OUTPUT names that end with status 0 and write nothing
//   $FAKE_ENCODER_EMPTY     names that end with status 0 and leave an empty output file
//   $FAKE_ENCODER_FAIL_LATE names that write their whole output, then end with status 3
//   $FAKE_ENCODER_SLOW      names that $FAKE_ENCODER_SLOW_MS slows down (unset: every input)
// (comma-separated lists such as "2.wav,5.wav"; "*" means every input).
// $FAKE_ENCODER_CHATTER: bytes to write to standard output and error before ending.
// $FAKE_ENCODER_SLOW_MS: the output is written in two halves this many milliseconds apart
// (a run that a signal cuts off leaves a truncated file).
// $FAKE_ENCODER_END_LOG: a line "ended <input>" appended once the output is complete (a
// run that was killed leaves none).

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool Listed(const char* variable, const std::string& input) {
    const char* list = std::getenv(variable);
    if (!list) return false;
    const std::string names = std::string(",") + list + ",";
    const std::string base = input.substr(input.find_last_of('/') + 1);
    return names == ",*," || names.find("," + base + ",") != std::string::npos;
}

}  // namespace

int main(int argc, char** argv) {
    std::string input, output;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-o" && i + 1 < argc) output = argv[i + 1];
        if (input.empty() && EndsWith(arg, ".wav")) input = arg;
        if (output.empty() && EndsWith(arg, ".mp3")) output = arg;
    }
    if (const char* log = std::getenv("FAKE_ENCODER_LOG")) {
        if (std::FILE* file = std::fopen(log, "a")) {
            char cwd[4096] = "?";
            if (!getcwd(cwd, sizeof cwd)) cwd[0] = '?';
            std::fputs(cwd, file);
            for (int i = 0; i < argc; ++i) std::fprintf(file, "\t%s", argv[i]);
            std::fputc('\n', file);
            std::fclose(file);
        }
    }
    if (const char* chatter = std::getenv("FAKE_ENCODER_CHATTER")) {
        const long bytes = std::atol(chatter);
        for (long i = 0; i < bytes; ++i) {
            std::fputc('a' + i % 26, stdout);
            std::fputc('A' + i % 26, stderr);
        }
        std::fputs("END", stdout);
    }
    if (Listed("FAKE_ENCODER_FAIL", input)) return 3;
    if (Listed("FAKE_ENCODER_NO_OUTPUT", input) || output.empty()) return 0;
    std::FILE* out = std::fopen(output.c_str(), "w");
    if (!out) return 4;
    if (!Listed("FAKE_ENCODER_EMPTY", input)) {
        const std::string text = "encoded " + input + "\n";
        const std::size_t half = text.size() / 2;
        std::fwrite(text.data(), 1, half, out);
        const char* slow = std::getenv("FAKE_ENCODER_SLOW_MS");
        if (slow && (!std::getenv("FAKE_ENCODER_SLOW") || Listed("FAKE_ENCODER_SLOW", input))) {
            std::fflush(out);
            usleep(static_cast<useconds_t>(std::atol(slow)) * 1000);
        }
        std::fwrite(text.data() + half, 1, text.size() - half, out);
    }
    if (std::fclose(out) != 0) return 4;
    if (const char* log = std::getenv("FAKE_ENCODER_END_LOG"))
        if (std::FILE* file = std::fopen(log, "a")) {
            std::fprintf(file, "ended %s\n", input.c_str());
            std::fclose(file);
        }
    return Listed("FAKE_ENCODER_FAIL_LATE", input) ? 3 : 0;
}
