// The eight-character value texts.
#include "engine/ValueText.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

using namespace gyrelle::valuetext;

namespace {

std::string floatText(float v) {
  char text[kTextBytes];
  formatFloat(v, text);
  return text;
}

std::string decibelText(float v) {
  char text[kTextBytes];
  formatDecibels(v, text);
  return text;
}

std::string integerText(int32_t v) {
  char text[kTextBytes];
  formatInteger(v, text);
  return text;
}

TEST(ValueText, FloatTexts) {
  const std::pair<float, const char*> cases[] = {
      {0.0f, "0.000000"},      {1.5f, "1.500000"},       {-0.5f, "-0.50000"},   {123.456f, "123.4560"},
      {9999999.0f, "9999999."}, {100000000.0f, " Huge!  "}, {-10000000.0f, " Huge!  "}, {-0.0f, "0.000000"},
      {0.999999f, "0.999998"}, {-9999999.0f, "-9999999"}, {12345678.0f, "12345678"}, {-1234567.0f, "-1234567"},
      {98765432.0f, "98765432"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(floatText(value), text) << value;
  EXPECT_EQ(floatText(std::numeric_limits<float>::infinity()), " Huge!  ");
  EXPECT_EQ(floatText(-std::numeric_limits<float>::infinity()), " Huge!  ");
  EXPECT_EQ(floatText(std::numeric_limits<float>::quiet_NaN()).size(), 8u);
}

TEST(ValueText, DecibelTexts) {
  const std::pair<float, const char*> cases[] = {
      {1.0f, "0.000000"},  {0.5f, "-6.02059"},  {1.2f, "1.583625"}, {2.0f, "6.020599"},
      {0.000001f, "-120.000"}, {0.0f, "  -oo   "}, {-0.0f, "  -oo   "}, {-1.0f, "  -oo   "},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(decibelText(value), text) << value;
  EXPECT_EQ(decibelText(std::numeric_limits<float>::quiet_NaN()), "  -oo   ");
}

TEST(ValueText, IntegerTexts) {
  const std::pair<int32_t, const char*> cases[] = {
      {5, "      5"},  {-1234567, "-1234567"}, {99999999, "99999999"},
      {100000000, " Huge!  "}, {-12345678, "-1234567"}, {INT32_MIN, "-2147483"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(integerText(value), text) << value;
}

}  // namespace
