//===- CommandLine.h - What every quillmark-rc command is made of -*- C++ -*-===//
//
// A command is one file in cli/commands/: the options it declares (and so
// its help), and its run on what the parser filled in. QuillmarkRc.cpp
// lists them and runs the one given.
//
//===----------------------------------------------------------------------===//
#pragma once

#include "cli/Commands.h"
#include "cli/Edits.h"
#include "cli/ParsedOptions.h"
#include "cli/ResourceCommands.h"
#include "cli/ScriptOptions.h"

#include <CLI/CLI.hpp>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace qm {

/// What the parser fills in; each command reads its own part.
struct Arguments {
    std::string File;
    std::vector<std::string> Files; ///< show, check: one or more
    std::string Second;             ///< verify: the compiled file
    std::string Output;
    std::string From;
    std::string Part;
    std::string Block;
    std::string ResourceLanguage;
    bool Force = false;
    bool Strict = false;
    bool Parts = false; ///< get: a version's numbers, space-separated
    ScriptOptions Preprocessor;
    CompileArguments Compile;
    StampArguments Stamp;
};

inline CLI::App* AddCommand(CLI::App& app, const char* name, const char* summary,
                            std::string details) {
    CLI::App* command = app.add_subcommand(name, summary);
    command->footer(std::move(details));
    command->option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
    return command;
}

inline void AddFile(CLI::App& command, const char* name, std::string& into, const char* what) {
    command.add_option(name, into, what)->required()->type_name("");
}

inline void AddOutput(CLI::App& command, Arguments& args, const char* what) {
    command.add_option("-o,--output", args.Output, what)->type_name("OUT");
}

inline void AddForce(CLI::App& command, Arguments& args, const char* what) {
    command.add_flag("--force", args.Force, what);
}

/// The marker form's explanation, for the help of the commands with EDITS.
extern const char* const MarkerForm;

// The EDITS of `new`, `set` and `stamp`, checked before any file is touched.
inline std::optional<ScriptEdits> EditsOf(const CLI::App& command, CliStreams& io) {
    Expected<ScriptEdits> edits = ParseEdits(ParsedOptions(command));
    if (!edits) {
        io.Err << edits.message() << '\n';
        return std::nullopt;
    }
    return std::move(*edits);
}

/// Runs `command` on one file with output and errors of its own.
struct OneRun {
    int ExitCode = ExitSuccess;
    std::string Out;
    std::string Err;
};

template <typename Command> OneRun RunOnOwnStreams(Command command) {
    std::istringstream in;
    std::ostringstream out, err;
    CliStreams own{in, out, err};
    OneRun run;
    run.ExitCode = command(own);
    run.Out = out.str();
    run.Err = err.str();
    return run;
}

struct CommandEntry {
    CLI::App* (*Declare)(CLI::App& app, Arguments& args);
    int (*Run)(const CLI::App& command, const Arguments& args, CliStreams& io);
};

extern const CommandEntry ShowEntry, WriteEntry, NewEntry, SetEntry, CheckEntry, ImportEntry,
    VerifyEntry, GetEntry, BumpEntry, CompileEntry, StampEntry;

} // namespace qm
