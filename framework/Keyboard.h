#pragma once

#include <Qt>

namespace fw {

// Whether the key is held at the moment of the input being handled: the click or key press that
// pressed a button or confirmed a dialog. That state travels with each input event, so it is
// right even when the key is let go before the program gets to ask.
//
// On Linux the Option key is Shift: the desktops take Alt with a click for moving windows, so
// an Alt+click seldom reaches the program, while Shift+click always does.
bool AsyncOptionKey();
bool AsyncAltKey();

// While it lives, the keys held at the input that started an action count as held as well: a
// swatch clicked, or pressed with Space, with Shift held opens a picker whose confirmation (a
// later input, with Shift let go by then) still applies to every later character.
class HeldAtActivation {
 public:
  explicit HeldAtActivation(Qt::KeyboardModifiers held);
  ~HeldAtActivation();
  HeldAtActivation(const HeldAtActivation&) = delete;
  HeldAtActivation& operator=(const HeldAtActivation&) = delete;

 private:
  Qt::KeyboardModifiers previous_;
};

}  // namespace fw
