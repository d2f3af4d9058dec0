#include "gfx/cpu.h"

#include <cpuid.h>
#include <immintrin.h>

namespace {

bool NativeCPUID(uint32_t Leaf, uint32_t SubLeaf, TCPUIDRegs& Regs) {
  unsigned a, b, c, d;
  // __get_cpuid_count checks the highest supported leaf of Leaf's range first.
  if (!__get_cpuid_count(Leaf, SubLeaf, &a, &b, &c, &d)) return false;
  Regs = {a, b, c, d};
  return true;
}

__attribute__((target("xsave"))) uint64_t NativeXGetBV() { return _xgetbv(0); }

constexpr uint32_t Bit(unsigned n) { return 1u << n; }

}  // namespace

TCPUFeatures DecodeCPUFeatures(TCPUIDQuery Query, TXGetBVQuery XGetBV) {
  TCPUFeatures result;
  TCPUIDRegs leaf0, leaf1;
  if (!Query(0, 0, leaf0) || leaf0.EAX < 1 || !Query(1, 0, leaf1)) return result;
  const uint32_t family = (leaf1.EAX >> 8) & 0xF;
  if (family < 5) return result;

  if (leaf1.EDX & Bit(23)) result.Include(ciMMX);
  if (leaf1.EDX & Bit(25)) {
    result.Include(ciEMMX);
    result.Include(ciSSE);
  }
  if (leaf1.EDX & Bit(26)) result.Include(ciSSE2);

  TCPUIDRegs ext0, ext1;
  if (Query(0x80000000u, 0, ext0) && ext0.EAX > 0x80000000u && Query(0x80000001u, 0, ext1)) {
    if (ext1.EDX & Bit(22)) result.Include(ciEMMX);
    if (ext1.EDX & Bit(31)) result.Include(ci3DNow);
    if (ext1.EDX & Bit(30)) result.Include(ci3DNowExt);
  }

  // AVX2 needs the instructions (leaf 7 EBX bit 5) and an OS that saves the
  // XMM and YMM state (OSXSAVE, then XCR0 bits 1 and 2).
  TCPUIDRegs leaf7;
  const bool osxsave = (leaf1.ECX & Bit(27)) != 0;
  if (leaf0.EAX >= 7 && osxsave && Query(7, 0, leaf7) && (leaf7.EBX & Bit(5))) {
    if ((XGetBV() & 0x6) == 0x6) result.Include(ciAVX2);
  }
  return result;
}

TCPUFeatures CPUFeatures() {
  static const TCPUFeatures features = DecodeCPUFeatures(NativeCPUID, NativeXGetBV);
  return features;
}

bool HasInstructionSet(TCPUInstructionSet Set) { return CPUFeatures().Contains(Set); }
