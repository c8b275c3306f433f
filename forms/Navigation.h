#pragma once
// Dialog navigation over the models, as the keyboard moves through a classic form: Tab and
// Shift+Tab go to the next control in tab order that can take the focus; the arrows move
// among the buttons of an option group.
#include "forms/Form.h"
#include "forms/OptionButton.h"

namespace diags::forms {

// Whether the user can tab to the control: a kind that takes the focus, with a tab stop,
// enabled and visible up its container chain; a masked box whose own "enable" switch is off
// is skipped, and of an option group only the selected button (or the first, when none is).
bool CanTabTo(const Control& control) noexcept;

// The control Tab (forward) or Shift+Tab reaches from `from` (null = from outside), wrapping
// around; null when no control can take the focus.
Control* NextInTabOrder(const Form& form, const Control* from, bool forward) noexcept;

// The option button an arrow key reaches from `from` within its group (wrapping), skipping
// buttons the user cannot reach; `from` itself when there is no other.
OptionButton* NextOption(const OptionButton& from, bool forward) noexcept;

}  // namespace diags::forms
