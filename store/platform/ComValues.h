#pragma once
// Owners of the COM automation values the platform passes: a VARIANT cleared and a BSTR freed when they go.
#include <windows.h>
#include <oleauto.h>

#include <string>

#include "base/Handles.h"

namespace kestrun {

struct Variant {
  VARIANT value;
  Variant() { VariantInit(&value); }
  explicit Variant(const std::wstring& text) : Variant() {
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(text.c_str());
  }
  explicit Variant(int number) : Variant() {
    value.vt = VT_I4;
    value.lVal = number;
  }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  ~Variant() { VariantClear(&value); }
};

struct BstrTraits {
  static BSTR Invalid() { return nullptr; }
  static void Close(BSTR text) { SysFreeString(text); }
};
using UniqueBstr = UniqueHandle<BstrTraits>;

inline UniqueBstr MakeBstr(const std::wstring& text) {
  return UniqueBstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
}

}  // namespace kestrun
