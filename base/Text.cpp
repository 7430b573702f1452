#include "Text.h"

#include <QCoreApplication>
#include <QTranslator>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace fw {

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

std::int32_t ToInt32(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
  if (value <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);  // in range: truncates toward zero
}

double Val(QStringView text) {
  // The text is taken as bytes up to its first character that no number holds; a short number
  // then needs no memory of its own.
  const auto inNumber = [](char16_t c) {
    return (c >= u'0' && c <= u'9') || c == u' ' || c == u'\t' || c == u'+' || c == u'-' ||
           c == u'.' || c == u'e' || c == u'E';
  };
  qsizetype length = 0;
  while (length < text.size() && inNumber(text[length].unicode()))
    ++length;
  std::string bytes(std::size_t(length), '\0');
  for (qsizetype i = 0; i < length; ++i)
    bytes[std::size_t(i)] = char(text[i].unicode());
  const char* p = bytes.data();
  const char* end = p + bytes.size();
  while (p < end && (*p == ' ' || *p == '\t'))
    ++p;

  // Find the longest prefix that has the shape of a decimal number.
  const char* start = p;
  const char* q = p;
  if (q < end && (*q == '+' || *q == '-')) ++q;
  const char* digits = q;
  while (q < end && IsDigit(*q))
    ++q;
  bool anyDigit = q > digits;
  const bool negative = *start == '-';
  // The common case, a whole number of up to 15 digits, is exact in a double as it is summed.
  if (anyDigit && q - digits <= 15 && (q == end || (*q != '.' && *q != 'e' && *q != 'E'))) {
    double whole = 0.0;
    for (const char* d = digits; d < q; ++d)
      whole = whole * 10.0 + (*d - '0');
    return negative ? -whole : whole;
  }
  if (q < end && *q == '.') {
    const char* frac = q + 1;
    const char* r = frac;
    while (r < end && IsDigit(*r))
      ++r;
    if (r > frac || anyDigit) {
      anyDigit = anyDigit || r > frac;
      q = r;
    }
  }
  if (!anyDigit) return 0.0;
  if (q < end && (*q == 'e' || *q == 'E')) {
    const char* r = q + 1;
    if (r < end && (*r == '+' || *r == '-')) ++r;
    const char* expDigits = r;
    while (r < end && IsDigit(*r))
      ++r;
    if (r > expDigits) q = r;
  }

  // from_chars takes no leading '+' and ignores the locale, unlike strtod.
  const char* numberStart = (*start == '+' || *start == '-') ? start + 1 : start;
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(numberStart, q, value);
  if (ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: tell the two apart by the exponent's sign and the
    // integer part's length.
    const char* e = std::find_if(numberStart, q, [](char c) { return c == 'e' || c == 'E'; });
    const bool tiny = e != q && *(e + 1) == '-';
    value = tiny ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (ec != std::errc()) {
    value = 0.0;
  }
  (void)ptr;
  return negative ? -value : value;
}

QString Str(std::int64_t value) {
  return QString::number(value);
}

void AppendStr(QString& text, std::int64_t value) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
  text.append(QLatin1StringView(digits, end - digits));
}

QString NthField(const QString& text, const QString& separator, int n) {
  return NthFieldView(text, separator, n).toString();
}

QStringView NthFieldView(QStringView text, QStringView separator, int n) {
  if (n < 1) return {};
  if (separator.isEmpty()) return n == 1 ? text : QStringView();
  qsizetype from = 0;
  for (int field = 1; field < n; ++field) {
    const qsizetype at = text.indexOf(separator, from);
    if (at < 0) return {};
    from = at + separator.size();
  }
  const qsizetype to = text.indexOf(separator, from);
  return to < 0 ? text.mid(from) : text.mid(from, to - from);
}

bool HasLineEnd(const QString& text) {
  return text.contains(u'\n') || text.contains(u'\r');
}

QString OneLine(const QString& text) {
  if (!HasLineEnd(text)) return text;
  QString line;
  line.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    line.append(c == u'\r' || c == u'\n' ? QChar(u' ') : c);
  }
  return line;
}

int LenB(const QByteArray& bytes) {
  return int(bytes.size());
}

QByteArray MidB(const QByteArray& bytes, int start, int length) {
  if (start < 1 || length <= 0 || start > bytes.size()) return {};
  return bytes.mid(start - 1, length);
}

int AscB(const QByteArray& bytes) {
  return bytes.isEmpty() ? 0 : int(std::uint8_t(bytes[0]));
}

QString GetLocalizedString(const QString& key, const QString& defaultValue,
                           const QString& language) {
  const QByteArray id = key.toUtf8();
  QString text;
  if (language.isEmpty()) {
    // The translators installed at start-up hold the user's language.
    text = QCoreApplication::translate(nullptr, id.constData());
  } else {
    QTranslator translator;
    if (translator.load(QStringLiteral(":/i18n/quenz_") + language)) {
      text = translator.translate(nullptr, id.constData());
    }
  }
  return text.isEmpty() || text == key ? defaultValue : text;
}

}  // namespace fw
