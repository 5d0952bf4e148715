// The text files a run keeps (the settings, the registry) when another run may have saved
// them while this one ran.
//
// A run that started while another kept the data folder reads the kept files as that run
// left them, and takes the folder only once it is free. What it writes then is the file as
// the other run left it with only what this run changed since its start put in: entry by
// entry, an entry being a top-level line or block of the text (a ":set name" line, a
// folder), each tank script of a "latentTanks" folder apart.
//
// An entry both runs changed is merged inside: a folder or a tank entry by entry, a tank's
// animals by their number of each species (what each run added or took out), a tank's type
// as the run that chose another has it. A value both changed is this run's, the later
// change. What cannot be merged so (a stored script both edited, a tank both gave another
// type or built from its definition, a file whose blocks do not pair up) is this run's,
// and the other run's save is kept whole beside the file (".other-run"), and said.
#pragma once

#include <string>
#include <vector>

// The entries of now (the file as it is) merged with what ours (what this run would write)
// changed since base (what it would have written at its start); a top-level entry of ours
// that now holds as read has it (the file this run read, when given) is ours. What could not
// be merged goes into unmerged, when given (what it is, by name); text whose braces do not
// pair up (no file the program wrote) gives ours whole, and says so there when now was not
// empty.
std::string mergeKeptText(std::string const& now, std::string const& base, std::string const& ours,
                          std::vector<std::string>* unmerged = nullptr, std::string const* read = nullptr);

// Records, for a run that does not keep the data folder, what it read of the kept file at
// path and what it would have written of it then; the first record of a start stays (an
// engine started again in the same run keeps it).
void keepTextBaseline(char const* path, std::string const& fileRead, std::string const& ours);
// Writes ours at path: ours itself, unless a baseline was kept for path and another run
// saved the file since (or this run's last write held the merge): then the merge, with the
// other run's save kept whole beside it when something could not be merged. What runs that
// ended beside this one left of the file is taken in (takeInLeftKeptText). 0 written.
int saveKeptText(char const* path, std::string const& ours, std::vector<std::string> const& counts = {});
// A run that ends while another keeps the data folder leaves what it changed of the file at
// path for that run: a file of its own beside it, "<path>.left-<tag>" (tag: this run's alone),
// written safely, holding what this run read of the file, what it would have written at its
// start and ours, what it would write now. 0 left (its name in where), -1 nothing to leave
// (no baseline, ours empty or as at the start), 1 not written (lastWriteError says why).
int leaveKeptText(char const* path, std::string const& ours, std::string const& tag, std::string& where);
// The run that keeps the folder takes in what ended runs left of the file at path (their
// changes since their start merged into the file it writes, as they would have written it)
// at each save of it, and keeps them in every later save; a start takes them in before it
// reads the file. A left file is removed once the file holding it is written; one that
// cannot be read as such is set aside. The ":set" values named in counts (the registry's
// start counts) add up what each run counted. 0 done (or nothing left), 1 not written.
int takeInLeftKeptText(char const* path, std::vector<std::string> const& counts = {});
// A left file's text, and its parts again; false when text is no left file.
std::string leftKeptText(std::string const& read, std::string const& base, std::string const& ours);
bool readLeftKeptText(std::string const& text, std::string& read, std::string& base, std::string& ours);
// What a run beside another would have written at path and could not (its engine, started
// again, goes on from it rather than from the file); empty: none.
void holdKeptText(char const* path, std::string const& text);
std::string const& heldKeptText(char const* path);
// Forgets every baseline and held text (a new start).
void forgetTextBaselines();
// Forgets the baseline and held text of the file at path: it was set aside, and nothing this
// run read of it or made of it is merged against.
void forgetTextBaseline(char const* path);
// The file's bytes, or empty when it cannot be read (the program's own file: no link).
std::string readKeptText(char const* path);
// Writes text at path safely (the old file stays until the new one is complete); 0 done.
int writeKeptText(char const* path, std::string const& text);
