//===- Win32Text_win32.cpp - Text conversions of the Windows sources ------===//

#include "platform/Win32Text.h"

#include <windows.h>

namespace qm::platform {

std::wstring WidenAnsi(const std::string& bytes) {
    if (bytes.empty())
        return std::wstring();
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, &wide[0], length);
    return wide;
}

std::string NarrowToAnsi(const std::wstring& text) {
    if (text.empty())
        return std::string();
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0)
        return std::string();
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, &bytes[0], length, nullptr, nullptr);
    return bytes;
}

std::optional<std::string> NarrowExactly(const std::wstring& text, unsigned codePage) {
    if (text.empty())
        return std::string();
    // A system set to use UTF-8 (the ANSI or OEM code page 65001) holds every
    // character; the conversion then takes neither flag nor default character.
    const unsigned resolved = codePage == CP_ACP     ? GetACP()
                              : codePage == CP_OEMCP ? GetOEMCP()
                                                     : codePage;
    const bool utf8 = resolved == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* const defaultUsed = utf8 ? nullptr : &usedDefault;
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(resolved, flags, text.data(), size, nullptr, 0, nullptr, defaultUsed);
    if (length <= 0 || usedDefault)
        return std::nullopt;
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(resolved, flags, text.data(), size, &bytes[0], length, nullptr,
                        defaultUsed);
    if (usedDefault)
        return std::nullopt;
    return bytes;
}

// UTF-8 takes no best-fit flag and reports no default character; a lone
// surrogate becomes U+FFFD.
std::string NarrowToUtf8(const std::wstring& text) {
    if (text.empty())
        return std::string();
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &bytes[0], length, nullptr, nullptr);
    return bytes;
}

std::optional<std::string> NarrowToAnsiExactly(const std::wstring& text) {
    return NarrowExactly(text, CP_ACP);
}

std::string SystemErrorText(unsigned long error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message =
        length && text ? std::string(text, length) : "system error " + std::to_string(error);
    if (text)
        LocalFree(text);
    while (!message.empty() &&
           (message.back() == '\r' || message.back() == '\n' || message.back() == '.'))
        message.pop_back();
    return message;
}

std::wstring FullPathName(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return path;
    std::wstring full(needed, L'\0');
    full.resize(GetFullPathNameW(path.c_str(), needed, &full[0], nullptr));
    return full;
}

} // namespace qm::platform
