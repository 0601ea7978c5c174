//===- ScriptOptions.cpp - How commands follow a script's preprocessor -------===//

#include "ScriptOptions.h"

#include "platform/System.h"

namespace qm {

void AddScriptOptions(CLI::App& command, ScriptOptions& into, bool edits) {
    command.add_option("-I,--include", into.IncludeFolders, "A folder to look for headers in.")
        ->type_name("DIR")
        ->take_all()
        ->allow_extra_args(false)
        ->group("Preprocessor");
    command.add_option("-D,--define", into.Defines, "Defines NAME, as 1 or as VALUE.")
        ->type_name("NAME[=VALUE]")
        ->take_all()
        ->allow_extra_args(false)
        ->group("Preprocessor");
    command.add_option("-U,--undefine", into.Undefines, "Removes the macro NAME.")
        ->type_name("NAME")
        ->take_all()
        ->allow_extra_args(false)
        ->group("Preprocessor");
    if (!edits)
        return;
    command.add_flag("--no-follow", into.NoFollow,
                     "Refuse a version spelled with #defines instead of editing the defines "
                     "where it lives.");
    command
        .add_option("--resource-language", into.ResourceLanguage,
                    "Edit only the VERSIONINFO of this language (LANGUAGE before it; 409 "
                    "without one); by default every copy.")
        ->type_name("HEX");
}

void AddNoStringsOption(CLI::App& command, ScriptOptions& into) {
    command.add_flag("--no-strings", into.NoStrings,
                     "Keep the FileVersion and ProductVersion strings as they are; by default "
                     "those that agreed with the old fixed version follow the new one.");
}

PreprocessOptions PreprocessFor(const ScriptOptions& options, const std::string& path) {
    PreprocessOptions preprocess;
    preprocess.ScriptPath = path;
    preprocess.IncludeFolders = options.IncludeFolders;
    for (std::string& folder : platform::CompilerIncludeFolders())
        preprocess.IncludeFolders.push_back(std::move(folder));
    preprocess.Defines = options.Defines;
    preprocess.Undefines = options.Undefines;
    preprocess.ReadIncludes = true;
    return preprocess;
}

} // namespace qm
