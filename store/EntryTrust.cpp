// Publishers and signature verdicts: each file checked once, on a thread of its own, within a limit.
#include "store/EntryTrust.h"

#include <cctype>
#include <memory>

namespace kestrun {
namespace {

bool IsUnsigned(HRESULT trust) {
  return trust == TRUST_E_NOSIGNATURE || trust == TRUST_E_SUBJECT_FORM_UNKNOWN || trust == TRUST_E_PROVIDER_UNKNOWN;
}

bool IsUntrustedRoot(HRESULT code) {
  return code == CERT_E_UNTRUSTEDROOT || code == CERT_E_CHAINING || code == CERT_E_UNTRUSTEDTESTROOT ||
         code == CERT_E_UNTRUSTEDCA || code == TRUST_E_EXPLICIT_DISTRUST;
}

FilePublisher CheckNow(IPlatform& platform, const std::string& path) {
  FilePublisher publisher;
  std::string company;
  if (platform.ReadCompanyName(path, company) == ERROR_SUCCESS) publisher.company = company;
  SignatureCheck check = platform.CheckFileSignature(path);
  // Most of Windows' own files carry no signature of their own: a catalog signs their hashes.
  if (IsUnsigned(check.trust)) {
    SignatureCheck catalog = platform.CheckCatalogSignature(path);
    if (catalog.trust != TRUST_E_NOSIGNATURE) check = std::move(catalog);
  }
  publisher.signature = VerdictOf(check);
  if (publisher.signature && publisher.signature != Signature::Unsigned) publisher.signer = check.signer;
  return publisher;
}

// A check's answer, shared with its thread, which may outlive the one that asked.
struct PendingCheck {
  UniqueEvent done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  FilePublisher publisher;
  IPlatform* platform = nullptr;
  std::string path;
};

DWORD WINAPI RunCheck(void* arg) {
  const std::unique_ptr<std::shared_ptr<PendingCheck>> owner(static_cast<std::shared_ptr<PendingCheck>*>(arg));
  PendingCheck& check = **owner;
  check.publisher = CheckNow(*check.platform, check.path);
  SetEvent(check.done.Get());
  return 0;
}

}  // namespace

std::string PathKey(const std::string& text) {
  std::string folded = text;
  for (char& c : folded) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return folded;
}

const char* SignatureName(Signature signature) {
  switch (signature) {
    case Signature::Signed: return "signed";
    case Signature::Untrusted: return "untrusted";
    case Signature::Invalid: return "invalid";
    case Signature::Unsigned: break;
  }
  return "unsigned";
}

std::optional<Signature> VerdictOf(const SignatureCheck& check) {
  // A certificate not made for code signing signs no program, whoever vouches for it.
  if (check.trust == S_OK && check.chain == CERT_E_WRONG_USAGE) return Signature::Invalid;
  if (check.trust == S_OK) return check.chain == S_OK ? Signature::Signed : Signature::Untrusted;
  if (IsUntrustedRoot(check.trust)) return Signature::Untrusted;
  if (IsUnsigned(check.trust)) return Signature::Unsigned;
  // The file could not be opened or read: no verdict on its signature.
  if (HRESULT_FACILITY(check.trust) == FACILITY_WIN32) return std::nullopt;
  return Signature::Invalid;  // a wrong digest, a malformed signature, an invalid certificate
}

FilePublisher PublisherCache::Check(const std::string& path) {
  const std::string key = PathKey(path);
  if (const auto known = checked_.find(key); known != checked_.end()) return known->second;
  // On a thread of its own, so that a file that never answers (a hung share, a device) costs the limit.
  // A system thread awaited on a kernel event: under Wine and load, a std::thread started here now and
  // then never ran before the limit (3 of 160 loaded runs of the tip test sat it out; none of 160 since).
  auto pending = std::make_shared<PendingCheck>();
  FilePublisher publisher;
  if (!pending->done) return checked_[key] = publisher;
  pending->platform = &platform_;
  pending->path = path;
  auto arg = std::make_unique<std::shared_ptr<PendingCheck>>(pending);
  const HANDLE thread = CreateThread(nullptr, 0, RunCheck, arg.get(), 0, nullptr);
  if (!thread) return checked_[key] = publisher;
  arg.release();  // the thread's now
  CloseHandle(thread);
  if (WaitForSingleObject(pending->done.Get(), static_cast<DWORD>(limit_.count())) == WAIT_OBJECT_0)
    publisher = pending->publisher;
  return checked_[key] = publisher;
}

}  // namespace kestrun
