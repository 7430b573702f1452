#include "Keyboard.h"

#include <QGuiApplication>

namespace fw {

bool AsyncAltKey() {
  return QGuiApplication::keyboardModifiers().testFlag(Qt::AltModifier);
}

bool AsyncOptionKey() {
  return QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier);
}

}  // namespace fw
