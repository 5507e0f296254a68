// Verdicts drawn from what the system answers, catalogs (which Wine lacks) through a stand-in
// platform, one check per file, and the time limit.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>

#include "base/Handles.h"
#include "store/EntryTrust.h"
#include "store/platform/Win32Platform.h"

namespace kestrun::test {
namespace {

using namespace std::chrono_literals;

// Answers signature questions from tables, counting them; while release is an unset event, no answer comes.
class TrustPlatform : public Win32Platform {
 public:
  std::map<std::string, SignatureCheck> embedded, catalog;
  std::atomic<int> checks = 0, answered = 0;
  UniqueEvent release;

  ErrorCode ReadCompanyName(const std::string&, std::string& company) override {
    company = "Contoso";
    return ERROR_SUCCESS;
  }
  SignatureCheck CheckFileSignature(const std::string& path) override {
    ++checks;
    if (release) WaitForSingleObject(release.Get(), 30000);
    ++answered;
    return embedded.count(path) ? embedded[path] : SignatureCheck{};
  }
  SignatureCheck CheckCatalogSignature(const std::string& path) override {
    return catalog.count(path) ? catalog[path] : SignatureCheck{};
  }
};

TEST(VerdictOf, NamesWhatTheSystemAnswered) {
  EXPECT_EQ(VerdictOf({S_OK, S_OK, "A"}), Signature::Signed);
  EXPECT_EQ(VerdictOf({S_OK, CERT_E_UNTRUSTEDROOT, "A"}), Signature::Untrusted);  // Wine's WinVerifyTrust
  EXPECT_EQ(VerdictOf({CERT_E_UNTRUSTEDROOT, S_OK, "A"}), Signature::Untrusted);  // Windows'
  EXPECT_EQ(VerdictOf({TRUST_E_BAD_DIGEST, S_OK, "A"}), Signature::Invalid);
  EXPECT_EQ(VerdictOf({S_OK, CERT_E_WRONG_USAGE, "A"}), Signature::Invalid);  // a server's certificate
  EXPECT_EQ(VerdictOf({CRYPT_E_ASN1_BADTAG, S_OK, {}}), Signature::Invalid);
  EXPECT_EQ(VerdictOf({TRUST_E_NOSIGNATURE, S_OK, {}}), Signature::Unsigned);
  EXPECT_EQ(VerdictOf({TRUST_E_SUBJECT_FORM_UNKNOWN, S_OK, {}}), Signature::Unsigned);
  EXPECT_EQ(VerdictOf({HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION), S_OK, {}}), std::nullopt);
  EXPECT_EQ(VerdictOf({HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED), S_OK, {}}), std::nullopt);
}

TEST(PublisherCache, ACatalogSignsAFileWithoutASignatureOfItsOwnAndEachFileIsCheckedOnce) {
  TrustPlatform platform;
  platform.catalog["C:\\Windows\\a.exe"] = {S_OK, S_OK, "Microsoft Windows"};
  platform.catalog["C:\\b.exe"] = {S_OK, CERT_E_UNTRUSTEDROOT, "Stray"};
  platform.embedded["C:\\c.exe"] = {TRUST_E_BAD_DIGEST, S_OK, "Changed"};
  platform.catalog["C:\\c.exe"] = {S_OK, S_OK, "Never asked"};
  PublisherCache cache(platform);
  const FilePublisher a = cache.Check("C:\\Windows\\a.exe");
  EXPECT_EQ(a.signature, Signature::Signed);
  EXPECT_EQ(a.signer, "Microsoft Windows");
  EXPECT_EQ(a.company, "Contoso");
  EXPECT_EQ(cache.Check("C:\\b.exe").signature, Signature::Untrusted);
  EXPECT_EQ(cache.Check("C:\\c.exe").signature, Signature::Invalid);  // a broken signature is not excused
  const FilePublisher none = cache.Check("C:\\d.exe");
  EXPECT_EQ(none.signature, Signature::Unsigned);
  EXPECT_EQ(none.signer, "");
  EXPECT_EQ(cache.Check("c:\\windows\\A.EXE").signer, "Microsoft Windows");
  EXPECT_EQ(platform.checks, 4);
}

TEST(PublisherCache, AFileThatNeverAnswersCostsTheLimitStaysUncheckedAndIsNotAskedAgain) {
  static TrustPlatform platform;  // outlives the abandoned check
  platform.release.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  PublisherCache cache(platform, 200ms);
  EXPECT_EQ(cache.Check("C:\\hung.exe").signature, std::nullopt);
  EXPECT_EQ(cache.Check("C:\\HUNG.exe").signature, std::nullopt);
  EXPECT_EQ(platform.answered, 0);  // given up before the answer came
  SetEvent(platform.release.Get());
  for (int i = 0; i < 400 && (platform.checks == 0 || platform.answered < platform.checks); ++i) Sleep(25);
  EXPECT_EQ(platform.checks, 1);
}

}  // namespace
}  // namespace kestrun::test
