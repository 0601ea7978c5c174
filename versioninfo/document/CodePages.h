//===- CodePages.h - Which characters a string table's code page holds -*- C++ -*-===//
//
// A string table declares the code page its text is meant for. A character
// that code page cannot hold turns into "?" (or worse) wherever the version
// is shown as 8-bit text, so the check reports it.
//
//===----------------------------------------------------------------------===//
#pragma once

namespace qm {

enum class CodePageFit { Holds, Lacks, Unknown };

/// Whether code page `codePage` (a number of the code page table) holds
/// `c`. 0 is 7-bit ASCII and 1200 is Unicode; the single-byte Windows code
/// pages are known exactly; the double-byte ones (932, 949, 950) are not
/// modelled and give Unknown for every character outside ASCII.
CodePageFit CodePageHolds(int codePage, char32_t c);

} // namespace qm
