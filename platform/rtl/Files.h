// Files with the name rules the game's data was made for: names are matched without regard to
// letter case and backslashes separate folders, so "./levels/level7.sal" finds "Level7.sal" and
// "compleated.cmp" finds "Compleated.cmp" on a case-sensitive file system.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace rtl {

// The path of an existing file or folder that matches path case-insensitively, component by
// component (an exact match wins over others). When nothing matches, the path itself with "/"
// separators, so that a file can be created under that name.
std::string ResolvePath(const std::string& path);

bool FileExists(const std::string& path);      // an existing file that is not a folder
bool DirectoryExists(const std::string& path); // an existing folder

// The folder of the running program, with a trailing "/".
std::string ProgramDir();
// Makes another folder stand for the program's folder (ProgramDir and ChangeToProgramDir then
// name it), so a driver can run the game on a copy of its tree; empty restores the real one.
void SetProgramDir(const std::string& dir);
// Makes ProgramDir the current folder, so the game finds its data wherever it was started from.
// Returns false (and changes nothing) when that is impossible.
bool ChangeToProgramDir();
std::string GetCurrentDir();

std::string ExtractFilePath(const std::string& path); // up to and including the last separator
std::string ExtractFileName(const std::string& path);
std::string ExtractFileExt(const std::string& path); // with the dot, or empty
std::string IncludeTrailingPathDelimiter(const std::string& path);
std::string ExpandFileName(const std::string& path);

// Opens an existing path (already resolved) for reading or writing without ever waiting:
// O_NONBLOCK and O_CLOEXEC are added, so a named pipe in a file's place cannot block open() for
// ever. Anything but a regular file (a folder, a pipe, a device) is closed again and refused.
// Returns the descriptor, or -1 with the reason as a sentence.
int OpenRegularFile(const std::string& path, int flags, std::string& reason);

// Replaces (or creates) the file with these bytes in one step: they go to a temporary file in
// the same folder, which is then renamed over the target, so a crash leaves either the old file
// or the new one, never half of it (file and folder are synced before this returns).
// A symbolic link is followed and its target replaced, so the link stays. An existing file keeps
// its permission bits, a new one gets 0644 less the umask (its owner always keeping reading and
// writing), and one the user may not write is
// refused as a plain open would refuse it (EFOpenError "Cannot open file "name". reason"), as is
// anything but a regular file; other failures raise EFCreateError ("Cannot create file "name".
// reason"). The old file is then untouched.
void WriteFileAtomic(const std::string& path, const void* data, size_t size);

// Changes a file that other programs may change at the same time: holds an exclusive advisory
// lock (flock) on it, hands update the file's first readLimit bytes (none for a missing file),
// and replaces the file with what update leaves (WriteFileAtomic), all before the lock goes. Two
// programs doing this take turns, and each works on what the other wrote. Raises the errors of
// OpenRegularFile (as EFOpenError) and of WriteFileAtomic; update may raise too.
void UpdateFileAtomic(const std::string& path, size_t readLimit,
                      const std::function<void(std::vector<uint8_t>&)>& update);

// The system's reason for an errno value, as a sentence.
std::string SysErrorMessage(int error);

} // namespace rtl
