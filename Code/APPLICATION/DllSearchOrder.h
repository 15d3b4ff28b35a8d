// Where the process looks for libraries loaded by bare name.
#pragma once

// Takes the current folder out of the search for libraries, leaving the
// executable's folder and the system's: whoever can place a file in the
// current folder (the launch screen reads its font and watermark there)
// must not be able to have it loaded as a UI module or as the debug-help
// library. Called before anything is loaded by name.
void RemoveCurrentFolderFromDllSearch();
