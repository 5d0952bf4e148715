// Files, path keywords and safe writes.
//
// Every path the engine touches may hold keywords in square brackets ("[APD]settings.txt");
// they are expanded at the moment the file is used. Output files can be written safely:
// with backupWrite set, the new content goes to "<name>.temp" and replaces the old file
// only once it is complete (the moves go through the host's file services); a write that
// fails leaves the old file as it was and no ".temp" file beside it. A file that has other
// names too (a hard link) is never written through: the write makes a new file in its place.
#pragma once

#include <cstdint>
#include <fstream>
#include <vector>

#include "support/mystring.h"

extern uint8_t backupWrite; // the next output file that opens is written safely
// The files that could not be opened for writing, each as ">" name "|" (a few thousand
// characters at most).
extern Cstring failedWrite;
// The system's reason the last output file failed to open, be written or be put in place
// ("No space left on device"); empty after one that opened and, when closed, was complete.
extern Cstring lastWriteError;

// Path keywords: "[APD]", "[INS]", "[TMP]", "[MOS]" expand to their folders; "[SYS]" and a
// keyword whose folder is still unknown stay as they are. Two backquotes become a '"'.
Cstring replaceCommonPathKeyword(Cstring const& text);
Cstring replaceCommonPathKeyword(char const* text);
void replaceCommonPathKeyword(Cstring& out, char const* text, int length);
// Fills an empty string with the default data folder (see host/osFunctions for the rules).
void fetchAppDataDir(Cstring& dir);

// Files. Results: 1 success / 0 failure for opens; 0 success / 1 failure for the others.
int file_open(std::ifstream& in, char const* path, unsigned int mode);
void file_close(std::ifstream& in);
int file_open(std::ofstream& out, Cstring path, unsigned int mode);
// Closes; finishes the stream's pending safe write. A safe write that could not put the new
// file in place keeps the old one and leaves the stream failed. Each stream keeps its own
// pending write, so files opened and closed meanwhile (a log, a marker) never disturb it.
void file_close(std::ofstream& out);
// Safe writes opened and not yet closed.
int pendingSafeWrites();
int fileExists(char const* path);
long getDiskFileSize(char const* path); // -1 when missing
int createDiskFile(char const* path, char const* text, int size);
int deleteFile(char const* path);
int renameFile(char const* oldPath, char const* newPath);
int makedir(char const* path);
// A file at path (expanded) that has other names too (a hard link, which may lead out of the
// data folder) is unlinked, so that a write there makes a new file and the other names keep
// their content; false when it could not be.
bool unlinkSharedFile(char const* path);
// 0 when a file can be made in folder (one is made and removed at once), else the system's
// reason (EROFS, EACCES).
int folderWriteError(char const* folder);
int createDirectories(char const* path, int levelAdjust);
// "<path>.damaged", else "<path>.damaged2" and so on (or another suffix): the first name
// nothing holds; empty when every one is taken.
Cstring freeSetAsideName(char const* path, char const* suffix = ".damaged");
// A name the program writes to that holds no regular file of its own (a folder, a pipe, a
// socket, a device, a symbolic link, wherever it leads) is moved aside under a free
// ".damaged" name, so that the write can go on. 0: nothing stands in the way; 1: set aside;
// -1: it could not be moved (or this run may not write the data folder).
int setAsideUnlessFile(char const* path);

// A name directly in the data folder is the program's own file (the settings, the registry,
// the logs, the run marker, "msg.txt" and the like): it is only ever a regular file of that
// one name. Whatever else stands there is set aside before the file is read or written, and
// no open follows a link or waits on a pipe. (The path is expanded.)
bool ownFileOfDataFolder(char const* fullPath);
// Opens the program's own file: for reading only a regular file (anything else is set aside:
// -1 with errno ENOENT); for writing a file of this one name, never through a link: one that
// has other names too is replaced by a new file. The open descriptor, or -1 with errno.
// quiet: nothing is set aside or logged (for the trace's own writer).
enum { OWN_READ = 0, OWN_TRUNCATE = 1, OWN_APPEND = 2, OWN_QUIET = 4 };
int openOwnFile(char const* fullPath, int how);
// The name under which a stream opens the file behind an open descriptor: the open file
// itself, whatever its name comes to hold meanwhile.
Cstring descriptorPath(int fd);
// Opens a stream on the program's own file (openOwnFile, then the stream on its descriptor,
// which is closed); false when it could not be, with errno telling why.
bool openOwnStream(std::ofstream& out, char const* fullPath, int how);
bool openOwnStream(std::ifstream& in, char const* fullPath, int how = OWN_READ);

// A save that could not be written (the registry, the custom variables, the saver's
// defaults): said once, in the log and on stderr, naming the file, why and what follows,
// until a save of that file works again (saySaveWorked).
void saySaveFailed(char const* path, char const* why, char const* consequence);
void saySaveWorked(char const* path);

// Whether this run may write in the data folder: it is known, writable and no other run of
// the program keeps it. Writes there are refused otherwise (with dataFolderReadOnly's reason).
bool mayWriteDataFolder();
// True when a write to path (expanded) is refused: it lies in the data folder and this run
// may not write there, or it lands in the install folder, by whatever name or link (the
// folders along it resolved and, with throughLink, a link at its end followed: the writes
// that open through it; moving, removing or replacing a name acts on the name alone).
bool writeRefused(char const* fullPath, bool throughLink = true);
// Whether path is folder or lies inside it, both judged on real paths (every link along
// them resolved as far as they exist).
bool realPathWithin(char const* path, char const* folder);
int tokenize(std::vector<Cstring>& pieces, char const* text, char separator);

// Path names (changed in place).
int findIndexFromEnd(char const* text, char c);
void justSuffix(Cstring& path);
void noSuffix(Cstring& path);
void noPath(Cstring& path);
void justPath(Cstring& path, int adjust);
int strreplace(char* text, char from, char to);
void toUpper(Cstring& text);
