//===- DocumentFields.h - Checks shared by JSON documents and edits -------===//
//
// `write` and the EDITS of `new`/`set` fill the same record fields from
// outside text. These checks keep both to what the window could hold and
// what the script can carry, with messages that name the field at fault.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/document/Tables.h"
#include "versioninfo/support/Status.h"

#include <string>
#include <string_view>

namespace qm {

/// Every script value occupies one line. A CR, LF or NUL inside a value
/// would split the line (or end the text), so the script would no longer
/// read back as the document it was written from; such text is refused.
Status CheckSingleLine(std::string_view text, std::string_view what);

/// The index of the string key spelled exactly `key`, or -1.
int StringKeyIndex(std::string_view key);

/// A string key the twelve or any other (Build, GitCommit, ...) may be, as
/// long as it is written between quotes as it stands; `what` names the
/// argument in the refusal.
Status CheckStringKey(const std::string& key, const std::string& what);

/// A string value in marker form that stands on one line and, unless it is
/// bare ("\#..."), closes no quote early: a quote inside a script's string
/// is written twice, "" (a lone one would end the string and leave the
/// rest for the compiler to refuse). For values typed as options; a JSON
/// document keeps what show read, whatever it is, byte for byte.
Status CheckStringValue(std::string_view value, const std::string& what);

/// "FileVersion, FileDescription, ..." for error messages.
std::string StringKeyNames();

/// `text` in double quotes, for error messages.
std::string Quoted(std::string_view text);

} // namespace qm
