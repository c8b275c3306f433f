// What a renderer relies on: typed change notifications for every shown state (once, only on
// a real change), trees it can mirror node by node, a form host that owns the windows' life,
// user entry points that take what really happened, and echo suppression that still lets a
// handler's correction through.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "forms/BarControls.h"
#include "forms/BasicControls.h"
#include "forms/ChangeQueue.h"
#include "forms/Form.h"
#include "forms/MaskedBox.h"
#include "forms/MenuBar.h"
#include "forms/Navigation.h"
#include "forms/OptionButton.h"
#include "forms/TextBox.h"
#include "forms/TreeView.h"
#include "tests/support/TestSupport.h"

namespace diags::forms {
namespace {

using testing::ErrorOf;

// Records "control.Property" for every state change of the controls it watches.
struct RecordingRenderer {
    std::vector<std::string> seen;
    void Watch(Control& control) {
        control.StateChanged.Connect(
            [this, &control](Prop p) { seen.push_back(control.Name() + "." + std::string(PropName(p))); });
    }
    void WatchNodes(TreeView& tree) {
        tree.NodeAdded.Connect([this](Node& n) { seen.push_back("added:" + std::string(n.Key()) + After(n)); });
        tree.NodeRemoving.Connect([this, &tree](Node& n) {
            // Still whole when announced: the renderer can find its native item.
            seen.push_back("removing:" + std::string(n.Key()) + (tree.Find(n.Key()) == &n ? "" : " (gone!)"));
        });
        tree.NodeMoved.Connect([this](Node& n) { seen.push_back("moved:" + std::string(n.Key()) + After(n)); });
        tree.Clearing.Connect([this] { seen.push_back("clearing"); });
        tree.UpdatingChanged.Connect([this](bool on) { seen.push_back(on ? "begin" : "end"); });
        tree.NodeChanged.Connect([this](Node& n, Prop p) { seen.push_back(std::string(n.Key()) + "." + std::string(PropName(p))); });
    }
    static std::string After(const Node& n) { return n.Previous() ? " after " + std::string(n.Previous()->Key()) : " first"; }
    std::vector<std::string> Take() { return std::exchange(seen, {}); }
};

using Strings = std::vector<std::string>;

struct Picture32 : platform::Picture {
    std::int32_t Id() const noexcept override { return 171; }
    std::int32_t Width() const noexcept override { return 32; }
    std::int32_t Height() const noexcept override { return 32; }
    std::uintptr_t NativeHandle() const noexcept override { return 0; }
};

TEST(TypedNotifications, EveryShownStateIsAnnouncedOnceAndOnlyOnARealChange) {
    Form form("frm");
    TextBox text("txtFileName");
    MaskedBox size("txtFileSize");
    CheckBox check("chkLogfile");
    ImageList images("ilsSmall");
    PictureBox logo("picLogo");
    StatusBar status("sbStatus", 2);
    for (Control* c : std::initializer_list<Control*>{&text, &size, &check, &images}) form.AddControl(*c);
    RecordingRenderer r;
    for (Control* c : std::initializer_list<Control*>{&form, &text, &size, &check, &images, &logo, &status}) r.Watch(*c);
    const auto picture = std::make_shared<Picture32>();

    // Each change once, then the same value again: nothing more to mirror.
    const std::pair<std::function<void()>, const char*> changes[] = {
        {[&] { text.SetTabIndex(3); }, "txtFileName.TabIndex"},
        {[&] { text.SetTabStop(false); }, "txtFileName.TabStop"},
        {[&] { text.ToolTipText = std::string("the log file"); }, "txtFileName.ToolTipText"},
        {[&] { text.Tag = std::string("tag"); }, "txtFileName.Tag"},
        {[&] { text.SetMaxLength(12); }, "txtFileName.MaxLength"},
        {[&] { size.SetMaxCharPerCell(5); }, "txtFileSize.MaxLength"},
        {[&] { size.SetText("48"); }, "txtFileSize.Text"},
        {[&] { size.SelectCell(); }, "txtFileSize.Selection"},
        {[&] { images.ImageWidth = 32; }, "ilsSmall.ImageSize"},
        {[&] { check.SetCaption("Log to file"); }, "chkLogfile.Caption"},
        {[&] { check.SetValue(1); }, "chkLogfile.Value"},
        {[&] { logo.SetPicture(picture); }, "picLogo.Picture"},
        {[&] { status.SetPanelText(2, "Ready"); }, "sbStatus.Panels"},
    };
    for (const auto& [change, announced] : changes) {
        change();
        change();
        EXPECT_EQ(r.Take(), Strings{announced});
    }
    text.SetSelLength(0);
    text.SetFont(text.FontName(), text.FontSize());
    EXPECT_TRUE(r.Take().empty());

    // Focus moved from code is shown state too: the old owner loses it, the new one gains it.
    text.SetFocus();
    check.SetFocus();
    EXPECT_EQ(r.Take(), (Strings{"txtFileName.Focus", "txtFileName.Focus", "chkLogfile.Focus"}));
    images.Add("clock", picture), images.Add("open", picture);
    EXPECT_EQ(images.KeyAt(2), "open");
}

TEST(TreeMirroring, NodesAreAnnouncedAddedRemovedAndMovedOneByOne) {
    TreeView tree("tvModules");
    RecordingRenderer r;
    r.WatchNodes(tree);

    tree.BeginUpdate();
    tree.BeginUpdate();  // nested: one pair reaches the renderer
    Node& b = tree.AddRoot("B", "B");
    Node& a = tree.AddRoot("A", "A");
    Node& a1 = tree.AddChild(a, "A1", "A1");
    tree.EndUpdate();
    tree.EndUpdate();
    tree.EndUpdate();  // unmatched: ignored
    EXPECT_EQ(r.Take(), (Strings{"begin", "added:B first", "added:A after B", "added:A1 first", "end"}));

    tree.SetSorted(true);  // every root announced at its new place, front to back
    EXPECT_EQ(r.Take(), (Strings{"moved:A first", "moved:B after A"}));
    tree.AddRoot("C", "c");  // sorted without regard to case
    a.SetText("D");  // renaming a sorted root moves it
    EXPECT_EQ(r.Take(), (Strings{"added:C after B", "A.NodeText", "moved:A after C"}));
    b.SetText("BB");  // still in place: no move
    a1.SetText("A0");  // nor is a child ever sorted
    b.SetBold(true), b.SetBold(true);
    EXPECT_EQ(r.Take(), (Strings{"B.NodeText", "A1.NodeText", "B.NodeBold"}));

    a.SetNativeHandle(0x1234);
    EXPECT_EQ(tree.Find("A")->NativeHandle(), 0x1234u);
    tree.Remove(a);  // once, for the top of the removed subtree, before it is destroyed
    EXPECT_EQ(r.Take(), (Strings{"removing:A"}));
    tree.Clear();
    tree.Clear();
    EXPECT_EQ(r.Take(), (Strings{"clearing"}));
}

// Counts what a renderer's form host is asked to do and when.
struct RecordingHost : FormHost {
    Strings calls;
    void Create(Form& form) override {
        calls.push_back("create");
        form.SetHwnd(42);
    }
    void RunModal(Form& form) override {
        calls.push_back("run");
        form.UserClose();
    }
    void Destroy(Form& form) noexcept override {
        calls.push_back("destroy");
        form.SetHwnd(0);
    }
};

TEST(FormHosting, WindowsExistBeforeTheFirstUseAndGoAfterUnloadNeverRecreated) {
    RecordingHost host;
    {
        Form form("frm");
        form.SetFormHost(&host);
        EXPECT_EQ(form.hWnd(), 42u);  // a load step that reads the handle finds the window
        form.SetFormHost(&host);      // the same host again: no second window
        form.ShowModal();
        EXPECT_EQ(host.calls, (Strings{"create", "run", "destroy"}));
    }
    EXPECT_EQ(host.calls.size(), 3u);  // the form's end does not destroy twice

    host.calls.clear();
    {
        Form unshown("frm");  // a load that failed before the show still frees its windows
        unshown.SetFormHost(&host);
    }
    EXPECT_EQ(host.calls, (Strings{"create", "destroy"}));
}

TEST(UserInput, ATreeKeyGoesThroughTheFormsPreviewAndKeyPressBeforeTheTreeActs) {
    Form form("frm");
    form.SetKeyPreview(true);
    TreeView tree("tvTrace");
    form.AddControl(tree);
    tree.SetCheckboxes(true);
    Node& node = tree.AddRoot("Common Tasks", "Common Tasks");
    tree.SetSelectedItem(&node);
    tree.SetFocus();

    Strings events;
    form.KeyDown.Connect([&](std::int16_t& key, std::int16_t) {
        events.push_back("form:" + std::to_string(key));
        if (key == 27) key = 0;  // a key the form clears never reaches the tree
    });
    tree.KeyDown.Connect([&](std::int16_t& key, std::int16_t) { events.push_back("tree:" + std::to_string(key)); });
    tree.KeyPress.Connect([&](std::int16_t& key) {
        events.push_back("press:" + std::to_string(key) + (node.Checked() ? " checked" : " clear"));
    });
    tree.NodeCheck.Connect([&](Node&) { events.push_back("check"); });
    tree.UserKey(32);
    tree.UserKey(40);  // an arrow is no character: no KeyPress
    tree.UserKey(27);
    form.SetKeyPreview(false);
    tree.UserKey('A');  // a letter is a character
    EXPECT_EQ(events, (Strings{"form:32", "tree:32", "press:32 clear", "check", "form:40", "tree:40", "form:27", "tree:65",
                               "press:65 checked"}));
    EXPECT_TRUE(node.Checked());

    tree.KeyDown.Connect([](std::int16_t& key, std::int16_t) { key = 0; });
    tree.UserKey(32);
    EXPECT_TRUE(node.Checked());  // the key was taken away before the tree acted
    tree.SetEnabled(false);
    tree.UserKeyAction(32);  // the native side's key reaches a disabled tree: ignored
    EXPECT_TRUE(node.Checked());
}

TEST(UserInput, TreeClicksUseTheNativeHitTestAndPositions) {
    TreeView tree("tvTrace");
    tree.SetCheckboxes(true);
    Node& first = tree.AddRoot("First", "First");
    Node& second = tree.AddRoot("Second", "Second");
    // The native control draws rows 300 twips high: its hit test decides.
    tree.SetHitTester([&](float, float y) { return y < 300 ? &first : y < 600 ? &second : nullptr; });
    Strings events;
    tree.MouseDown.Connect([&](std::int16_t, std::int16_t, float x, float y) {
        Node* hit = tree.HitTest(x, y);
        events.push_back("down:" + (hit ? std::string(hit->Key()) : std::string("none")));
    });
    tree.NodeCheck.Connect([&](Node& n) { events.push_back("check:" + std::string(n.Key())); });
    tree.NodeClick.Connect([&](Node& n) { events.push_back("click:" + std::string(n.Key())); });
    tree.Click.Connect([&] { events.push_back("click"); });

    tree.UserClickAt(40, 450, &second, TreeHit::CheckBox);
    tree.UserClickAt(200, 100, &first, TreeHit::Label);
    tree.UserSelected(second);
    tree.UserSelected(second);  // no change, no notification
    EXPECT_EQ(events, (Strings{"down:Second", "check:Second", "down:First", "click:First", "click", "click:Second"}));
    EXPECT_TRUE(second.Checked());
}

TEST(UserInput, EditedTextArrivesWholeAndTheMaskedBoxKeepsDigitsWithinItsLimit) {
    TextBox text("txtFileName");
    int changes = 0;
    text.Change.Connect([&] { ++changes; });
    text.UserEdited("trace.log", 5, 0);
    EXPECT_EQ(text.SelLength(), 0);
    text.UserEdited("trace.log", 2, 3);  // only the selection moved
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(text.SelStart(), 2);
    EXPECT_EQ(text.SelLength(), 3);

    MaskedBox size("txtFileSize");
    size.UserEdited("123456", 6, 0);  // no limit yet
    EXPECT_EQ(size.Text(), "123456");
    size.SetMaxCharPerCell(5);
    size.UserEdited("12a3456", 7, 0);  // a paste with a letter and too many digits
    EXPECT_EQ(size.Text(), "12345");
    size.SetEnable(false);
    size.UserEdited("9", 1, 0);
    EXPECT_EQ(size.Text(), "12345");
}

TEST(EchoSuppression, TheUsersTextIsNotWrittenBackButAHandlersCorrectionIs) {
    TextBox text("txtFileName");
    struct {
        std::string shown;  // what a native edit box shows
        int writes = 0;
    } native;
    ChangeQueue queue([&](Control&, Prop p) {
        if (p == Prop::Text && native.shown != text.Text()) {
            native.shown = text.Text();
            ++native.writes;
        }
    });
    text.StateChanged.Connect([&](Prop p) { queue.Mark(text, p); });

    text.SetText("from code");  // outside a user call: pushed at once
    EXPECT_EQ(native.shown, "from code");
    EXPECT_EQ(native.writes, 1);

    native.shown = "typed";
    {
        auto call = queue.EnterUserCall();
        text.UserEdited(native.shown, 5, 0);
        EXPECT_EQ(native.writes, 1);  // nothing written while the user call runs
    }
    EXPECT_EQ(native.writes, 1);  // the same text: not written back over itself

    text.Change.Connect([&] {
        if (!text.Text().empty() && text.Text().back() == ' ') text.SetText(text.Text().substr(0, text.Text().size() - 1));
    });
    native.shown = "typed ";
    {
        auto call = queue.EnterUserCall();
        text.UserEdited(native.shown, 6, 0);
    }
    EXPECT_EQ(native.shown, "typed");  // the handler's trimmed text reached the screen
    EXPECT_EQ(native.writes, 2);
}

TEST(RendererMetrics, DpiAndRealBarHeightsShapeTheModelGeometry) {
    Form form("frm");
    MenuBar bar("abMenuBar");
    form.AddControl(bar);
    bar.AddBand("mnuBandMain").SetKind(band_kind::kMenuBar);
    Tool& save = bar.AddBand("mnuToolBar").AddTool(1, "mnuSaveClose");
    bar.AddBand("mnuBandEmpty").SetKind(band_kind::kToolBar);  // a tool band without tools takes no room
    int resized = 0;
    bar.BandResize.Connect([&](Band&) { ++resized; });
    bar.RecalcLayout();
    bar.RecalcLayout();  // nothing changed: no second notification
    EXPECT_EQ(form.ReservedTop(), MenuBar::kMenuBandHeight + MenuBar::kToolBandHeight);
    bar.SetBandHeights(285, 420);  // what the native bars really take
    EXPECT_EQ(form.ReservedTop(), 705);
    EXPECT_EQ(resized, 2);

    // The user's commands: a shortcut needs exactly its shift state, a disabled tool does nothing.
    int clicks = 0;
    bar.Click.Connect([&](Tool&) { ++clicks; });
    EXPECT_EQ(ErrorOf([&] { save.SetShortcut(80); }), 380);  // 0 to 79 only
    save.SetShortcut(19);  // Ctrl+S
    std::int16_t key = 'S', shift = 6;  // Ctrl+Alt+S
    bar.OnKeyDown(key, shift);
    EXPECT_EQ(key, 'S');
    save.SetShortcut(27), key = 112, shift = 1;  // F1, pressed as Shift+F1
    bar.OnKeyDown(key, shift);
    EXPECT_EQ(key, 112);
    save.Enabled = false;
    bar.UserClickTool("mnuToolBar", "mnuSaveClose");
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(&bar.BandByKey("MNUTOOLBAR").ToolByKey("MNUSAVECLOSE"), &save);  // keys in any case
    EXPECT_EQ(&bar.BandByKey("mnuToolBar").ToolAt(1), &save);
    EXPECT_EQ(ErrorOf([&] { bar.BandByKey("mnuBandWeb"); }), 35601);
    EXPECT_EQ(ErrorOf([&] { bar.BandByKey("mnuToolBar").SetKind(3); }), 380);
    EXPECT_FALSE(bar.UserOpenBand("mnuToolBar"));  // a band opens only when the query says so
    EXPECT_FALSE(bar.BandByKey("mnuToolBar").Open());

    form.SetTwipsPerPixel(10, 1);  // each axis at its own scale, down to one twip a pixel
    Image clock("imgClock");
    form.AddControl(clock);
    clock.SetPicture(std::make_shared<Picture32>());
    EXPECT_EQ(clock.Width(), 320);
    EXPECT_EQ(clock.Height(), 32);
}

TEST(Navigation, TabFollowsTabOrderSkipsWhatCannotBeReachedAndArrowsStayInTheGroup) {
    Form form("frm");
    TreeView tree("tvTrace");
    Frame frame("fraOutput");
    CheckBox check("chkLogfile");
    TextBox text("txtFileName");
    MaskedBox size("txtFileSize");
    OptionButtonArray options("optFileOptions");
    OptionButton& overwrite = options.Load(2);
    OptionButton& append = options.Load(0);
    OptionButton& circular = options.Load(1);
    Label label("lblFileName");
    const std::initializer_list<Control*> all = {&tree, &frame, &check, &text, &size, &overwrite, &append, &circular, &label};
    std::int32_t index = 0;
    for (Control* c : all) {
        form.AddControl(*c);
        c->SetTabIndex(index++);
        if (c != &tree && c != &frame) c->SetContainer(&frame);
    }
    append.SetTop(100), overwrite.SetTop(200), circular.SetTop(300);  // not the order they were loaded in
    EXPECT_EQ(NextInTabOrder(form, &size, true), &append);  // none selected: the group's first
    append.SetValue(true);

    EXPECT_EQ(NextInTabOrder(form, nullptr, true), &tree);  // from no control: the first
    EXPECT_EQ(NextInTabOrder(form, &tree, true), &check);  // frames and labels take no focus
    EXPECT_EQ(NextInTabOrder(form, &size, true), &append);  // only the selected option
    EXPECT_EQ(NextInTabOrder(form, &append, true), &tree);  // wraps around
    size.SetEnable(false);  // the size box is skipped in the direction of travel
    EXPECT_EQ(NextInTabOrder(form, &text, true), &append);
    EXPECT_EQ(NextInTabOrder(form, &append, false), &text);
    frame.SetEnabled(false);  // nothing inside a disabled frame
    EXPECT_EQ(NextInTabOrder(form, &tree, true), nullptr);
    frame.SetEnabled(true);

    EXPECT_EQ(NextOption(append, true), &overwrite);  // top to bottom as shown
    EXPECT_EQ(NextOption(circular, true), &append);
    EXPECT_EQ(NextOption(overwrite, false), &append);
    frame.SetVisible(false);
    circular.UserClick();  // a click from code on a hidden option selects it, without focus
    EXPECT_TRUE(circular.Value());
}

}  // namespace
}  // namespace diags::forms
