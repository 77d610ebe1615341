// The instance record and the entry point, as a host sees them.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/LoadedPlugin.h"

using namespace gyrelle::testing;

namespace {

struct BuildCase {
  const char* library;
  int32_t inputs;
  int32_t uniqueId;
  const char* product;
};

const BuildCase kBuilds[] = {
    {"gyrelle-mono", 1, 0x2D2D2DF7, "Gyrelle v1.4 MONO"},
    {"gyrelle-stereo", 2, 0x2D2D2DF8, "Gyrelle v1.4"},
};

class EachBuild : public ::testing::TestWithParam<BuildCase> {};

TEST_P(EachBuild, RecordFieldsAndIdentity) {
  Instance instance(GetParam().library);
  ASSERT_TRUE(instance.valid());
  AEffect* e = instance.effect();
  EXPECT_EQ(e->magic, 0x56737450);
  EXPECT_EQ(e->numPrograms, 16);
  EXPECT_EQ(e->numParams, 9);
  EXPECT_EQ(e->numInputs, GetParam().inputs);
  EXPECT_EQ(e->numOutputs, 2);
  EXPECT_EQ(e->flags, 0x218);  // mono-capable, replacing, no sound in stop; no editor yet
  EXPECT_EQ(e->resvd1, 0);
  EXPECT_EQ(e->resvd2, 0);
  EXPECT_EQ(e->initialDelay, 1024);
  EXPECT_EQ(e->realQualities, 0);
  EXPECT_EQ(e->offQualities, 0);
  EXPECT_EQ(e->ioRatio, 1.0f);
  EXPECT_NE(e->object, nullptr);
  EXPECT_EQ(e->user, nullptr);
  EXPECT_EQ(e->uniqueID, GetParam().uniqueId);
  EXPECT_EQ(e->version, 1);
  EXPECT_NE(e->dispatcher, nullptr);
  EXPECT_NE(e->process, nullptr);
  EXPECT_NE(e->processReplacing, nullptr);
  EXPECT_NE(e->setParameter, nullptr);
  EXPECT_NE(e->getParameter, nullptr);
  EXPECT_EQ(e->processDoubleReplacing, nullptr);
  for (char c : e->future) EXPECT_EQ(c, 0);

  EXPECT_EQ(instance.text(effGetEffectName), "Gyrelle v1.4");
  EXPECT_EQ(instance.text(effGetVendorString), "QuillfenSoundSoftware");
  EXPECT_EQ(instance.text(effGetProductString), GetParam().product);
  char buffer[64];
  EXPECT_EQ(instance.dispatch(effGetEffectName, 0, 0, buffer), 1);
  EXPECT_EQ(instance.dispatch(effGetVendorString, 0, 0, buffer), 1);
  EXPECT_EQ(instance.dispatch(effGetProductString, 0, 0, buffer), 1);
}

TEST_P(EachBuild, BothEntryNamesAreOneFunction) {
  LoadedPlugin plugin(GetParam().library);
  void* vstMain = dlsym(plugin.library(), "VSTPluginMain");
  void* plainMain = dlsym(plugin.library(), "main");
  ASSERT_NE(vstMain, nullptr);
  EXPECT_EQ(vstMain, plainMain);
}

TEST_P(EachBuild, EntryRefusesHostsWithoutVersionOrCallback) {
  LoadedPlugin plugin(GetParam().library);
  EXPECT_EQ(plugin.entry()(nullptr), nullptr);
  auto silentHost = [](AEffect*, int32_t, int32_t, intptr_t, void*, float) -> intptr_t { return 0; };
  EXPECT_EQ(plugin.entry()(silentHost), nullptr);
}

TEST_P(EachBuild, CloseAnswersOneAndSeveralInstancesLiveSideBySide) {
  Instance first(GetParam().library);
  Instance second(GetParam().library);
  ASSERT_TRUE(first.valid() && second.valid());
  EXPECT_NE(first.effect(), second.effect());
  first.setParameter(2, 0.1f);
  EXPECT_FLOAT_EQ(second.getParameter(2), 0.5f);
  EXPECT_EQ(first.close(), 1);
  EXPECT_FLOAT_EQ(second.getParameter(2), 0.5f);
}

INSTANTIATE_TEST_SUITE_P(Builds, EachBuild, ::testing::ValuesIn(kBuilds),
                         [](const auto& info) { return std::string(info.param.inputs == 1 ? "Mono" : "Stereo"); });

}  // namespace
