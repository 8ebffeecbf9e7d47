// The in-memory registry's model of the merged classes root.
#include <gtest/gtest.h>

#include "platform/memory_registry.h"

namespace {

TEST(MemoryRegistry, UserClassesHideTheMachinesAndNamesFoldCase) {
  MemoryRegistry r;
  EXPECT_EQ(r.CreateKey(RegistryRoot::ClassesRoot, ".tvvi"), KeyStatus::Created);
  EXPECT_EQ(r.CreateKey(RegistryRoot::ClassesRoot, ".TVVI"), KeyStatus::Existed);
  EXPECT_TRUE(r.WriteString(RegistryRoot::ClassesRoot, ".tvvi", "", "machine"));
  EXPECT_FALSE(r.KeyExists(RegistryRoot::UserClasses, ".tvvi"));
  EXPECT_EQ(r.CreateKey(RegistryRoot::UserClasses, "Tz_auto\\shell\\open"), KeyStatus::Created);
  EXPECT_TRUE(r.KeyExists(RegistryRoot::ClassesRoot, "tz_auto\\SHELL"));  // parents made too

  EXPECT_TRUE(r.WriteString(RegistryRoot::UserClasses, ".tvvi", "", "user"));
  EXPECT_EQ(r.ReadString(RegistryRoot::ClassesRoot, ".tvvi", ""), "user");
  EXPECT_EQ(r.ReadString(RegistryRoot::ClassesRoot, ".tvvi", "missing"), std::nullopt);
  EXPECT_EQ(r.ReadString(RegistryRoot::ClassesRoot, ".none", ""), std::nullopt);

  r.DenyWrites(RegistryRoot::ClassesRoot);
  EXPECT_EQ(r.CreateKey(RegistryRoot::ClassesRoot, ".new"), KeyStatus::Failed);
  // A key the user has is written there, as the merged root does.
  EXPECT_TRUE(r.WriteString(RegistryRoot::ClassesRoot, ".tvvi", "", "user2"));
  EXPECT_EQ(r.ReadString(RegistryRoot::UserClasses, ".tvvi", ""), "user2");
}

}  // namespace
