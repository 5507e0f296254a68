// A row's info tip, worded for a person.
#include "ui/EntryTip.h"

namespace kestrun {
namespace {

constexpr const char* kSwitchedOffText = "Switched off in Windows' startup settings (StartupApproved)";

std::string FactsText(const RowFacts& facts) {
  std::string text = "\r\nRuns " + facts.target.executable;
  if (facts.target.unquotedPath) text += "\r\nUnquoted path: another program could be started instead";
  if (!facts.target.exists) return text + "\r\nFile not found";
  if (facts.publisher.company) text += "\r\nCompany: " + *facts.publisher.company;
  if (facts.publisher.signature) text += "\r\n" + VerdictText(*facts.publisher.signature, facts.publisher.signer);
  return text;
}

}  // namespace

std::string VerdictText(Signature signature, const std::string& signer) {
  switch (signature) {
    case Signature::Signed: return "Signed by " + signer;
    case Signature::Untrusted: return "Signed, but not by a trusted publisher";
    case Signature::Invalid: return "Signature does not match the file";
    case Signature::Unsigned: break;
  }
  return "Not signed";
}

std::string EntryTip(const StartupRow& row, const RowFacts& facts) {
  const EntryKind* kind = KindOf(row.record.GetLocation());
  std::string tip = kind ? kind->PlaceText(row) : PlaceName(row.record.GetLocation());
  tip += "\r\n" + row.path;
  if (!row.origin.empty()) tip += "\r\n" + row.origin;
  if (SwitchedOffByWindows(row)) tip += std::string("\r\n") + kSwitchedOffText;
  if (facts.resolved) tip += FactsText(facts);
  return tip;
}

}  // namespace kestrun
