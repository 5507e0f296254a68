// The registry object's two rules about its one open key, which the scan and every move rely on.
#include "store/platform/Registry.h"
#include "tests/store/StartupPrefixTest.h"

namespace kestrun::test {
namespace {

constexpr const char* kProbeKey = "\\Software\\Kestrun Test\\Probe";

class RegistryAccessTest : public StartupPrefixTest {
 protected:
  void SetUp() override {
    StartupPrefixTest::SetUp();
    registry.SetRoot(kUser);
    ASSERT_TRUE(registry.OpenKey(kProbeKey, true));
    registry.WriteValue({"Marker", REG_SZ, std::string("x\0", 2)});
  }
  void TearDown() override {
    RegDeleteTreeA(kUser, "Software\\Kestrun Test");
    StartupPrefixTest::TearDown();
  }
  RegistryAccess registry{platform};
};

TEST_F(RegistryAccessTest, SettingTheSameRootKeepsTheKeyOpenAndAnotherClosesIt) {
  registry.SetRoot(kUser);
  EXPECT_TRUE(registry.ValueExists("Marker"));
  EXPECT_EQ(platform.Calls(Op::OpenKey), 1) << "the key was opened again";
  registry.SetRoot(kMachine);
  EXPECT_FALSE(registry.ValueExists("Marker"));
}

TEST_F(RegistryAccessTest, AFailedOpenKeepsThePreviousKey) {
  EXPECT_FALSE(registry.OpenKey("\\Software\\Kestrun Test\\Missing", false));
  EXPECT_TRUE(registry.ValueExists("Marker"));
  platform.Fail(Op::OpenKey, ERROR_ACCESS_DENIED);
  EXPECT_FALSE(registry.OpenKey("\\Software", false));
  EXPECT_FALSE(registry.OpenKey(kProbeKey, true));
  EXPECT_TRUE(registry.ValueExists("Marker"));
  EXPECT_EQ(registry.ReadString("Marker"), "x");
}

}  // namespace
}  // namespace kestrun::test
