// The runtime's COM helpers: the error class for failed COM calls, the check
// that raises it, interface references that release themselves, and the text
// form of a GUID.
#pragma once

#include <string>
#include <utility>

#include "objbase.h"
#include "oleauto.h"
#include "SysUtils.h"

// A COM call failed: "OLE error %.8X" with the HRESULT.
class EOleSysError : public Exception {
 public:
  explicit EOleSysError(HRESULT errorCode);
  HRESULT ErrorCode;
};

// Raises EOleSysError for a failing (negative) result; returns the others.
HRESULT OleCheck(HRESULT result);

// An interface reference that holds one count and releases it when it goes.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() { reset(); }

  // Releases what it held and offers its slot to a call that hands out a
  // counted reference.
  T** put() {
    reset();
    return &pointer_;
  }
  void reset() {
    if (pointer_ != nullptr) std::exchange(pointer_, nullptr)->Release();
  }
  T* get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

 private:
  T* pointer_ = nullptr;
};

// Queries `object` for the interface `iid` of type T; raises EOleSysError
// (E_NOINTERFACE for a null object) when it does not answer.
template <class T>
ComPtr<T> QueryInterfaceOrRaise(IUnknown* object, REFIID iid) {
  ComPtr<T> result;
  if (object == nullptr) OleCheck(E_NOINTERFACE);
  OleCheck(object->QueryInterface(iid, reinterpret_cast<void**>(result.put())));
  return result;
}

// A VARIANT that is cleared (its interface released) when it goes.
class OleVariant {
 public:
  OleVariant() { VariantInit(&value_); }
  ~OleVariant() { VariantClear(&value_); }
  OleVariant(const OleVariant&) = delete;
  OleVariant& operator=(const OleVariant&) = delete;

  // Clears it and offers it to a call that fills it.
  VARIANT* put() {
    VariantClear(&value_);
    return &value_;
  }
  // The interface an interface variant holds; null for other kinds.
  IUnknown* unknown() const {
    return value_.vt == VT_UNKNOWN || value_.vt == VT_DISPATCH ? value_.punkVal : nullptr;
  }

 private:
  VARIANT value_;
};

// The standard text form of a GUID: 38 characters, upper-case hexadecimal
// digits in braces.
std::string GUIDToString(REFGUID guid);
