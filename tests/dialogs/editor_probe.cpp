// Stands in for the outside editor in the tests: writes how many arguments
// it received, the first of them, and its raw command line, one a line,
// into the file named like itself with ".txt" added.
#include <windows.h>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof(self));
    std::string out = std::string(self) + ".txt", part = out + ".part";
    FILE* f = fopen(part.c_str(), "wb");
    if (!f) return 1;
    fprintf(f, "%d\n%s\n%s\n", argc, argc > 1 ? argv[1] : "", GetCommandLineA());
    fclose(f);
    // Whole or not at all: the test waits for the name to appear.
    return MoveFileA(part.c_str(), out.c_str()) ? 0 : 1;
}
