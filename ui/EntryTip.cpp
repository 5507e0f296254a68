// A row's info tip, worded for a person.
#include "ui/EntryTip.h"

#include "base/Texts.h"
#include "ui/TextIds.h"

namespace kestrun {
namespace {

std::string FactsText(const RowFacts& facts) {
  std::string text = "\r\n" + Text(IDS_ROW_RUNS, {facts.target.executable});
  if (facts.target.unquotedPath) text += "\r\n" + Text(IDS_ROW_UNQUOTED);
  if (!facts.target.exists) return text + "\r\n" + Text(IDS_ROW_FILE_NOT_FOUND);
  if (facts.publisher.company) text += "\r\n" + Text(IDS_ROW_COMPANY, {*facts.publisher.company});
  if (facts.publisher.signature) text += "\r\n" + VerdictText(*facts.publisher.signature, facts.publisher.signer);
  return text;
}

}  // namespace

std::string VerdictText(Signature signature, const std::string& signer) {
  switch (signature) {
    case Signature::Signed: return Text(IDS_SIGNED_BY, {signer});
    case Signature::Untrusted: return Text(IDS_SIGNED_UNTRUSTED);
    case Signature::Invalid: return Text(IDS_SIGNATURE_INVALID);
    case Signature::Unsigned: break;
  }
  return Text(IDS_NOT_SIGNED);
}

std::string EntryTip(const StartupRow& row, const RowFacts& facts) {
  const EntryKind* kind = KindOf(row.record.GetLocation());
  std::string tip = kind ? kind->PlaceText(row) : PlaceName(row.record.GetLocation());
  tip += "\r\n" + row.path;
  if (!row.Origin().empty()) tip += "\r\n" + row.Origin();
  if (SwitchedOffByWindows(row)) tip += "\r\n" + Text(IDS_ROW_SWITCHED_OFF);
  if (facts.resolved) tip += FactsText(facts);
  return tip;
}

}  // namespace kestrun
