// The text files a run keeps (the settings, the registry) when another run may have saved
// them while this one ran.
//
// A run that started while another kept the data folder reads the kept files as that run
// left them, and takes the folder only once it is free. What it writes then is the file as
// the other run left it with only what this run changed since its start put in: entry by
// entry, an entry being a top-level line or block of the text (a ":set name" line, a
// folder), and each tank script of a "latentTanks" folder apart.
#pragma once

#include <string>

// Splits text into its entries and puts them together again: the entries of now (the file as
// it is), except those that ours (what this run would write) changed since base (what it
// would have written at its start): those as ours has them, and ours' new ones after them.
// Text whose braces do not pair up (no file the program wrote) gives ours whole.
std::string mergeKeptText(std::string const& now, std::string const& base, std::string const& ours);

// Records, for a run that does not keep the data folder, what it read of the kept file at
// path and what it would have written of it then.
void keepTextBaseline(char const* path, std::string const& fileRead, std::string const& ours);
// What to write at path for ours: ours itself, unless a baseline was kept for path and the
// file differs now from what was read then (another run saved in between): then the merge.
std::string keptTextToWrite(char const* path, std::string const& ours);
// Forgets every baseline (a new start).
void forgetTextBaselines();
// The file's bytes, or empty when it cannot be read (the program's own file: no link).
std::string readKeptText(char const* path);
// Writes text at path safely (the old file stays until the new one is complete); 0 done.
int writeKeptText(char const* path, std::string const& text);
