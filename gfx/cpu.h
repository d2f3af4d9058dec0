// Processor features, detected once by CPUID and cached.
#pragma once

#include <cstdint>
#include <initializer_list>

enum TCPUInstructionSet { ciMMX, ciEMMX, ciSSE, ciSSE2, ci3DNow, ci3DNowExt, ciAVX2 };

// A set of TCPUInstructionSet: bit n for the n-th value.
class TCPUFeatures {
public:
  constexpr TCPUFeatures() = default;
  constexpr TCPUFeatures(std::initializer_list<TCPUInstructionSet> Sets) {
    for (TCPUInstructionSet s : Sets) FBits |= Bit(s);
  }
  constexpr bool Contains(TCPUInstructionSet Set) const { return (FBits & Bit(Set)) != 0; }
  // True if every member of Other is also in this set.
  constexpr bool ContainsAll(TCPUFeatures Other) const { return (Other.FBits & ~FBits) == 0; }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr void Include(TCPUInstructionSet Set) { FBits |= Bit(Set); }
  constexpr void Exclude(TCPUInstructionSet Set) { FBits &= ~Bit(Set); }
  constexpr uint32_t Bits() const { return FBits; }
  friend constexpr bool operator==(TCPUFeatures, TCPUFeatures) = default;

private:
  static constexpr uint32_t Bit(TCPUInstructionSet Set) { return 1u << unsigned(Set); }
  uint32_t FBits = 0;
};

// Raw CPUID access, injectable so the decoding can be tested with made-up
// processors. Returns false if the leaf cannot be queried.
struct TCPUIDRegs {
  uint32_t EAX = 0, EBX = 0, ECX = 0, EDX = 0;
};
using TCPUIDQuery = bool (*)(uint32_t Leaf, uint32_t SubLeaf, TCPUIDRegs& Regs);
// Reads XCR0 (only called when CPUID reports OSXSAVE).
using TXGetBVQuery = uint64_t (*)();

// Decodes the features from CPUID answers: nothing unless the processor
// family is at least 5; AVX2 also needs the OS to save the YMM state.
TCPUFeatures DecodeCPUFeatures(TCPUIDQuery Query, TXGetBVQuery XGetBV);

// The features of this processor (detected on first call, then cached).
TCPUFeatures CPUFeatures();
bool HasInstructionSet(TCPUInstructionSet Set);
