#include "support/keptText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <list>
#include <map>
#include <string>
#include <utility>

#include "support/cerr.h"
#include "support/fileIO.h"

namespace {

struct Centry {
    std::string key;  // ":set name", ":addTank id", else the first line; "latentTanks/" before a tank's
    std::string text; // its lines as written, each ending in a line end
    std::string norm; // its lines trimmed, an empty block as its first line: what is compared
    bool tank = false;
    bool block = false;
    std::string header, closer; // a block's first and last line, as written
    std::vector<Centry> children;
};
using Centries = std::vector<Centry>;

std::string trimmed(std::string const& line) {
    size_t first = line.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return std::string();
    return line.substr(first, line.find_last_not_of(" \t\r\n") - first + 1);
}

// What a line does to the depth of blocks: "x {" opens one, "}" closes one, "} else {" both.
int depthChange(std::string const& line) {
    std::string t = trimmed(line);
    if (t.empty()) return 0;
    return (t.back() == '{' ? 1 : 0) - (t.front() == '}' ? 1 : 0);
}

// The line without its block's brace.
std::string withoutBrace(std::string const& line) {
    std::string t = trimmed(line);
    return t.empty() || t.back() != '{' ? t : trimmed(t.substr(0, t.size() - 1));
}

bool startsWith(std::string const& text, char const* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// A value by its name; a tank by its id (its type may change); else the line.
std::string keyOf(std::string const& line) {
    std::string t = withoutBrace(line);
    auto words = [&t](int n) {
        size_t end = 0;
        for (int i = 0; i < n && end != std::string::npos; i++)
            end = t.find_first_of(" \t", t.find_first_not_of(" \t", end));
        return end;
    };
    if (startsWith(t, ":set ") || startsWith(t, ":array ")) return t.substr(0, words(2));
    if (startsWith(t, ":addTank ") && words(2) != std::string::npos) return ":addTank" + t.substr(words(2));
    return t;
}

// Blocks merged entry by entry: folders, tanks, their schools.
bool mergedInside(Centry const& e) {
    for (char const* kind : {":mkdir ", ":cd ", ":var ", ":addTank ", ":addSchool "})
        if (startsWith(e.key, kind)) return true;
    return e.tank;
}

bool animal(std::string const& key) {
    return startsWith(key, ":addThing ");
}

// Deeper blocks than any save writes: no file the program wrote.
constexpr int kDeepestBlock = 64;

// The entries of lines [from, to), depth blocks in; false when its blocks do not pair up.
bool parse(std::vector<std::string> const& lines, size_t from, size_t to, Centries& entries, int depth = 0) {
    if (depth > kDeepestBlock) return false;
    for (size_t i = from; i < to;) {
        std::string const& line = lines[i];
        int change = depthChange(line);
        if (trimmed(line).empty()) {
            i++;
            continue;
        }
        if (change < 0) return false;
        Centry e;
        e.key = keyOf(line);
        if (change == 0) {
            e.text = line + "\n";
            e.norm = trimmed(line) + "\n";
            entries.push_back(e);
            i++;
            continue;
        }
        size_t end = i;
        for (int depth = 0; end < to; end++) {
            depth += depthChange(lines[end]);
            if (depth <= 0) break;
        }
        if (end >= to) return false;
        e.block = true;
        e.header = line + "\n";
        e.closer = lines[end] + "\n";
        if (!parse(lines, i + 1, end, e.children, depth + 1)) return false;
        for (size_t k = i; k <= end; k++)
            e.text += lines[k] + "\n";
        if (e.children.empty()) {
            e.norm = withoutBrace(line) + "\n";
        } else {
            e.norm = trimmed(line) + "\n";
            for (Centry const& child : e.children)
                e.norm += child.norm;
            e.norm += trimmed(lines[end]) + "\n";
        }
        entries.push_back(e);
        i = end + 1;
    }
    return true;
}

// The entries of text in order, each tank of a "latentTanks" folder one of its own; false
// when its blocks do not pair up.
bool split(std::string const& text, Centries& entries) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    Centries top;
    if (!parse(lines, 0, lines.size(), top)) return false;
    for (Centry& e : top) {
        if (!(e.block && trimmed(e.header) == ":mkdir latentTanks {")) {
            entries.push_back(e);
            continue;
        }
        for (Centry& child : e.children) {
            child.key = "latentTanks/" + child.key;
            child.tank = true;
            entries.push_back(child);
        }
    }
    return true;
}

using Cgroup = std::vector<Centry const*>;

// The entries of each key, in order.
using Cindex = std::map<std::string, Cgroup>;
Cindex byKey(Centries const& entries) {
    Cindex found;
    for (Centry const& e : entries)
        found[e.key].push_back(&e);
    return found;
}

bool same(Cgroup const& a, Cgroup const& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); i++)
        if (a[i]->norm != b[i]->norm) return false;
    return true;
}

class Cmerge {
  public:
    explicit Cmerge(std::vector<std::string>* unmerged) : unmerged(unmerged) {}

    // now's entries, those this run changed since base as it has them (merged inside where
    // both runs changed them), and this run's new ones after them. An entry this run writes
    // that now holds as this run read it (read, when given) is this run's.
    Centries entries(Centries const& now, Centries const& base, Centries const& ours, Centries const* read,
                     bool top) {
        // now's order; a key only this run has after the one before it in this run's text.
        std::list<std::string> keys;
        std::map<std::string, std::list<std::string>::iterator> placed;
        for (Centry const& e : now)
            if (!placed.count(e.key)) placed[e.key] = keys.insert(keys.end(), e.key);
        auto at = keys.begin();
        for (Centry const& e : ours) {
            auto found = placed.find(e.key);
            at = std::next(found != placed.end() ? found->second : (placed[e.key] = keys.insert(at, e.key)));
        }
        Cindex n = byKey(now), b = byKey(base), o = byKey(ours), r = read ? byKey(*read) : Cindex();
        Centries out;
        for (std::string const& key : keys) {
            if (top) where = key;
            // A missing key gives an empty group.
            Cgroup &nk = n[key], &bk = b[key], &ok = o[key];
            bool asRead = read && !(bk.empty() && ok.empty()) && same(nk, r[key]);
            for (Centry const* kept : group(asRead ? bk : nk, bk, ok))
                out.push_back(*kept);
        }
        return out;
    }

  private:
    std::vector<std::string>* unmerged;
    std::string where;       // the top-level entry being merged
    std::deque<Centry> made; // entries merged inside, which the results point at

    void cannot() {
        std::string what = startsWith(where, "latentTanks/:addScript ") ? "the tank " + where.substr(23)
                           : startsWith(where, ":addScript ") ? "the stored script " + where.substr(11)
                                                              : "\"" + where + "\"";
        if (unmerged && (unmerged->empty() || unmerged->back() != what)) unmerged->push_back(what);
    }

    Cgroup group(Cgroup const& n, Cgroup const& b, Cgroup const& o) {
        if (same(o, b)) return n;
        if (same(n, b) || same(n, o)) return o;
        std::string const& key = (o.empty() ? n : o).front()->key;
        if (animal(key)) {
            // What each run added or took out, of each species: this run's, with the other's
            // added ones after them or as many fewer as it took out.
            Cgroup out = o;
            if (n.size() >= b.size())
                out.insert(out.end(), n.begin() + long(b.size()), n.end());
            else
                out.resize(o.size() - std::min(o.size(), b.size() - n.size()));
            return out;
        }
        if (n.size() == b.size() && b.size() == o.size()) {
            Cgroup out;
            for (size_t i = 0; i < o.size(); i++)
                out.push_back(one(*n[i], *b[i], *o[i]));
            return out;
        }
        bool values = true;
        for (Cgroup const* g : {&n, &b, &o})
            for (Centry const* e : *g)
                values = values && !e->block;
        if (!values) cannot();
        return o;
    }

    Centry const* one(Centry const& n, Centry const& b, Centry const& o) {
        if (o.norm == b.norm) return &n;
        if (n.norm == b.norm || n.norm == o.norm || !(n.block || b.block || o.block)) return &o;
        if (!(mergedInside(o) && n.block && b.block && o.block)) {
            cannot();
            return &o;
        }
        Centry& m = made.emplace_back(o);
        std::string nh = trimmed(n.header), bh = trimmed(b.header), oh = trimmed(o.header);
        if (oh != bh && nh != bh && nh != oh) cannot();
        m.header = oh != bh ? o.header : n.header;
        m.children = entries(n.children, b.children, o.children, nullptr, false);
        m.text = m.header;
        for (Centry const& child : m.children)
            m.text += child.text;
        m.text += m.closer;
        return &m;
    }
};

struct Cbaseline {
    std::string fileRead, ours; // what the file held when last read or written; ours then
    bool wrote = false;
    std::string setAside; // the other run's save already kept beside the file
};
std::map<std::string, Cbaseline> baselines;
std::map<std::string, std::string> held;

std::string wholeName(char const* path) {
    return path ? std::string(replaceCommonPathKeyword(path).c_str()) : std::string();
}

void logLine(std::string const& line) {
    VTRACE(1, line);
    if (masterOut.is_open()) masterOut << line << std::endl;
}

// The other run's save kept whole beside the file, and said; left: the save is this run's,
// and what cannot be merged came of what a run that ended beside it left there.
void keepOtherRunsSave(std::string const& path, std::string const& now, std::vector<std::string> const& what,
                       std::string const& left = std::string()) {
    std::string list;
    for (std::string const& w : what)
        list += (list.empty() ? "" : ", ") + w;
    Cstring aside = freeSetAsideName(path.c_str(), ".other-run");
    bool kept = !aside.empty() && writeKeptText(aside.c_str(), now) == 0;
    std::string said =
        left.empty()
            ? path +
                  ": what this run changed and the run that kept the data folder saved meanwhile cannot be "
                  "merged (" +
                  list + "): this run's is written" +
                  (kept ? std::string(", and that run's save is kept whole in ") + aside.c_str()
                        : std::string(" (that run's save could not be kept beside it)"))
            : path + ": what a run that ended beside this one left in " + left +
                  " and what this run saves cannot be merged (" + list + "): that run's is written" +
                  (kept ? std::string(", and this run's save is kept whole in ") + aside.c_str()
                        : std::string(" (this run's save could not be kept beside it)"));
    logLine(said);
    std::fprintf(stderr, "velmora: %s\n", said.c_str());
}

std::string const kLeftHeader = "velmora: what a run that ended beside another changed\n";
char const* const kLeftParts[] = {"read", "base", "ours"};

// The files that ended runs left of the file at path (whole): "<path>.left-" and digits or
// '-' after it, never a set-aside or half-written one; the oldest first.
std::vector<std::string> leftFiles(std::string const& path) {
    namespace fs = std::filesystem;
    std::vector<std::pair<fs::file_time_type, std::string>> found;
    std::string prefix = fs::path(path).filename().string() + ".left-";
    std::error_code error;
    for (fs::directory_iterator at(fs::path(path).parent_path(), error), end; !error && at != end;
         at.increment(error)) {
        std::string name = at->path().filename().string();
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
            name.find_first_not_of("0123456789-", prefix.size()) != std::string::npos)
            continue;
        std::error_code none;
        found.emplace_back(fs::last_write_time(at->path(), none), at->path().string());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> files;
    for (auto const& f : found)
        files.push_back(f.second);
    return files;
}

// A left file that is none is set aside as any damaged file of the program, never removed.
void setLeftFileAside(std::string const& left) {
    Cstring aside = freeSetAsideName(left.c_str());
    bool moved = !aside.empty() && renameFile(left.c_str(), aside.c_str()) == 0;
    logLine("damaged file " + left + " (no changes a run left that can be read) " +
            (moved ? std::string("set aside as ") + aside.c_str() : "could not be set aside") +
            "; it is not taken in");
    if (moved)
        noteForViewer(Cstring("The file ") + left.c_str() +
                      " holds no changes that another run left which can be read. It is kept as " + aside +
                      ", and nothing of it is taken in.");
}

// The whole number of the top-level line ":set name n" of text; false when it has none.
bool setNumber(std::string const& text, std::string const& name, long& value, size_t* line = nullptr) {
    std::string key = ":set " + name + " ";
    for (size_t at = 0; (at = text.find(key, at)) != std::string::npos; at += key.size())
        if (at == 0 || text[at - 1] == '\n') {
            value = std::strtol(text.c_str() + at + key.size(), nullptr, 10);
            if (line) *line = at + key.size();
            return true;
        }
    return false;
}

// A count both runs raised holds what each one counted: now's with what ours added since base.
void addCounts(std::string& merged, std::string const& now, std::string const& base, std::string const& ours,
               std::vector<std::string> const& counts) {
    for (std::string const& name : counts) {
        long n = 0, b = 0, o = 0, m = 0;
        size_t at = 0;
        if (!setNumber(now, name, n) || !setNumber(base, name, b) || !setNumber(ours, name, o) || o < b ||
            !setNumber(merged, name, m, &at))
            continue;
        merged.replace(at, merged.find('\n', at) - at, std::to_string(n + o - b));
    }
}

// text (what this run writes of the file at path) with what ended runs left of it merged in;
// the left files taken in go into taken.
std::string takeInLeft(std::string const& path, std::string text, std::vector<std::string> const& counts,
                       std::vector<std::string>& taken) {
    if (!mayWriteDataFolder()) return text;
    for (std::string const& left : leftFiles(path)) {
        std::string read, base, ours;
        if (!readLeftKeptText(readKeptText(left.c_str()), read, base, ours)) {
            if (fileExists(left.c_str())) setLeftFileAside(left);
            continue;
        }
        std::vector<std::string> unmerged;
        std::string merged = mergeKeptText(text, base, ours, &unmerged, &read);
        addCounts(merged, text, base, ours, counts);
        if (!unmerged.empty()) keepOtherRunsSave(path, text, unmerged, left);
        logLine("kept file " + path + ": what a run that ended beside this one changed is taken in from " +
                left);
        text = merged;
        taken.push_back(left);
    }
    return text;
}

void removeLeftFiles(std::vector<std::string> const& taken) {
    for (std::string const& left : taken)
        if (deleteFile(left.c_str()) != 0) logLine("couldn't remove " + left + ", which was taken in");
}

} // namespace

std::string mergeKeptText(std::string const& now, std::string const& base, std::string const& ours,
                          std::vector<std::string>* unmerged, std::string const* read) {
    Centries nowEntries, baseEntries, ourEntries, readEntries;
    if (now.empty()) return ours;
    if (!split(now, nowEntries) || !split(base, baseEntries) || !split(ours, ourEntries) ||
        (read && !split(*read, readEntries))) {
        static std::string const unpaired = "a file whose blocks do not pair up";
        if (unmerged && now != ours) unmerged->push_back(unpaired);
        return ours;
    }
    Cmerge merge(unmerged);
    std::string merged, tanks;
    bool tanksPlaced = false;
    for (Centry const& e :
         merge.entries(nowEntries, baseEntries, ourEntries, read ? &readEntries : nullptr, true)) {
        if (!e.tank) {
            merged += e.text;
            continue;
        }
        tanks += e.text;
        if (!tanksPlaced) merged += "\x01"; // the tanks' folder goes where the file had it first
        tanksPlaced = true;
    }
    size_t mark = merged.find('\x01');
    if (mark == std::string::npos) return merged;
    return merged.substr(0, mark) + ":mkdir latentTanks {\n" + tanks + "}\n" + merged.substr(mark + 1);
}

void keepTextBaseline(char const* path, std::string const& fileRead, std::string const& ours) {
    baselines.emplace(wholeName(path), Cbaseline{fileRead, ours, false, std::string()});
}

int saveKeptText(char const* path, std::string const& ours, std::vector<std::string> const& counts) {
    std::string name = wholeName(path);
    auto found = baselines.find(name);
    std::string text = ours;
    std::vector<std::string> taken;
    if (found == baselines.end()) {
        text = takeInLeft(name, ours, counts, taken);
        if (int failed = writeKeptText(path, text)) return failed;
        if (taken.empty()) return 0;
        // From now on each save keeps what was taken in, as a merge keeps it.
        removeLeftFiles(taken);
        baselines[name] = Cbaseline{text, ours, true, std::string()};
        return 0;
    }
    Cbaseline& b = found->second;
    std::string now = readKeptText(path);
    // Unless nobody wrote since the read, or this run's own last write was ours whole.
    if (now != b.fileRead || (b.wrote && b.fileRead != b.ours)) {
        if (now != b.fileRead)
            logLine("kept file " + name +
                    " was saved by another run meanwhile: only what this run changed is written");
        std::vector<std::string> unmerged;
        // What this run read stands for its start's own text until it wrote the file itself.
        text = mergeKeptText(now, b.ours, ours, &unmerged, b.wrote ? nullptr : &b.fileRead);
        if (!unmerged.empty() && b.setAside != now) {
            keepOtherRunsSave(name, now, unmerged);
            b.setAside = now;
        }
    }
    text = takeInLeft(name, text, counts, taken);
    int failed = writeKeptText(path, text);
    if (failed) return failed;
    removeLeftFiles(taken);
    b.fileRead = text;
    b.ours = ours;
    b.wrote = true;
    held.erase(name);
    return 0;
}

int leaveKeptText(char const* path, std::string const& ours, std::string const& tag, std::string& where) {
    auto found = baselines.find(wholeName(path));
    if (found == baselines.end() || ours.empty() || ours == found->second.ours) return -1;
    where = found->first + ".left-" + tag;
    return writeKeptText(where.c_str(), leftKeptText(found->second.fileRead, found->second.ours, ours)) == 0
               ? 0
               : 1;
}

std::string leftKeptText(std::string const& read, std::string const& base, std::string const& ours) {
    std::string text = kLeftHeader;
    std::string const* parts[] = {&read, &base, &ours};
    for (int i = 0; i < 3; i++)
        text += std::string(kLeftParts[i]) + " " + std::to_string(parts[i]->size()) + "\n" + *parts[i];
    return text;
}

int takeInLeftKeptText(char const* path, std::vector<std::string> const& counts) {
    std::string name = wholeName(path);
    std::vector<std::string> taken;
    std::string text = takeInLeft(name, readKeptText(path), counts, taken);
    if (taken.empty()) return 0;
    if (writeKeptText(path, text) != 0) {
        logLine("couldn't write " + name + " with what ended runs left taken in: " + lastWriteError.c_str() +
                " (their files stay for the next save)");
        return 1;
    }
    removeLeftFiles(taken);
    return 0;
}

bool readLeftKeptText(std::string const& text, std::string& read, std::string& base, std::string& ours) {
    if (text.compare(0, kLeftHeader.size(), kLeftHeader) != 0) return false;
    size_t at = kLeftHeader.size();
    std::string* parts[] = {&read, &base, &ours};
    for (int i = 0; i < 3; i++) {
        std::string name = std::string(kLeftParts[i]) + " ";
        size_t end = text.find('\n', at);
        if (end == std::string::npos || text.compare(at, name.size(), name) != 0) return false;
        std::string digits = text.substr(at + name.size(), end - at - name.size());
        if (digits.empty() || digits.size() > 12 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            return false;
        size_t size = std::stoull(digits);
        at = end + 1;
        if (size > text.size() - at) return false;
        *parts[i] = text.substr(at, size);
        at += size;
    }
    return at == text.size();
}

void holdKeptText(char const* path, std::string const& text) {
    held[wholeName(path)] = text;
}

std::string const& heldKeptText(char const* path) {
    static std::string const none;
    auto found = held.find(wholeName(path));
    return found == held.end() ? none : found->second;
}

void forgetTextBaselines() {
    baselines.clear();
    held.clear();
}

void forgetTextBaseline(char const* path) {
    baselines.erase(wholeName(path));
    held.erase(wholeName(path));
}

std::string readKeptText(char const* path) {
    std::ifstream in;
    Cstring whole = replaceCommonPathKeyword(path ? path : "");
    bool opened = ownFileOfDataFolder(whole.c_str())
                      ? openOwnStream(in, whole.c_str(), OWN_QUIET)
                      : (in.open(whole.c_str(), std::ios::binary), in.is_open());
    if (!opened) return std::string();
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int writeKeptText(char const* path, std::string const& text) {
    backupWrite = 1; // a failed write keeps the old file
    std::ofstream out;
    if (!file_open(out, Cstring(path), 0)) return 1;
    out << text;
    file_close(out);
    return out.fail() ? 1 : 0;
}
