// The create-entry dialog and the About box, shown for real under Wine and driven by posted input.
#include <gtest/gtest.h>
#include <windows.h>
#include <dlgs.h>

#include <memory>
#include <string>
#include <vector>

#include "store/Locations.h"
#include "tests/gui/Pump.h"
#include "tests/store/FaultyPlatform.h"
#include "tests/store/PrefixSeed.h"
#include "ui/Aboutform.h"
#include "ui/Createnewform.h"
#include "ui/MakerAddresses.h"
#include "ui/Messageform.h"
#include "ui/ShellLaunch.h"
#include "ui/SystemError.h"

namespace kestrun {
namespace {

using test::ShellFolder;
using test::SetShellFolder;

struct Box {
  std::string caption;
  std::string text;
  bool operator==(const Box&) const = default;
};

void PrintTo(const Box& box, std::ostream* out) { *out << "{" << box.caption << ", \"" << box.text << "\"}"; }

gui::FormLayout OwnerLayout() {
  gui::FormLayout layout;
  layout.caption = "Owner";
  layout.width = 449;
  layout.height = 375;
  layout.position = {239, 158};
  return layout;
}

using test::ClickOn;

void Key(gui::Form& form, WPARAM key) { PostMessageA(form.Handle(), WM_KEYDOWN, key, 1); }

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner.Show();
    startup = ShellFolder(HKEY_CURRENT_USER, "Startup");
    CreateDirectoryA(startup.c_str(), nullptr);
    DeleteFileA((startup + "\\Notes.lnk").c_str());
  }
  void TearDown() override { SetShellFolder(HKEY_CURRENT_USER, "Startup", startup); }

  // Runs the steps while form is shown modally; returns its modal result.
  int Run(gui::Form& form, std::vector<std::function<void()>> steps) {
    test::Steps run(std::move(steps));
    const int result = form.ShowModal();
    EXPECT_FALSE(run.Forced()) << "the window had to be closed by force";
    return result;
  }
  // A step: notes the message box that is up and presses its OK.
  std::function<void()> Answer() {
    return [this] {
      auto* box = dynamic_cast<TfmMessageBox*>(gui::Form::FromHandle(GetActiveWindow()));
      if (!box) return boxes.push_back({"(no box)", ""});
      boxes.push_back({box->Caption(), box->lMessage->Text()});
      ClickOn(*box, *box->bbtOk);
    };
  }

  gui::Form owner{OwnerLayout(), nullptr};
  std::string startup;
  std::vector<Box> boxes;
};

class CreateDialogTest : public DialogTest {
 protected:
  void Fill(const std::string& file, const std::string& name) {
    dialog.edFileName.SetText(file);
    dialog.edDisplayName.SetText(name);
  }
  std::function<void()> Create() {
    return [this] { ClickOn(dialog, *dialog.bbtCreate); };
  }
  // A step: the dialog is still open with the focus in field, and then Escape closes it.
  std::function<void()> StillOpenWithFocusIn(const gui::Edit& field) {
    return [this, &field] {
      EXPECT_TRUE(dialog.Visible());
      EXPECT_EQ(GetFocus(), field.Handle());
      Key(dialog, VK_ESCAPE);
    };
  }

  const std::string notepad = "C:\\windows\\notepad.exe";
  MessageBoxReport report{&owner};
  StartupStore store{SystemPlatform(), report};
  TfmStartupCreateDialog dialog{&owner, SystemPlatform(), store};
};

// Each refusal says why in a box and leaves the dialog open, the focus in the field to mend, no link
// written. A Startup folder that is no full path is nobody's typing error: no link may land in the
// current directory or the root of the drive.
TEST_F(CreateDialogTest, RefusalsAreSaidAndTheDialogStaysWithTheFocusOnTheCulprit) {
  struct Case {
    std::string file, name, startupFolder;  // startupFolder empty: the prefix's own
    Box box;                                // its text as far as given
    gui::Edit TfmStartupCreateDialog::*field;
  };
  const std::string fileNotFound = "File not found.\nPlease verify the correct path\nand filename was given.";
  const std::vector<Case> cases{
      {"", "", "", {"WARNING", "\n" + fileNotFound}, &TfmStartupCreateDialog::edFileName},
      {"C:\\nowhere\\tool.exe", "Tool", "", {"WARNING", "\nC:\\nowhere\\tool.exe" + fileNotFound},
       &TfmStartupCreateDialog::edFileName},
      {notepad, "", "", {"WARNING", "\n\nNo display name was given.\nPlease give one."},
       &TfmStartupCreateDialog::edDisplayName},
      {notepad, std::string(300, 'n'), "", {"WARNING", "\n\nThe shortcut's path would be too long"},
       &TfmStartupCreateDialog::edDisplayName},
      {notepad, "Lost", "relstart", {"Error", "\n\nThe Startup folder is not known"},
       &TfmStartupCreateDialog::edFileName},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.box.text);
    SetShellFolder(HKEY_CURRENT_USER, "Startup", c.startupFolder.empty() ? startup : c.startupFolder);
    boxes.clear();
    Fill(c.file, c.name);
    Run(dialog, {Create(), Answer(), StillOpenWithFocusIn(dialog.*c.field)});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, c.box.caption);
    EXPECT_EQ(boxes[0].text.substr(0, c.box.text.size()), c.box.text);
    for (const std::string& folder : {startup, std::string("relstart"), std::string("C:")})
      EXPECT_EQ(GetFileAttributesA((folder + "\\" + c.name + ".lnk").c_str()), INVALID_FILE_ATTRIBUTES) << folder;
  }
}

TEST_F(CreateDialogTest, WrittenShortcutClosesTheDialogWithEmptyFields) {
  Fill(notepad, "Notes");
  EXPECT_EQ(Run(dialog, {Create(), Answer()}), 2);
  EXPECT_TRUE(boxes.empty());  // the dialog closed before a box could be answered
  EXPECT_NE(GetFileAttributesA((startup + "\\Notes.lnk").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(dialog.edFileName.Text(), "");
  EXPECT_EQ(dialog.edDisplayName.Text(), "");
}

// The writer's failure is shown with what failed and the system's text; the dialog stays open as the
// user left it.
TEST_F(CreateDialogTest, ShortcutThatCannotBeWrittenIsReportedAndTheDialogStays) {
  // Missing, but where the user's Startup folder may lie: a place outside the profile is refused sooner.
  SetShellFolder(HKEY_CURRENT_USER, "Startup", SystemPlatform().UserProfile() + "\\no\\such\\folder");
  Fill(notepad, "Notes");
  Run(dialog, {Create(), Answer(), [this] {
                 Fill(notepad, "bad:name");
                 ClickOn(dialog, *dialog.bbtCreate);
               },
               Answer(), [this] { EXPECT_EQ(dialog.edDisplayName.Text(), "bad:name"); },
               StillOpenWithFocusIn(dialog.edFileName)});
  const std::string& text = SystemPlatform().SystemErrorText(ERROR_FILE_NOT_FOUND);
  const auto said = [](const std::string& why) {
    return Box{"Error", "\n" + WrappedForMessageBox("The shortcut was not written: " + why)};
  };
  EXPECT_EQ(boxes, (std::vector<Box>{said(text), said(SystemPlatform().SystemErrorText(ERROR_INVALID_NAME))}));
}

TEST_F(CreateDialogTest, EnterPressesNothingAndEscapeEmptiesTheFields) {
  Fill(notepad, "Notes");
  Run(dialog, {[this] { Key(dialog, VK_RETURN); }, Answer(),
               [this] {
                 EXPECT_TRUE(dialog.Visible());
                 Key(dialog, VK_ESCAPE);
               }});
  EXPECT_EQ(boxes, (std::vector<Box>{{"(no box)", ""}}));
  EXPECT_EQ(dialog.edFileName.Text(), "");
  EXPECT_EQ(GetFileAttributesA((startup + "\\Notes.lnk").c_str()), INVALID_FILE_ATTRIBUTES);
}

// The platform's open-file dialog, answered by typing a name into it: both fields are filled.
TEST_F(CreateDialogTest, BrowseFillsTheFileNameAndProposesADisplayName) {
  CreateDirectoryA("C:\\Tools", nullptr);
  CloseHandle(CreateFileA("C:\\Tools\\tool.exe", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  Fill("", "typed before");
  std::string file, name;
  Run(dialog, {[this] { ClickOn(dialog, *dialog.bbtBrowse); },
               [] {
                 HWND open = FindWindowA("#32770", nullptr);
                 ASSERT_NE(open, nullptr);
                 SetDlgItemTextA(open, cmb13, "C:\\Tools\\tool.exe");
                 PostMessageA(open, WM_COMMAND, IDOK, 0);
               },
               [&] {
                 file = dialog.edFileName.Text();
                 name = dialog.edDisplayName.Text();
                 Key(dialog, VK_ESCAPE);
               }});
  EXPECT_EQ(file, "C:\\Tools\\tool.exe");
  EXPECT_EQ(name, "tool");
}

class AboutTest : public DialogTest {
 protected:
  test::FaultyPlatform platform;
  TfmAbout about{&owner, platform};
};

TEST_F(AboutTest, CentredOverTheMainWindowEnterAndEscapeCloseItAndItCanBeShownAgain) {
  RECT rect{};
  EXPECT_EQ(Run(about, {[&] {
              GetWindowRect(about.Handle(), &rect);
              Key(about, VK_ESCAPE);
            }}),
            2);
  EXPECT_EQ(std::pair(rect.left, rect.top), std::pair(239L + (449 - 384) / 2, 158L + (375 - 200) / 2));
  EXPECT_FALSE(about.Visible());
  EXPECT_EQ(Run(about, {[this] { Key(about, VK_RETURN); }}), 2);
}

// A link opens through the platform the box was given; a launch that fails is said, and the box stays.
TEST_F(AboutTest, LinkWhoseLaunchFailsShowsTheSystemText) {
  platform.Fail(test::Op::ShellOpen, ERROR_FILE_NOT_FOUND, "iexplore");
  Run(about, {[this] { ClickOn(about, *about.Image2); }, Answer(), [this] {
                EXPECT_TRUE(about.Visible());
                Key(about, VK_ESCAPE);
              }});
  EXPECT_EQ(platform.Calls(test::Op::ShellOpen, "iexplore"), 1);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_EQ(boxes[0].text, "\n" + SystemPlatform().SystemErrorText(ERROR_FILE_NOT_FOUND));
}

// Elevated, a link never starts with the box's rights: the desktop's shell starts it for the user, and
// where it cannot, the address is shown instead. A journal warning names the journal's folder.
TEST_F(AboutTest, ElevatedLinkStartsOnlyWithTheUsersRightsAndJournalWarningNamesItsFolder) {
  platform.elevated = true;
  platform.Fail(test::Op::ShellOpenAsUser, static_cast<ErrorCode>(E_FAIL), "iexplore");
  Run(about, {[this] { ClickOn(about, *about.Image2); }, Answer(), [this] { Key(about, VK_ESCAPE); }});
  EXPECT_EQ(platform.Calls(test::Op::ShellOpen), 0);
  EXPECT_EQ(platform.Calls(test::Op::ShellOpenAsUser, "iexplore"), 1);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find(kWebSite), std::string::npos) << boxes[0].text;
  EXPECT_NE(JournalWarningText("C:\\journal here", "denied").find("\nC:\\journal here\n"), std::string::npos);
}

// The manual is started by its full path, in the program's folder, elevated or not: the desktop's shell
// and a shortcut each start in a folder of their own. One that is not there is said, and nothing starts.
TEST_F(AboutTest, ManualOpensByItsFullPathInTheProgramsFolderOrIsSaidToBeMissing) {
  char temp[MAX_PATH] = "";
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "Kestrun manual test", manual = folder + "\\Kestrun.chm";
  CreateDirectoryA(folder.c_str(), nullptr);
  CloseHandle(CreateFileA(manual.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  platform.programFolder = folder;
  platform.Fail(test::Op::ShellOpenAsUser, static_cast<ErrorCode>(E_FAIL)).Fail(test::Op::ShellOpen, ERROR_BAD_FORMAT);
  auto open = [this] { OpenBesideProgram(&about, "hh", kManualFile, platform); };
  const std::string launch = "hh \"" + manual + "\" in " + folder;
  for (const bool elevated : {true, false}) {
    platform.elevated = elevated;
    Run(about, {open, Answer(), [this] { Key(about, VK_ESCAPE); }});
  }
  EXPECT_EQ(platform.Calls(test::Op::ShellOpenAsUser, launch), 1);
  EXPECT_EQ(platform.Calls(test::Op::ShellOpen, launch), 1);
  DeleteFileA(manual.c_str());
  RemoveDirectoryA(folder.c_str());
  Run(about, {open, Answer(), [this] { Key(about, VK_ESCAPE); }});
  EXPECT_EQ(platform.Calls(test::Op::ShellOpen) + platform.Calls(test::Op::ShellOpenAsUser), 2);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_NE(boxes[0].text.find(manual), std::string::npos) << boxes[0].text;
  EXPECT_EQ(boxes[1], (Box{"Error", "\n" + SystemPlatform().SystemErrorText(ERROR_BAD_FORMAT)}));
  EXPECT_EQ(boxes[2], (Box{"Error", "\n\nKestrun.chm cannot be found.\nIt belongs beside Kestrun.exe, in\n" + folder}));
}

}  // namespace
}  // namespace kestrun
