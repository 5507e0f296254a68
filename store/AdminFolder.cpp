// A descriptor is judged as the system returns it: the owner may take the DACL over, an ACL that
// inherits lets the parent's entries in, and any allow entry for another account is a writer.
#include "store/AdminFolder.h"

#include "base/Texts.h"
#include "store/TextIds.h"

namespace kestrun {
namespace {

bool IsAdmin(const std::string& sid) {
  return sid == "BA" || sid == "SY" || sid == "S-1-5-32-544" || sid == "S-1-5-18";
}

// Each "(type;flags;rights;object;inherited object;account)" of the DACL.
std::string WhyNotAdminAces(std::string aces) {
  while (!aces.empty()) {
    const size_t end = aces.find(')');
    if (aces[0] != '(' || end == std::string::npos) return Text(IDS_ACL_UNREADABLE);
    const std::string ace = aces.substr(1, end - 1);
    aces.erase(0, end + 1);
    const std::string type = ace.substr(0, ace.find(';'));
    const std::string account = ace.substr(ace.rfind(';') + 1);
    if (type == "D") continue;  // a deny entry only takes rights away
    if (type != "A") return Text(IDS_ACL_ODD_ENTRY, {type});
    if (!IsAdmin(account)) return Text(IDS_ACL_GIVES, {account});
  }
  return {};
}

}  // namespace

std::string WhyNotAdminOnly(const std::string& sddl) {
  const size_t dacl = sddl.find("D:");
  if (sddl.rfind("O:", 0) != 0 || dacl == std::string::npos) return Text(IDS_OWNER_UNREADABLE);
  const std::string owner = sddl.substr(2, std::min(dacl, sddl.find("G:")) - 2);
  if (!IsAdmin(owner)) return Text(IDS_OWNER_NOT_ADMIN, {owner});
  const size_t first = sddl.find('(', dacl);
  const std::string flags = sddl.substr(dacl + 2, (first == std::string::npos ? sddl.size() : first) - dacl - 2);
  if (flags.find("NO_ACCESS_CONTROL") != std::string::npos) return Text(IDS_NO_ACL);
  if (flags.find('P') == std::string::npos) return Text(IDS_ACL_INHERITS);
  return first == std::string::npos ? std::string() : WhyNotAdminAces(sddl.substr(first));
}

}  // namespace kestrun
