// Publisher half of Win32Platform: version resources, Authenticode signatures and system catalogs.
// Revocation is never checked online: a list of a thousand files must not wait on the network.
#include <windows.h>
// The order matters: wintrust.h and mscat.h need the crypto types first.
#include <wincrypt.h>
#include <wintrust.h>
#include <softpub.h>
#include <mscat.h>

#include <cstdio>
#include <vector>

#include "base/Text.h"
#include "store/platform/Win32Platform.h"

namespace kestrun {
namespace {

std::string SubjectName(PCCERT_CONTEXT cert) {
  const DWORD n = CertGetNameStringW(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
  std::wstring name(n, L'\0');
  CertGetNameStringW(cert, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(), n);
  return FromWide(name.c_str());
}

// The Authenticode policy on the signer's chain: Wine's WinVerifyTrust accepts an untrusted root, the
// policy does not. Nor does either refuse a certificate made for another use (a web server's, say):
// the chain must be valid for code signing (a certificate that names no use is valid for any).
HRESULT ChainPolicy(PCCERT_CONTEXT cert) {
  char codeSigning[] = szOID_PKIX_KP_CODE_SIGNING;
  LPSTR usages[] = {codeSigning};
  CERT_CHAIN_PARA para{};
  para.cbSize = sizeof para;
  para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  para.RequestedUsage.Usage.cUsageIdentifier = 1;
  para.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  if (!CertGetCertificateChain(nullptr, cert, nullptr, cert->hCertStore, &para, 0, nullptr, &chain))
    return HRESULT_FROM_WIN32(GetLastError());
  if (chain->TrustStatus.dwErrorStatus & CERT_TRUST_IS_NOT_VALID_FOR_USAGE) {
    CertFreeCertificateChain(chain);
    return CERT_E_WRONG_USAGE;
  }
  CERT_CHAIN_POLICY_PARA policy{};
  policy.cbSize = sizeof policy;
  CERT_CHAIN_POLICY_STATUS status{};
  status.cbSize = sizeof status;
  const BOOL ok = CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_AUTHENTICODE, chain, &policy, &status);
  CertFreeCertificateChain(chain);
  return ok ? static_cast<HRESULT>(status.dwError) : HRESULT_FROM_WIN32(GetLastError());
}

// WinVerifyTrust over the prepared data, then the signer's name and chain while the state is open.
SignatureCheck Verify(WINTRUST_DATA& data) {
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  data.cbStruct = sizeof data;
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
  SignatureCheck check;
  check.trust = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  if (CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(data.hWVTStateData)) {
    CRYPT_PROVIDER_SGNR* signer = WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0);
    if (signer && signer->csCertChain > 0 && signer->pasCertChain && signer->pasCertChain[0].pCert) {
      check.signer = SubjectName(signer->pasCertChain[0].pCert);
      if (check.trust == S_OK) check.chain = ChainPolicy(signer->pasCertChain[0].pCert);
    }
  }
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return check;
}

// Opens a file for reading only; a device or a folder is refused before anything reads it.
UniqueFile OpenForRead(const std::string& path) {
  UniqueFile file(CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file && GetFileType(file.Get()) != FILE_TYPE_DISK) file.Reset();
  return file;
}

struct CatalogAdmin {
  HCATADMIN admin = nullptr;
  HCATINFO info = nullptr;
  ~CatalogAdmin() {
    if (info) CryptCATAdminReleaseCatalogContext(admin, info, 0);
    if (admin) CryptCATAdminReleaseContext(admin, 0);
  }
};

}  // namespace

ErrorCode Win32Platform::ReadCompanyName(const std::string& path, std::string& company) {
  company.clear();
  const std::wstring wide = WidePath(path);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(wide.c_str(), &ignored);
  if (size == 0) return GetLastError() ? GetLastError() : ERROR_RESOURCE_TYPE_NOT_FOUND;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(wide.c_str(), 0, size, block.data())) return GetLastError();
  struct Translation {
    WORD language, codePage;
  }* translations = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                      &length) ||
      length < sizeof(Translation))
    return ERROR_RESOURCE_TYPE_NOT_FOUND;
  wchar_t key[64];
  std::swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\CompanyName", translations[0].language,
                translations[0].codePage);
  wchar_t* text = nullptr;
  if (!VerQueryValueW(block.data(), key, reinterpret_cast<void**>(&text), &length) || !text)
    return ERROR_RESOURCE_NAME_NOT_FOUND;
  company = FromWide(std::wstring(text, wcsnlen(text, length)));
  return ERROR_SUCCESS;
}

SignatureCheck Win32Platform::CheckFileSignature(const std::string& path) {
  UniqueFile file = OpenForRead(path);
  if (!file) return {HRESULT_FROM_WIN32(GetLastError() ? GetLastError() : ERROR_INVALID_HANDLE), S_OK, {}};
  const std::wstring wide = WidePath(path);
  WINTRUST_FILE_INFO info{};
  info.cbStruct = sizeof info;
  info.pcwszFilePath = wide.c_str();
  info.hFile = file.Get();
  WINTRUST_DATA data{};
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &info;
  return Verify(data);
}

SignatureCheck Win32Platform::CheckCatalogSignature(const std::string& path) {
  SignatureCheck none;  // TRUST_E_NOSIGNATURE
  UniqueFile file = OpenForRead(path);
  CatalogAdmin catalog;
  if (!file || !CryptCATAdminAcquireContext(&catalog.admin, nullptr, 0)) return none;
  DWORD size = 0;
  CryptCATAdminCalcHashFromFileHandle(file.Get(), &size, nullptr, 0);
  std::vector<BYTE> hash(size);
  if (size == 0 || !CryptCATAdminCalcHashFromFileHandle(file.Get(), &size, hash.data(), 0)) return none;
  catalog.info = CryptCATAdminEnumCatalogFromHash(catalog.admin, hash.data(), size, 0, nullptr);
  CATALOG_INFO where{};
  where.cbStruct = sizeof where;
  if (!catalog.info || !CryptCATCatalogInfoFromContext(catalog.info, &where, 0)) return none;
  std::wstring tag;
  for (const BYTE b : hash) {
    wchar_t hex[3];
    std::swprintf(hex, 3, L"%02X", b);
    tag += hex;
  }
  const std::wstring wide = WidePath(path);
  WINTRUST_CATALOG_INFO member{};
  member.cbStruct = sizeof member;
  member.pcwszCatalogFilePath = where.wszCatalogFile;
  member.pcwszMemberTag = tag.c_str();
  member.pcwszMemberFilePath = wide.c_str();
  member.hMemberFile = file.Get();
  member.pbCalculatedFileHash = hash.data();
  member.cbCalculatedFileHash = size;
  WINTRUST_DATA data{};
  data.dwUnionChoice = WTD_CHOICE_CATALOG;
  data.pCatalog = &member;
  return Verify(data);
}

}  // namespace kestrun
