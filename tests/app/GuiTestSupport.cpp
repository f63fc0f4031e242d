#include "tests/app/GuiTestSupport.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/dialog.h>
#include <wx/filename.h>
#include <wx/window.h>

#include <thread>

extern int g_allowRealDialogs;  // GuiTestMain.cpp

AllowRealDialogs::AllowRealDialogs() {
    ++g_allowRealDialogs;
}
AllowRealDialogs::~AllowRealDialogs() {
    --g_allowRealDialogs;
}

bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

wxString ScriptedPrompter::ChooseFile(wxWindow*, FileRequest& request) {
    if (!filterIndexes.empty()) {
        request.filterIndex = filterIndexes.front();
        filterIndexes.pop_front();
    }
    fileRequests.push_back(request);
    if (files.empty()) {
        ADD_FAILURE() << "unexpected file dialog: " << request.message;
        return wxString();
    }
    wxString answer = files.front();
    files.pop_front();
    return answer;
}

int ScriptedPrompter::Message(wxWindow*, const wxString& text, const wxString& caption,
                              long style) {
    messages.push_back({text, caption, style});
    if (onMessage) onMessage(messages.back());
    if (!(style & wxYES_NO)) return wxOK;
    if (answers.empty()) return wxYES;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

int ScriptedPrompter::RunModal(wxDialog& dialog) {
    dialogTitles.push_back(dialog.GetTitle());
    if (onModal) onModal(dialog);
    if (modalResults.empty()) {
        ADD_FAILURE() << "unexpected modal dialog: " << dialog.GetTitle();
        return wxID_CANCEL;
    }
    const int result = modalResults.front();
    modalResults.pop_front();
    return result;
}

void ScriptedPrompter::OpenUrl(const wxString& url) {
    urls.push_back(url);
}

void FrameTest::SetUp() {
    auto scripted = std::make_unique<ScriptedPrompter>();
    prompts = scripted.get();
    frame = new MyFrame(kProgramTitle, wxPoint(20, 40), wxSize(902, 340), std::move(scripted));
    frame->Show();
}

void FrameTest::TearDown() {
    if (frame && g_frame == frame) {
        EXPECT_TRUE(prompts->files.empty()) << "file answers left over";
        EXPECT_TRUE(prompts->modalResults.empty()) << "dialog answers left over";
        frame->Destroy();
        RunUntil([] { return g_frame == nullptr; });
    }
}

void FrameTest::Menu(int id) {
    wxCommandEvent event(wxEVT_MENU, id);
    event.SetEventObject(frame);
    frame->GetEventHandler()->ProcessEvent(event);
}

void FrameTest::Click(wxButton* button) {
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
}

wxImage CaptureClientArea(wxWindow* window) {
    const wxSize size = window->GetClientSize();
    wxBitmap bitmap(size);
    wxMemoryDC memory(bitmap);
    wxClientDC client(window);
    memory.Blit(0, 0, size.x, size.y, &client, 0, 0);
    memory.SelectObject(wxNullBitmap);
    return bitmap.ConvertToImage();
}

wxImage CaptureScreenRect(wxWindow* window) {
    const wxRect rect = window->GetScreenRect();
    wxBitmap bitmap(rect.GetSize());
    wxMemoryDC memory(bitmap);
    wxScreenDC screen;
    memory.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
    memory.SelectObject(wxNullBitmap);
    return bitmap.ConvertToImage();
}

std::string SaveScreenshot(const wxImage& image, const std::string& name) {
    wxFileName::Mkdir(VELVANE_SCREENSHOT_DIR, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    std::string path = VELVANE_SCREENSHOT_DIR;
    path += '/';  // (gcc 12 misreads a chain of + on a literal as out of bounds)
    path += name;
    EXPECT_TRUE(image.SaveFile(wxString::FromUTF8(path.c_str()), wxBITMAP_TYPE_PNG)) << path;
    return path;
}
