#include "base/Text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

TEST(ToInt32, TruncatesTowardZeroAndSaturates) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double in;
    std::int32_t out;
  } cases[] = {
      {0.0, 0},
      {199.33, 199},
      {-0.5, 0},
      {-1.99, -1},
      {2147483646.9, 2147483646},
      {2147483647.0, 2147483647},
      {1e300, 2147483647},
      {inf, 2147483647},
      {-2147483648.0, -2147483647 - 1},
      {-1e300, -2147483647 - 1},
      {-inf, -2147483647 - 1},
      {std::nan(""), 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(fw::ToInt32(c.in), c.out) << c.in;
}

TEST(Val, ReadsTheLeadingNumber) {
  const struct {
    const char* in;
    double out;
  } cases[] = {
      {"", 0},
      {"abc", 0},
      {"309", 309},
      {"12.0", 12},
      {"12abc", 12},
      {"  46", 46},
      {"-10", -10},
      {"+7", 7},
      {"1e3", 1000},
      {"1e", 1},
      {".5", 0.5},
      {"5.", 5},
      {"-", 0},
      {".", 0},
      {"0x10", 0},
      {"1,5", 1},
      {"255:128", 255},
      {"1e999", std::numeric_limits<double>::infinity()},
      {"1e-999", 0},
      // Whole numbers up to 15 digits, and past them, where the exact sum would not hold.
      {"999999999999999", 999999999999999.0},
      {"-2147483649x", -2147483649.0},
      {"12345678901234567890", 12345678901234567890.0},
      {"007", 7},
      // The sign of every shape of number: fractions, a bare fraction, exponents, overflow.
      {"-1.5", -1.5},
      {"-.5", -0.5},
      {"-1e2", -100},
      {"-5.", -5},
      {" -2.25x", -2.25},
      {"-1e999", -std::numeric_limits<double>::infinity()},
      {"-12345678901234567890", -12345678901234567890.0},
      {"+.5", 0.5},
  };
  for (const auto& c : cases)
    EXPECT_EQ(fw::Val(QString::fromUtf8(c.in)), c.out) << c.in;
}

TEST(Str, WritesAndAppendsDecimalIntegers) {
  const std::int64_t cases[] = {0, 7, -10, 255, 2147483647, -2147483648LL, 9223372036854775807LL};
  for (const std::int64_t v : cases) {
    EXPECT_EQ(fw::Str(v), QString::number(v));
    QString text = QStringLiteral("x,");
    fw::AppendStr(text, v);
    EXPECT_EQ(text, QStringLiteral("x,") + QString::number(v));
  }
}

TEST(NthField, CountsFromOne) {
  const struct {
    const char* text;
    int n;
    const char* out;
  } cases[] = {
      {"6,255:0:0,0", 1, "6"},
      {"6,255:0:0,0", 2, "255:0:0"},
      {"6,255:0:0,0", 3, "0"},
      {"6,255:0:0,0", 4, ""},
      {"", 1, ""},
      {"a,,b", 2, ""},
      {"a,,b", 3, "b"},
      {"abc", 0, ""},
      {"abc", 1, "abc"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fw::NthField(QString::fromUtf8(c.text), QStringLiteral(","), c.n),
              QString::fromUtf8(c.out))
        << c.text << " field " << c.n;
  }
}

TEST(RGB, ClampsChannelsAndPutsAlphaOnTop) {
  EXPECT_EQ(fw::RGB(255, 128, 0), 0x00FF8000u);
  EXPECT_EQ(fw::RGB(-5, 300, 7), 0x0000FF07u);
  EXPECT_EQ(fw::RGB(1, 2, 3, 255), 0xFF010203u);
  EXPECT_EQ(fw::RedOf(0x00123456), 0x12);
  EXPECT_EQ(fw::GreenOf(0x00123456), 0x34);
  EXPECT_EQ(fw::BlueOf(0x00123456), 0x56);
}

TEST(Bytes, AreTakenOneByOne) {
  const QByteArray text = QStringLiteral("Aé").toUtf8();
  EXPECT_EQ(fw::LenB(text), 3);
  EXPECT_EQ(fw::AscB(fw::MidB(text, 1, 1)), 'A');
  EXPECT_EQ(fw::AscB(fw::MidB(text, 2, 1)), 0xC3);
  EXPECT_EQ(fw::MidB(text, 4, 1), QByteArray());
  EXPECT_EQ(fw::MidB(text, 0, 1), QByteArray());
  EXPECT_EQ(fw::AscB(QByteArray()), 0);
}

TEST(LocalizedString, FallsBackToTheDefault) {
  EXPECT_EQ(fw::GetLocalizedString(QStringLiteral("Module1.kSave"), QStringLiteral("Save"), {}),
            QStringLiteral("Save"));
  EXPECT_EQ(fw::GetLocalizedString(QStringLiteral("Module1.kSave"), QStringLiteral("Save"),
                                   QStringLiteral("de")),
            QStringLiteral("Save"));
}

}  // namespace
