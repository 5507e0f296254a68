#include "ui/ShellLaunch.h"

#include "base/Texts.h"
#include "ui/Messageform.h"
#include "ui/SystemError.h"
#include "ui/TextIds.h"

namespace kestrun {

ShellLaunch AddressLaunch(const std::string& program, const std::string& address) {
  return {program, address, "", SW_SHOWMAXIMIZED, address.empty() ? program : address};
}

// Started from an elevated Kestrun, a browser or help viewer would run as administrator too: the
// desktop's shell starts it with the user's own rights, and where it cannot, the user is told where to go.
bool ShellOpenOrReport(gui::Form* owner, const ShellLaunch& launch, IPlatform& platform) {
  if (platform.IsElevated()) {
    if (platform.ShellOpenAsUser(launch.file, launch.parameters, launch.folder, launch.show) == ERROR_SUCCESS)
      return true;
    ShowMessageBox(owner, Text(IDS_ELEVATED_OPEN, {launch.place}), Text(IDS_INFORMATION), MessageButtons::Ok);
    return false;
  }
  const ErrorCode rc =
      platform.ShellOpen(owner ? owner->Handle() : nullptr, launch.file, launch.parameters, launch.folder, launch.show);
  if (rc != ERROR_SUCCESS) ShowSystemError(owner, rc, platform);
  return rc == ERROR_SUCCESS;
}

// The desktop's shell runs in a folder of its own, and Kestrun may be started from any: only the full
// path names the file wherever the viewer starts. The help viewer finds no file and still ends with
// success, so the file is looked for first.
bool OpenBesideProgram(gui::Form* owner, const std::string& viewer, const std::string& fileName, IPlatform& platform) {
  const std::string folder = platform.ProgramFolder();
  const std::string path = folder + "\\" + fileName;
  if (folder.empty() || !platform.FileExists(path)) {
    ShowMessageBox(owner, Text(IDS_NOT_BESIDE_PROGRAM, {fileName, folder}), Text(IDS_ERROR), MessageButtons::Ok);
    return false;
  }
  return ShellOpenOrReport(owner, {viewer, "\"" + path + "\"", folder, SW_SHOW, path}, platform);
}

}  // namespace kestrun
