#include "tests/entry/system_texts.h"

#include <stdio.h>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "tests/support/support.h"

namespace {

#if defined(_WIN32)
std::string without_trailing_blanks(std::string s) {
    while (!s.empty() && (s.back() == ' ' || (s.back() >= '\t' && s.back() <= '\r'))) s.pop_back();
    return s;
}
#else
// The Windows wordings the Linux stand-in gives for the codes it maps.
const struct {
    uint32_t code;
    const char* text;
} kStandInTexts[] = {
    {1, "Incorrect function."},
    {2, "The system cannot find the file specified."},
    {3, "The system cannot find the path specified."},
    {5, "Access is denied."},
    {6, "The handle is invalid."},
    {8, "Not enough memory resources are available to process this command."},
    {19, "The media is write protected."},
    {21, "The device is not ready."},
    {31, "A device attached to the system is not functioning."},
    {87, "The parameter is incorrect."},
    {112, "There is not enough space on the disk."},
    {203, "The system could not find the environment option that was entered."},
    {206, "The filename or extension is too long."},
    {223, "The file size exceeds the limit allowed and cannot be saved."},
    {232, "The pipe is being closed."},
    {1117, "The request could not be performed because of an I/O device error."},
};
#endif

}  // namespace

std::string system_text(uint32_t code) {
    if (code == 0xFFFFFFFFu) return "Unknown error";
#if defined(_WIN32)
    wchar_t buf[1024];
    DWORD n = FormatMessageW(0x12FF, nullptr, code, 0, buf, 1024, nullptr);
    if (n > 0) return without_trailing_blanks(U8(std::u16string(reinterpret_cast<const char16_t*>(buf), n)));
#else
    for (const auto& t : kStandInTexts)
        if (t.code == code) return t.text;
#endif
    char fallback[32];
    snprintf(fallback, sizeof fallback, "Error %d", int(code));
    return fallback;
}
