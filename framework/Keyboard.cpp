#include "Keyboard.h"

#include <QGuiApplication>

namespace fw {

bool AsyncAltKey() {
  return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::AltModifier);
}

bool AsyncOptionKey() {
  return AsyncAltKey();
}

}  // namespace fw
