// The in-memory registry's model of the merged classes root.
#include <gtest/gtest.h>

#include "platform/memory_registry.h"

namespace {

TEST(MemoryRegistry, UserClassesHideTheMachinesAndNamesFoldCase) {
  MemoryRegistry r;
  EXPECT_EQ(r.CreateKey(RegistryRoot::kClassesRoot, ".tvvi"), KeyStatus::kCreated);
  EXPECT_EQ(r.CreateKey(RegistryRoot::kClassesRoot, ".TVVI"), KeyStatus::kExisted);
  EXPECT_TRUE(r.WriteString(RegistryRoot::kClassesRoot, ".tvvi", "", "machine"));
  EXPECT_FALSE(r.KeyExists(RegistryRoot::kUserClasses, ".tvvi"));
  EXPECT_EQ(r.CreateKey(RegistryRoot::kUserClasses, "Tz_auto\\shell\\open"), KeyStatus::kCreated);
  EXPECT_TRUE(r.KeyExists(RegistryRoot::kClassesRoot, "tz_auto\\SHELL"));  // parents made too

  EXPECT_TRUE(r.WriteString(RegistryRoot::kUserClasses, ".tvvi", "", "user"));
  EXPECT_EQ(r.ReadString(RegistryRoot::kClassesRoot, ".tvvi", ""), "user");
  EXPECT_EQ(r.ReadString(RegistryRoot::kClassesRoot, ".tvvi", "missing"), std::nullopt);
  EXPECT_EQ(r.ReadString(RegistryRoot::kClassesRoot, ".none", ""), std::nullopt);

  r.DenyWrites(RegistryRoot::kClassesRoot);
  EXPECT_EQ(r.CreateKey(RegistryRoot::kClassesRoot, ".new"), KeyStatus::kFailed);
  // A key the user has is written there, as the merged root does.
  EXPECT_TRUE(r.WriteString(RegistryRoot::kClassesRoot, ".tvvi", "", "user2"));
  EXPECT_EQ(r.ReadString(RegistryRoot::kUserClasses, ".tvvi", ""), "user2");
}

}  // namespace
