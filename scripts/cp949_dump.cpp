// Dumps what the Win32 code page services do for code page 949, so that the
// Linux build's own tables can be generated from Windows itself (run under
// Wine by scripts/gen-cp949.sh; scripts/gen_cp949_table.py reads the dump).
//
// Every line is one record, fields in hexadecimal:
//   acp ACP                       GetACP(), for the record
//   system NAME                   the Wine version, or "windows"
//   cpinfo MAXSIZE DEFAULT UNIDEFAULT
//   lead B B ...                  the bytes IsDBCSLeadByteEx(949) accepts
//   s BB U ...                    MultiByteToWideChar(949, 0) of the one byte BB
//   d LLTT U ...                  the same for the two bytes LL TT (LL a lead byte)
//   w UUUU B ... / USED           WideCharToMultiByte(949, 0) of the one unit UUUU,
//                                 and whether it reported the default character
#include <windows.h>
#include <cstdio>

static const UINT kCodePage = 949;

static void DumpBytes(FILE* out, const char* kind, const unsigned char* bytes, int count) {
    WCHAR units[8];
    int n =
        MultiByteToWideChar(kCodePage, 0, reinterpret_cast<const char*>(bytes), count, units, 8);
    std::fprintf(out, "%s ", kind);
    for (int i = 0; i < count; i++)
        std::fprintf(out, "%02X", bytes[i]);
    if (n <= 0) std::fprintf(out, " error%lu", GetLastError());
    for (int i = 0; i < n; i++)
        std::fprintf(out, " %04X", units[i]);
    std::fputc('\n', out);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: cp949_dump OUTPUT\n");
        return 2;
    }
    FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::fprintf(stderr, "cp949_dump: cannot write %s\n", argv[1]);
        return 1;
    }
    std::fprintf(out, "acp %u\n", GetACP());
    typedef const char*(__cdecl * WineGetVersion)();
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    WineGetVersion wineVersion = ntdll ? reinterpret_cast<WineGetVersion>(reinterpret_cast<void*>(
                                             GetProcAddress(ntdll, "wine_get_version")))
                                       : nullptr;
    std::fprintf(out, "system %s%s\n", wineVersion ? "wine-" : "",
                 wineVersion ? wineVersion() : "windows");
    CPINFOEXA info;
    if (!GetCPInfoExA(kCodePage, 0, &info)) return 1;
    std::fprintf(out, "cpinfo %u %02X %04X\n", info.MaxCharSize, info.DefaultChar[0],
                 info.UnicodeDefaultChar);
    std::fprintf(out, "lead");
    for (int b = 0; b < 256; b++)
        if (IsDBCSLeadByteEx(kCodePage, static_cast<BYTE>(b))) std::fprintf(out, " %02X", b);
    std::fputc('\n', out);

    for (int b = 0; b < 256; b++) {
        unsigned char one = static_cast<unsigned char>(b);
        DumpBytes(out, "s", &one, 1);
    }
    for (int lead = 0; lead < 256; lead++) {
        if (!IsDBCSLeadByteEx(kCodePage, static_cast<BYTE>(lead))) continue;
        for (int trail = 0; trail < 256; trail++) {
            unsigned char two[2] = {static_cast<unsigned char>(lead),
                                    static_cast<unsigned char>(trail)};
            DumpBytes(out, "d", two, 2);
        }
    }
    for (int u = 0; u < 0x10000; u++) {
        WCHAR unit = static_cast<WCHAR>(u);
        char bytes[8];
        BOOL usedDefault = FALSE;
        int n = WideCharToMultiByte(kCodePage, 0, &unit, 1, bytes, 8, nullptr, &usedDefault);
        std::fprintf(out, "w %04X", u);
        if (n <= 0) std::fprintf(out, " error%lu", GetLastError());
        for (int i = 0; i < n; i++)
            std::fprintf(out, " %02X", static_cast<unsigned char>(bytes[i]));
        std::fprintf(out, " / %d\n", usedDefault ? 1 : 0);
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
