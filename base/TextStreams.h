#pragma once

#include "Error.h"
#include "FolderItem.h"
#include "SaveFile.h"

#include <QByteArray>
#include <QString>
#include <QStringEncoder>

#include <memory>

namespace fw {

// A file that TextInputStream refuses before reading any of it: a folder, a named pipe, a device
// or anything else that is not a regular file, or a file larger than its reader takes. Reason()
// says why in plain words, for the program to say what the file is not.
class RefusedFile : public Error {
 public:
  RefusedFile(const QString& fileName, const QString& reason);
  const QString& Reason() const { return reason_; }

 private:
  QString reason_;
};

// Writes a text file as UTF-8 lines ending in "\n", one line for each WriteLine. Nothing reaches
// the file until Close, which puts the whole text in its place (see SaveFile): a write that fails,
// or a stream dropped unclosed, leaves the old file as it was.
class TextOutputStream {
 public:
  // Throws Error when no file can be written for it.
  static std::unique_ptr<TextOutputStream> Create(const FolderItem& file);
  struct Key {
   private:
    Key() = default;
    friend class TextOutputStream;
  };
  TextOutputStream(Key, const FolderItem& file);
  ~TextOutputStream();

  void WriteLine(const QString& text);
  // A line of bytes as they are, for a text kept in the encoding it was read in.
  void WriteLineBytes(QByteArrayView bytes);
  // Throws Error when the text could not be written in full, PartlyWritten when it failed part
  // way over the file itself.
  void Close();

 private:
  SaveFile file_;
  QIODevice& out_;
  // Each line on its own, as QString::toUtf8 encodes it.
  QStringEncoder encoder_{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
  QByteArray encoded_;
  bool atStart_ = true;
  bool closed_ = false;
};

// Reads a text file line by line. "\n", "\r\n" and "\r" end a line alike; the text is UTF-8, and
// a UTF-8 byte order mark at the start is skipped.
class TextInputStream {
 public:
  // Opens a regular file of at most maxBytes bytes. Throws RefusedFile for anything else, without
  // waiting on it and without reading it, and Error when the file cannot be opened.
  static std::unique_ptr<TextInputStream> Open(const FolderItem& file, qint64 maxBytes);
  struct Key {
   private:
    Key() = default;
    friend class TextInputStream;
  };
  TextInputStream(Key, const FolderItem& file);
  ~TextInputStream();
  TextInputStream(const TextInputStream&) = delete;
  TextInputStream& operator=(const TextInputStream&) = delete;

  // The next line without its line end; the empty text at the end of the file. Throws Error when
  // the file cannot be read, or has grown past maxBytes since it was opened.
  QString ReadLine();
  // The next line's bytes as they stand in the file, without its line end (and without the
  // byte order mark that starts the file).
  QByteArray ReadLineBytes();
  // True when nothing is left to read, which is so as soon as the last line has been read.
  bool Eof();
  // The file as it was opened.
  const FileStamp& Stamp() const { return stamp_; }
  void Close();

 private:
  bool Fill();  // false at the end of the file
  // The next line without its line end: a view into the chunk read when the line lies in it,
  // else into spill, which holds the line's pieces from earlier chunks.
  QByteArrayView NextLine(QByteArray& spill);
  QString name_;
  int fd_ = -1;
  QByteArray buffer_;
  qsizetype pos_ = 0;
  bool atStart_ = true;
  qint64 maxBytes_ = 0;
  qint64 read_ = 0;
  FileStamp stamp_;
};

// Whether the bytes are valid UTF-8.
bool IsUtf8(QByteArrayView bytes);
// A line's text as ReadLine gives it from the line's bytes.
QString DecodeLine(QByteArrayView bytes);

}  // namespace fw
