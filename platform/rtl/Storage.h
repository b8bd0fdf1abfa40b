// Where the player's files (settings, progress) last beyond the program.
//
// On a desktop the files in the program's folder are enough. In the browser build that folder
// is in memory and gone at the next load of the page: there each file the program replaces is
// also kept in the page's persistent storage (IndexedDB) and brought back at the next start.
#pragma once

#include <cstddef>
#include <string>

namespace rtl {

// Brings the kept files back into the program's folder (the current folder by then). Called
// once at start-up, before anything reads them.
void RestorePlayerFiles();
// The file at path (absolute or relative to the current folder) now holds these bytes.
void KeepPlayerFile(const std::string& path, const void* data, size_t size);

} // namespace rtl
