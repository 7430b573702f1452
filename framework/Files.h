#pragma once

#include "Error.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>
#include <QString>
#include <QStringEncoder>
#include <QStringList>

#include <exception>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace fw {

// A file type as the program declares it. Converting it to text (ToString) registers it with the
// framework, once; from then on the file dialogs take its name as their filter.
class FileType {
 public:
  QString Name;
  QString Extensions;  // one or more, separated by ";"; a leading "." is optional
  QString MacType;
  QString MacCreator;
  QString MimeType;
  bool Imported = false;
  QString ConformsTo;

  QString ToString();

 private:
  bool registered_ = false;
};

// What the registry keeps of a registered type: enough to filter a file dialog.
struct RegisteredFileType {
  QString name;
  QStringList suffixes;  // without the leading ".", as declared (case is not significant)
};

// The registered types in the order of their registration.
const std::vector<RegisteredFileType>& RegisteredFileTypes();
// The registered type of that name; throws Error when there is none.
const RegisteredFileType& FindFileType(const QString& name);

// A reference to a file or folder, which need not exist.
class FolderItem {
 public:
  explicit FolderItem(const QString& path);

  bool Exists() const;
  bool Directory() const;
  QString Name() const;  // the file's name with its extension
  const QString& Path() const { return path_; }

 private:
  QString path_;
};

using FolderItemPtr = std::shared_ptr<FolderItem>;

// What tells one version of a file from another: the file itself (device and inode), its size and
// the time of its last change. A file rewritten in place, or replaced by another, has another.
struct FileStamp {
  quint64 device = 0;
  quint64 inode = 0;
  qint64 size = 0;
  qint64 modifiedNs = 0;  // since the epoch
  bool operator==(const FileStamp&) const = default;
};
// The stamp of the file now; nothing when there is none at its path.
std::optional<FileStamp> StampOf(const FolderItem& file);

// The error of a file that could not be saved, for the user.
Error SaveError(const QString& fileName, const QString& reason);

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

// Plain words for why an operation failed with an exception that is not an Error (memory that
// ran out, a size beyond what the program can hold), never the exception's own name.
QString PlainReason(std::exception_ptr error);
// Runs an operation on the file named fileName. A failure of it that is not an Error is thrown on
// as an Error that names the file: "“fileName” could not be <done>: <PlainReason>".
template <class F>
void NamingFailures(const QString& fileName, const QString& done, F&& operation) {
  try {
    std::forward<F>(operation)();
  } catch (const Error&) {
    throw;
  } catch (...) {
    throw Error(QStringLiteral("“%1” could not be %2: %3")
                    .arg(fileName, done, PlainReason(std::current_exception())));
  }
}

// Puts a fully written save file in its file's place. When the last of it cannot be written out
// or the replacement fails, nothing is replaced and SaveError is thrown.
void CommitSave(QSaveFile& file, const QString& fileName);

// Writes a text file as UTF-8 lines ending in "\n", one line for each WriteLine. Nothing reaches
// the file's place until Close: the text goes to a temporary file beside it, which then replaces
// the file in one step, so a write that fails leaves the old file as it was. In a folder where no
// file can be made, a file that exists and may be written is written in place instead, which is
// not atomic: a write that fails there leaves the file part written.
class TextOutputStream {
 public:
  // Throws Error when the file cannot be created.
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
  // Throws Error when the text could not be written in full.
  void Close();

 private:
  QString name_;
  QSaveFile file_;
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
