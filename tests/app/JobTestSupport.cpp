#include "tests/app/JobTestSupport.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/gauge.h>
#include <wx/statusbr.h>

#include <cstdint>
#include <cstring>
#include <filesystem>

#include <unistd.h>

#include "app/MyWorkerThread.h"

namespace fs = std::filesystem;

namespace {

// Generated sides are deterministic, so one copy serves every run of the tests.
std::string CachedSide(const std::string& key, const sidegen::SideRecipe& recipe) {
    const fs::path folder = VELVANE_TEST_SIDES_DIR;
    fs::create_directories(folder);
    const fs::path path = folder / (key + ".wav");
    if (fs::exists(path)) return path.string();
    const fs::path part = folder / (key + ".part" + std::to_string(::getpid()));
    if (!sidegen::WriteSideFile(part.string(), recipe)) return "";
    fs::rename(part, path);
    return path.string();
}

std::string KeyOf(const sidegen::SideRecipe& s) {
    return "side-" + std::to_string(static_cast<int>(s.minutes * 60)) + "s-" +
           std::to_string(s.songs) + "songs-seed" + std::to_string(s.seed) + "-runout" +
           std::to_string(static_cast<int>(s.runOutSeconds));
}

}  // namespace

void JobWindowTest::SetUp() {
    FrameTest::SetUp();
    frame->Controls().w_checkBox1->SetValue(false);
    frame->Controls().m_checkBox2->SetValue(false);
    frame->Controls().m_checkBox1->SetValue(false);
}

sidegen::SideRecipe JobWindowTest::SmallSide(std::uint32_t seed) {
    sidegen::SideRecipe recipe;
    recipe.minutes = 2.5;
    recipe.songs = 5;
    recipe.runOutSeconds = 3;
    recipe.seed = seed;
    return recipe;
}

sidegen::SideRecipe JobWindowTest::LongSide() {
    sidegen::SideRecipe recipe;
    recipe.minutes = 10;
    recipe.songs = 6;
    recipe.seed = 9;
    return recipe;
}

std::string JobWindowTest::PlaceSide(const std::string& name, const sidegen::SideRecipe& recipe) {
    const std::string cached = CachedSide(KeyOf(recipe), recipe);
    EXPECT_FALSE(cached.empty());
    const fs::path target = fs::path(dir.path()) / name;
    fs::create_directories(target.parent_path());
    std::error_code ec;
    fs::create_hard_link(cached, target, ec);
    if (ec) fs::copy_file(cached, target, fs::copy_options::overwrite_existing);
    return target.string();
}

void JobWindowTest::Locate(Side side, const std::string& path) {
    const std::optional<wxString> problem = frame->Locate().LocateSide(side, path);
    EXPECT_FALSE(problem.has_value()) << (problem ? problem->utf8_string() : "");
}

bool JobWindowTest::WaitForJobEnd() {
    return RunUntil([this] { return !frame->Jobs().Worker(); }, std::chrono::seconds(120));
}

bool JobWindowTest::WaitForProgress(int value) {
    return RunUntil(
        [this, value] {
            return frame->Jobs().Worker() && frame->Controls().p_wxGauge1->GetValue() > value;
        },
        std::chrono::seconds(60));
}

wxString JobWindowTest::Status() const {
    return frame->GetStatusBar()->GetStatusText();
}

void JobWindowTest::ExpectWindowRestored() {
    EXPECT_FALSE(frame->Jobs().Running());
    EXPECT_FALSE(frame->Jobs().Worker());
    EXPECT_FALSE(frame->Jobs().Slicing());
    EXPECT_EQ(frame->Controls().e_button1->GetLabel(), "Slice using auto sense or typed times");
    EXPECT_EQ(frame->Controls().e_button2->GetLabel(), "Draw waveforms");
    EXPECT_EQ(frame->Controls().e_button3->GetLabel(), "Slice using waveform markers");
    EXPECT_TRUE(frame->Controls().e_button1->IsEnabled());
    EXPECT_TRUE(frame->Controls().e_button2->IsEnabled());
    EXPECT_TRUE(frame->Controls().e_button3->IsEnabled());
    EXPECT_EQ(frame->Controls().p_wxGauge1->GetValue(), 0);
    EXPECT_EQ(frame->Controls().p_wxGauge2->GetValue(), 0);
}

int CountSlices(const std::string& folder, int first) {
    int n = first;
    while (fs::exists(fs::path(folder) / (std::to_string(n) + ".wav"))) ++n;
    return n - first;
}

::testing::AssertionResult IsCompleteWave(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    if (bytes.size() < 44) return ::testing::AssertionFailure() << path << " too short";
    auto u32 = [&](std::size_t at) {
        std::uint32_t v;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    if (bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(36, 4, "data") != 0)
        return ::testing::AssertionFailure() << path << " is no canonical WAV";
    if (u32(4) != bytes.size() - 8 || u32(40) != bytes.size() - 44 || (bytes.size() - 44) % 4)
        return ::testing::AssertionFailure() << path << ": header says " << u32(40)
                                             << " data bytes, file holds " << bytes.size() - 44;
    return ::testing::AssertionSuccess();
}
