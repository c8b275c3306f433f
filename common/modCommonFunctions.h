#pragma once
// Help, text-box, collection, window-style and font routines shared by the dialog and the
// records, and the small window and shell routines for icons and tree-view styles.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/Platform.h"

namespace diags::forms {
class Control;
class ControlCollection;
class TextBox;
}  // namespace diags::forms

namespace diags {

// Releases a collection reference; the reference is empty afterwards. A collection of 300 or
// more items is first emptied item by item, always the first one, into a new collection
// without keys, so that the large one is torn down in order rather than all at once; both
// are then released. Removing from the front is O(1), so this is linear in the item count.
// Works for any collection with Count, Item(1), Remove(1) and Add(item).
template <class Collection>
void ReleaseCollection(std::shared_ptr<Collection>& collection) noexcept {
    try {
        if (collection && collection->Count() >= 300) {
            auto moved = std::make_shared<Collection>();
            while (collection->Count() > 0) {
                moved->Add(collection->Item(1));
                collection->Remove(1);
            }
            moved.reset();
        }
    } catch (...) {
        // Whatever could not be moved is released with the collection below.
    }
    collection.reset();
}

// WM_SETICON to the window with the same icon, small (0) then big (1). Failures are ignored.
void SetFormIcon(platform::WindowHandle window, std::uintptr_t icon) noexcept;
// Adds (clear = false) or removes (clear = true) the tree view's no-tool-tips style (0x80).
// Returns 1.
std::int32_t SetTreeNoToolTips(platform::WindowHandle& window, bool clear) noexcept;

// Selects the whole text of the box (nothing when it is empty). Failures are ignored.
void SelectAllText(forms::TextBox& box) noexcept;

// Dialog fonts and option-button styles for every control of a form:
//   mode 1      the option-button style only;
//   mode 2      the resource fonts only on a far-east system, then the option-button style;
//   any other   the resource fonts, then the option-button style.
void ApplyFormFont(const forms::ControlCollection& controls, std::int32_t& mode) noexcept;
// ORs `style` into the window style of every option button of the collection (BS_TOP 0x400
// keeps a wrapped caption at the top). Failures are ignored.
void AddOptionButtonStyle(const forms::ControlCollection& controls, std::int32_t style) noexcept;
// ORs `style` into the window style of the control's window ("hWnd"); a control without a
// window is left alone.
void AddWindowStyle(const forms::Control& control, std::int32_t style) noexcept;

// True for the Chinese, Japanese and Korean language ids.
bool IsFarEastLanguageId(std::uint16_t languageId) noexcept;
// IsFarEastLanguageId of the system default language id, read once and remembered.
bool IsFarEastLanguage() noexcept;
// Forgets the remembered language id (tests; the component never changes language).
void ForgetSystemLanguage() noexcept;

// Traces the help file and topic at level 1, then opens the help (WinHelp semantics).
void ShowHelp(platform::WindowHandle window, std::string_view helpFile, std::int32_t command,
              std::int32_t data) noexcept;

// The shell's folder browser titled with resource text 13520, file-system directories only.
// The chosen directory, or "" when the user cancelled.
std::string BrowseForFolder(platform::WindowHandle owner) noexcept;

}  // namespace diags
