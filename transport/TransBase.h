// Base vocabulary of the transport framework: GUIDs, the counted base interface, a smart pointer for
// interface references and the root object class.
//
// Interfaces are abstract classes whose first three operations are QueryInterface, AddRef and Release,
// in that order. On Windows x86 every interface operation uses the COM calling convention (stdcall, the
// exports' HV_STDCALL), so the vtables have the layout a COM client expects. References are always held
// through TComPtr: business code never pairs AddRef and Release by hand.
#pragma once

#include <cstdint>
#include <cstring>
#include <utility>

#include "halvern.h"

namespace halvern {

using HRESULT = int32_t;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);

// A GUID in the Windows layout: 32-bit, 16-bit, 16-bit, 8 bytes; 16 bytes in all.
struct TGuid {
  uint32_t D1;
  uint16_t D2;
  uint16_t D3;
  uint8_t D4[8];

  friend bool operator==(const TGuid& a, const TGuid& b) { return std::memcmp(&a, &b, sizeof(TGuid)) == 0; }
};
static_assert(sizeof(TGuid) == 16);

// Root of every engine class, so that ITransObject::GetObject can hand out an object whose class a caller
// may test with dynamic_cast.
class TObject {
 public:
  virtual ~TObject() = default;
};

struct IInterface {
  static constexpr TGuid IID{0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

  // Returns S_OK and a counted reference in *Obj, or E_NOINTERFACE and a null *Obj.
  virtual HRESULT HV_STDCALL QueryInterface(const TGuid& Iid, void** Obj) = 0;
  // Both return the resulting count (objects with delegated counting return their controller's).
  virtual int32_t HV_STDCALL AddRef() = 0;
  virtual int32_t HV_STDCALL Release() = 0;

 protected:
  ~IInterface() = default;
};

// Counted reference to an interface. Copies add a reference, moves do not; Put() releases the current
// reference before handing out the address for an out parameter.
template <class T>
class TComPtr {
 public:
  TComPtr() noexcept = default;
  TComPtr(std::nullptr_t) noexcept {}
  // Takes a new reference on P.
  explicit TComPtr(T* P) noexcept : FPtr(P) {
    if (FPtr) FPtr->AddRef();
  }
  TComPtr(const TComPtr& Other) noexcept : TComPtr(Other.FPtr) {}
  TComPtr(TComPtr&& Other) noexcept : FPtr(std::exchange(Other.FPtr, nullptr)) {}
  ~TComPtr() { Reset(); }

  TComPtr& operator=(const TComPtr& Other) noexcept {
    TComPtr(Other).Swap(*this);
    return *this;
  }
  TComPtr& operator=(TComPtr&& Other) noexcept {
    TComPtr(std::move(Other)).Swap(*this);
    return *this;
  }
  TComPtr& operator=(std::nullptr_t) noexcept {
    Reset();
    return *this;
  }

  // Adopts a reference that the caller already counted (an out parameter's result, a new object's
  // first reference).
  static TComPtr Attach(T* P) noexcept {
    TComPtr R;
    R.FPtr = P;
    return R;
  }
  T* Detach() noexcept { return std::exchange(FPtr, nullptr); }

  void Reset() noexcept {
    if (T* P = std::exchange(FPtr, nullptr)) P->Release();
  }
  T** Put() noexcept {
    Reset();
    return &FPtr;
  }
  void** PutVoid() noexcept { return reinterpret_cast<void**>(Put()); }

  T* Get() const noexcept { return FPtr; }
  T* operator->() const noexcept { return FPtr; }
  T& operator*() const noexcept { return *FPtr; }
  explicit operator bool() const noexcept { return FPtr != nullptr; }
  void Swap(TComPtr& Other) noexcept { std::swap(FPtr, Other.FPtr); }

  // Asks the object for another interface; an empty pointer when it does not answer for it.
  template <class U>
  TComPtr<U> Query() const noexcept {
    TComPtr<U> R;
    if (FPtr) FPtr->QueryInterface(U::IID, R.PutVoid());
    return R;
  }

  friend bool operator==(const TComPtr& A, const TComPtr& B) noexcept { return A.FPtr == B.FPtr; }

 private:
  T* FPtr = nullptr;
};

}  // namespace halvern
