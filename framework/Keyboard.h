#pragma once

namespace fw {

// Whether the key is held at the moment of the input being handled: the click or key press that
// pressed a button or confirmed a dialog. That state travels with each input event, so it is
// right even when the key is let go before the program gets to ask.
//
// On Linux the Option key is Shift: the desktops take Alt with a click for moving windows, so
// an Alt+click seldom reaches the program, while Shift+click always does.
bool AsyncOptionKey();
bool AsyncAltKey();

}  // namespace fw
