//===- RoundTripModel.h - What a written record reads back as -----*- C++ -*-===//
//
// A script is lossy in a few known ways: the layout cannot carry every text
// a record can hold. This models exactly those losses, so a fuzzer can demand
// that writing a record and reading it back gives the modelled record and
// nothing else. Each loss is listed, with its reason, in RoundTripModel.cpp.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/VersionRecord.h"

namespace qm::fuzz {

struct ExpectedRead {
    /// The record the reader must give for the written script.
    VersionRecord Record;
    /// False when a comment line turns into the header (the read then starts
    /// the fixed part early and only ComIncLines, up to that line, is known),
    /// or when a compiler reads a text otherwise than the line scanner.
    bool WholeRecordKnown = true;
    /// False when a comment line looks like a header to the line scanner:
    /// whether it is one depends on whether the script parses.
    bool ComIncLinesKnown = true;
};

/// The record that reading the script of `written` gives back. `written`
/// must hold no NUL byte and no CR or LF outside ComIncLines; its language
/// and code page must be rows.
ExpectedRead ExpectedAfterRoundTrip(const VersionRecord& written);

/// One string value after the round trip (marker form in, marker form out).
std::string ExpectedValue(std::string_view written);

/// The lines of a file's bytes, split independently of the program's own
/// splitter: CR, LF and CR LF each end a line, a NUL ends the text, and a
/// last line without an end counts.
Lines ReferenceLines(std::string_view bytes);

} // namespace qm::fuzz
