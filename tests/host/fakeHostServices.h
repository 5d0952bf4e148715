// A recording stand-in for the platform: every call is kept as one text line, and the
// results are chosen by the test. Header-only so that any test program can use it.
#pragma once

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "host/hostServices.h"

class CfakeHostServices : public ChostServices {
  public:
    CfakeHostServices() { setHostServices(this); }
    ~CfakeHostServices() override { setHostServices(nullptr); }

    int writeFile(char const* path, char const* bytes, int size) override {
        record("writeFile " + std::string(path) + " " + std::to_string(size));
        written.assign(bytes ? bytes : "", bytes ? static_cast<size_t>(size) : 0);
        return fileResult;
    }
    int makeFolders(char const* path) override {
        return record("makeFolders " + std::string(path)), fileResult;
    }
    int renameFile(char const* from, char const* to) override {
        return record("renameFile " + std::string(from) + " " + to), fileResult;
    }
    int deleteFile(char const* path) override {
        return record("deleteFile " + std::string(path)), fileResult;
    }
    // Engine-internal moves are real (not recorded) unless the test makes some of them fail.
    int moveFile(char const* from, char const* to) override {
        moves++;
        if (moves >= moveFailFrom && moves <= moveFailTo) return 1;
        return std::rename(from, to) == 0 ? 0 : 1;
    }
    int shellCommand(char const* command) override { return record("shell " + std::string(command)), 0; }
    void showInternetPage(char const* url) override { record("browser " + std::string(url)); }
    void startFileDownload(char const* url, char const* file, bool progress) override {
        record("download " + std::string(url) + " " + file + (progress ? " progress" : ""));
    }
    void openProgress(char const* message) override { record("openProgress " + std::string(message)); }
    void closeProgress() override { record("closeProgress"); }
    void setProgressPercent(float percent) override { record("progress " + std::to_string(int(percent))); }
    void setProgressMessage(char const* message) override { record("progressText " + std::string(message)); }
    int startHTTPrequestThread(Cstring const& path, bool report, int type, char const* extra) override {
        record(request("startHTTP", path, report, type, extra));
        return httpResult;
    }
    int makeHTTPrequestAndRunScript(Cstring const& path, bool report, int type, char const* extra) override {
        record(request("httpAndRun", path, report, type, extra));
        return httpResult;
    }
    int showMessageBox(Cstring const& text, Cstring const& info,
                       std::vector<Cstring> const& buttons) override {
        std::string line = "message " + std::string(text.c_str()) + " / " + info.c_str() + " [";
        for (size_t b = 0; b < buttons.size(); b++)
            line += (b ? "|" : "") + std::string(buttons[b].c_str());
        record(line + "]");
        if (answers.empty()) return defaultAnswer;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    int decodePicture(imageFile&, char const* path) override {
        return record("picture " + std::string(path)), 0;
    }
    // The sheet window handed out is the test's (null: none can be shown); the caller owns
    // what it gets, so the fake hands over a window it made for the purpose.
    CsheetWindow* makeSheetWindow(CsheetActions&) override {
        record("sheetWindow");
        CsheetWindow* window = nextSheetWindow;
        nextSheetWindow = nullptr;
        return window;
    }
    int openMasterLog(char const* path) override { return record("masterLog " + std::string(path)), 1; }
    void setPriority(int priority) override { record("priority " + std::to_string(priority)); }
    Cstring dataFolder() override { return dataFolderText; }
    std::vector<Cstring> installFolderCandidates() override { return installFolders; }
    int64_t now() override { return clock; }
    Cstring platformId() override { return platformIdText; }
    Cstring systemVersionText() override { return versionText; }
    std::vector<Cstring> preferredLocales() override { return locales; }
    bool beginFileRequest(char const* folder, void (*done)(void*, char const*), void* context) override {
        record("fileRequest " + std::string(folder ? folder : ""));
        if (fileRequestDone) return false;
        fileRequestDone = done;
        fileRequestContext = context;
        return true;
    }
    void frameTick() override { ticks++; }
    // Answers the open file request as the platform would (null: cancelled); false when
    // none is open.
    bool answerFileRequest(char const* path) {
        if (!fileRequestDone) return false;
        auto done = fileRequestDone;
        fileRequestDone = nullptr;
        done(fileRequestContext, path);
        return true;
    }

    std::vector<std::string> calls;
    std::string written; // bytes of the last writeFile
    int fileResult = 0;
    int httpResult = 0;
    int moves = 0, moveFailFrom = 0, moveFailTo = -1; // moves counted from 1
    // Message boxes take the next answer (a button index, -1 for none), else defaultAnswer.
    std::deque<int> answers;
    int defaultAnswer = 0;
    // What the fake system reports.
    Cstring dataFolderText = "/fake/data/";
    std::vector<Cstring> installFolders;
    int64_t clock = 0;
    Cstring platformIdText;
    Cstring versionText = "Linux 6.1.0-test";
    std::vector<Cstring> locales;
    void (*fileRequestDone)(void*, char const*) = nullptr;
    void* fileRequestContext = nullptr;
    int ticks = 0; // frames the loop told about
    CsheetWindow* nextSheetWindow = nullptr;

  private:
    void record(std::string const& line) { calls.push_back(line); }
    static std::string request(char const* kind, Cstring const& path, bool report, int type,
                               char const* extra) {
        return std::string(kind) + " " + path.c_str() + " report=" + (report ? "1" : "0") +
               " type=" + std::to_string(type) + " extra=" + (extra ? extra : "(none)");
    }
};
