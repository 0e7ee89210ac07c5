// Stands in for the outside editor in the tests: writes its argument count,
// first argument and raw command line, one a line, into the file named like
// itself with ".txt" added; the name appears only once the text is whole.
#include <windows.h>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof(self));
    std::string out = std::string(self) + ".txt", part = out + ".part";
    FILE* f = fopen(part.c_str(), "wb");
    fprintf(f, "%d\n%s\n%s\n", argc, argc > 1 ? argv[1] : "", GetCommandLineA());
    return fclose(f) == 0 && MoveFileA(part.c_str(), out.c_str()) ? 0 : 1;
}
