#pragma once
// IPlatform over the real Win32 registry, file system and shell.
#include "store/platform/Platform.h"

namespace kestrun {

class Win32Platform : public IPlatform {
 public:
  // concurrency: see IPlatform::Concurrency, and as many threads read a large key's values. One by
  // default, for the tests' platforms that count or break calls; the machine's own platform takes several.
  explicit Win32Platform(unsigned concurrency = 1) : concurrency_(concurrency) {}

  ErrorCode OpenKey(HKEY root, RegistryView view, const std::string& path, bool create, KeyAccess access,
                    UniqueKey& key) override;
  ErrorCode EnumValues(HKEY key, std::vector<RegValue>& values) override;
  ErrorCode QueryValue(HKEY key, const std::string& name, RegValue& value) override;
  ErrorCode SetValue(HKEY key, const std::string& name, DWORD type, const std::string& data) override;
  ErrorCode DeleteValue(HKEY key, const std::string& name) override;
  ErrorCode EnumSubKeys(HKEY key, std::vector<std::string>& names) override;
  ErrorCode DeleteKey(HKEY root, RegistryView view, const std::string& path) override;

  ErrorCode ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override;
  bool FileExists(const std::string& name) override;
  std::string FullPathOf(const std::string& name) override;
  std::string SpelledPath(const std::string& path) override;
  ErrorCode FileDelete(const std::string& path) override;
  ErrorCode ReadFileData(const std::string& path, std::string& data) override;
  ErrorCode ReadSmallFile(const std::string& path, std::uint64_t limit, std::string& data) override;
  ErrorCode ReadSmallFileAt(HANDLE folder, const std::string& name, std::uint64_t limit, std::string& data) override;
  ErrorCode AppendFile(const std::string& path, const std::string& bytes) override;
  ErrorCode FileSize(const std::string& path, std::uint64_t& size) override;
  ErrorCode FileAttributesOf(const std::string& path, DWORD& attributes) override;
  ErrorCode FileStamp(const std::string& path, std::uint64_t& size, std::uint64_t& written) override;
  ErrorCode OpenAt(HANDLE folder, const std::string& name, FileOpen how, UniqueFile& file,
                   const std::string& sddl = {}) override;
  ErrorCode FileFactsOf(HANDLE file, FileFacts& facts) override;
  ErrorCode ReadAt(HANDLE file, std::uint64_t offset, std::size_t count, std::string& data) override;
  ErrorCode WriteAt(HANDLE file, std::uint64_t offset, const std::string& bytes) override;
  ErrorCode SetFileFacts(HANDLE file, DWORD attributes, std::uint64_t written) override;
  ErrorCode RenameAt(HANDLE file, HANDLE folder, const std::string& name, bool replace) override;
  ErrorCode DeleteOpen(HANDLE file) override;
  ErrorCode LockOpen(HANDLE file) override;
  ErrorCode SecurityOf(HANDLE folder, std::string& sddl) override;
  std::string UserProfile() override;
  std::string LocalAppData() override;
  std::string ProgramData() override;
  bool KeepsFileSecurity() override;
  std::string ExpandEnvironment(const std::string& text) override;
  std::string ProgramFolder() override;

  ErrorCode ShellOpen(HWND owner, const std::string& file, const std::string& parameters,
                      const std::string& folder, int show) override;
  bool IsElevated() override;
  ErrorCode ShellOpenAsUser(const std::string& file, const std::string& parameters, const std::string& folder,
                            int show) override;
  HRESULT CreateLink(const std::string& target, const std::string& link,
                         const std::string& description, const std::string& workingDir) override;
  HRESULT LinkBytes(const std::string& target, const std::string& description, const std::string& workingDir,
                    std::string& bytes) override;

  HRESULT ReadShellLink(const std::string& link, std::string& target, std::string& arguments) override;
  ErrorCode ReadLinkFile(const std::string& link, std::size_t limit, std::string& bytes) override;
  ErrorCode ReadCompanyName(const std::string& path, std::string& company) override;
  SignatureCheck CheckFileSignature(const std::string& path) override;
  SignatureCheck CheckCatalogSignature(const std::string& path) override;

  bool HighContrast() override;
  HRESULT ParseXml(const std::string& bytes, unsigned maxDepth,
                   const std::function<void(const XmlNode&)>& visit) override;
  HRESULT LoadIndirectString(const std::string& source, std::string& text) override;
  UserIdentity CurrentUser() override;

  HRESULT ListScheduledTasks(std::vector<TaskDocument>& tasks) override;
  HRESULT ScheduledTaskEnabled(const std::string& path, bool& enabled) override;
  HRESULT EnableScheduledTask(const std::string& path, bool enabled) override;

  std::string SystemErrorText(ErrorCode code) override;
  unsigned Concurrency() override { return concurrency_; }

 private:
  const unsigned concurrency_;
};

// ShellExecute's result as an error code: the last error when it has one, else what the result means
// (the last error is often 0 after a failed launch, and "success" must never describe a failure).
ErrorCode ShellLaunchError(INT_PTR result, DWORD lastError);

// A path as the wide file API takes it, literally ("\\?\") when absolute.
std::wstring WidePath(const std::string& path);
// The rest of ReadSmallFile, once the file is open: refused unless an ordinary file on a disk, no link
// or junction by its handle, and no larger than limit.
ErrorCode ReadSmallOpenFile(HANDLE file, std::uint64_t limit, std::string& data);

// The text shown when the system has none for a code.
std::string UnknownErrorText(ErrorCode code);

}  // namespace kestrun
