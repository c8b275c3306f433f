// Tree view: keys, navigation, check marks from code versus the user, removal, and size.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "forms/TreeView.h"
#include "tests/support/TestSupport.h"

namespace diags::forms {
namespace {

using testing::ErrorOf;

std::vector<std::string> Texts(Node* first) {
    std::vector<std::string> texts;
    for (Node* n = first; n != nullptr; n = n->Next()) texts.emplace_back(n->Text());
    return texts;
}

TEST(TreeNavigation, ParentChildAndSiblingLinksFollowTheRelationships) {
    TreeView tree("tvTrace");
    Node& editors = tree.AddRoot("Desktop Editors", "Desktop Editors");
    Node& tasks = tree.AddRoot("Common Tasks", "Common Tasks");
    Node& b = tree.AddChild(editors, "B", "Attribute Editor");
    Node& d = tree.AddChild(editors, "D", "Report Editor");
    Node& c = tree.Add(&d, Relationship::Previous, "C", "Filter Editor");
    Node& a = tree.Add(&b, Relationship::First, "A", "Attribute Creation Wizard");
    Node& e = tree.Add(&d, Relationship::Next, "E", "Table Editor");

    EXPECT_EQ(Texts(editors.Child()), (std::vector<std::string>{"Attribute Creation Wizard", "Attribute Editor",
                                                                "Filter Editor", "Report Editor", "Table Editor"}));
    EXPECT_EQ(editors.Children(), 5);
    EXPECT_EQ(c.Parent(), &editors);
    EXPECT_EQ(e.Root(), &editors);
    EXPECT_EQ(a.LastSibling(), &e);
    EXPECT_EQ(e.FirstSibling(), &a);
    EXPECT_EQ(editors.Next(), &tasks);
    EXPECT_EQ(tasks.LastSibling(), &tasks);
    EXPECT_EQ(tasks.Children(), 0);
    EXPECT_EQ(tasks.Child(), nullptr);
    // Index is the order of adding, not the display order.
    EXPECT_EQ(a.Index(), 6);
    EXPECT_EQ(&tree.Item(tree.Count()), &e);

    // Sorting orders the roots by text without regard to case (Latin letters beyond ASCII too);
    // texts that read alike keep the order they were added in.
    for (const char* text : {"beta", "\xC4rger", "Alpha", "x", "ALPHA2", "\xE4rger 2", "Beta0", "X"}) tree.AddRoot("", text);
    tree.SetSorted(true);
    EXPECT_EQ(Texts(tree.FirstRoot()),
              (std::vector<std::string>{"Alpha", "ALPHA2", "beta", "Beta0", "Common Tasks", "Desktop Editors", "x", "X",
                                        "\xC4rger", "\xE4rger 2"}));
}

TEST(TreeChecks, ACheckFromCodeRaisesNothingAUserToggleRaisesMouseDownThenNodeCheck) {
    TreeView tree("tvTrace");
    tree.SetCheckboxes(true);
    tree.Move(180, 500, 3300, 6000);
    Node& root = tree.AddRoot("Desktop Editors", "Desktop Editors");
    tree.AddChild(root, "Attribute Editor", "Attribute Editor");
    Node& report = tree.AddChild(root, "Report Editor", "Report Editor");

    std::vector<std::string> events;
    tree.MouseDown.Connect([&](std::int16_t, std::int16_t, float x, float y) {
        // The dialog's mouse-down handler selects the node under the pointer.
        Node* hit = tree.HitTest(x, y);
        events.push_back("down:" + (hit ? std::string(hit->Key()) : std::string("none")));
        tree.SetSelectedItem(hit);
    });
    tree.NodeCheck.Connect([&](Node& node) {
        events.push_back("check:" + std::string(node.Key()) + (node.Checked() ? "=1" : "=0"));
    });
    tree.NodeClick.Connect([&](Node& node) { events.push_back("click:" + std::string(node.Key())); });

    report.SetChecked(true);
    report.SetChecked(false);
    EXPECT_TRUE(events.empty());

    tree.UserToggleCheck(report);  // expands the root so the node can be reached
    EXPECT_EQ(events, (std::vector<std::string>{"down:Report Editor", "check:Report Editor=1"}));
    EXPECT_EQ(tree.SelectedItem(), &report);
    EXPECT_TRUE(report.Selected() && !root.Selected());
    EXPECT_EQ(tree.HitTest(0, 0), &root);
    EXPECT_TRUE(root.Expanded());

    events.clear();
    tree.UserKey(32);  // space toggles the selected node's check box
    EXPECT_EQ(events, (std::vector<std::string>{"check:Report Editor=0"}));

    events.clear();
    tree.UserKey(38);  // up moves the selection
    tree.UserClickNode(root);
    EXPECT_EQ(events, (std::vector<std::string>{"click:Attribute Editor", "down:Desktop Editors", "click:Desktop Editors"}));
    tree.UserKey(37), tree.UserKey(37);  // left collapses; a collapsed node stays so
    EXPECT_FALSE(root.Expanded());
}

TEST(TreeKeys, KeysAreUniqueWithoutRegardToCaseFoundByKeyOrIndexAndFreedWithTheirSubtree) {
    TreeView tree("tvModules");
    Node& a = tree.AddRoot("A", "A");
    Node& a1 = tree.AddChild(a, "A1", "A1");
    tree.AddChild(a1, "A11", "A11");
    Node& b = tree.AddRoot("B", "B");
    tree.SetSelectedItem(&a1);
    EXPECT_EQ(ErrorOf([&] { tree.AddRoot("a11", "again"); }), 35602);
    EXPECT_EQ(tree.Count(), 4);  // the refused node was not added
    EXPECT_EQ(&tree.Item("a11"), a1.Child());
    EXPECT_EQ(&tree.Item(2), &a1);
    EXPECT_EQ(&tree.Item(1), &a);
    EXPECT_EQ(ErrorOf([&] { tree.Item("missing"); }), 35601);
    EXPECT_EQ(ErrorOf([&] { tree.Item(5); }), 35600);

    tree.Remove(a);  // its subtree, keys and selection go; the rest is renumbered
    EXPECT_EQ(tree.Count(), 1);
    EXPECT_EQ(tree.SelectedItem(), nullptr);
    EXPECT_EQ(tree.Find("A11"), nullptr);
    EXPECT_EQ(b.Index(), 1);
    EXPECT_EQ(tree.FirstRoot(), &b);
    tree.AddRoot("A", "A again");  // the key is free again
    tree.Clear();
    EXPECT_EQ(tree.Count(), 0);
    EXPECT_EQ(tree.FirstRoot(), nullptr);
}

TEST(TreeKeys, EveryKeyAndTextReadsBackWholeAndNulTerminatedAcrossRenamesAndClears) {
    // Texts of every length, from none to longer than the tree keeps side by side, so the
    // tree's storage fills, starts new blocks and sets long texts apart.
    TreeView tree("tvModules");
    const auto textOf = [](int i) { return std::string(static_cast<std::size_t>(i * 37 % 301), static_cast<char>('a' + i % 26)); };
    std::vector<Node*> nodes;
    for (int round = 0; round < 2; ++round) {
        nodes.clear();
        for (int i = 0; i < 3000; ++i) {
            const std::string key = "K" + std::to_string(i);
            nodes.push_back(&tree.AddRoot(key, i % 3 == 0 ? key : textOf(i)));
        }
        Node& huge = tree.AddRoot("huge", std::string(40000, 'h'));
        Node& renamed = *nodes[7];
        const std::string_view before = renamed.Text();
        renamed.SetText("renamed");
        EXPECT_EQ(before, textOf(7));  // what a renderer still holds stays readable
        for (int i = 0; i < 3000; ++i) {
            const Node& node = *nodes[static_cast<std::size_t>(i)];
            const std::string key = "K" + std::to_string(i);
            ASSERT_EQ(node.Key(), key);
            ASSERT_EQ(node.Text(), i == 7 ? "renamed" : i % 3 == 0 ? key : textOf(i)) << i;
            ASSERT_EQ(node.Text().data()[node.Text().size()], '\0') << i;
            ASSERT_EQ(node.Key().data()[node.Key().size()], '\0') << i;
        }
        EXPECT_EQ(huge.Text(), std::string(40000, 'h'));
        EXPECT_EQ(huge.Text().data()[40000], '\0');
        tree.Clear();
    }
}

TEST(TreeSize, AHundredThousandNodesAddFindAndNavigateQuickly) {
    TreeView tree("tvModules");
    const auto start = std::chrono::steady_clock::now();
    for (int folder = 0; folder < 1000; ++folder) {
        Node& parent = tree.AddRoot("ZEL Component " + std::to_string(folder), "ZEL Component " + std::to_string(folder));
        for (int trace = 0; trace < 99; ++trace)
            tree.AddChild(parent, std::string(parent.Key()) + "Trace " + std::to_string(trace), "Trace " + std::to_string(trace));
    }
    tree.SetSorted(true);
    int found = 0;
    for (int folder = 0; folder < 1000; ++folder)
        found += tree.Find("zel component " + std::to_string(folder) + "trace 98") != nullptr;
    std::int64_t childTotal = 0;
    for (Node* n = tree.FirstRoot(); n != nullptr; n = n->Next()) childTotal += n->Children();
    const auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_EQ(tree.Count(), 100000);
    EXPECT_EQ(found, 1000);
    EXPECT_EQ(childTotal, 99000);
    EXPECT_EQ(tree.Item(tree.Count()).Text(), "Trace 98");
    // Generous enough for the sanitizer build; a quadratic index takes minutes.
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(), 5000);

    // After removals every other key is still found, and only those.
    for (int folder = 0; folder < 1000; folder += 100) tree.Remove(tree.Item("ZEL COMPONENT " + std::to_string(folder)));
    int kept = 0;
    for (int folder = 0; folder < 1000; ++folder)
        for (int trace = 0; trace < 99; trace += 7)
            kept += tree.Find("Zel Component " + std::to_string(folder) + "TRACE " + std::to_string(trace)) != nullptr;
    EXPECT_EQ(kept, 990 * 15);
}

}  // namespace
}  // namespace diags::forms
