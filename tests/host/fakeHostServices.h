// A recording stand-in for the platform: every call is kept as one text line, and the
// results are chosen by the test. Header-only so that any test program can use it.
#pragma once

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
    int shellCommand(char const* command) override { return record("shell " + std::string(command)), 0; }
    void showInternetPage(char const* url) override { record("browser " + std::string(url)); }
    void startFileDownload(char const* url, char const* file, bool progress) override {
        record("download " + std::string(url) + " " + file + (progress ? " progress" : ""));
    }
    void openProgress(char const* message) override { record("openProgress " + std::string(message)); }
    void closeProgress() override { record("closeProgress"); }
    void setProgressPercent(float percent) override { record("progress " + std::to_string(int(percent))); }
    int startHTTPrequestThread(Cstring const& path, bool report, int type, char const* extra) override {
        record(request("startHTTP", path, report, type, extra));
        return httpResult;
    }
    int makeHTTPrequestAndRunScript(Cstring const& path, bool report, int type, char const* extra) override {
        record(request("httpAndRun", path, report, type, extra));
        return httpResult;
    }
    int storeRegistry() override { return record("storeRegistry"), 0; }

    std::vector<std::string> calls;
    std::string written; // bytes of the last writeFile
    int fileResult = 0;
    int httpResult = 0;

  private:
    void record(std::string const& line) { calls.push_back(line); }
    static std::string request(char const* kind, Cstring const& path, bool report, int type,
                               char const* extra) {
        return std::string(kind) + " " + path.c_str() + " report=" + (report ? "1" : "0") +
               " type=" + std::to_string(type) + " extra=" + (extra ? extra : "(none)");
    }
};
