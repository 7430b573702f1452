#include "Keyboard.h"

#include <QGuiApplication>

namespace fw {

namespace {

Qt::KeyboardModifiers& Activation() {
  static Qt::KeyboardModifiers held;
  return held;
}

bool Held(Qt::KeyboardModifier key) {
  return QGuiApplication::keyboardModifiers().testFlag(key) || Activation().testFlag(key);
}

}  // namespace

bool AsyncAltKey() {
  return Held(Qt::AltModifier);
}

bool AsyncOptionKey() {
  return Held(Qt::ShiftModifier);
}

HeldAtActivation::HeldAtActivation(Qt::KeyboardModifiers held) : previous_(Activation()) {
  Activation() = held;
}

HeldAtActivation::~HeldAtActivation() {
  Activation() = previous_;
}

}  // namespace fw
