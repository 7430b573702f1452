#pragma once

#include "Color.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <cstdint>

namespace fw {

// The one conversion from a real number to a signed 32-bit integer: truncation toward zero, values
// beyond the 32-bit range saturate at its ends, NaN gives 0.
std::int32_t ToInt32(double value);

// The number that a text begins with: optional blanks, an optional sign, digits with an optional
// fraction and exponent. An empty or non-numeric text gives 0; a number too large for a double
// gives an infinity of its sign.
double Val(QStringView text);

// The decimal text of an integer: no grouping, a leading minus sign when negative.
QString Str(std::int64_t value);
// Appends Str(value) to text, without a text of its own in between.
void AppendStr(QString& text, std::int64_t value);

// The n-th field of text (counted from 1) between separators; the empty text when text has fewer
// fields or n is less than 1.
QString NthField(const QString& text, const QString& separator, int n);
// The same field as a view into text, for reading it at once without a copy.
QStringView NthFieldView(QStringView text, QStringView separator, int n);

// The text as one line: each line end (CR, LF or the pair CR LF) becomes one blank.
QString OneLine(const QString& text);
bool HasLineEnd(const QString& text);

// Byte access to a text taken as raw bytes.
int LenB(const QByteArray& bytes);
QByteArray MidB(const QByteArray& bytes, int start, int length);  // start counts from 1
int AscB(const QByteArray& bytes);                                // the first byte, 0 if none

// The localised text of a key for a language; the empty language means the user's own. The
// default is returned when no translation is installed for the key.
QString GetLocalizedString(const QString& key, const QString& defaultValue,
                           const QString& language);

}  // namespace fw
