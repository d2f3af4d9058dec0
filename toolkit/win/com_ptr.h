// Owns one COM interface pointer: released when replaced or destroyed.
#pragma once

#include "toolkit/win/winapi.h"

#include <utility>

template <class I> class TComPtr {
public:
  TComPtr() = default;
  ~TComPtr() { Reset(); }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;
  I* operator->() const { return FPtr; }
  I* Get() const { return FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }
  // The slot a creating call fills; what it held is released first.
  I** Put() {
    Reset();
    return &FPtr;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  void Swap(TComPtr& Other) { std::swap(FPtr, Other.FPtr); }
  void Reset() {
    if (FPtr) FPtr->Release();
    FPtr = nullptr;
  }

private:
  I* FPtr = nullptr;
};
