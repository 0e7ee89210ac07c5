// The preview verb of the tilemap command: a tile map as a PNG picture.
#pragma once

// Runs "tilemap preview" with the arguments after the verb (argv[first..]).
// Returns the exit status: 0 done, 1 failed, 2 usage error.
int Preview_Main(int argc, char** argv, int first);
