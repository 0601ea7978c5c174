//===- CompileCommand.cpp - The compiler's command line, formed as data ---===//

#include "desk/CompileCommand.h"

#include "versioninfo/support/Text.h"

namespace qm {

namespace {

Status EmptyCommandError() {
    return Status::Fail("The compiler command is empty: set the compiler's program and options "
                        "in the options first.");
}

void Append(std::vector<std::string>& to, const std::vector<std::string>& words) {
    to.insert(to.end(), words.begin(), words.end());
}

} // namespace

std::vector<std::string> SplitCommandWords(std::string_view commandText) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while (i < commandText.size()) {
        while (i < commandText.size() && IsBlank(commandText[i]))
            ++i;
        std::size_t start = i;
        while (i < commandText.size() && !IsBlank(commandText[i]))
            ++i;
        if (i > start)
            words.emplace_back(commandText.substr(start, i - start));
    }
    return words;
}

Expected<CompileCommand> FormBatchCommand(const CompileInputs& inputs, PathStyle style) {
    std::vector<std::string> words = SplitCommandWords(inputs.CommandText);
    if (words.empty())
        return EmptyCommandError();
    std::string scriptName = NamePart(inputs.ScriptPath, style);
    const std::string folder = ContainingFolder(inputs.ScriptPath, style);
    // cmd.exe can't have a network folder as its current folder: it would
    // run the batch file in C:\Windows instead, far from the script.
    if (style == PathStyle::Windows && (folder.rfind("\\\\", 0) == 0 || folder.rfind("//", 0) == 0))
        return Status::Fail(
            "The script lies in the network folder " + folder +
            ", where cmd.exe can't run the batch file. Map the folder to a drive "
            "letter, or uncheck \"Use Batch-File\" to start the compiler directly.");

    CompileCommand command;
    command.Text =
        inputs.BatchPath + " " + inputs.ProgramDir + " " + inputs.CommandText + " " + scriptName;
    command.WorkingDir = folder;
    if (style == PathStyle::Posix) {
        command.Program = "/bin/sh";
        command.Arguments.push_back(inputs.BatchPath);
    } else {
        command.Program = inputs.BatchPath;
    }
    command.Arguments.push_back(inputs.ProgramDir);
    Append(command.Arguments, words);
    command.Arguments.push_back(scriptName);
    return command;
}

Expected<CompileCommand> FormDirectCommand(const CompileInputs& inputs, PathStyle style) {
    std::vector<std::string> words = SplitCommandWords(inputs.CommandText);
    if (words.empty())
        return EmptyCommandError();
    std::string folder = inputs.CompilerPath + FolderSeparator(style);

    CompileCommand command;
    command.Text = folder + inputs.CommandText + " " + inputs.ScriptPath;
    command.WorkingDir = ContainingFolder(inputs.ScriptPath, style);
    command.Program = folder + words.front();
    command.Arguments.assign(words.begin() + 1, words.end());
    command.Arguments.push_back(inputs.ScriptPath);
    return command;
}

namespace {

bool IsPlainWindowsChar(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))
        return true;
    return std::string_view("#$*+-./:?@\\_").find(static_cast<char>(c)) != std::string_view::npos;
}

Status CheckWindowsArgument(const std::string& argument) {
    auto refuse = [&](const char* why) {
        return Status::Fail("Can't pass \"" + argument + "\" to the compiler safely: " + why + ".");
    };
    for (char c : argument) {
        switch (c) {
        case '%':
        case '!':
            return refuse("cmd.exe would expand its '%' or '!'");
        case '"':
            return refuse("it holds a double quote");
        case '\r':
        case '\n':
        case '\0':
            return refuse("it holds a line break or a NUL character");
        default:
            break;
        }
    }
    if (!argument.empty() && (argument.back() == '.' || argument.back() == ' '))
        return refuse("Windows drops a dot or a blank at the end of a file name");
    return Status::Ok();
}

bool NeedsQuotes(const std::string& argument) {
    if (argument.empty())
        return true;
    for (char c : argument)
        if (!IsPlainWindowsChar(static_cast<unsigned char>(c)))
            return true;
    return false;
}

/// Quotes one argument. Inside quotes backslashes are literal except in front
/// of a quote, so only a trailing run must be doubled to keep it from
/// escaping the closing quote. The program name is parsed differently (up to
/// the next quote, no escapes), so its backslashes are never doubled.
std::string QuoteWindowsArgument(const std::string& argument, bool isProgram) {
    if (!NeedsQuotes(argument))
        return argument;
    std::string quoted = "\"" + argument;
    if (!isProgram) {
        std::size_t trailing = 0;
        while (trailing < argument.size() && argument[argument.size() - 1 - trailing] == '\\')
            ++trailing;
        quoted.append(trailing, '\\');
    }
    quoted += '"';
    return quoted;
}

} // namespace

Expected<std::string> FormWindowsCommandLine(const std::vector<std::string>& argv) {
    std::string line;
    for (std::size_t i = 0; i < argv.size(); ++i) {
        if (Status checked = CheckWindowsArgument(argv[i]); !checked)
            return checked;
        if (i > 0)
            line += ' ';
        line += QuoteWindowsArgument(argv[i], i == 0);
    }
    if (line.size() > WindowsCommandLineLimit)
        return Status::Fail("The compiler's command line is " + std::to_string(line.size()) +
                            " characters long; Windows takes at most " +
                            std::to_string(WindowsCommandLineLimit) + ".");
    return line;
}

} // namespace qm
