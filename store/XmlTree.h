#pragma once
// An XML document as a plain tree of elements, for readers that look things up by path (a task's
// triggers and actions) rather than follow the nodes as they come.
#include <string>
#include <vector>

#include "store/platform/Platform.h"

namespace kestrun {

struct XmlElement {
  std::string name;  // the local name: the namespace is the document's
  std::string text;  // the element's own text, its children's not included
  std::vector<XmlElement> children;
};

// text is the document already decoded (UTF-8): whatever its declaration says, that is what is read.
// The platform's reader's refusals (kXmlDtdProhibited, kXmlTooDeep, kXmlEndedEarly...) come back as
// they are, and root is then empty.
HRESULT ReadXmlTree(IPlatform& platform, const std::string& text, unsigned maxDepth, XmlElement& root);
// The same of a document given as the reader takes it: UTF-16LE after its mark (FF FE).
HRESULT ReadXmlTreeUtf16(IPlatform& platform, const std::string& bytes, unsigned maxDepth, XmlElement& root);
// text (UTF-8) so given: the mark, then each character in UTF-16LE.
std::string Utf16Document(const std::string& text);

}  // namespace kestrun
