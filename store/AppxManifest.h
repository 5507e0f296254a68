#pragma once
// A packaged app's manifest (AppxManifest.xml) as far as its startup tasks go, gathered from the nodes
// the system's XML reader gives: this unit never sees the file or the reader.
#include <string>
#include <vector>

#include "store/platform/Platform.h"

namespace kestrun {

struct ManifestTask {
  std::string taskId;
  std::string displayName;  // as declared: a name, an "ms-resource:" reference, or ""
  std::string executable;   // in the package's folder: the extension's own, else its application's
  bool enabled = false;     // what Windows does while the user has not switched the task
};

struct AppxManifest {
  std::string identityName;  // Identity/@Name
  std::string displayName;   // Properties/DisplayName
  std::vector<ManifestTask> tasks;
};

// Takes the reader's nodes one at a time (IPlatform::ParseXml's visitor).
class ManifestReader {
 public:
  void Visit(const XmlNode& node);
  [[nodiscard]] const AppxManifest& Manifest() const { return manifest_; }

 private:
  struct Open {
    std::string name;
    std::string executable;  // inherited down from the application, or the extension's own
    bool startupExtension = false;
  };
  void Begin(const XmlNode& node);

  std::vector<Open> open_;
  AppxManifest manifest_;
};

// "Name_Version_Arch_ResourceId_PublisherId" gives "Name_PublisherId"; "" for a name of another shape.
std::string FamilyNameOf(const std::string& fullName);
bool IsResourceReference(const std::string& text);
// What an "ms-resource:" reference of the package names: "ms-resource:Key" a string of its Resources,
// "ms-resource:Path/Key" and "ms-resource:/Path/Key" a path in its own resources, "ms-resource://..."
// itself.
std::string ResourceUri(const std::string& reference, const std::string& packageName);

}  // namespace kestrun
