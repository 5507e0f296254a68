#pragma once
// Starting a document or program through the shell from a window: never with an elevated Kestrun's
// rights, never "success" for a launch that failed, a file beside the program by its full path.
#include <string>

#include "gui/Form.h"
#include "store/platform/Platform.h"

namespace kestrun {

inline constexpr char kManualFile[] = "Kestrun.chm";

struct ShellLaunch {
  std::string file;  // a program, document or address
  std::string parameters;
  std::string folder;  // the working folder; "": the shell's choice
  int show = SW_SHOW;
  std::string place;  // where the user can open it himself, shown when an elevated Kestrun cannot
};

// An address shown maximized by program (or, with none, a "mailto:" link opened as it is); the user
// is shown the address should an elevated Kestrun be unable to open it.
ShellLaunch AddressLaunch(const std::string& program, const std::string& address);

// Opens through the shell; a failure is shown with the system's text. True on success.
// Elevated, it starts nothing with those rights: place is shown when the desktop's shell cannot start
// it for the user.
bool ShellOpenOrReport(gui::Form* owner, const ShellLaunch& launch, IPlatform& platform);

// Opens fileName, which lies beside the program, with viewer: by its full path and in the program's
// folder, whoever's shell starts it. A missing file is said, not handed to a viewer that fails quietly.
bool OpenBesideProgram(gui::Form* owner, const std::string& viewer, const std::string& fileName, IPlatform& platform);

}  // namespace kestrun
