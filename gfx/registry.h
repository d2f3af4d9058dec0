// Registry of alternative implementations of the raster operations: every
// implementation is added with the processor features it needs, and a global
// function pointer is bound to the preferred runnable one.
#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "gfx/cpu.h"

// Any implementation, stored type-erased; converted back to its own
// function-pointer type when bound.
using TFunctionProc = void (*)();

struct TFunctionInfo {
  int32_t FunctionID = 0;
  TFunctionProc Proc = nullptr;
  TCPUFeatures CPUFeatures;
  int32_t Flags = 0;
};

struct TFunctionBinding {
  int32_t FunctionID = 0;
  void* BindVariable = nullptr;  // address of a function-pointer variable
};

// Lower is preferred; InvalidPriority means "never choose".
constexpr int32_t InvalidPriority = 0x7FFFFFFF;
using TFunctionPriority = std::function<int32_t(const TFunctionInfo& Info)>;

// 0 if this processor has every feature the implementation needs, else InvalidPriority.
int32_t DefaultPriority(const TFunctionInfo& Info);

class TFunctionRegistry {
public:
  explicit TFunctionRegistry(std::string Name = {}) : FName(std::move(Name)) {}

  template <class F>
  void Add(int32_t FunctionID, F Proc, TCPUFeatures CPUFeatures = {}, int32_t Flags = 0) {
    static_assert(IsFunctionPointer<F>, "Proc must be a function pointer");
    FItems.push_back({FunctionID, reinterpret_cast<TFunctionProc>(Proc), CPUFeatures, Flags});
  }

  template <class F>
  void RegisterBinding(int32_t FunctionID, F* BindVariable) {
    static_assert(IsFunctionPointer<F>, "BindVariable must point to a function pointer");
    static_assert(sizeof(F) == sizeof(TFunctionProc));
    FBindings.push_back({FunctionID, BindVariable});
  }

  // Scans from the last added item to the first; an item replaces the choice
  // only with a strictly lower priority. Null when nothing is runnable.
  TFunctionProc FindFunction(int32_t FunctionID, const TFunctionPriority& PriorityCallback = {}) const;
  template <class F>
  F FindFunctionAs(int32_t FunctionID, const TFunctionPriority& PriorityCallback = {}) const {
    return reinterpret_cast<F>(FindFunction(FunctionID, PriorityCallback));
  }

  void Rebind(int32_t FunctionID, const TFunctionPriority& PriorityCallback = {});
  void RebindAll(const TFunctionPriority& PriorityCallback = {});
  void Clear();

  int Count() const { return int(FItems.size()); }
  // Index out of range raises EListError.
  const TFunctionInfo& Items(int Index) const;
  void SetItems(int Index, const TFunctionInfo& Info);
  int BindingCount() const { return int(FBindings.size()); }

  const std::string& Name() const { return FName; }
  void SetName(const std::string& Name) { FName = Name; }

private:
  template <class F>
  static constexpr bool IsFunctionPointer =
      std::is_pointer_v<F> && std::is_function_v<std::remove_pointer_t<F>>;

  void Bind(const TFunctionBinding& Binding, const TFunctionPriority& PriorityCallback);

  std::vector<TFunctionInfo> FItems;
  std::vector<TFunctionBinding> FBindings;
  std::string FName;
};

// Creates a registry owned by the process-wide list (freed at shut-down).
TFunctionRegistry& NewRegistry(const std::string& Name);
// Every registry created by NewRegistry, in creation order.
const std::vector<std::unique_ptr<TFunctionRegistry>>& Registries();
