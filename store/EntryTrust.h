#pragma once
// Who made a file and whether its signature holds: the version resource's company and the Authenticode
// verdict (embedded, else through a system catalog), each file checked once, within a time limit.
#include <chrono>
#include <map>
#include <optional>
#include <string>

#include "store/platform/Platform.h"

namespace kestrun {

enum class Signature {
  Signed,     // valid, and chained to a root the machine trusts
  Untrusted,  // valid, but the root is not trusted
  Invalid,    // changed after signing, malformed, or by a certificate not made for code signing
  Unsigned,   // neither embedded nor in a catalog
};
// "signed", "untrusted", "invalid", "unsigned".
const char* SignatureName(Signature signature);

// The verdict the system's answer means; nothing when the file itself could not be read.
std::optional<Signature> VerdictOf(const SignatureCheck& check);

struct FilePublisher {
  std::optional<std::string> company;
  std::optional<Signature> signature;  // nothing: not checked (no such file, unreadable, out of time)
  std::string signer;
};

// A path as a cache key: letter case folded as the file system ignores it (ASCII only).
std::string PathKey(const std::string& path);

class PublisherCache {
 public:
  static constexpr std::chrono::milliseconds kDefaultLimit{10000};
  explicit PublisherCache(IPlatform& platform, std::chrono::milliseconds limit = kDefaultLimit)
      : platform_(platform), limit_(limit) {}

  // Cached by path (ignoring case): many entries sharing one program cost one check. A check that
  // outlasts the limit is abandoned, and the file stays unchecked: the platform must outlive it.
  FilePublisher Check(const std::string& path);

 private:
  IPlatform& platform_;  // not owned
  std::chrono::milliseconds limit_;
  std::map<std::string, FilePublisher> checked_;
};

}  // namespace kestrun
