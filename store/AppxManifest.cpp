// Startup tasks as packages declare them: Application/Extensions/Extension[@Category="windows.startupTask"]
// holding a StartupTask of the desktop or the uap5 namespace.
#include "store/AppxManifest.h"

#include <algorithm>
#include <array>

namespace kestrun {
namespace {

constexpr const char* kStartupCategory = "windows.startupTask";
constexpr const char* kResourceScheme = "ms-resource:";
constexpr std::array<const char*, 2> kTaskSpaces{"http://schemas.microsoft.com/appx/manifest/desktop/windows10",
                                                 "http://schemas.microsoft.com/appx/manifest/uap/windows10/5"};

std::string Attribute(const XmlNode& node, const char* name) {
  for (const auto& [key, value] : node.attributes)
    if (key == name) return value;
  return {};
}

// xs:boolean, blanks around it allowed.
bool IsTrue(std::string text) {
  const size_t start = text.find_first_not_of(" \t\r\n");
  text = start == std::string::npos ? std::string() : text.substr(start, text.find_last_not_of(" \t\r\n") + 1 - start);
  return text == "true" || text == "1";
}

// A task id becomes the name of a registry key: a backslash would lead into another.
bool IsKeyName(const std::string& name) {
  return !name.empty() && name.size() <= 255 && name.find('\\') == std::string::npos &&
         std::none_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
}

}  // namespace

void ManifestReader::Begin(const XmlNode& node) {
  const size_t depth = open_.size();
  Open element{node.name, depth ? open_.back().executable : std::string(), false};
  const auto parentIs = [&](const char* name) { return depth >= 1 && open_[depth - 1].name == name; };
  // The manifest's own XML names, never words for a person.
  if (node.name == "Identity" && depth == 1)  // untranslated: XML names
    manifest_.identityName = Attribute(node, "Name");  // untranslated: XML names
  const bool application = node.name == "Application" && parentIs("Applications");  // untranslated: XML names
  const bool extension = node.name == "Extension" && parentIs("Extensions");  // untranslated: XML names
  if (application || (extension && depth >= 2 && open_[depth - 2].name == "Application")) {  // untranslated: XML
    if (std::string own = Attribute(node, "Executable"); !own.empty()) element.executable = own;  // untranslated: XML
    element.startupExtension = extension && Attribute(node, "Category") == kStartupCategory;  // untranslated: XML
  }
  const bool taskSpace = std::find(kTaskSpaces.begin(), kTaskSpaces.end(), node.space) != kTaskSpaces.end();
  if (node.name == "StartupTask" && taskSpace && depth && open_.back().startupExtension) {
    ManifestTask task{Attribute(node, "TaskId"), Attribute(node, "DisplayName"), element.executable,
                      IsTrue(Attribute(node, "Enabled"))};  // untranslated: XML names
    if (IsKeyName(task.taskId)) manifest_.tasks.push_back(std::move(task));
  }
  open_.push_back(std::move(element));
}

void ManifestReader::Visit(const XmlNode& node) {
  switch (node.kind) {
    case XmlNode::Kind::Element: Begin(node); break;
    case XmlNode::Kind::EndElement:
      if (!open_.empty()) open_.pop_back();
      break;
    case XmlNode::Kind::Text:
      if (open_.size() == 3 && open_[1].name == "Properties" && open_[2].name == "DisplayName")  // untranslated: XML
        manifest_.displayName += node.text;
      break;
  }
}

std::string FamilyNameOf(const std::string& fullName) {
  std::vector<std::string> parts;
  for (size_t start = 0;;) {
    const size_t end = fullName.find('_', start);
    parts.push_back(fullName.substr(start, end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  if (parts.size() != 5 || parts[0].empty() || parts[4].empty()) return {};
  return parts[0] + "_" + parts[4];
}

bool IsResourceReference(const std::string& text) {
  const std::string scheme = kResourceScheme;
  return text.size() >= scheme.size() && std::equal(scheme.begin(), scheme.end(), text.begin(), [](char a, char b) {
           return a == (b >= 'A' && b <= 'Z' ? static_cast<char>(b - 'A' + 'a') : b);
         });
}

std::string ResourceUri(const std::string& reference, const std::string& packageName) {
  const std::string rest = reference.substr(std::string(kResourceScheme).size());
  const std::string root = std::string(kResourceScheme) + "//" + packageName;
  if (rest.rfind("//", 0) == 0) return kResourceScheme + rest;
  if (rest.rfind('/', 0) == 0) return root + rest;
  return root + (rest.find('/') == std::string::npos ? "/Resources/" : "/") + rest;
}

}  // namespace kestrun
