// The options sheet without a display: a window that keeps the controls it was shown (its
// slider within its range) and gives back what the test typed into them, and the Linux
// services with scripted message boxes and recorded pages and web requests.
#pragma once

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "host/internetRequest.h"
#include "host/linuxHostServices.h"
#include "host/sheetWindow.h"

class CrecordingSheetWindow : public CsheetWindow {
  public:
    void showControls(CsheetControls const& c) override {
        shown = c;
        // The slider holds only its range, as the platform's does.
        shown.sizeSlider = std::clamp(shown.sizeSlider, kSizeSliderMin, kSizeSliderMax);
        showCount++;
    }
    // The user's edits: what the test put into `shown` since the last showing.
    void readControls(CsheetControls& c) override { c = shown; }
    bool present() override { return visible = true; }
    void orderOut() override { visible = formVisible = false; }
    bool isShown() const override { return visible; }
    void showErrorReportForm() override { formVisible = true; }
    void hideErrorReportForm() override { formVisible = false; }

    CsheetControls shown;
    int showCount = 0;
    bool visible = false, formVisible = false;
};

class CsheetTestServices : public ClinuxHostServices {
  public:
    CsheetTestServices() { setHostServices(this); }
    ~CsheetTestServices() override { setHostServices(nullptr); }

    int showMessageBox(Cstring const& text, Cstring const& info,
                       std::vector<Cstring> const& buttons) override {
        std::string line = std::string(text.c_str()) + " / " + info.c_str() + " [";
        for (size_t b = 0; b < buttons.size(); b++)
            line += (b ? "|" : "") + std::string(buttons[b].c_str());
        messages.push_back(line + "]");
        if (answers.empty()) return 0;
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void showInternetPage(char const* url) override { pages.push_back(url ? url : ""); }
    int makeHTTPrequestAndRunScript(Cstring const& path, bool report, int type, char const* extra) override {
        requests.push_back(std::string(path.c_str()) + " type=" + std::to_string(type));
        if (realRequests) return ClinuxHostServices::makeHTTPrequestAndRunScript(path, report, type, extra);
        internetConnect.reach = requestReach; // as the web layer leaves its record
        return requestResult;
    }
    CsheetWindow* makeSheetWindow(CsheetActions& a) override {
        actions = &a;
        if (!windowsAvailable) return nullptr;
        lastWindow = new CrecordingSheetWindow;
        return lastWindow;
    }

    std::deque<int> answers; // button indexes, first button 0
    std::vector<std::string> messages, pages, requests;
    int requestResult = 0;
    int requestReach = SERVER_REACHED; // whether a request that failed reached its server
    bool realRequests = false;         // requests go to the web layer (a test's own server)
    bool windowsAvailable = true;
    CrecordingSheetWindow* lastWindow = nullptr; // owned by the view that asked
    CsheetActions* actions = nullptr;
};
