#include "gfx/registry.h"

#include "toolkit/core/classes.h"

int32_t DefaultPriority(const TFunctionInfo& Info) {
  return CPUFeatures().ContainsAll(Info.CPUFeatures) ? 0 : InvalidPriority;
}

TFunctionProc TFunctionRegistry::FindFunction(int32_t FunctionID,
                                              const TFunctionPriority& PriorityCallback) const {
  TFunctionProc best = nullptr;
  int32_t bestPriority = InvalidPriority;
  for (auto it = FItems.rbegin(); it != FItems.rend(); ++it) {
    if (it->FunctionID != FunctionID) continue;
    const int32_t priority = PriorityCallback ? PriorityCallback(*it) : DefaultPriority(*it);
    if (priority < bestPriority) {
      best = it->Proc;
      bestPriority = priority;
    }
  }
  return best;
}

void TFunctionRegistry::Bind(const TFunctionBinding& Binding,
                             const TFunctionPriority& PriorityCallback) {
  const TFunctionProc proc = FindFunction(Binding.FunctionID, PriorityCallback);
  // Every function-pointer type has the representation of TFunctionProc
  // (checked in RegisterBinding); memcpy writes it without type punning.
  std::memcpy(Binding.BindVariable, &proc, sizeof(proc));
}

void TFunctionRegistry::Rebind(int32_t FunctionID, const TFunctionPriority& PriorityCallback) {
  for (const TFunctionBinding& binding : FBindings)
    if (binding.FunctionID == FunctionID) Bind(binding, PriorityCallback);
}

void TFunctionRegistry::RebindAll(const TFunctionPriority& PriorityCallback) {
  for (const TFunctionBinding& binding : FBindings) Bind(binding, PriorityCallback);
}

void TFunctionRegistry::Clear() {
  FItems.clear();
  FBindings.clear();
}

const TFunctionInfo& TFunctionRegistry::Items(int Index) const {
  if (Index < 0 || Index >= Count())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return FItems[size_t(Index)];
}

void TFunctionRegistry::SetItems(int Index, const TFunctionInfo& Info) {
  (void)Items(Index);
  FItems[size_t(Index)] = Info;
}

namespace {
std::vector<std::unique_ptr<TFunctionRegistry>>& RegistryList() {
  static std::vector<std::unique_ptr<TFunctionRegistry>> list;
  return list;
}
}  // namespace

TFunctionRegistry& NewRegistry(const std::string& Name) {
  RegistryList().push_back(std::make_unique<TFunctionRegistry>(Name));
  return *RegistryList().back();
}

const std::vector<std::unique_ptr<TFunctionRegistry>>& Registries() { return RegistryList(); }
