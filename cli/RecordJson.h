//===- RecordJson.h - The JSON form of a document -------------------------===//
//
// One schema serves `show` (output) and `write --from` (input):
//
//   comIncLines              array of strings
//   fileVersion, productVersion   strings
//   debug, preRelease, patched    booleans
//   fileOS, fileType, fileSubType strings, "" for no row
//   language, codePage       the row's display string, or null
//   strings                  the twelve StringKeys, in order, marker form
//   reports                  array of the reader's "Parsing" texts
//   error                    the conversion error's message, or null
//
// Bytes cross into JSON by the rule of ByteText.h.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "versioninfo/binary/VersionInfoBlock.h"
#include "versioninfo/script/ScriptEdit.h"
#include "versioninfo/script/ScriptReader.h"
#include "versioninfo/support/Status.h"

#include <string>
#include <string_view>

namespace qm {

/// The `show` document for a read: members in the order above, indented
/// by two blanks, ending in a line feed.
/// `fixed`: the numbers the file compiles to, for `fileVersionParts` and
/// `productVersionParts` (null without; a script's text that isn't
/// numbers gives null too).
/// `firstTable`: the table Windows shows, whose keys outside the twelve
/// are `otherStrings` (in script text, as `strings`).
std::string ShowJson(const ReadResult& result, const FixedFileInfo* fixed = nullptr,
                     const CompiledStringTable* firstTable = nullptr);

/// The `otherStrings` of a document, as edits of the first table; fails on
/// a key or value a script can't hold.
Expected<std::vector<StringEdit>> OtherStringsFromJson(std::string_view json);

/// A document in the schema above. Members left out take the values of
/// NewDocument(defaults); `reports` and `error` are ignored. Unknown
/// members, wrong types, a name that is not a row of its list and text that
/// cannot stand on one script line are errors that name the member.
Expected<VersionRecord> RecordFromJson(std::string_view json, const NewDocumentDefaults& defaults);

} // namespace qm
