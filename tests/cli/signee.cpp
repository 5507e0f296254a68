// A program to sign at test time; it carries a version resource (signee.rc). "signee trust FILE"
// puts the DER certificate FILE into the machine's Root store, so that the prefix trusts it.
#include <windows.h>
#include <wincrypt.h>

#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 || std::wstring(argv[1]) != L"trust") return 0;
  std::string der(65536, '\0');
  DWORD size = 0;
  HANDLE file = CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  ReadFile(file, der.data(), static_cast<DWORD>(der.size()), &size, nullptr);
  CloseHandle(file);
  der.resize(size);
  HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
  if (!root || der.empty()) return 2;
  const BOOL added = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING,
                                                      reinterpret_cast<const BYTE*>(der.data()),
                                                      static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING,
                                                      nullptr);
  CertCloseStore(root, 0);
  return added ? 0 : 1;
}
