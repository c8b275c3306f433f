// The form: modal show hands control to the user and returns after unload; closing asks
// QueryUnload and Unload; focus moves with its notifications.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "forms/BasicControls.h"
#include "forms/Form.h"
#include "forms/TextBox.h"
#include "tests/support/TestSupport.h"

namespace diags::forms {
namespace {

using testing::ErrorOf;

struct Recorder {
    explicit Recorder(Form& form) {
        form.Activate.Connect([this] { events.push_back("activate"); });
        form.QueryUnload.Connect([this](std::int16_t& cancel, std::int16_t mode) {
            events.push_back("query:" + std::to_string(mode));
            cancel = cancelNext;
        });
        form.UnloadEvent.Connect([this](std::int16_t&) { events.push_back("unload"); });
    }
    std::vector<std::string> events;
    std::int16_t cancelNext = 0;
};

// The close the user confirms unloads from inside QueryUnload, as an exit procedure does: the
// form is asked again (from code) and unloads once.
TEST(ModalShow, ReturnsOnceTheUserHasClosedTheForm) {
    Form form("frmDiagsConfig");
    Recorder recorder(form);
    bool visibleDuringLoop = false, unloadInside = false;
    form.QueryUnload.Connect([&](std::int16_t&, std::int16_t) {
        if (std::exchange(unloadInside, false)) form.Unload();
    });
    form.SetModalLoop([&](Form& shown) {
        visibleDuringLoop = shown.Visible() && shown.Modal();
        EXPECT_EQ(ErrorOf([&] { shown.ShowModal(); }), 400);
        recorder.cancelNext = 1;
        EXPECT_FALSE(shown.UserClose());  // refused: still loaded
        recorder.cancelNext = 0;
        unloadInside = true;
        EXPECT_TRUE(shown.UserClose());
    });
    form.ShowModal();
    EXPECT_TRUE(visibleDuringLoop);
    EXPECT_FALSE(form.Loaded());
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"activate", "query:0", "query:0", "query:1", "unload"}));
}

// A loop that leaves a form refusing every close open still ends the show: the form is asked
// with mode 2 and unloaded.
TEST(ModalShow, TheLoopsEndAsksWithModeTwoAndUnloads) {
    Form form("frmDiagsConfig");
    Recorder recorder(form);
    recorder.cancelNext = 1;
    ScopedModalLoop installed([](Form&) {});  // the loop every form uses unless given its own
    form.ShowModal();
    EXPECT_FALSE(form.Loaded());
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"activate", "query:2", "unload"}));
    form.ShowModal();  // an unloaded form shown again loads again
    EXPECT_EQ(recorder.events.size(), 6u);
}

TEST(Focus, MovingFocusRaisesLostThenGotAndRefusesHiddenOrDisabledControls) {
    Form form("frmDiagsConfig");
    Frame frame("fraOutput");
    TextBox first("txtDirectory"), second("txtFileName");
    form.AddControl(frame);
    form.AddControl(first);
    form.AddControl(second);
    second.SetContainer(&frame);
    std::vector<std::string> events;
    first.GotFocus.Connect([&] { events.push_back("first got"); });
    first.LostFocus.Connect([&] { events.push_back("first lost"); });
    second.GotFocus.Connect([&] { events.push_back("second got"); });

    first.SetFocus();
    second.UserFocus();
    EXPECT_EQ(events, (std::vector<std::string>{"first got", "first lost", "second got"}));
    EXPECT_EQ(form.ActiveControl(), &second);

    frame.SetVisible(false);  // hides its contents too
    EXPECT_EQ(ErrorOf([&] { second.SetFocus(); }), 5);
    first.SetEnabled(false);
    EXPECT_EQ(ErrorOf([&] { first.SetFocus(); }), 5);

    CommandButton browse("cmdBrowse");  // a click focuses the button; a disabled one takes none
    form.AddControl(browse);
    browse.UserClick();
    EXPECT_EQ(form.ActiveControl(), &browse);
    browse.SetEnabled(false);
    EXPECT_EQ(ErrorOf([&] { browse.UserClick(); }), 0);

    EXPECT_EQ(ErrorOf([&] { form.AddControl(first); }), 5);  // a control joins a form once
    int destroying = 0;
    {
        Label label("lblFileName");
        form.AddControl(label);
        label.Destroying.Connect([&] { ++destroying; });
        EXPECT_EQ(form.Controls().Count(), 5u);
    }
    EXPECT_EQ(form.Controls().Count(), 4u);  // a control destroyed before its form leaves it
    EXPECT_EQ(destroying, 1);  // and says so first, for the renderer
}

TEST(Geometry, OuterClientAndInnerAreasAndTheMinimisedForm) {
    Form form("frmDiagsConfig");
    form.SetClientSize(8445, 7050);
    EXPECT_EQ(form.Width(), 8445 + form.NonClientWidth());
    EXPECT_EQ(form.ClientHeight(), 7050);
    form.SetNonClientExtent(180, 500);  // the client area is kept
    EXPECT_EQ(std::pair(form.Width(), form.Height()), std::pair(8445 + 180, 7050 + 500));
    form.SetReservedTop(690);
    EXPECT_EQ(form.ScaleHeight(), 7050 - 690);
    EXPECT_EQ(form.ScaleWidth(), 8445);
    form.SetReservedTop(0);  // no bars
    EXPECT_EQ(form.ScaleHeight(), 7050);

    int resizes = 0;
    form.Resize.Connect([&] { ++resizes; });
    form.SetWidth(9000);  // from code: nothing
    EXPECT_EQ(resizes, 0);
    form.UserResize(2000, 3000);
    EXPECT_EQ(resizes, 1);
    EXPECT_EQ(form.Width(), 2000);

    form.UserSetWindowState(1);
    EXPECT_EQ(resizes, 2);
    EXPECT_EQ(form.ScaleWidth(), 0);
    EXPECT_EQ(ErrorOf([&] { form.SetWidth(3000); }), 384);
    form.UserResize(5000, -1);  // dragging the border restores the window first; a size below 0 is 0
    EXPECT_EQ(form.WindowState(), 0);
    EXPECT_EQ(form.Height(), 0);
}

}  // namespace
}  // namespace diags::forms
