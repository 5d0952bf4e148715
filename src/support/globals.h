// Program-wide folder and start-up state shared by the runtime support.
#pragma once

#include <cstdint>

#include "support/mystring.h"

extern Cstring appDataDir;      // "[APD]": the data folder, ending in "/"
extern Cstring installDir;      // "[INS]": the installed resource folder, ending in "/"
extern Cstring macContentsDir;  // "[MOS]" is this plus "MacOS/"
extern Cstring systemDirectory; // "[SYS]": never filled here, so the keyword stays
extern char directorySlash;
// Why the data folder takes no files ("the data folder \"...\" cannot be written: Read-only
// file system"); empty when it does. Such a folder is only read: the resources come from the
// install folder, and no log or save is written.
extern Cstring dataFolderReadOnly;
// Set while dataFolderReadOnly says so because another run of the program keeps the folder:
// this run takes it once it is free (world/dataFolderRun.h).
extern bool dataFolderHeldElsewhere;
// Why the data folder's resource copy could not be made or renewed in this run (a full disk);
// empty while it could. The run then reads the install folder's resources, as over a
// read-only folder, and keeps its data folder otherwise (support/resourceCopy.h).
extern Cstring resourceCopyGivenUp;

// Set by the shop keeper when the settings file could not be read; read by showError.
extern uint8_t settingsFileError;
extern uint8_t allowFixSettings;
// The help page showError asks the host to open, if any.
extern Cstring helpPageToOpen;

// Shared scratch text buffer; whoever writes it bounds the write to tempBufSize.
constexpr int tempBufSize = 4096;
extern char tempBuf[tempBufSize];
