/*
 * Linked only into what the emulated ARM64 test runs execute, never into a shipped binary.
 *
 * Debian's arm64 Wine builds its DLLs as ELF, so its ucrtbase reads a va_list in the
 * Linux AArch64 layout (a structure), while Windows ARM64 code passes a plain pointer:
 * every UCRT printf- and scanf-family call with arguments crashes there. These
 * definitions of the UCRT's formatting entry points, and of the import pointers the
 * headers call them through, take their place and format with mingw-w64's own
 * formatters, which read the Windows va_list.
 *
 * The mingw-w64 formatters follow C99: in a wide format, %s is a narrow string. Write %ls.
 */
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

/* Found by the static check of the shipped binaries, which must not hold it. */
__attribute__((used)) static const char shimMarker[] = "verimark-stdio-shim";

#define LEGACY_NULL_TERMINATION 0x1ULL  /* _CRT_INTERNAL_PRINTF_LEGACY_VSPRINTF_NULL_TERMINATION */
#define STANDARD_SNPRINTF 0x2ULL        /* _CRT_INTERNAL_PRINTF_STANDARD_SNPRINTF_BEHAVIOR */

int __mingw_vsnprintf(char*, size_t, const char*, va_list);
int __mingw_vfprintf(FILE*, const char*, va_list);
int __mingw_vsnwprintf(wchar_t*, size_t, const wchar_t*, va_list);
int __mingw_vsscanf(const char*, const char*, va_list);
int __mingw_vfscanf(FILE*, const char*, va_list);
int __mingw_vswscanf(const wchar_t*, const wchar_t*, va_list);
int __mingw_vfwscanf(FILE*, const wchar_t*, va_list);


/* The UCRT's names: the headers declare these dllimport, so they are defined here under
 * names of their own, carry the UCRT's names as their symbols, and calls through the
 * headers' import pointers reach them. */
int Shim_vsprintf(uint64_t, char*, size_t, const char*, void*, va_list) __asm__("__stdio_common_vsprintf");
int Shim_vsprintf_s(uint64_t, char*, size_t, const char*, void*, va_list) __asm__("__stdio_common_vsprintf_s");
int Shim_vsnprintf_s(uint64_t, char*, size_t, size_t, const char*, void*, va_list) __asm__("__stdio_common_vsnprintf_s");
int Shim_vfprintf(uint64_t, FILE*, const char*, void*, va_list) __asm__("__stdio_common_vfprintf");
int Shim_vfprintf_s(uint64_t, FILE*, const char*, void*, va_list) __asm__("__stdio_common_vfprintf_s");
int Shim_vswprintf(uint64_t, wchar_t*, size_t, const wchar_t*, void*, va_list) __asm__("__stdio_common_vswprintf");
int Shim_vswprintf_s(uint64_t, wchar_t*, size_t, const wchar_t*, void*, va_list) __asm__("__stdio_common_vswprintf_s");
int Shim_vsnwprintf_s(uint64_t, wchar_t*, size_t, size_t, const wchar_t*, void*, va_list) __asm__("__stdio_common_vsnwprintf_s");
int Shim_vfwprintf(uint64_t, FILE*, const wchar_t*, void*, va_list) __asm__("__stdio_common_vfwprintf");
int Shim_vfwprintf_s(uint64_t, FILE*, const wchar_t*, void*, va_list) __asm__("__stdio_common_vfwprintf_s");
int Shim_vsscanf(uint64_t, const char*, size_t, const char*, void*, va_list) __asm__("__stdio_common_vsscanf");
int Shim_vfscanf(uint64_t, FILE*, const char*, void*, va_list) __asm__("__stdio_common_vfscanf");
int Shim_vswscanf(uint64_t, const wchar_t*, size_t, const wchar_t*, void*, va_list) __asm__("__stdio_common_vswscanf");
int Shim_vfwscanf(uint64_t, FILE*, const wchar_t*, void*, va_list) __asm__("__stdio_common_vfwscanf");

/* The UCRT's answer for a text of `needed` units and room for `room`: the C99 count when
 * asked for it, else -1 when it did not fit (the legacy _vsnprintf). */
static int Fitted(uint64_t options, int needed, size_t room)
{
    if (needed < 0 || (options & STANDARD_SNPRINTF) || room == (size_t)-1)
        return needed;
    return (size_t)needed < room ? needed : -1;
}

int Shim_vsprintf(uint64_t options, char* text, size_t room, const char* format, void* locale,
                                    va_list arguments)
{
    (void)locale;
    if (!text)
        return __mingw_vsnprintf(NULL, 0, format, arguments);
    return Fitted(options, __mingw_vsnprintf(text, room, format, arguments), room);
}

int Shim_vsprintf_s(uint64_t options, char* text, size_t room, const char* format, void* locale,
                                      va_list arguments)
{
    const int needed = Shim_vsprintf(options | STANDARD_SNPRINTF, text, room, format, locale, arguments);
    if (needed >= 0 && (size_t)needed >= room) {
        if (text && room)
            text[0] = '\0';
        return -1;
    }
    return needed;
}

int Shim_vsnprintf_s(uint64_t options, char* text, size_t room, size_t count, const char* format,
                                       void* locale, va_list arguments)
{
    const size_t limit = count < room ? count + 1 : room;
    const int needed = Shim_vsprintf(options | STANDARD_SNPRINTF, text, limit, format, locale, arguments);
    return needed >= 0 && (size_t)needed >= limit ? -1 : needed;
}

int Shim_vfprintf(uint64_t options, FILE* file, const char* format, void* locale,
                                    va_list arguments)
{
    (void)options;
    (void)locale;
    return __mingw_vfprintf(file, format, arguments);
}

int Shim_vfprintf_s(uint64_t options, FILE* file, const char* format, void* locale,
                                      va_list arguments)
{
    return Shim_vfprintf(options, file, format, locale, arguments);
}

int Shim_vswprintf(uint64_t options, wchar_t* text, size_t room, const wchar_t* format,
                                     void* locale, va_list arguments)
{
    (void)locale;
    if (!text)
        return __mingw_vsnwprintf(NULL, 0, format, arguments);
    return Fitted(options, __mingw_vsnwprintf(text, room, format, arguments), room);
}

int Shim_vswprintf_s(uint64_t options, wchar_t* text, size_t room, const wchar_t* format,
                                       void* locale, va_list arguments)
{
    const int needed = Shim_vswprintf(options | STANDARD_SNPRINTF, text, room, format, locale, arguments);
    if (needed >= 0 && (size_t)needed >= room) {
        if (text && room)
            text[0] = L'\0';
        return -1;
    }
    return needed;
}

int Shim_vsnwprintf_s(uint64_t options, wchar_t* text, size_t room, size_t count,
                                        const wchar_t* format, void* locale, va_list arguments)
{
    const size_t limit = count < room ? count + 1 : room;
    const int needed = Shim_vswprintf(options | STANDARD_SNPRINTF, text, limit, format, locale, arguments);
    return needed >= 0 && (size_t)needed >= limit ? -1 : needed;
}

/* __mingw_vfwprintf comes back here through fwprintf: format into memory, then write. */
int Shim_vfwprintf(uint64_t options, FILE* file, const wchar_t* format, void* locale,
                                     va_list arguments)
{
    (void)options;
    (void)locale;
    wchar_t small[512];
    va_list copy;
    va_copy(copy, arguments);
    const int needed = __mingw_vsnwprintf(small, sizeof small / sizeof small[0], format, copy);
    va_end(copy);
    if (needed < 0)
        return needed;
    if ((size_t)needed < sizeof small / sizeof small[0])
        return fputws(small, file) < 0 ? -1 : needed;
    wchar_t* large = malloc(((size_t)needed + 1) * sizeof(wchar_t));
    if (!large)
        return -1;
    __mingw_vsnwprintf(large, (size_t)needed + 1, format, arguments);
    const int written = fputws(large, file) < 0 ? -1 : needed;
    free(large);
    return written;
}

int Shim_vfwprintf_s(uint64_t options, FILE* file, const wchar_t* format, void* locale,
                                       va_list arguments)
{
    return Shim_vfwprintf(options, file, format, locale, arguments);
}

int Shim_vsscanf(uint64_t options, const char* input, size_t length, const char* format,
                                   void* locale, va_list arguments)
{
    (void)options;
    (void)length;
    (void)locale;
    return __mingw_vsscanf(input, format, arguments);
}

int Shim_vfscanf(uint64_t options, FILE* file, const char* format, void* locale, va_list arguments)
{
    (void)options;
    (void)locale;
    return __mingw_vfscanf(file, format, arguments);
}

int Shim_vswscanf(uint64_t options, const wchar_t* input, size_t length, const wchar_t* format,
                                    void* locale, va_list arguments)
{
    (void)options;
    (void)length;
    (void)locale;
    return __mingw_vswscanf(input, format, arguments);
}

int Shim_vfwscanf(uint64_t options, FILE* file, const wchar_t* format, void* locale,
                                    va_list arguments)
{
    (void)options;
    (void)locale;
    return __mingw_vfwscanf(file, format, arguments);
}

/* The import pointers the headers' dllimport declarations call through. */
void* __imp___stdio_common_vsprintf = (void*)Shim_vsprintf;
void* __imp___stdio_common_vsprintf_s = (void*)Shim_vsprintf_s;
void* __imp___stdio_common_vsnprintf_s = (void*)Shim_vsnprintf_s;
void* __imp___stdio_common_vfprintf = (void*)Shim_vfprintf;
void* __imp___stdio_common_vfprintf_s = (void*)Shim_vfprintf_s;
void* __imp___stdio_common_vswprintf = (void*)Shim_vswprintf;
void* __imp___stdio_common_vswprintf_s = (void*)Shim_vswprintf_s;
void* __imp___stdio_common_vsnwprintf_s = (void*)Shim_vsnwprintf_s;
void* __imp___stdio_common_vfwprintf = (void*)Shim_vfwprintf;
void* __imp___stdio_common_vfwprintf_s = (void*)Shim_vfwprintf_s;
void* __imp___stdio_common_vsscanf = (void*)Shim_vsscanf;
void* __imp___stdio_common_vfscanf = (void*)Shim_vfscanf;
void* __imp___stdio_common_vswscanf = (void*)Shim_vswscanf;
void* __imp___stdio_common_vfwscanf = (void*)Shim_vfwscanf;
