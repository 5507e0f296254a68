// XML through the system's own reader, XmlLite, with DTDs prohibited and the depth bounded. The reader
// hands back a plain tree: what the elements mean is the store's.
#include <shlwapi.h>
#include <xmllite.h>

#include "base/Handles.h"
#include "base/Text.h"
#include "store/platform/Win32Platform.h"

namespace kestrun {
namespace {

using CreateReader = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// Loaded when first needed, from System32 only: MinGW has XmlLite's header but no import library,
// and most runs read no XML at all.
CreateReader XmlLiteFactory() {
  static const UniqueModule module(LoadLibraryExW(L"xmllite.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
  static const CreateReader create =
      module ? reinterpret_cast<CreateReader>(reinterpret_cast<void*>(GetProcAddress(module.Get(), "CreateXmlReader")))
             : nullptr;
  return create;
}

std::string Text(const WCHAR* text, UINT length) { return FromWide(std::wstring_view(text, length)); }

// The elements as the reader meets them; open holds the elements not closed yet, innermost last. A
// child is added only to the innermost, whose siblings are all closed: no pointer in open moves.
// Each node takes at least one character: a reader that hands out more has lost its end (Wine's
// repeats the last element for ever when the text stops inside an open one).
HRESULT ReadTree(IXmlReader& reader, size_t characters, XmlElement& root) {
  std::vector<XmlElement*> open;
  bool rooted = false;
  XmlNodeType type = XmlNodeType_None;
  HRESULT hr = S_OK;
  for (size_t nodes = 0; (hr = reader.Read(&type)) == S_OK;) {
    if (++nodes > characters) return static_cast<HRESULT>(MX_E_INPUTEND);
    const WCHAR* value = nullptr;
    UINT length = 0;
    if (type == XmlNodeType_Element) {
      if (FAILED(hr = reader.GetLocalName(&value, &length))) return hr;
      XmlElement* element = open.empty() ? &root : &open.back()->children.emplace_back();
      rooted = true;
      element->name = Text(value, length);
      if (!reader.IsEmptyElement()) open.push_back(element);
    } else if (type == XmlNodeType_EndElement) {
      if (!open.empty()) open.pop_back();
    } else if (type == XmlNodeType_Text || type == XmlNodeType_CDATA || type == XmlNodeType_Whitespace) {
      if (FAILED(hr = reader.GetValue(&value, &length))) return hr;
      if (!open.empty()) open.back()->text += Text(value, length);
    }
  }
  if (FAILED(hr)) return hr;
  return rooted ? S_OK : static_cast<HRESULT>(MX_E_INPUTEND);
}

}  // namespace

HRESULT Win32Platform::ParseXml(const std::string& text, unsigned maxDepth, XmlElement& root) {
  root = {};
  const CreateReader create = XmlLiteFactory();
  if (!create) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
  ComPtr<IXmlReader> reader;
  HRESULT hr = create(__uuidof(IXmlReader), reader.PutVoid(), nullptr);
  if (FAILED(hr)) return hr;
  // UTF-16 with its mark and no declaration: the text is already decoded, whatever a declaration said.
  const std::wstring wide = L"\uFEFF" + ToWide(text);
  ComPtr<IStream> stream;
  *reinterpret_cast<IStream**>(stream.PutVoid()) =
      SHCreateMemStream(reinterpret_cast<const BYTE*>(wide.data()), static_cast<UINT>(wide.size() * sizeof(wchar_t)));
  if (!stream) return E_OUTOFMEMORY;
  if (FAILED(hr = reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit)) ||
      FAILED(hr = reader->SetProperty(XmlReaderProperty_XmlResolver, 0)) ||
      FAILED(hr = reader->SetProperty(XmlReaderProperty_MaxElementDepth, maxDepth)) ||
      FAILED(hr = reader->SetInput(stream.Get())))
    return hr;
  hr = ReadTree(*reader.Get(), wide.size(), root);
  if (FAILED(hr)) root = {};
  return hr;
}

}  // namespace kestrun
