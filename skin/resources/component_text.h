// The readable text form of the binary component stream ("TPF0") and the
// converters between the two:
//
//   object VelSkinResDM: TVelSkinResDM
//     OldCreateOrder = False
//     object VelSkinImageListMain: TVelSkinImageList
//       Bitmaps = <
//         item
//           ResID = 'VelSkinButton'
//           Bitmap.Data = {
//             5401000...
//             }
//         end>
//     end
//   end
//
// Value forms: integers in decimal (read back in the smallest integer type);
// floats in the shortest form that reads back exactly, with a '.' or an
// exponent and the suffix s (single), c (currency) or d (date), none for
// extended (a double is written as the extended of equal value); strings
// quoted with '' for a quote and #n for any other byte, joined directly or by
// '+'; an escape of four or five digits (or a value above 255) is a UTF-16
// unit and makes the string a wide string; identifiers bare; True, False,
// nil; binary as { hex }; lists as ( ... ); sets as [a, b]; collections as
// < item ... end ... >.
//
// Both directions treat their input as untrusted: nesting is bounded, every
// length is checked before anything is allocated, and the output stream is
// written only once the whole input has been converted.
#pragma once

#include "toolkit/core/streams.h"

#include <cstdint>

// A malformed text form; the message names the line.
class EParserError : public EConvertError {
  using EConvertError::EConvertError;
};

// Objects, lists and collections nested deeper than this are refused.
constexpr int MaxComponentTextNesting = 32;
// Largest input either converter accepts.
constexpr int64_t MaxComponentTextInput = int64_t(256) << 20;

// Reads one root object record ("TPF0" and the object) from In at its position
// and appends its text form to Out. In is left just after the record.
// Raises EReadError for a malformed or unsupported stream, and for a value the
// text form cannot hold exactly (a name that is not an identifier, a float
// that is not a finite number).
void ObjectBinaryToText(TStream& In, TStream& Out);

// Parses the text form of one object from In (to its end) and appends the
// binary stream ("TPF0" and the record) to Out. Raises EParserError naming
// the line for malformed text, EReadError for an input that is too large.
void ObjectTextToBinary(TStream& In, TStream& Out);
