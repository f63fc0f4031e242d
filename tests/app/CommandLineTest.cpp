// velvane's command line: parsing, and applying it to the window at start.

#include <wx/choice.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

#include <unistd.h>

#include "app/MyApp.h"
#include "app/WxText.h"
#include "tests/app/GuiTestSupport.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestWav.h"

namespace {

TEST(CommandLineParse, AcceptsTheDocumentedFormsAndRefusesTheRest) {
    struct Case {
        std::vector<std::string> args;
        bool ok;
        bool noSplash;
        std::string settings;
        std::vector<std::string> sides;
    };
    const Case cases[] = {
        {{}, true, false, "", {}},
        {{"--no-splash"}, true, true, "", {}},
        {{"--settings", "a.lpx", "s1.wav", "s2.wav"}, true, false, "a.lpx", {"s1.wav", "s2.wav"}},
        {{"s1.wav", "--settings=b.lpx", "--no-splash"}, true, true, "b.lpx", {"s1.wav"}},
        {{"--", "-odd name.wav"}, true, false, "", {"-odd name.wav"}},
        {{"--bogus"}, false, false, "", {}},
        {{"-x"}, false, false, "", {}},
        {{"--settings"}, false, false, "", {}},
        {{"a.wav", "b.wav", "c.wav"}, false, false, "", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        std::string error;
        const std::optional<CommandLine> line = app::ParseCommandLine(c.args, error);
        ASSERT_EQ(line.has_value(), c.ok);
        if (!line) {
            EXPECT_FALSE(error.empty());
            continue;
        }
        EXPECT_EQ(line->noSplash, c.noSplash);
        EXPECT_EQ(line->settingsFile, c.settings);
        EXPECT_EQ(line->sides, c.sides);
    }
    std::string error;
    EXPECT_TRUE(app::ParseCommandLine({"--help"}, error)->help);
}

using CommandLineStart = FrameTest;

TEST_F(CommandLineStart, SettingsFirstThenSidesMadeAbsoluteAndChecked) {
    TempDir dir;
    SettingsFields settings;
    settings.side1Path = "/from/settings1.wav";
    settings.side2Path = "/from/settings2.wav";
    settings.encoderKind = 5;
    ASSERT_TRUE(settings::SaveSettingsFile(dir / "s.lpx", settings));
    ASSERT_TRUE(WriteWav(dir / "one.wav", NoiseFrames(10, 0.1)));
    WavLayout rate8k;  // 48 kHz is a side now; 8 kHz is not
    rate8k.sampleRate = 8000;
    ASSERT_TRUE(WriteWav(dir / "two.wav", NoiseFrames(10, 0.1), rate8k));

    char oldDir[4096];
    ASSERT_NE(getcwd(oldDir, sizeof oldDir), nullptr);
    ASSERT_EQ(chdir(dir.path().c_str()), 0);
    CommandLine line;
    line.settingsFile = "s.lpx";
    line.sides = {"one.wav", "./two.wav"};
    app::ApplyCommandLine(*frame, line);
    ASSERT_EQ(chdir(oldDir), 0);

    EXPECT_EQ(frame->Controls().m_choice1->GetSelection(), 5);
    EXPECT_EQ(app::ToUtf8(frame->Controls().i_textCtrl1->GetValue()), dir / "one.wav");
    EXPECT_EQ(frame->Controls().i_textCtrl2->GetValue(), "/from/settings2.wav")
        << "a refused side keeps its path";
    EXPECT_EQ(frame->LastPath(), dir / "one.wav");
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_EQ(prompts->messages[0].caption, "Wrong format");
    EXPECT_EQ(app::ToUtf8(prompts->messages[0].text),
              dir / "two.wav" +
                  "\nThis is not a side Velvane can read!\n(8000 Hz, 2 channels, 16 bits)\n"
                  "Sides are WAV, FLAC, AIFF, RF64 or Wave64 files, mono or stereo, 16 to 32 "
                  "bits or float, 22.05 to 192 kHz.");
}

TEST_F(CommandLineStart, UnreadableSettingsFileIsReported) {
    CommandLine line;
    line.settingsFile = "/no/such/file.lpx";
    app::ApplyCommandLine(*frame, line);
    ASSERT_EQ(prompts->messages.size(), 1u);
    EXPECT_EQ(prompts->messages[0].caption, "Couldn't open!");
}

}  // namespace
