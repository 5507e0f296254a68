// The main list's info tips, asked for the way the list asks (LVN_GETINFOTIP to the window).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "tests/gui/Pump.h"
#include "tests/store/PrefixSeed.h"
#include "ui/Startupmain.h"

namespace kestrun {
namespace {

using test::ApprovedKey;
using test::SetString;
using test::Version32Key;
using test::VersionKey;

class EntryTipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::DeleteStartupKeys();
    SetString(HKEY_LOCAL_MACHINE, Version32Key("Run"), "Thirty-two", "C:\\x86\\tool.exe /tray");
    SetString(HKEY_CURRENT_USER, VersionKey("RunOnce"), "Once", "!C:\\setup.exe /finish");
    SetString(HKEY_LOCAL_MACHINE, VersionKey("RunOnce-"), "Machine once", "C:\\m.exe");
    SetString(HKEY_CURRENT_USER, VersionKey("Run"), "Switched off", "C:\\off.exe");
    const char off[12] = {3};
    test::SetRaw(HKEY_CURRENT_USER, ApprovedKey("Run"), "Switched off", REG_BINARY, off, sizeof off);
    main_.Show();
    test::Pump(300);
  }
  void TearDown() override { test::DeleteStartupKeys(); }

  // What the window answers when the list asks for row's tip: in ANSI, or in UTF-16 as Wine's list
  // asks whatever the window takes.
  template <typename Info, typename Char>
  std::basic_string<Char> Asked(int row, UINT code) {
    Char buffer[INFOTIPSIZE] = {'?'};
    Info info{};
    info.hdr.hwndFrom = main_.lvStartup.Handle();
    info.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(main_.lvStartup.Handle()));
    info.hdr.code = code;
    info.pszText = buffer;
    info.cchTextMax = INFOTIPSIZE;
    info.iItem = row;
    SendMessageA(main_.Handle(), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
    return buffer;
  }
  std::string AskedTip(int row) { return Asked<NMLVGETINFOTIPA, char>(row, LVN_GETINFOTIPA); }
  int RowNamed(const std::string& name) {
    for (int i = 0; i < main_.lvStartup.Count(); ++i)
      if (main_.lvStartup.Text(i) == name) return i;
    return -1;
  }

  TForm1 main_{SystemPlatform()};
};

TEST_F(EntryTipTest, EveryRowSaysWhereItLiesAndWhyItIsUnticked) {
  ASSERT_NE(ListView_GetExtendedListViewStyle(main_.lvStartup.Handle()) & LVS_EX_INFOTIP, 0u);
  EXPECT_EQ(AskedTip(RowNamed("Thirty-two")), "HKLM Run (32-bit)\r\nC:\\x86\\tool.exe /tray");
  EXPECT_EQ(AskedTip(RowNamed("Once")), "HKCU RunOnce\r\n!C:\\setup.exe /finish");
  EXPECT_EQ(AskedTip(RowNamed("Machine once")), "HKLM RunOnce, disabled (parked by Kestrun)\r\nC:\\m.exe");
  const int off = RowNamed("Switched off");
  EXPECT_FALSE(main_.lvStartup.Checked(off));
  EXPECT_EQ(AskedTip(off), "HKCU Run\r\nC:\\off.exe\r\nSwitched off in Windows' startup settings (StartupApproved)");
  EXPECT_EQ(AskedTip(main_.lvStartup.Count()), "?");
  EXPECT_EQ((Asked<NMLVGETINFOTIPW, wchar_t>(RowNamed("Thirty-two"), LVN_GETINFOTIPW)),
            L"HKLM Run (32-bit)\r\nC:\\x86\\tool.exe /tray");
}

}  // namespace
}  // namespace kestrun
