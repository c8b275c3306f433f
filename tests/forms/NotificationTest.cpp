// Notifications run inside the setter, once, and only on a real change; state the user
// cannot see change (enabled, visible, geometry) raises nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/BarControls.h"
#include "forms/BasicControls.h"
#include "forms/MaskedBox.h"
#include "forms/OptionButton.h"
#include "forms/TextBox.h"
#include "tests/support/TestSupport.h"

namespace diags::forms {
namespace {

using testing::ErrorOf;

TEST(ValueNotifications, TextBoxChangeRunsInsideTheSetterOnceUnlessBlockedOrDisconnected) {
    int outlived = 0;
    ScopedConnection outlives;
    {
        TextBox box("txtDirectory");
        std::vector<std::string> seen;
        {
            ScopedConnection scoped = box.Change.Connect([&] { seen.push_back(box.Text()); });
            box.SetText("C:\\Logs");
            box.SetText("C:\\Logs");
            {
                auto block = box.Change.Block();
                box.SetText("mirrored from the window");
            }
            box.SetText("");
        }
        box.SetText("no longer connected");
        EXPECT_EQ(seen, (std::vector<std::string>{"C:\\Logs", ""}));  // the handler saw the new text
        outlives = box.Change.Connect([&] { ++outlived; });
    }
    // `outlives` now disconnects from a control that is gone: nothing happens.
    EXPECT_EQ(outlived, 0);
}

TEST(ValueNotifications, CheckBoxClicksOnChangeAndRefusesValuesOutsideZeroToTwo) {
    CheckBox box("chkLogfile");
    std::vector<std::int16_t> seen;
    box.Click.Connect([&] { seen.push_back(box.Value()); });

    box.SetValue(1);
    box.SetValue(1);
    box.SetValue(2);
    EXPECT_EQ(seen, (std::vector<std::int16_t>{1, 2}));
    EXPECT_EQ(ErrorOf([&] { box.SetValue(3); }), 380);
    EXPECT_EQ(box.Value(), 2);

    box.UserClick();  // greyed -> clear, as the automatic check box does
    EXPECT_EQ(box.Value(), 0);
    box.UserClick();
    EXPECT_EQ(box.Value(), 1);
}

TEST(ValueNotifications, SelectingAnOptionDeselectsTheOthersAndClicksOnlyTheNewOne) {
    OptionButtonArray options("optFileOptions");
    for (int i : {2, 1, 0}) options.Load(i);
    std::vector<int> clicks;
    options.Click.Connect([&](int index) {
        clicks.push_back(index);
        EXPECT_TRUE(options(index).Value());  // already selected inside the notification
    });

    options(2).SetValue(true);
    options(0).SetValue(true);
    options(0).SetValue(true);   // already selected: nothing
    options(1).SetValue(false);  // deselecting raises nothing
    EXPECT_EQ(clicks, (std::vector<int>{2, 0}));
    EXPECT_FALSE(options(2).Value());
    EXPECT_EQ(options.SelectedIndex(), 0);

    options(0).SetValue(false);
    EXPECT_EQ(options.SelectedIndex(), -1);
    EXPECT_EQ(clicks.size(), 2u);
    EXPECT_EQ(ErrorOf([&] { options(3); }), 340);
    EXPECT_EQ(ErrorOf([&] { options.Load(1); }), 360);
}

TEST(ValueNotifications, TabStripClicksWhenTheSelectedTabChanges) {
    TabStrip tabs("tbsOptions");
    tabs.AddTab("", "Tracing");
    tabs.AddTab("", "Advanced");
    int clicks = 0;
    tabs.Click.Connect([&] { ++clicks; });
    EXPECT_EQ(tabs.SelectedIndex(), 1);

    tabs.Select(2);
    tabs.Select(2);
    tabs.UserSelectTab(1);
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(tabs.SelectedItem()->Caption, "Tracing");
    EXPECT_EQ(tabs.TabAt(2).Caption, "Advanced");
    EXPECT_EQ(ErrorOf([&] { tabs.Select(3); }), 35600);
}

TEST(ValueNotifications, EnabledVisibleAndGeometryRaiseNothing) {
    TextBox box("txtDirectory");
    int notifications = 0;
    box.Change.Connect([&] { ++notifications; });
    box.GotFocus.Connect([&] { ++notifications; });

    box.SetEnabled(false);
    box.SetVisible(false);
    box.Move(540, 1365, 3555, 315);
    EXPECT_EQ(notifications, 0);
    EXPECT_EQ(box.Width(), 3555);
    EXPECT_EQ(ErrorOf([&] { box.SetWidth(-1); }), 380);
    PictureBox splitter("picSplitter");
    EXPECT_EQ(ErrorOf([&] { splitter.SetBorderStyle(0); }), 0);
    EXPECT_EQ(box.Width(), 3555);
}

TEST(UserInput, TypingGoesThroughKeyPressAndRespectsMaxLengthAndLock) {
    TextBox box("txtFileName");
    std::string changes;
    box.Change.Connect([&] { changes += '|'; });
    box.KeyPress.Connect([](std::int16_t& key) {
        if (key == '*') key = 0;  // a handler may refuse a character
    });
    box.SetMaxLength(6);
    box.UserType("Tr*ace.log");
    EXPECT_EQ(box.Text(), "Trace.");
    EXPECT_EQ(changes, "||||||");
    box.UserType("\b\bx");
    EXPECT_EQ(box.Text(), "Tracx");
    box.SetMaxLength(0);  // no limit
    box.UserType("yz");
    EXPECT_EQ(box.Text(), "Tracxyz");
    box.SetLocked(true);
    box.UserType("y");
    EXPECT_EQ(box.Text(), "Tracxyz");
}

TEST(UserInput, MaskedBoxTakesDigitsOnlyWhileItsOwnSwitchIsOn) {
    MaskedBox size("txtFileSize");
    size.SetMaxCharPerCell(5);
    size.SetValueRange(24, 99999);
    int changes = 0;
    size.Change.Connect([&] { ++changes; });

    size.SetText(" 24");  // code sets any text, raising Change
    EXPECT_EQ(changes, 1);
    size.SelectCell();
    EXPECT_EQ(size.SelLength(), 3);
    size.UserType("12a3456");  // replaces the selection; at most five characters
    EXPECT_EQ(size.Text(), "12345");
    EXPECT_TRUE(size.InRange());

    size.SetEnable(false);
    EXPECT_TRUE(size.Enabled());  // its own switch is not the container's enabled state
    size.SelectCell();
    size.UserType("9");
    EXPECT_EQ(size.Text(), "12345");

    size.SetEnable(true);
    size.SetText("5");
    EXPECT_FALSE(size.InRange());
}

}  // namespace
}  // namespace diags::forms
