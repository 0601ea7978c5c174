//===- DocumentFields.cpp - Checks shared by JSON documents and edits -----===//

#include "DocumentFields.h"

#include <algorithm>

namespace qm {

Status CheckSingleLine(std::string_view text, std::string_view what) {
    for (char c : text) {
        if (c == '\r' || c == '\n')
            return Status::Fail(std::string(what) + " holds a line break");
        if (c == '\0')
            return Status::Fail(std::string(what) + " holds a NUL character");
    }
    return Status::Ok();
}

int StringKeyIndex(std::string_view key) {
    const auto& keys = StringKeys();
    for (int i = 0; i < StringKeyCount; ++i) {
        if (keys[static_cast<std::size_t>(i)] == key)
            return i;
    }
    return -1;
}

std::string StringKeyNames() {
    std::string names;
    for (std::string_view key : StringKeys()) {
        if (!names.empty())
            names += ", ";
        names += key;
    }
    return names;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

Status CheckStringKey(const std::string& key, const std::string& what) {
    // Written between quotes as it stands: a quote, a backslash or a
    // control character would make it another key, or none.
    const bool plain = !key.empty() && std::none_of(key.begin(), key.end(), [](char c) {
        return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20;
    });
    if (!plain)
        return Status::Fail(what +
                            " takes KEY=VALUE with a key of plain text (not empty, no "
                            "quote, backslash or control character), not " +
                            Quoted(key));
    return Status::Ok();
}

Status CheckStringValue(std::string_view value, const std::string& what) {
    if (Status single = CheckSingleLine(value, what); !single)
        return single;
    if (value.substr(0, 2) == "\\#")
        return Status::Ok();
    for (std::size_t at = value.find('"'); at != std::string_view::npos;
         at = value.find('"', at + 2))
        if (at + 1 >= value.size() || value[at + 1] != '"')
            return Status::Fail(what + " holds a lone quote; a quote in a script's string is "
                                       "written twice, \"\"");
    return Status::Ok();
}

} // namespace qm
