// The update package interpreter: a checking read of the whole package, then the run.
#include "host/updatePackage.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <sys/stat.h>

#include "host/hostServices.h"
#include "host/osFunctions.h"
#include "script/scriptCommands.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "variables/variable.h"

namespace updatePackage {

Cstring rerunKey;
Cstring errorMessage;
Cstring vliScriptError;

namespace {

template <typename... T> void logLine(T const&... parts) {
    if (!masterOut.is_open()) return;
    (masterOut << ... << parts);
    masterOut << std::endl;
}

bool is(char const* command, char const* name) {
    return std::memcmp(command, name, 6) == 0;
}

// The six characters as they may be shown: anything unprintable becomes '?'.
Cstring printable(char const* command) {
    char text[7];
    for (int i = 0; i < 6; i++)
        text[i] = command[i] >= 32 && command[i] < 127 && command[i] != '|' ? command[i] : '?';
    text[6] = 0;
    return Cstring(text);
}

bool startsWith(Cstring const& text, char const* prefix) {
    return std::strncmp(text.c_str(), prefix, std::strlen(prefix)) == 0;
}

bool addressOfWebPage(Cstring const& text) {
    return startsWith(text, "http://") || startsWith(text, "https://");
}

// One pass over a package: checking (nothing is done) or live.
class Cinterpreter {
  public:
    Cinterpreter(CdiskFileScript& input, bool carryOut)
        : in(input), live(carryOut), folder(findPath("RSC")), size(input.remaining()) {}
    int run();
    // Set once an exit command is reached.
    bool ended = false;

  private:
    int refuse(int code, Cstring const& why) {
        vliScriptError = why;
        logLine("package refused: ", why);
        return code;
    }
    // A line argument (a trailing carriage return dropped); false when the package ends
    // inside it or it is too long.
    bool line(Cstring& out);
    // A byte count from text: digits only, at most limit and what the package still holds.
    bool count(Cstring const& text, long long limit, long long& n);
    // A path argument resolved and checked to lie inside the data folder.
    bool path(Cstring& full, Cstring& written);
    // A path argument only read (nothing is done with it): resolved, not checked.
    bool loosePath(Cstring& written);
    // The live check again (the package's own renames may have changed the tree).
    bool stillInside(Cstring const& full) {
        if (!live || (insideDataFolder(full) && !writeRefused(full.c_str(), false))) return true;
        vliScriptError = Cstring("path leaves the data folder or may not be written: ") + full;
        return false;
    }
    // A leading "prgssz" announces the package's size; a package larger than that is
    // refused (whatever follows the announced bytes was never announced).
    bool withinAnnouncedSize(Cstring const& announcement);
    int block(char const* command, Cstring const& countText);
    int fileCommand();
    int scriptCommand();

    CdiskFileScript& in;
    bool live;
    Cstring folder; // the current folder, the process's own is never changed
    char buffer[kMaxPackageLine + 2];
    Cstring problem;
    long long size;      // the package's bytes from where it starts
    bool leading = true; // the command being read is the package's first
};

bool Cinterpreter::withinAnnouncedSize(Cstring const& announcement) {
    // Read as the connection reads it: the leading digits of at most eight characters.
    long long announced = 0;
    for (int i = 0; i < announcement.size() && i < 8; i++) {
        char c = announcement.c_str()[i];
        if (c < '0' || c > '9') break;
        announced = announced * 10 + (c - '0');
    }
    if (announced <= 0 || size <= announced) return true;
    problem = Cstring("the package is larger than its announced size ") + announcement;
    return false;
}

bool Cinterpreter::line(Cstring& out) {
    int length = in.ReadString(buffer, kMaxPackageLine + 1);
    if (length == -1) {
        problem = "the package ends inside a line";
        return false;
    }
    if (length == -2) {
        problem = "a line is longer than 998 characters";
        return false;
    }
    if (length > 0 && buffer[length - 1] == '\r') length--;
    out.assign(buffer, length);
    return true;
}

bool Cinterpreter::count(Cstring const& text, long long limit, long long& n) {
    n = 0;
    int digits = 0;
    for (int i = 0; i < text.size(); i++) {
        char c = text.c_str()[i];
        if (c == ' ' && digits == 0) continue;
        if (c < '0' || c > '9' || digits >= 12) {
            problem = Cstring("malformed byte count \"") + text + "\"";
            return false;
        }
        n = n * 10 + (c - '0');
        digits++;
    }
    if (digits == 0) {
        problem = "missing byte count";
        return false;
    }
    if (n > limit) {
        problem = Cstring("a block of ") + text + " bytes is larger than allowed";
        return false;
    }
    if (n > in.remaining()) {
        problem = "the package ends inside a block";
        return false;
    }
    return true;
}

bool Cinterpreter::path(Cstring& full, Cstring& written) {
    if (!line(written)) return false;
    logLine("readpath=", written);
    Cstring why;
    if (!processDirectories(written.c_str(), full, folder, why)) {
        problem = why;
        return false;
    }
    if (!insideDataFolder(full)) {
        problem = Cstring("path leaves the data folder: ") + written;
        return false;
    }
    return true;
}

bool Cinterpreter::loosePath(Cstring& written) {
    if (!line(written)) return false;
    Cstring full, why;
    // The folder changes as for any path; an absolute one is only printed.
    if (written.size() && written.c_str()[0] != '/') processDirectories(written.c_str(), full, folder, why);
    return true;
}

int Cinterpreter::scriptCommand() {
    Cstring countText;
    long long n = 0;
    if (!line(countText) || !count(countText, kMaxPackageScriptBytes, n)) return refuse(VLI_FAILED, problem);
    if (!live) return in.Skip(n) ? -1 : refuse(VLI_FAILED, "the package ends inside a script");
    std::string text(static_cast<size_t>(n), '\0');
    if (in.Read(text.data(), static_cast<int>(n)) != n)
        return refuse(VLI_FAILED, "the package ends inside a script");
    logLine("script length=", countText);
    logLine("script=", text);
    logLine("script real length=", text.size());
    if (globalVariablesDir == nullptr) {
        logLine("noplace to run from!");
        return -1;
    }
    logLine("running script");
    int result = runNetworkScript(globalVariablesDir, text.data(), static_cast<int>(text.size()), nullptr);
    logLine("retval=", result);
    return -1;
}

int Cinterpreter::fileCommand() {
    Cstring full, written, countText;
    long long n = 0;
    if (!path(full, written) || !line(countText) || !count(countText, kMaxPackageFileBytes, n))
        return refuse(VLI_FAILED, problem);
    if (!live) return in.Skip(n) ? -1 : refuse(VLI_FAILED, "the package ends inside a file");
    if (!stillInside(full)) return refuse(VLI_FAILED, vliScriptError);
    logLine("downloading ", full);
    logLine("len=", n);
    logLine("cwd=", folder);
    createDirectories(full);
    if (in.ReadFile(full.c_str(), static_cast<unsigned>(n)) == 0) return -1;
    vliScriptError = "Couldn't Write File";
    logLine("ERROR Couldn't create file ", full, " - does dir not exist?");
    logLine("errno=", errno);
    OS::ShowMessage(
        "Error, Couldn't create file|Try rebooting, and if that doesn't help please contact Velmora support",
        nullptr, 0);
    return VLI_FAILED;
}

int Cinterpreter::run() {
    logLine("hfile good");
    while (true) {
        char command[6];
        if (in.Read(command, 6) < 6) {
            logLine("eof?");
            return refuse(VLI_FAILED, "the package ends without its exit command");
        }
        Cstring a, b, c;
        bool first = leading;
        leading = false;
        if (is(command, "msgbox")) {
            if (!line(a)) return refuse(VLI_FAILED, problem);
            bool choice = startsWith(a, "YN") || startsWith(a, "OC");
            if (choice && (!line(b) || !line(c))) return refuse(VLI_FAILED, problem);
            if (live) {
                Cstring text = choice ? a.substr(2, a.size() - 2) : a;
                int answer = OS::ShowMessage(text.c_str(), nullptr, 0);
                if (choice) rerunKey = answer == 1 || answer == 2 ? b : c;
            }
        } else if (is(command, "browse")) {
            if (!line(a)) return refuse(VLI_FAILED, problem);
            // Only web pages: the opener would also start local files and programs.
            if (live && addressOfWebPage(a)) OS::showInternetPage(a.c_str());
            if (live && !addressOfWebPage(a)) logLine("not a web page: ", a);
        } else if (is(command, "prgssz")) {
            if (!line(a) || (first && !withinAnnouncedSize(a))) return refuse(VLI_FAILED, problem);
            logLine("package size ", a);
        } else if (is(command, "setmsg")) {
            if (!line(a)) return refuse(VLI_FAILED, problem);
            if (live) std::cout << "message: " << a << std::endl;
        } else if (is(command, "downld")) {
            if (!line(a) || !line(b)) return refuse(VLI_FAILED, problem);
            logLine("download source file = ", a);
        } else if (is(command, "delreg")) {
        } else if (is(command, "setreg")) {
            if (!line(a) || !line(b)) return refuse(VLI_FAILED, problem);
            Cstring name = a.size() > 4 ? a.substr(4, a.size() - 4) : Cstring();
            // Registry keys only: a plain name of the root's own children.
            bool plain = !name.empty() && !std::strpbrk(name.c_str(), "/*");
            Cvariable* setting =
                plain && globalVariablesDir ? globalVariablesDir->getChild(name.c_str()) : nullptr;
            if (live && setting) {
                setting->setString(b.c_str());
                OS::storeRegistryStuff();
            } else if (live && globalVariablesDir && masterOut.is_open()) {
                globalVariablesDir->showChildren(&masterOut);
            }
        } else if (is(command, "runaft") || is(command, "runnow")) {
            if (!loosePath(a) || !line(b) || !loosePath(c)) return refuse(VLI_FAILED, problem);
            if (live) std::cout << "run " << a << " " << b << " in " << c << std::endl;
        } else if (is(command, "script")) {
            if (int result = scriptCommand(); result >= 0) return result;
        } else if (is(command, "rename")) {
            Cstring from, to;
            if (!path(from, a) || !path(to, b)) return refuse(VLI_FAILED, problem);
            if (!stillInside(from) || !stillInside(to)) return refuse(VLI_FAILED, vliScriptError);
            if (live && std::rename(from.c_str(), to.c_str()) != 0) {
                logLine("couldn't rename");
                errorMessage = Cstring("Couldn't rename ") + b;
            }
        } else if (is(command, "setpth")) {
            if (!line(a)) return refuse(VLI_FAILED, problem);
        } else if (is(command, "delete")) {
            Cstring full;
            if (!path(full, a)) return refuse(VLI_FAILED, problem);
            if (!stillInside(full)) return refuse(VLI_FAILED, vliScriptError);
            if (live) {
                logLine("deleting ", a);
                if (std::remove(full.c_str()) != 0) {
                    vliScriptError = "Couldn't Delete File";
                    logLine("couldn't delete");
                    errorMessage = Cstring("Couldn't delete ") + a;
                }
            }
        } else if (is(command, "runcmd")) {
            if (!line(a)) return refuse(VLI_FAILED, problem);
            if (live) rerunKey = a;
        } else if (is(command, "file__")) {
            if (int result = fileCommand(); result >= 0) return result;
        } else if (is(command, "info__")) {
            if (!line(a)) return refuse(VLI_FAILED, problem);
            logLine("info val=", a);
        } else if (is(command, "mkdir_")) {
            if (!line(a)) return refuse(VLI_FAILED, problem);
            Cstring full = Cstring(folder) + "/" + a;
            if (a.empty() || a.c_str()[0] == '/' || !insideDataFolder(full))
                return refuse(VLI_FAILED, Cstring("folder outside the data folder: ") + a);
            if (live) mkdir(full.c_str(), 0777);
        } else if (is(command, "misc__")) {
            char digits[5] = {};
            long long n = 0;
            if (in.Read(digits, 4) < 4 || !count(Cstring(digits), 9999, n) || !in.Skip(n))
                return refuse(VLI_FAILED,
                              problem.empty() ? Cstring("the package ends inside a block") : problem);
        } else if (is(command, "retReg")) {
            do {
                if (!line(a)) return refuse(VLI_FAILED, problem);
            } while (!a.empty());
        } else if (is(command, "exit0_")) {
            logLine("exit 0");
            ended = true;
            return VLI_EXIT0;
        } else if (is(command, "exit1_")) {
            logLine("exit 1");
            ended = true;
            return VLI_STOPPED;
        } else {
            logLine("unknown command");
            logLine("was error");
            vliScriptError = "Unknown command";
            OS::ShowMessage("Error", (Cstring("unknown command: ") + printable(command)).c_str(), 0);
            return VLI_STOPPED;
        }
    }
}

} // namespace

int runScript(char const* path, long long offset) {
    vliScriptError = "";
    logLine("opening file ", path ? path : "");
    std::ifstream file;
    if (path) file.open(replaceCommonPathKeyword(path).c_str(), std::ios::binary);
    if (!file.is_open()) {
        logLine("Couldn't open file");
        return VLI_STOPPED;
    }
    logLine("file opened successfully");
    file.seekg(0, std::ios::end);
    long long size = static_cast<long long>(file.tellg());
    if (size > kMaxPackageBytes) {
        vliScriptError = "the package is larger than allowed";
        logLine("package refused: ", vliScriptError);
        return VLI_FAILED;
    }
    if (offset < 0 || offset > size) offset = size;
    // First the whole package is read without doing anything: a package that would be
    // refused somewhere changes nothing at all.
    file.clear();
    file.seekg(offset);
    CdiskFileScript checking(file, size);
    Cinterpreter checker(checking, false);
    int checked = checker.run();
    if (!checker.ended) return checked;
    file.clear();
    file.seekg(offset);
    CdiskFileScript package(file, size);
    return Cinterpreter(package, true).run();
}

} // namespace updatePackage
