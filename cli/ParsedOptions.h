//===- ParsedOptions.h - One command's options after parsing --------------===//
//
// The commands read their options by long name through this view, so they
// need not know the parser. Values are the argument bytes as given.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

namespace qm {

class ParsedOptions {
public:
    explicit ParsedOptions(const CLI::App& command) : Command(command) {}

    bool isSet(const std::string& name) const {
        const CLI::Option* option = find(name);
        return option && option->count() > 0;
    }

    /// The option's value; of an option given twice, the last.
    std::string value(const std::string& name) const {
        const CLI::Option* option = find(name);
        return option && !option->results().empty() ? option->results().back() : std::string();
    }

    /// Every value of a repeatable option, in the order given.
    std::vector<std::string> values(const std::string& name) const {
        const CLI::Option* option = find(name);
        return option ? option->results() : std::vector<std::string>();
    }

private:
    const CLI::Option* find(const std::string& name) const {
        return Command.get_option_no_throw("--" + name);
    }

    const CLI::App& Command;
};

} // namespace qm
