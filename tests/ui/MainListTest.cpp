// The main list at scale, in the test's own prefix: 11,001 entries scanned into the row model, one
// mark changed by key, and Save Settings moves exactly that entry. A failure the scan reports from its
// worker thread is shown on the window's thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "store/Locations.h"
#include "tests/gui/Pump.h"
#include "tests/store/FaultyPlatform.h"
#include "tests/store/PrefixSeed.h"
#include "ui/Startupmain.h"

namespace kestrun {
namespace {

class MainList : public ::testing::Test {
 protected:
  void SetUp() override {
    test::DeleteStartupKeys();
    startup = test::ShellFolder(HKEY_CURRENT_USER, "Startup");
    test::MakeFolder(startup);
    test::EmptyFolder(startup);
  }
  void TearDown() override {
    test::DeleteStartupKeys();
    test::EmptyFolder(startup);
  }

  void Click(TForm1& main, gui::GraphicControl& control) {
    RECT r = main.Host().ClientRectOf(control);
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(main.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(main.Handle(), WM_LBUTTONUP, 0, at);
  }

  std::string startup;
};

TEST_F(MainList, ElevenThousandRowsOneMarkChangedSaveMovesExactlyThatEntry) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, test::VersionKey("Run").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr), ERROR_SUCCESS);
  char name[32], data[64];
  for (int i = 0; i < 11000; ++i) {
    std::snprintf(name, sizeof name, "Program %05d", i);
    const int size = std::snprintf(data, sizeof data, "C:\\Vendor %05d\\app.exe", i);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), static_cast<DWORD>(size + 1));
  }
  RegCloseKey(key);
  test::MakeFile(startup + "\\Notes.bat");

  TForm1 main(SystemPlatform());
  main.Show();  // the first activation scans
  test::WaitFor([&] { return main.Rows().size() == 11001u; });
  ASSERT_EQ(main.Rows().size(), 11001u);
  EXPECT_EQ(main.lvStartup.Count(), 11001);
  EXPECT_EQ(main.lvStartup.Text(11000), "Notes.bat");
  EXPECT_GT(main.lvStartup.ColumnWidth(1), main.lvStartup.ColumnWidth(0));

  main.lvStartup.Select(5000);
  main.lvStartup.Focus();
  PostMessageA(main.lvStartup.Handle(), WM_KEYDOWN, VK_SPACE, 1);
  test::WaitFor([&] { return !main.Rows()[5000].checked; });
  const std::string changed = main.Rows()[5000].name;
  ASSERT_FALSE(main.Rows()[5000].checked);

  Click(main, *main.bbtSaveSettings);
  test::WaitFor([&] { return main.Rows().back().name == changed; });
  EXPECT_EQ(test::ValueCount(HKEY_CURRENT_USER, test::VersionKey("Run-")), 1);
  EXPECT_TRUE(test::ReadRaw(HKEY_CURRENT_USER, test::VersionKey("Run-"), changed).has_value());
  EXPECT_EQ(test::ValueCount(HKEY_CURRENT_USER, test::VersionKey("Run")), 10999);
  EXPECT_TRUE(test::Exists(startup + "\\Notes.bat"));
  // Rescanned: the parked entry comes after every live one, unticked; the first row selected.
  ASSERT_EQ(main.Rows().size(), 11001u);
  EXPECT_EQ(main.Rows().back().name, changed);
  EXPECT_FALSE(main.Rows().back().checked);
  EXPECT_EQ(main.lvStartup.Count(), 11001);
  EXPECT_EQ(main.lvStartup.Selected(), 0);
  EXPECT_EQ(GetFocus(), main.lvStartup.Handle());
  EXPECT_FALSE(main.Busy());
}

// The first scan begins before the window is made, as the program begins it: what it met is kept and
// said once there is a window to say it in.
TEST_F(MainList, AFailureReportedFromTheScanIsShownOnTheWindowsThread) {
  test::SetString(HKEY_CURRENT_USER, test::VersionKey("Run"), "UserRun", "C:\\u.exe");
  const std::string parked = DisabledFolderOf(startup);
  test::RemoveTree(parked);
  test::FaultyPlatform platform;
  platform.Fail(test::Op::CreateFolder, ERROR_ACCESS_DENIED, parked);

  DWORD boxThread = 0;
  std::string caption;
  test::Steps steps({[&] {
    HWND box = GetActiveWindow();
    boxThread = GetWindowThreadProcessId(box, nullptr);
    if (gui::Form* form = gui::Form::FromHandle(box)) caption = form->Caption();
  }});
  TForm1 main(platform, std::make_unique<MainStore>(platform));
  main.Show();
  test::WaitFor([&] { return steps.Forced(); });
  EXPECT_EQ(caption, "Error");
  EXPECT_EQ(boxThread, GetCurrentThreadId());
  EXPECT_TRUE(steps.Forced());  // the box waited for its answer
  ASSERT_EQ(main.Rows().size(), 1u);
  EXPECT_EQ(main.lvStartup.Text(0), "UserRun");
}

}  // namespace
}  // namespace kestrun
