// The check verb of the tilemap command: a pattern's dry run with
// diagnostics in the manner of a compiler.
#pragma once

// Runs "tilemap check" with the arguments after the verb (argv[first..]).
// Returns the exit status: 0 no warnings, 1 warnings or an unreadable
// pattern, 2 usage error.
int Check_Main(int argc, char** argv, int first);
