// The main list's info tips, asked for the way the list asks (LVN_GETINFOTIP to the window), with
// what each row runs as the worker finds it; rows whose file is missing drawn grey.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include <windows.h>
#include <commctrl.h>

#include "tests/gui/Pump.h"
#include "store/platform/Win32Platform.h"
#include "tests/store/PrefixSeed.h"
#include "ui/Startupmain.h"

namespace kestrun {
namespace {

using test::ApprovedKey;
using test::SetString;
using test::Version32Key;
using test::VersionKey;

constexpr const char* kPackageFolder = "C:\\kestrun-tip-package";

// The program running the test stands for an unsigned file with a company, notepad for a signed one.
class PublisherPlatform : public Win32Platform {
 public:
  ErrorCode ReadCompanyName(const std::string& path, std::string& company) override {
    if (path != Self()) return ERROR_RESOURCE_TYPE_NOT_FOUND;
    company = "Kestrel Test Works";
    return ERROR_SUCCESS;
  }
  SignatureCheck CheckFileSignature(const std::string& path) override {
    if (path == Signed()) return {S_OK, S_OK, "Microsoft Windows"};
    return {};
  }
  SignatureCheck CheckCatalogSignature(const std::string&) override { return {}; }
  static std::string Self() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
  }
  static std::string Signed() { return "C:\\windows\\notepad.exe"; }
};

class EntryTipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::DeleteStartupKeys();
    const std::tuple<HKEY, std::string, const char*, const char*> values[]{
        {HKEY_LOCAL_MACHINE, Version32Key("Run"), "Thirty-two", "C:\\x86\\tool.exe /tray"},
        {HKEY_CURRENT_USER, VersionKey("RunOnce"), "Once", "!C:\\setup.exe /finish"},
        {HKEY_LOCAL_MACHINE, VersionKey("RunOnce-"), "Machine once", "C:\\m.exe"},
        {HKEY_CURRENT_USER, VersionKey("Run"), "Switched off", "C:\\off.exe"}};
    for (const auto& [hive, key, name, command] : values) SetString(hive, key, name, command);
    const char off[12] = {3};
    test::SetRaw(HKEY_CURRENT_USER, ApprovedKey("Run"), "Switched off", REG_BINARY, off, sizeof off);
    SetString(HKEY_CURRENT_USER, VersionKey("Run"), "Present", '"' + PublisherPlatform::Self() + "\" -q");
    SetString(HKEY_CURRENT_USER, VersionKey("Run"), "Bare", "notepad.exe C:\\x.txt");
    // A packaged app's task the user switched off.
    test::AddPackage(kPackageFolder, "Chat_1_x64__p", test::OneTaskManifest("T", "Chat"));
    test::SetDword(HKEY_CURRENT_USER, std::string(test::kAppModelKey) + "\\SystemAppData\\Chat_p\\T", "State", 1);
    test::MakeFolder(kTaskFolder);
    test::MakeFile(std::string(kTaskFolder) + "\\Agent", FILE_ATTRIBUTE_NORMAL,
                   "<Task><Triggers><LogonTrigger/></Triggers><Settings><Enabled>false</Enabled></Settings>"
                   "<Actions><Exec><Command>C:\\agent.exe</Command><Arguments>/q</Arguments></Exec></Actions></Task>");
    main_.emplace(platform_);
    main_->Show();
    // The facts come from a worker, while the window answers.
    auto known = [this] {
      for (int row = 0; row < main_->lvStartup.Count(); ++row)
        if (AskedTip(row).find("\r\nRuns ") == std::string::npos) return false;
      return true;
    };
    test::WaitFor(known, 30000);
  }
  void TearDown() override {
    test::DeleteStartupKeys();
    test::RemoveTree(kPackageFolder);
    test::RemoveTree(kTaskFolder);
  }
  static constexpr const char* kTaskFolder = "C:\\windows\\system32\\tasks\\Kestrun Tip";

  // What the window answers when the list asks for row's tip: in ANSI, or in UTF-16 as Wine's list
  // asks whatever the window takes.
  template <typename Info, typename Char>
  std::basic_string<Char> Asked(int row, UINT code) {
    Char buffer[INFOTIPSIZE] = {'?'};
    Info info{};
    info.hdr.hwndFrom = main_->lvStartup.Handle();
    info.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(main_->lvStartup.Handle()));
    info.hdr.code = code;
    info.pszText = buffer;
    info.cchTextMax = INFOTIPSIZE;
    info.iItem = row;
    SendMessageA(main_->Handle(), WM_NOTIFY, info.hdr.idFrom, reinterpret_cast<LPARAM>(&info));
    return buffer;
  }
  std::string AskedTip(int row) { return Asked<NMLVGETINFOTIPA, char>(row, LVN_GETINFOTIPA); }
  int RowNamed(const std::string& name) {
    for (int i = 0; i < main_->lvStartup.Count(); ++i)
      if (main_->lvStartup.Text(i) == name) return i;
    return -1;
  }

  // The colour the list would draw row's text in: unchanged unless the window says otherwise.
  COLORREF DrawnText(int row) {
    NMLVCUSTOMDRAW draw{};
    draw.nmcd.hdr = {main_->lvStartup.Handle(), static_cast<UINT_PTR>(GetDlgCtrlID(main_->lvStartup.Handle())),
                     static_cast<UINT>(NM_CUSTOMDRAW)};
    draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    draw.nmcd.dwItemSpec = static_cast<DWORD_PTR>(row);
    draw.clrText = CLR_DEFAULT;
    SendMessageA(main_->Handle(), WM_NOTIFY, draw.nmcd.hdr.idFrom, reinterpret_cast<LPARAM>(&draw));
    return draw.clrText;
  }

  PublisherPlatform platform_;
  std::optional<TForm1> main_;  // made once the machine is seeded: its first scan begins with it
};

TEST_F(EntryTipTest, EveryRowSaysWhereItLiesAndWhyItIsUnticked) {
  ASSERT_NE(ListView_GetExtendedListViewStyle(main_->lvStartup.Handle()) & LVS_EX_INFOTIP, 0u);
  const std::string missing = "\r\nFile not found";
  EXPECT_EQ(AskedTip(RowNamed("Thirty-two")),
            "HKLM Run (32-bit)\r\nC:\\x86\\tool.exe /tray\r\nRuns C:\\x86\\tool.exe" + missing);
  EXPECT_EQ(AskedTip(RowNamed("Once")), "HKCU RunOnce\r\n!C:\\setup.exe /finish\r\nRuns C:\\setup.exe" + missing);
  EXPECT_EQ(AskedTip(RowNamed("Machine once")),
            "HKLM RunOnce, disabled (parked by Kestrun)\r\nC:\\m.exe\r\nRuns C:\\m.exe" + missing);
  const int off = RowNamed("Switched off");
  EXPECT_FALSE(main_->lvStartup.Checked(off));
  EXPECT_EQ(AskedTip(off), "HKCU Run\r\nC:\\off.exe\r\nSwitched off in Windows' startup settings (StartupApproved)"
                           "\r\nRuns C:\\off.exe" + missing);
  // Switched off where it lies, with no parking place: the tip names its package instead.
  const int chat = RowNamed("Chat");
  EXPECT_FALSE(main_->lvStartup.Checked(chat));
  EXPECT_EQ(AskedTip(chat), "Packaged Apps\r\nC:\\kestrun-tip-package\\chat.exe\r\nPackage Chat_1_x64__p\r\n"
                            "Runs C:\\kestrun-tip-package\\chat.exe" + missing);
  const int task = RowNamed("\\Kestrun Tip\\Agent");
  EXPECT_FALSE(main_->lvStartup.Checked(task));
  EXPECT_EQ(AskedTip(task), "Scheduled task \\Kestrun Tip\\Agent, disabled in Task Scheduler\r\nC:\\agent.exe /q"
                            "\r\nRuns C:\\agent.exe" + missing);
  EXPECT_EQ(AskedTip(main_->lvStartup.Count()), "?");
  EXPECT_EQ((Asked<NMLVGETINFOTIPW, wchar_t>(RowNamed("Machine once"), LVN_GETINFOTIPW)),
            L"HKLM RunOnce, disabled (parked by Kestrun)\r\nC:\\m.exe\r\nRuns C:\\m.exe\r\nFile not found");
}

TEST_F(EntryTipTest, ThePresentFileItsMakerAndSignatureAndMissingOnesGrey) {
  const std::string self = PublisherPlatform::Self();
  EXPECT_EQ(AskedTip(RowNamed("Present")),
            "HKCU Run\r\n\"" + self + "\" -q\r\nRuns " + self + "\r\nCompany: Kestrel Test Works\r\nNot signed");
  EXPECT_EQ(AskedTip(RowNamed("Bare")), "HKCU Run\r\nnotepad.exe C:\\x.txt\r\nRuns " + PublisherPlatform::Signed() +
                                           "\r\nSigned by Microsoft Windows");
  EXPECT_EQ(DrawnText(RowNamed("Thirty-two")), GetSysColor(COLOR_GRAYTEXT));
  EXPECT_EQ(DrawnText(RowNamed("Present")), CLR_DEFAULT);
  EXPECT_EQ(DrawnText(RowNamed("Bare")), CLR_DEFAULT);
}

}  // namespace
}  // namespace kestrun
