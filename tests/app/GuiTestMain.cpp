// The GUI tests' main: starts wxWidgets on the X display, turns assertions and unexpected
// modal dialogs into test failures, ends the modal dialogs a failing test leaves open, then
// runs the tests in this process.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/modalhook.h>

int g_allowRealDialogs = 0;

namespace {

class TestApp : public wxApp {
  public:
    bool OnInit() override {
        SetExitOnFrameDelete(false);
        delete wxLog::SetActiveTarget(new wxLogStderr);
        wxInitAllImageHandlers();
        return true;
    }
};

// A modal dialog nobody answers would hang the run: refuse it and fail the test.
class RefuseModalDialogs : public wxModalDialogHook {
  protected:
    int Enter(wxDialog* dialog) override {
        if (g_allowRealDialogs > 0) return wxID_NONE;
        ADD_FAILURE() << "modal dialog would block the test: "
                      << (dialog ? dialog->GetTitle() : wxString("(message box)"));
        return wxID_CANCEL;
    }
    void Exit(wxDialog*) override {}
};

// A failed assertion inside a dialog's script leaves the script early and the dialog open,
// its modal loop waiting for a click that never comes: end every modal dialog, so that
// the test fails instead of hanging.
class EndModalDialogsOnFailure : public testing::EmptyTestEventListener {
    void OnTestPartResult(const testing::TestPartResult& result) override {
        if (!result.failed() || !wxTheApp) return;
        for (wxWindow* window : wxTopLevelWindows)
            if (auto* dialog = dynamic_cast<wxDialog*>(window); dialog && dialog->IsModal())
                dialog->EndModal(wxID_CANCEL);
    }
};

void AssertToFailure(const wxString& file, int line, const wxString& func, const wxString& cond,
                     const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_str(), line)
        << "wx assertion in " << func << ": " << cond << " " << msg;
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();  // discovery needs no display
    wxSetAssertHandler(AssertToFailure);
    RefuseModalDialogs refuse;
    refuse.Register();
    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv)) {
        fprintf(stderr, "cannot start wxWidgets: is DISPLAY set?\n");
        return 2;
    }
    wxTheApp->CallOnInit();
    testing::UnitTest::GetInstance()->listeners().Append(new EndModalDialogsOnFailure);
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
