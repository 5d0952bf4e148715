#include "support/globals.h"

Cstring appDataDir;
Cstring installDir;
Cstring macContentsDir;
Cstring systemDirectory;
char directorySlash = '/';
Cstring dataFolderReadOnly;
bool dataFolderHeldElsewhere = false;
Cstring resourceCopyGivenUp;

uint8_t settingsFileError = 0;
uint8_t allowFixSettings = 1;
Cstring helpPageToOpen;

char tempBuf[tempBufSize];
