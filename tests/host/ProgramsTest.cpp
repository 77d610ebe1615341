// Parameters and programs as a host lists, reads, writes and names them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "tests/support/LoadedPlugin.h"

using namespace gyrelle::testing;

namespace {

struct ParameterCase {
  const char* name;
  const char* label;
  float defaultValue;
  const char* defaultText;
};

const ParameterCase kParameters[] = {
    {"Render Level", "", 0.3f, "2"},     {"Num Grooves", "", 0.25f, "4"},     {"Range", "st", 0.5f, "24"},
    {"Speed", "Hz", 0.7f, "0.297"},      {"Pitch Bias", "", 0.5f, "0"},       {"Volume Bias", "", 0.5f, "0"},
    {"Loudest Pitch", "%", 0.5f, "50"},  {"Dry Out Lvl", "Db", 0.0f, "  -oo   "},
    {"Wet Out Lvl", "Db", 0.8333333f, "0.000000"},
};

TEST(Parameters, NamesLabelsDefaultsAndDefaultTexts) {
  Instance instance("gyrelle-stereo");
  for (int32_t i = 0; i < 9; ++i) {
    const ParameterCase& p = kParameters[i];
    EXPECT_EQ(instance.text(effGetParamName, i), p.name);
    EXPECT_EQ(instance.text(effGetParamLabel, i), p.label);
    EXPECT_FLOAT_EQ(instance.getParameter(i), p.defaultValue) << p.name;
    EXPECT_EQ(instance.text(effGetParamDisplay, i), p.defaultText) << p.name;
  }
  float wet = instance.getParameter(8);
  uint32_t bits;
  std::memcpy(&bits, &wet, sizeof bits);
  EXPECT_EQ(bits, 0x3f555555u);
}

struct TextCase {
  int32_t index;
  float value;
  const char* text;
};

const TextCase kTexts[] = {
    {0, 0.0f, "1"},       {0, 0.25f, "1"},      {0, 0.2507f, "2"},     {0, 0.5013f, "3"},  {0, 0.7519f, "4"},
    {0, 1.0f, "4"},       {1, 0.0f, "2"},       {1, 0.1f, "3"},        {1, 0.3125f, "5"},  {1, 1.0f, "10"},
    {2, 0.7f, "33.599"},  {2, 0.3f, "14.4"},    {2, 0.0f, "0"},        {3, 0.0f, "-20"},   {3, 0.25f, "-0.613"},
    {3, 0.5f, "0"},       {3, 0.75f, "0.613"},  {3, 0.9f, "5.008"},    {3, 1.0f, "20"},    {4, 0.4999f, "-0"},
    {4, 0.0f, "-1"},      {4, 0.35f, "-0.3"},   {5, 1.0f, "1"},        {6, 0.0f, "10"},    {6, 1.0f, "90"},
    {7, 1.0f / 1.2f, "0.000000"}, {7, 0.5f / 1.2f, "-6.02059"}, {7, 1.0f, "1.583625"}, {8, 0.0f, "  -oo   "},
};

TEST(Parameters, ValueTexts) {
  Instance instance("gyrelle-mono");
  for (const TextCase& c : kTexts) {
    instance.setParameter(c.index, c.value);
    EXPECT_EQ(instance.text(effGetParamDisplay, c.index), c.text) << "parameter " << c.index << " at " << c.value;
  }
}

TEST(Parameters, OutOfRangeWritesAreClampedAndNanIgnored) {
  Instance instance("gyrelle-stereo");
  instance.setParameter(2, 7.5f);
  EXPECT_EQ(instance.getParameter(2), 1.0f);
  instance.setParameter(2, -3.0f);
  EXPECT_EQ(instance.getParameter(2), 0.0f);
  instance.setParameter(2, 0.25f);
  instance.setParameter(2, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(instance.getParameter(2), 0.25f);
  instance.setParameter(1, std::numeric_limits<float>::infinity());
  EXPECT_EQ(instance.text(effGetParamDisplay, 1), "10");
  instance.setParameter(1, -std::numeric_limits<float>::infinity());
  EXPECT_EQ(instance.text(effGetParamDisplay, 1), "2");
}

TEST(Parameters, UnknownIndicesStoreNothingAndReadZero) {
  Instance instance("gyrelle-stereo");
  for (int32_t index : {9, -1, 1000, INT32_MIN}) {
    instance.setParameter(index, 0.7f);
    EXPECT_EQ(instance.getParameter(index), 0.0f);
    EXPECT_EQ(instance.text(effGetParamName, index), std::string(255, '\x7f')) << index;
    EXPECT_EQ(instance.text(effGetParamDisplay, index), std::string(255, '\x7f')) << index;
    EXPECT_EQ(instance.text(effGetParamLabel, index), std::string(255, '\x7f')) << index;
  }
  for (int32_t i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(instance.getParameter(i), kParameters[i].defaultValue);
}

TEST(Programs, NamesAndRenaming) {
  Instance instance("gyrelle-stereo");
  for (int32_t p = 0; p < 16; ++p) {
    instance.dispatch(effSetProgram, 0, p);
    EXPECT_EQ(instance.dispatch(effGetProgram), p);
    EXPECT_EQ(instance.text(effGetProgramName), "Init " + std::to_string(p + 1));
  }
  instance.dispatch(effSetProgram, 0, 2);
  instance.dispatch(effSetProgramName, 0, 0, const_cast<char*>("Rising pad"));
  EXPECT_EQ(instance.text(effGetProgramName), "Rising pad");
  instance.dispatch(effSetProgramName, 0, 0, const_cast<char*>("Init"));
  EXPECT_EQ(instance.text(effGetProgramName), "Init 3");
  instance.dispatch(effSetProgramName, 0, 0, const_cast<char*>("A name that is far too long for a program"));
  EXPECT_EQ(instance.text(effGetProgramName), "A name that is far too ");  // 23 characters
  instance.dispatch(effSetProgramName, 0, 0, const_cast<char*>(""));
  EXPECT_EQ(instance.text(effGetProgramName), "");
}

TEST(Programs, OutOfRangeProgramNumbersAreIgnored) {
  Instance instance("gyrelle-mono");
  instance.dispatch(effSetProgram, 0, 5);
  for (intptr_t p : {intptr_t{16}, intptr_t{-1}, intptr_t{1000}, intptr_t{INT32_MIN}, intptr_t{1} << 40}) {
    instance.dispatch(effSetProgram, 0, p);
    EXPECT_EQ(instance.dispatch(effGetProgram), 5) << p;
  }
}

TEST(Programs, EditsStayWithTheirProgram) {
  Instance instance("gyrelle-stereo");
  instance.setParameter(3, 0.9f);  // program 0
  instance.dispatch(effSetProgram, 0, 1);
  EXPECT_FLOAT_EQ(instance.getParameter(3), 0.7f);
  instance.setParameter(6, 0.1f);
  instance.dispatch(effSetProgram, 0, 0);
  EXPECT_FLOAT_EQ(instance.getParameter(3), 0.9f);
  EXPECT_FLOAT_EQ(instance.getParameter(6), 0.5f);
  instance.dispatch(effSetProgram, 0, 1);
  EXPECT_FLOAT_EQ(instance.getParameter(6), 0.1f);
}

}  // namespace
