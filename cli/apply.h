// The apply verb of the tilemap command: a tile map applied to the tiles of
// a graphic file.
#pragma once

// Runs "tilemap apply" with the arguments after the verb (argv[first..]).
// Returns the exit status: 0 done, 1 refused or failed, 2 usage error.
int Apply_Main(int argc, char** argv, int first);
