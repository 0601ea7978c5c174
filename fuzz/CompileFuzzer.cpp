//===- CompileFuzzer.cpp - The built-in compiler, against llvm-rc ----------===//
//
// The input is a script. The built-in compiler must never crash; what it
// compiles must read back as a version resource. Where QM_FUZZ_LLVM_RC
// names llvm-rc, each script the built-in compiler takes is compiled by
// llvm-rc too (code page 65001), and the two .res files must be the same
// bytes wherever llvm-rc compiles it.
//
//===----------------------------------------------------------------------===//
#include "FuzzCheck.h"

#include "versioninfo/binary/CompiledVersion.h"
#include "versioninfo/binary/ResCompiler.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

/// llvm-rc's .res of `script`, or nothing when it refuses it.
std::optional<std::string> LlvmRc(const char* llvmRc, const std::string& script) {
    static const std::string dir = [] {
        char pattern[] = "/tmp/qm-compile-fuzz-XXXXXX";
        return std::string(mkdtemp(pattern) ? pattern : "/tmp");
    }();
    std::ofstream(dir + "/in.rc", std::ios::binary) << script;
    std::remove((dir + "/in.res").c_str());
    const std::string command = std::string("'") + llvmRc + "' /C 65001 /FO '" + dir +
                                "/in.res' -- '" + dir + "/in.rc' >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return std::nullopt;
    std::ifstream res(dir + "/in.res", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(res), {});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string script(reinterpret_cast<const char*>(data), size);
    qm::ResCompileOptions options;
    options.CodePage = qm::ScriptCodePage::Utf8;
    const qm::Expected<std::string> res = qm::CompileVersionResource(script, options);
    if (!res)
        return 0;
    FUZZ_CHECK(qm::ReadCompiledVersion(*res));
    static const char* llvmRc = std::getenv("QM_FUZZ_LLVM_RC");
    if (llvmRc && *llvmRc) {
        if (const std::optional<std::string> theirs = LlvmRc(llvmRc, script))
            FUZZ_CHECK(*theirs == *res);
    }
    return 0;
}
