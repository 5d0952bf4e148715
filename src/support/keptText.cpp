#include "support/keptText.h"

#include <fstream>
#include <iterator>
#include <map>
#include <vector>

#include "support/cerr.h"
#include "support/fileIO.h"

namespace {

struct Centry {
    std::string key;  // ":set name", else the first line; "latentTanks" children: the folder's key too
    std::string text; // its lines, each ending in a line end
    bool tank = false;
};

std::string trimmed(std::string const& line) {
    size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) return std::string();
    return line.substr(first, line.find_last_not_of(" \t\r") - first + 1);
}

bool opens(std::string const& line) {
    std::string t = trimmed(line);
    return !t.empty() && t.back() == '{';
}

bool closes(std::string const& line) {
    return trimmed(line) == "}";
}

std::string keyOf(std::string const& line) {
    std::string t = trimmed(line);
    if (t.compare(0, 5, ":set ") == 0) {
        size_t end = t.find_first_of(" \t", 5);
        return t.substr(0, end);
    }
    return t;
}

bool tankFolder(std::string const& line) {
    return trimmed(line) == ":mkdir latentTanks {";
}

// The entries of text in order; false when its blocks do not pair up.
bool split(std::string const& text, std::vector<Centry>& entries) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    // A block's lines from first (its opening line) to its closing line; the index after it.
    auto blockEnd = [&lines](size_t first, size_t& after) {
        int depth = 0;
        for (size_t i = first; i < lines.size(); i++) {
            if (opens(lines[i])) depth++;
            if (closes(lines[i]) && --depth == 0) {
                after = i + 1;
                return true;
            }
            if (depth < 0) return false;
        }
        return false;
    };
    for (size_t i = 0; i < lines.size();) {
        std::string const& line = lines[i];
        if (trimmed(line).empty()) {
            i++;
            continue;
        }
        if (closes(line)) return false;
        if (!opens(line)) {
            entries.push_back({keyOf(line), line + "\n", false});
            i++;
            continue;
        }
        size_t after = 0;
        if (!blockEnd(i, after)) return false;
        if (!tankFolder(line)) {
            Centry whole{keyOf(line), std::string(), false};
            for (size_t j = i; j < after; j++)
                whole.text += lines[j] + "\n";
            entries.push_back(whole);
            i = after;
            continue;
        }
        // Each tank of the folder is an entry of its own.
        for (size_t j = i + 1; j + 1 < after;) {
            if (trimmed(lines[j]).empty()) {
                j++;
                continue;
            }
            size_t childAfter = j + 1;
            if (opens(lines[j]) && !blockEnd(j, childAfter)) return false;
            if (closes(lines[j]) || childAfter > after - 1) return false;
            Centry child{"latentTanks/" + keyOf(lines[j]), std::string(), true};
            for (size_t k = j; k < childAfter; k++)
                child.text += lines[k] + "\n";
            entries.push_back(child);
            j = childAfter;
        }
        i = after;
    }
    return true;
}

// The last entry of each key, as the script that reads the text leaves it.
std::map<std::string, std::string> byKey(std::vector<Centry> const& entries) {
    std::map<std::string, std::string> found;
    for (Centry const& e : entries)
        found[e.key] = e.text;
    return found;
}

struct Cbaseline {
    std::string fileRead, ours;
};
std::map<std::string, Cbaseline> baselines;

std::string wholeName(char const* path) {
    return path ? std::string(replaceCommonPathKeyword(path).c_str()) : std::string();
}

} // namespace

std::string mergeKeptText(std::string const& now, std::string const& base, std::string const& ours) {
    std::vector<Centry> nowEntries, baseEntries, ourEntries;
    if (!split(now, nowEntries) || !split(base, baseEntries) || !split(ours, ourEntries)) return ours;
    std::map<std::string, std::string> baseByKey = byKey(baseEntries), ourByKey = byKey(ourEntries),
                                       nowByKey = byKey(nowEntries);
    auto changedByUs = [&](std::string const& key) {
        auto b = baseByKey.find(key), o = ourByKey.find(key);
        if ((b == baseByKey.end()) != (o == ourByKey.end())) return true;
        return b != baseByKey.end() && b->second != o->second;
    };
    // The text an entry of this key gets: ours where this run changed it, else the file's.
    auto chosen = [&](std::string const& key, std::string const& fileText, std::string& out) {
        if (!changedByUs(key)) {
            out += fileText;
            return;
        }
        auto o = ourByKey.find(key);
        if (o != ourByKey.end()) out += o->second;
    };
    std::string merged, tanks;
    std::map<std::string, bool> written;
    bool tanksPlaced = false;
    for (Centry const& e : nowEntries) {
        if (written[e.key]) continue;
        written[e.key] = true;
        std::string& out = e.tank ? tanks : merged;
        if (e.tank && !tanksPlaced) {
            merged += "\x01"; // the tanks' folder goes where the file had it first
            tanksPlaced = true;
        }
        chosen(e.key, nowByKey[e.key], out);
    }
    for (Centry const& e : ourEntries) {
        if (written[e.key] || !changedByUs(e.key)) continue;
        written[e.key] = true;
        (e.tank ? tanks : merged) += ourByKey[e.key];
        if (e.tank && !tanksPlaced) {
            merged += "\x01";
            tanksPlaced = true;
        }
    }
    size_t mark = merged.find('\x01');
    if (mark == std::string::npos) return merged;
    std::string folder = tanks.empty() ? std::string() : ":mkdir latentTanks {\n" + tanks + "}\n";
    return merged.substr(0, mark) + folder + merged.substr(mark + 1);
}

void keepTextBaseline(char const* path, std::string const& fileRead, std::string const& ours) {
    baselines[wholeName(path)] = {fileRead, ours};
}

std::string keptTextToWrite(char const* path, std::string const& ours) {
    auto found = baselines.find(wholeName(path));
    if (found == baselines.end()) return ours;
    std::string now = readKeptText(path);
    if (now == found->second.fileRead) return ours;
    VTRACE(1,
           "kept file " << path << " changed since this run read it: only what this run changed is written");
    if (masterOut.is_open())
        masterOut << "kept file " << path
                  << " was saved by another run meanwhile: only what this run changed is written"
                  << std::endl;
    return mergeKeptText(now, found->second.ours, ours);
}

void forgetTextBaselines() {
    baselines.clear();
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
