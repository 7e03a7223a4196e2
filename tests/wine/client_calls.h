#pragma once

#include <objbase.h>
#include <oleauto.h>

#include <cstddef>
#include <vector>

namespace hv::client {

inline constexpr const char* kBaseClsid = "{60246658-5626-449F-8701-66D278AD2EB2}";
inline constexpr const char* kInetDownloaderClsid = "{D4F50458-F1CC-4BC8-8A45-1A285926FE74}";

// A fresh instance of the class `clsid` (in registry form) as IDispatch; null when refused.
IDispatch* createDispatch(const char* clsid);

// One IDispatch::Invoke and everything it handed back.
struct Call {
  HRESULT hr;
  VARIANT result;
  EXCEPINFO exception;
  UINT argumentError;
};

// `args` last first, as DISPPARAMS holds them; a property put names its one argument.
Call invoke(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANT> args);
void release(Call& call);

// A VARIANT holding a copy of `value`, owned by whoever holds it.
VARIANT textVariant(const wchar_t* value);
// A by-reference VARIANT naming `target`, as script hosts pass a variable.
VARIANT referenceTo(VARIANT* target);
// `depth` arrays of one element each around the text `innermost`, built and cleared without
// recursion so that the client's own stack never limits the depth.
VARIANT nestedArray(const wchar_t* innermost, std::size_t depth);
void clearVariant(VARIANT& value);

}  // namespace hv::client
