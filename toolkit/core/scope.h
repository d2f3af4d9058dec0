// Scope types for what must be undone when a block ends, normally or by an
// exception: a general scope exit and the update bracket of any object with
// BeginUpdate/EndUpdate. Portable.
#pragma once

#include <exception>
#include <utility>

// Runs a function when the scope ends. The function must not throw.
template <class F> class TScopeExit {
public:
  explicit TScopeExit(F Fn) : FFn(std::move(Fn)) {}
  ~TScopeExit() {
    if (FActive) FFn();
  }
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;
  // Forget the function: the scope ends without running it.
  void Dismiss() { FActive = false; }

private:
  F FFn;
  bool FActive = true;
};

// BeginUpdate now, EndUpdate when the scope ends. EndUpdate may do work that
// fails (the final change notification); it is still called while an
// exception unwinds, but what it throws then is dropped, since that
// exception is the one to report.
template <class T> class TUpdateScope {
public:
  explicit TUpdateScope(T& Object) : FObject(Object), FExceptions(std::uncaught_exceptions()) { FObject.BeginUpdate(); }
  ~TUpdateScope() noexcept(false) {
    if (std::uncaught_exceptions() > FExceptions) {
      try {
        FObject.EndUpdate();
      } catch (...) {
      }
      return;
    }
    FObject.EndUpdate();
  }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
  T& FObject;
  int FExceptions;
};
