#include "QuenzWin.h"

QuenzWin::PosBB::PosBB(int index) {
  SetIndex(index);
}

QuenzWin::QuenzWin() {
  Construct();
}

fw::ComboBox& QuenzWin::ExpCB() const {
  return ControlAs<fw::ComboBox>(QStringLiteral("ExpCB"));
}
fw::Label& QuenzWin::Label1() const {
  return ControlAs<fw::Label>(QStringLiteral("Label1"));
}
fw::Canvas& QuenzWin::fcv() const {
  return ControlAs<fw::Canvas>(QStringLiteral("fcv"));
}
fw::Rectangle& QuenzWin::BKColorRT() const {
  return ControlAs<fw::Rectangle>(QStringLiteral("BKColorRT"));
}
fw::Rectangle& QuenzWin::FGColorRT() const {
  return ControlAs<fw::Rectangle>(QStringLiteral("FGColorRT"));
}
fw::Label& QuenzWin::Label2() const {
  return ControlAs<fw::Label>(QStringLiteral("Label2"));
}
fw::TextField& QuenzWin::LogoTF() const {
  return ControlAs<fw::TextField>(QStringLiteral("LogoTF"));
}
fw::Label& QuenzWin::Label3() const {
  return ControlAs<fw::Label>(QStringLiteral("Label3"));
}
fw::PopupMenu& QuenzWin::MojimePM() const {
  return ControlAs<fw::PopupMenu>(QStringLiteral("MojimePM"));
}
fw::Label& QuenzWin::Label4() const {
  return ControlAs<fw::Label>(QStringLiteral("Label4"));
}
fw::Label& QuenzWin::MojimeLV() const {
  return ControlAs<fw::Label>(QStringLiteral("MojimeLV"));
}
fw::Label& QuenzWin::Label6() const {
  return ControlAs<fw::Label>(QStringLiteral("Label6"));
}
fw::Label& QuenzWin::Label7() const {
  return ControlAs<fw::Label>(QStringLiteral("Label7"));
}
fw::PushButton& QuenzWin::PushButton1() const {
  return ControlAs<fw::PushButton>(QStringLiteral("PushButton1"));
}
fw::PushButton& QuenzWin::PosBB(int index) const {
  return ControlAs<fw::PushButton>(QStringLiteral("PosBB"), index);
}
fw::Label& QuenzWin::ExpWLV() const {
  return ControlAs<fw::Label>(QStringLiteral("ExpWLV"));
}
fw::PopupMenu& QuenzWin::ExpTypPM() const {
  return ControlAs<fw::PopupMenu>(QStringLiteral("ExpTypPM"));
}
fw::Label& QuenzWin::Label9() const {
  return ControlAs<fw::Label>(QStringLiteral("Label9"));
}
fw::Line& QuenzWin::Line1() const {
  return ControlAs<fw::Line>(QStringLiteral("Line1"));
}
fw::Label& QuenzWin::Label10() const {
  return ControlAs<fw::Label>(QStringLiteral("Label10"));
}
fw::PushButton& QuenzWin::PushButton2() const {
  return ControlAs<fw::PushButton>(QStringLiteral("PushButton2"));
}
