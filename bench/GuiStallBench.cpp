// How long the window's GUI thread is kept from its events on a long side: locates the side
// and runs "Draw waveforms" in the real frame as a user does (through the buttons; a job has
// ended when its button is no longer "Stop"), then plays the side while zooming in step by
// step to the deepest zoom around the pointer (Ctrl and the mouse wheel over the waveform),
// scrolling along it (the wheel) and zooming out again, then runs "Slice using auto sense or
// typed times". Measures the delay of probe events posted every 5 ms from another thread
// (the longest delay is the longest stall a user could feel), and the longest single
// event-loop pass. Prints figures; asserts nothing. Playback needs a sound output (the
// virtual sound card will do: see bench/gui-stall-bench.sh).
//
// gui_stall_bench [MINUTES [SIDE.wav]]   (default 60 minutes; the side is generated once)

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/log.h>
#include <wx/statusbr.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/MyFrame.h"
#include "bench/SideGenerator.h"
#include "waveview/MyCanvas.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Answers the file dialog with the side; messages go to stderr.
class QuietPrompter : public Prompter {
  public:
    explicit QuietPrompter(wxString side) : side_(std::move(side)) {}
    wxString ChooseFile(wxWindow*, FileRequest&) override { return side_; }
    int Message(wxWindow*, const wxString& text, const wxString&, long) override {
        std::fprintf(stderr, "message: %s\n", text.utf8_str().data());
        return wxOK;
    }
    int RunModal(wxDialog&) override { return wxID_CANCEL; }
    void OpenUrl(const wxString&) override {}

  private:
    wxString side_;
};

class BenchApp : public wxApp {
  public:
    bool OnInit() override {
        SetExitOnFrameDelete(false);
        delete wxLog::SetActiveTarget(new wxLogStderr);
        return true;
    }
};

struct Figures {
    double seconds = 0;
    double longestProbeDelayMs = 0;
    double p99ProbeDelayMs = 0;
    double longestPassMs = 0;
    std::size_t probes = 0;
};

// A click on `button`, as the toolkit delivers it.
void Press(wxButton* button) {
    wxCommandEvent press(wxEVT_BUTTON, button->GetId());
    press.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(press);
}

// Runs the event loop while `going` (called at each pass with the time since the start)
// says so, probing the GUI thread meanwhile.
Figures Measure(MyFrame& frame, const std::function<bool(Clock::duration)>& going) {
    Figures f;
    std::vector<double> delays;  // GUI thread only
    std::atomic<bool> running{true};
    std::thread prober([&] {
        while (running) {
            const Clock::time_point posted = Clock::now();
            frame.CallAfter([&delays, posted] { delays.push_back(Ms(Clock::now() - posted)); });
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    const Clock::time_point start = Clock::now();
    while (going(Clock::now() - start)) {
        const Clock::time_point pass = Clock::now();
        wxTheApp->Yield(true);
        f.longestPassMs = std::max(f.longestPassMs, Ms(Clock::now() - pass));
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    f.seconds = Ms(Clock::now() - start) / 1000;
    running = false;
    prober.join();
    wxTheApp->Yield(true);
    std::sort(delays.begin(), delays.end());
    f.probes = delays.size();
    if (!delays.empty()) {
        f.longestProbeDelayMs = delays.back();
        f.p99ProbeDelayMs = delays[delays.size() * 99 / 100];
    }
    return f;
}

// With `button` null: the same loop for `idle` without a job (the machine's own noise).
Figures RunJob(MyFrame& frame, wxButton* button, Clock::duration idle = {}) {
    if (button) Press(button);
    // A running job's button reads "Stop" until the job's end has given the window back.
    return Measure(frame, [&](Clock::duration elapsed) {
        return button ? button->GetLabel() == "Stop" : elapsed < idle;
    });
}

// One notch of the mouse wheel over the canvas at its column x, as the toolkit delivers it;
// with Ctrl it zooms, without it scrolls.
void Wheel(MyFrame& frame, int x, int notches, bool control) {
    wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
    wheel.m_wheelRotation = 120 * notches;
    wheel.m_wheelDelta = 120;
    wheel.SetControlDown(control);
    wheel.SetPosition(wxPoint(x, frame.Controls().m_canvas->GetClientSize().y / 4));
    wheel.SetEventObject(frame.Controls().m_canvas);
    frame.Controls().m_canvas->GetEventHandler()->ProcessEvent(wheel);
}

// Plays the side from its start; meanwhile, a notch every 100 ms: zooms in to the deepest
// zoom around a third of the width, scrolls on along the side, zooms out to the whole side.
Figures PlayZoomAndScroll(MyFrame& frame, bool& played) {
    constexpr int kZoomNotches = 20;  // 1.5 a notch: past the deepest zoom of a 60-min side
    constexpr int kScrollNotches = 40;
    constexpr auto kNotch = std::chrono::milliseconds(100);
    const int x = frame.Controls().m_canvas->GetClientSize().x / 3;
    Press(frame.Controls().m_play);
    played = !frame.GetStatusBar()->GetStatusText().Contains("could not be played");
    int done = 0;
    const Figures f = Measure(frame, [&](Clock::duration elapsed) {
        for (; done < elapsed / kNotch && done < 2 * kZoomNotches + kScrollNotches; ++done) {
            if (done < kZoomNotches)
                Wheel(frame, x, 1, true);
            else if (done < kZoomNotches + kScrollNotches)
                Wheel(frame, x, -1, false);
            else
                Wheel(frame, x, -1, true);
        }
        return done < 2 * kZoomNotches + kScrollNotches;
    });
    Press(frame.Controls().m_stop);
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    const double minutes = argc > 1 ? std::atof(argv[1]) : 60;
    // Slices are written beside the side: give it a folder of its own.
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() /
        ("velvane-stall-" + std::to_string(static_cast<int>(minutes)) + "min");
    std::filesystem::create_directories(folder);
    const std::string side = argc > 2 ? argv[2] : (folder / "side.wav").string();
    if (!std::filesystem::exists(side)) {
        sidegen::SideRecipe recipe;
        recipe.minutes = minutes;
        recipe.songs = std::max(1, static_cast<int>(minutes / 4));
        std::fprintf(stderr, "generating %s\n", side.c_str());
        if (!sidegen::WriteSideFile(side, recipe)) return 1;
    }
    int wxArgc = 1;
    wxApp::SetInstance(new BenchApp);
    if (!wxEntryStart(wxArgc, argv)) {
        std::fprintf(stderr, "cannot start wxWidgets: is DISPLAY set?\n");
        return 2;
    }
    wxTheApp->CallOnInit();
    auto* frame = new MyFrame(kProgramTitle, wxPoint(20, 40), wxSize(902, 340),
                              std::make_unique<QuietPrompter>(wxString::FromUTF8(side)));
    frame->Show();
    frame->Controls().w_checkBox1->SetValue(false);
    frame->Controls().m_checkBox2->SetValue(false);
    frame->Controls().m_checkBox1->SetValue(false);
    Press(frame->Controls().i_button1);  // "Locate..." for side 1
    if (frame->Controls().i_textCtrl1->GetValue().utf8_string() != side) return 1;

    std::printf("side: %.0f minutes (%s)\n", minutes, side.c_str());
    std::printf("%-18s %8s %7s %17s %13s %16s\n", "job", "seconds", "probes", "longest delay ms",
                "p99 delay ms", "longest pass ms");
    auto print = [](const char* name, const Figures& f) {
        std::printf("%-18s %8.1f %7zu %17.1f %13.1f %16.1f\n", name, f.seconds, f.probes,
                    f.longestProbeDelayMs, f.p99ProbeDelayMs, f.longestPassMs);
    };
    print("no job (baseline)", RunJob(*frame, nullptr, std::chrono::seconds(5)));
    print("Draw waveforms", RunJob(*frame, frame->Controls().e_button2));
    bool played = false;
    const Figures editing = PlayZoomAndScroll(*frame, played);
    print(played ? "Play, zoom, scroll" : "Zoom, scroll", editing);
    print("Slice auto sense", RunJob(*frame, frame->Controls().e_button1));
    if (!played) std::printf("(no sound output: the side was not played)\n");
    const std::filesystem::path slices = std::filesystem::path(side).parent_path();
    for (int n = 1; std::filesystem::remove(slices / (std::to_string(n) + ".wav")); ++n) {
    }
    frame->Destroy();
    wxTheApp->Yield(true);
    wxTheApp->OnExit();
    wxEntryCleanup();
    return 0;
}
