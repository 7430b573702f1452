#pragma once

#include "base/Color.h"
#include "editor/LogoInfo.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace fw {
class TextInputStream;
class TextOutputStream;
}  // namespace fw

// A logo document, the lines of a text file: line 1 the logo text, line 2 the background colour
// in the colour text form ("r:g:b"), then one character line for every character of the logo,
// its glyph index, colour and x position joined by ",".
struct LogoDocument {
  // Line 1 as the logo field shows it: its UTF-8, or one character a byte (Latin-1) where it is
  // not UTF-8.
  QString text;
  // Line 1's bytes where they are not UTF-8: the logo is made of them and they are written back
  // as they are, so that a text in another encoding survives a save.
  std::optional<QByteArray> textBytes;
  fw::Color background = 0;
  // The character lines, in the order of the characters.
  std::vector<LogoInfo> characters;
  // The file read holds text that writing this document would not write back: a text file read
  // by mistake, a line added by hand. A document that this program wrote never has any.
  bool hasOtherText = false;
};

// Reads a document from the start of in. Line 1 is taken whole, a "," in it being part of the
// text; a missing line or field reads as empty, which gives 0 for a number and black for a
// colour. At most one character line is read for every character that line 1 makes, and at
// least one when it makes any: a document without character lines gives one blank character.
// None when line 1 holds more than maxText characters; nothing after it is then read.
std::optional<LogoDocument> ReadLogoDocument(fw::TextInputStream& in, int maxText);

// Writes the document's lines to out, each with its line end; the caller closes the stream.
void WriteLogoDocument(fw::TextOutputStream& out, const LogoDocument& document);

// The name that the save dialog offers for a logo text: the text and ".TXT", made one valid and
// visible file name. A "/" or a NUL becomes "_", a line end a blank, leading full stops go; a
// long text is cut to fit; a text of blanks alone, which would name a hidden or blank file,
// gives "Untitled.TXT".
QString DocumentName(const QString& logoText);
