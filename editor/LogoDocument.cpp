// The logo document's lines, read and written, and what a save of a document read would lose.
#include "LogoDocument.h"

#include "base/Text.h"
#include "base/TextStreams.h"
#include "editor/Module1.h"

#include <algorithm>

namespace {

// Str(mChr), ",", the colour, ",", Str(mPos), appended to line.
void AppendCharacterLine(QString& line, const LogoInfo& r) {
  fw::AppendStr(line, r.mChr);
  line.append(u',');
  Module1::AppendColorToStr(line, r.mColor);
  line.append(u',');
  fw::AppendStr(line, r.mPos);
}

LogoInfo ReadCharacterLine(QStringView line) {
  LogoInfo r;
  r.mChr = fw::ToInt32(fw::Val(fw::NthFieldView(line, u",", 1)));
  r.mColor = Module1::StrToColor(fw::NthFieldView(line, u",", 2));
  r.mPos = fw::ToInt32(fw::Val(fw::NthFieldView(line, u",", 3)));
  return r;
}

// The characters that line 1 makes. Its UTF-8 and the bytes kept of a line that is not UTF-8
// both hold the digits and capitals as the line does.
std::size_t CharacterCount(const QByteArray& line1) {
  return std::size_t(std::count_if(line1.begin(), line1.end(), MakesCharacter));
}

// What a save would lose of a document read: a line of it that holds text which the writer would
// not write back as it stands. Line 1 is always written back as read. Line 2 is the document's own
// when it is the colour text that the writer writes for the colour read from it, and a character
// line when it is the writer's line for the record read from it; any line that holds text beyond
// the lines that the characters take is lost. An empty line holds no text to lose. The writer of
// every version of this program writes exactly these forms ("r:g:b" with each channel from 0 to
// 255, numbers with no leading zeros, no sign but a leading "-", no blanks) and no line beyond
// them, so that no document that it wrote ever counts.
class TextNotWrittenBack {
 public:
  void Background(const QString& line, fw::Color read) {
    found_ = found_ || (!line.isEmpty() && line != Module1::ColorToStr(read));
  }
  void Character(const QString& line, const LogoInfo& read) {
    if (found_ || line.isEmpty()) return;
    written_.resize(0);  // keeps its room for the next line
    AppendCharacterLine(written_, read);
    found_ = line != written_;
  }
  // The lines after the characters' own.
  void Rest(fw::TextInputStream& in) {
    while (!found_ && !in.Eof())
      found_ = !in.ReadLineBytes().isEmpty();
  }
  bool Found() const { return found_; }

 private:
  bool found_ = false;
  QString written_;
};

// The most bytes that a file name can hold on Linux's file systems.
constexpr qsizetype kMaxNameBytes = 255;

// The first characters of text whose UTF-8 takes at most maxBytes bytes, never half a character.
QString LeftInUtf8(const QString& text, qsizetype maxBytes) {
  qsizetype bytes = 0;
  qsizetype end = 0;
  while (end < text.size()) {
    const char16_t c = text[end].unicode();
    const bool pair =
        QChar::isHighSurrogate(c) && end + 1 < text.size() && text[end + 1].isLowSurrogate();
    const qsizetype size = pair ? 4 : c < 0x80 ? 1 : c < 0x800 ? 2 : 3;
    if (bytes + size > maxBytes) break;
    bytes += size;
    end += pair ? 2 : 1;
  }
  return text.left(end);
}

}  // namespace

std::optional<LogoDocument> ReadLogoDocument(fw::TextInputStream& in, int maxText) {
  LogoDocument document;
  const QByteArray line1 = in.ReadLineBytes();
  const bool utf8 = fw::IsUtf8(line1);
  document.text = utf8 ? fw::DecodeLine(line1) : QString::fromLatin1(line1);
  if (document.text.size() > maxText) return std::nullopt;
  if (!utf8) document.textBytes = line1;

  TextNotWrittenBack otherText;
  const QString line2 = in.ReadLine();
  document.background = Module1::StrToColor(line2);
  otherText.Background(line2, document.background);

  // Lines beyond the characters' could not be given to any character: they are not even parsed,
  // however many a file holds.
  const std::size_t wanted = CharacterCount(line1);
  document.characters.reserve(wanted);
  while (document.characters.size() < wanted) {
    const QString line = in.ReadLine();
    otherText.Character(line, document.characters.emplace_back(ReadCharacterLine(line)));
    if (in.Eof()) break;
  }
  otherText.Rest(in);
  document.hasOtherText = otherText.Found();
  return document;
}

void WriteLogoDocument(fw::TextOutputStream& out, const LogoDocument& document) {
  if (document.textBytes) {
    out.WriteLineBytes(*document.textBytes);
  } else {
    out.WriteLine(document.text);
  }
  out.WriteLine(Module1::ColorToStr(document.background));
  QString line;
  line.reserve(36);  // the longest character line, made in place for every character
  for (const LogoInfo& character : document.characters) {
    line.resize(0);
    AppendCharacterLine(line, character);
    out.WriteLine(line);
  }
}

QString DocumentName(const QString& logoText) {
  const QString extension = QStringLiteral(".TXT");
  QString name = fw::OneLine(logoText);
  name.replace(u'/', u'_');
  name.replace(QChar(u'\0'), u'_');
  // A leading "." would hide the file from the open dialog.
  while (name.startsWith(u'.'))
    name.remove(0, 1);
  if (name.trimmed().isEmpty()) return QStringLiteral("Untitled") + extension;
  return LeftInUtf8(name, kMaxNameBytes - extension.size()) + extension;
}
