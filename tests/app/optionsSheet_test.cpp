// The options sheet's logic without a display: the update interval both ways, the clamps,
// the texts of the interface text file and their fall-backs, the lock question, the
// backups, the help answers, the web buttons (and what they say when they reach no server)
// and the error report.
#include <memory>
#include <string>

#include "app/optionsSheet.h"
#include "app/velmoraView.h"
#include "host/internetRequest.h"
#include "host/osFunctions.h"
#include "hostFixture.h"
#include "sheetTestSupport.h"
#include "testHttpServer.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "variables/configDialogVars.h"
#include "world/initGlobals.h"
#include "world/internet.h"
#include "world/velmoraFunctions.h"

namespace {

class OptionsSheet : public HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        makeFolders(true);
        ASSERT_EQ(initGlobals(), 0);
        m_userFlags = 0;
        contactEmail = "";
        webServerBase = "";
        skipNSAlert = 0; // the sheet is open: messages show
        sheet = std::make_unique<options_sheet_settings>();
        sheet->window = &window;
    }
    void TearDown() override {
        skipNSAlert = 1;
        webServerBase = "";
        performEngineRestart(); // forgets a restart asked for: no engine runs here
        sheet.reset();
        HostFixture::TearDown();
    }
    void writeTexts(std::string const& text) { writeWholeFile(install.file("interfaceText.txt"), text); }

    CsheetTestServices services;
    CrecordingSheetWindow window;
    std::unique_ptr<options_sheet_settings> sheet;
};

TEST_F(OptionsSheet, UpdateIntervalBothWays) {
    struct Case {
        int days, index;
    } cases[] = {{-1, 3}, {-500, 3}, {0, 0}, {14, 0}, {15, 1}, {88, 1}, {89, 2}, {90, 2}, {100000, 2}};
    for (auto const& c : cases) {
        updateDays = c.days;
        EXPECT_EQ(options_sheet_settings::updateDaysToComboBoxIndex(), c.index) << c.days;
    }
    int const daysOfItem[] = {7, 30, 180, -1, -1, -1};
    int const items[] = {0, 1, 2, 3, 4, -1};
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(options_sheet_settings::comboBoxNumToUpdateDays(items[i]), daysOfItem[i]) << items[i];
    // Choosing an item on the sheet writes its days and selects it again.
    for (int item = 0; item < 4; item++) {
        sheet->update_settings();
        window.shown.updateIndex = item;
        sheet->change_setting();
        EXPECT_EQ(updateDays, daysOfItem[item]);
        EXPECT_EQ(window.shown.updateIndex, item);
    }
}

TEST_F(OptionsSheet, EditsAreClampedAndShownClamped) {
    struct Case {
        char const* typed;
        int kept; // the option afterwards (it was 70)
    } cases[] = {{"110", 110},    {"111", 110}, {"500", 110}, {"99999999999999999999", 110},
                 {"1", 1},        {"0", 1},     {"-5", 1},    {" 42", 42},
                 {"12 fish", 12}, {"abc", 70},  {"", 70}};
    for (auto const& c : cases) {
        maxFishPerTank = 70;
        sheet->update_settings();
        window.shown.maxFishPerTank = c.typed;
        sheet->change_setting();
        EXPECT_EQ(maxFishPerTank, c.kept) << c.typed;
        EXPECT_EQ(std::string(window.shown.maxFishPerTank.c_str()), std::to_string(c.kept)) << c.typed;
    }
    // A size the slider cannot reach is kept while another control changes.
    constexpr double kUntouched = -1.0;
    struct Size {
        float before;
        double slider;
        float scalar;
        char const* shown;
    } sizes[] = {{1.0f, 150.0, 1.5f, "150 %"},      {1.0f, 50.0, 0.5f, "50 %"},
                 {1.0f, 99.5, 0.995f, "100 %"},     {1.0f, 99.4, 0.994f, "99 %"},
                 {3.0f, kUntouched, 3.0f, "300 %"}, {0.3f, kUntouched, 0.3f, "30 %"}};
    for (auto const& s : sizes) {
        m_fishGlobalScalar = s.before;
        sheet->update_settings();
        if (s.slider != kUntouched) window.shown.sizeSlider = s.slider;
        sheet->change_setting();
        EXPECT_FLOAT_EQ(m_fishGlobalScalar, s.scalar) << s.before << " " << s.slider;
        EXPECT_EQ(std::string(window.shown.showSizePercent.c_str()), s.shown);
    }
    window.shown.informBeta = 1;
    sheet->change_setting();
    EXPECT_EQ(m_userFlags, USER_FLAG_INFORM_BETA);
    window.shown.informBeta = 0;
    sheet->change_setting();
    EXPECT_EQ(m_userFlags, 0u);
}

TEST_F(OptionsSheet, LockingTheTanksIsAskedFirst) {
    struct Case {
        int answer;     // the button chosen
        int alertsSkip; // skipNSAlert
        int ticked;     // the box afterwards
    } cases[] = {{0, 0, 1}, {1, 0, 0}, {1, 1, 1}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.answer);
        m_noSaveTankChanges = 0;
        skipNSAlert = static_cast<uint8_t>(c.alertsSkip);
        services.messages.clear();
        services.answers = {c.answer};
        sheet->update_settings();
        window.shown.saveTankChanges = 0; // the user unticks the box
        sheet->click_save_changes();
        EXPECT_EQ(window.shown.saveTankChanges, c.ticked);
        EXPECT_EQ(m_noSaveTankChanges, 1 - c.ticked);
        EXPECT_EQ(services.messages.size(), c.alertsSkip ? 0u : 1u);
        if (!services.messages.empty())
            EXPECT_NE(services.messages[0].find("[No, I want my changes to be saved|Yes, I want to LOCK"),
                      std::string::npos);
    }
    // Ticking the box again asks nothing.
    services.messages.clear();
    window.shown.saveTankChanges = 1;
    sheet->click_save_changes();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(m_noSaveTankChanges, 0);
}

TEST_F(OptionsSheet, TextsComeFromTheInterfaceFile) {
    writeTexts(":dir configureText\n:cd configureText {\n\t:string _close \"Shut\"\n"
               "\t:string _settingsTab \"Options\"\n\t:string Plain \"never used\"\n"
               "\t:float _welcomeTitle 3\n\t:string _1week \"Weekly\"\n"
               "\t:string _serverRefused \"refused here\"\n}\n");
    // Before the file is read nothing is replaced.
    EXPECT_EQ(std::string(sheet->getStringReplacementB(nullptr, "_close")->c_str()), "_close");
    sheet->controls.texts[kVisitWebsiteButton] = "Plain";
    sheet->initializeInterfaceText();
    struct Case {
        CsheetText which;
        char const* text;
    } cases[] = {
        {kCloseButton, "Shut"},
        {kTab1, "Options"},
        {kVisitWebsiteButton, "Plain"},       // without "_" a label is never replaced
        {kWelcomeTitleText, "_welcomeTitle"}, // a key that holds no text
        {kNeedHelpButton, "_needHelp"},       // a key the file lacks
    };
    for (auto const& c : cases)
        EXPECT_EQ(std::string(window.shown.texts[c.which].c_str()), c.text) << c.which;
    char const* const items[] = {"Weekly", "nf1", "nf2", "nf3"};
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(std::string(window.shown.updateItems[i].c_str()), items[i]);
    EXPECT_EQ(std::string(window.shown.versionTitle.c_str()), "Version 1.296 (build 18)");
    // A text code is the key itself; a missing label gives nothing.
    EXPECT_EQ(std::string(sheet->getStringReplacementB("_settingsTab", "x")->c_str()), "Options");
    EXPECT_EQ(std::string(sheet->getStringReplacementB("nothing", "x")->c_str()), "x");
    EXPECT_FALSE(sheet->getStringReplacementB(nullptr, nullptr).has_value());
    // The notes of the status line too, each in English where the file lacks it.
    EXPECT_EQ(std::string(sheet->noteText(kServerRefused).c_str()), "refused here");
    EXPECT_EQ(std::string(sheet->noteText(kNoWebServer).c_str()), "no web server is set up");
    // The texts are read once: a changed file is not read again.
    writeTexts(":dir configureText\n:cd configureText {\n\t:string _close \"Again\"\n}\n");
    sheet->initializeInterfaceText();
    EXPECT_EQ(std::string(window.shown.texts[kCloseButton].c_str()), "Shut");
}

TEST_F(OptionsSheet, AMissingOrBrokenTextFileLeavesTheControlsTexts) {
    struct Case {
        char const* name;
        char const* text; // null: no file
    } cases[] = {
        {"missing", nullptr},
        {"unknown command", ":dir configureText\n:bogus 1 2\n"},
        {"bad expression", ":dir configureText\n:cd configureText {\n\t:string _close (1+\n}\n"},
        {"unclosed block", ":dir configureText\n:cd configureText {\n\t:string _close \"Shut\"\n"},
        {"no such folder", ":cd nowhere {\n\t:string _close \"Shut\"\n}\n"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(install.file("interfaceText.txt"));
        if (c.text) writeTexts(c.text);
        Cstring phase = phaseName;
        options_sheet_settings fresh;
        CrecordingSheetWindow shown;
        fresh.window = &shown;
        fresh.initializeInterfaceText();
        for (int i = 0; i < 4; i++)
            EXPECT_EQ(std::string(shown.shown.updateItems[i].c_str()), "nf" + std::to_string(i));
        EXPECT_EQ(std::string(shown.shown.texts[kTab0].c_str()), "_welcomeTab");
        // The aquarium goes on: nothing of the failure is left to stop it.
        EXPECT_EQ(exitSaver, 0);
        EXPECT_EQ(erroredExit, 0);
        EXPECT_TRUE(exitReasonList.empty());
        EXPECT_TRUE(exitMsg.empty());
        EXPECT_EQ(phaseName, phase);
        if (Cvariable* made = globalVariablesDir->findVariable("configureText")) deleteVariable(made);
    }
}

TEST_F(OptionsSheet, SettingBackups) {
    writeWholeFile(data.file("settings.txt"), ":set crabMood 4\n");
    // Back up, spoil the settings, restore.
    services.answers = {0};
    sheet->click_settingBackups();
    EXPECT_EQ(readWholeFile(data.file("settings_bak.txt")), ":set crabMood 4\n");
    writeWholeFile(data.file("settings.txt"), "spoiled");
    services.answers = {1};
    sheet->click_settingBackups();
    EXPECT_EQ(readWholeFile(data.file("settings.txt")), ":set crabMood 4\n");
    EXPECT_NE(services.messages.back().find("setting restored from backup"), std::string::npos);
    // Revert: the settings go, the installed defaults apply.
    services.answers = {2};
    sheet->click_settingBackups();
    EXPECT_FALSE(pathExists(data.file("settings.txt")));
    // No backup: nothing changes.
    std::filesystem::remove(data.file("settings_bak.txt"));
    writeWholeFile(data.file("settings.txt"), "mine");
    services.answers = {1};
    sheet->click_settingBackups();
    EXPECT_EQ(readWholeFile(data.file("settings.txt")), "mine");
    EXPECT_NE(services.messages.back().find("no backup found"), std::string::npos);
    // Any other answer does nothing.
    services.answers = {-1};
    sheet->click_settingBackups();
    EXPECT_EQ(readWholeFile(data.file("settings.txt")), "mine");
    EXPECT_FALSE(pathExists(data.file("settings_bak.txt")));
}

TEST_F(OptionsSheet, HelpAnswers) {
    webServerBase = "http://127.0.0.1:9/";
    machineID = "m_test";
    struct Case {
        int answer; // first button 0
        char const* page;
        int notice; // showInPreview afterwards
    } cases[] = {{0, "http://127.0.0.1:9/php_database/contact_form.php?os=MAC&mid=m_test&", 0},
                 {1, "http://127.0.0.1:9/support/", 0},
                 {3, nullptr, 2}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.answer);
        showInPreview = 0;
        pleaseQuitSystemPreferences = 0;
        services.pages.clear();
        services.answers = {c.answer};
        sheet->click_needHelpButton();
        EXPECT_EQ(services.pages.size(), c.page ? 1u : 0u);
        if (c.page && !services.pages.empty()) EXPECT_EQ(services.pages[0], c.page);
        EXPECT_EQ(showInPreview, c.notice);
        EXPECT_EQ(pleaseQuitSystemPreferences, c.notice ? 1 : 0);
    }
    // Clear error extreme, then "Delete my setups": both files go and stay gone.
    writeWholeFile(data.file("settings.txt"), "s");
    writeWholeFile(data.file("registry.txt"), "r");
    services.answers = {2, 1};
    sheet->click_needHelpButton();
    EXPECT_FALSE(pathExists(data.file("settings.txt")));
    EXPECT_FALSE(pathExists(data.file("registry.txt")));
    EXPECT_EQ(showInPreview, 2);
    // "Cancel" keeps them.
    writeWholeFile(data.file("settings.txt"), "s");
    services.answers = {2, 0};
    sheet->click_needHelpButton();
    EXPECT_TRUE(pathExists(data.file("settings.txt")));
    showInPreview = 0;
    pleaseQuitSystemPreferences = 0;
}

TEST_F(OptionsSheet, WebButtons) {
    // No web server: the page buttons say so on the sheet and open nothing.
    for (CsheetButton b : {kBetaEmailSignup, kOnlineFishChooser, kGrabOnlineTankConfiguration}) {
        window.shown.statusLine = "";
        sheet->buttonClicked(b);
        EXPECT_EQ(std::string(window.shown.statusLine.c_str()),
                  "The page was not opened: no web server is set up.")
            << b;
    }
    EXPECT_TRUE(services.pages.empty());
    EXPECT_TRUE(services.messages.empty()) << "no alert over the sheet";
    webServerBase = "http://127.0.0.1:9/";
    writeWholeFile(data.file("fish_chooser_settings.txt"), "fish=3&");
    sheet->buttonClicked(kOnlineFishChooser);
    sheet->buttonClicked(kBetaEmailSignup);
    ASSERT_EQ(services.pages.size(), 2u);
    EXPECT_EQ(
        services.pages[0],
        "http://127.0.0.1:9/php_database/fish_chooser.php?os=MAC&addons=&ver=1.296&num_monitors=0&fish=3&");
    EXPECT_EQ(services.pages[1], "http://127.0.0.1:9/php_database/mac_mailing_list_form.php");
    // The update check asks for betas when the box says so.
    for (int beta : {0, 1}) {
        window.shown.informBeta = beta;
        sheet->change_setting();
        sheet->buttonClicked(kCheckForUpdate2);
        EXPECT_NE(services.requests.back().find(beta ? "&beta=1&" : "&beta=0&"), std::string::npos)
            << services.requests.back();
    }
    // The website button asks the server first and opens the home page when that fails.
    for (int failed : {0, 1}) {
        services.pages.clear();
        services.requestResult = failed;
        sheet->buttonClicked(kVisitWebsite);
        EXPECT_EQ(services.requests.back(), "inquiry/inquiry.php?type=VISIT_SITE& type=2");
        EXPECT_EQ(services.pages.size(), failed ? 1u : 0u);
    }
}

// A button whose request reaches no web server says so on the sheet's status line: what was
// not done, why (none set, refused, no answer in time, a name not found, another failure)
// and which server. Without a server nothing is asked; a server that answered leaves the
// line to the web layer, and only then does the website button open the home page.
TEST_F(OptionsSheet, ButtonsThatReachNoServerSayWhyOnTheSheet) {
    struct Button {
        CsheetButton which; // kOpenErrorReport: the form's Send
        char const* notDone;
    } const buttons[] = {{kCheckForUpdate, "Updates were not checked: "},
                         {kVisitWebsite, "The website was not reached: "},
                         {kOpenErrorReport, "The error report was not sent: "}};
    struct Reach {
        char const* server;
        int reach;
        char const* why; // null: no note
    } const reaches[] = {
        {"", SERVER_REACHED, "no web server is set up."},
        {"http://127.0.0.1:9/", SERVER_REFUSED,
         "the web server refused the connection (http://127.0.0.1:9/)."},
        {"http://127.0.0.1:9/", SERVER_TIMED_OUT,
         "the web server did not answer in time (http://127.0.0.1:9/)."},
        {"http://nowhere.invalid/", SERVER_NOT_FOUND,
         "the web server's name was not found (http://nowhere.invalid/)."},
        {"http://127.0.0.1:9/", SERVER_NOT_REACHED,
         "the web server could not be reached (http://127.0.0.1:9/"},
        {"http://127.0.0.1:9/", SERVER_REACHED, nullptr},
    };
    services.requestResult = 1;
    for (auto const& b : buttons) {
        for (auto const& r : reaches) {
            SCOPED_TRACE(std::to_string(b.which) + " " + r.server + " " + std::to_string(r.reach));
            webServerBase = r.server;
            services.requestReach = r.reach;
            services.requests.clear();
            services.pages.clear(); // the line keeps the last row's note: a press takes it away
            if (b.which == kOpenErrorReport) {
                sheet->openErrorReportForm();
                window.shown.description = "the fish stopped";
                sheet->click_sendErrorReport();
                // What was typed stays for the next Send, unless it went.
                EXPECT_EQ(readWholeFile(data.file("crash/description.txt")), r.why ? "the fish stopped" : "");
                std::filesystem::remove_all(data.file("crash"));
            } else {
                sheet->buttonClicked(b.which);
            }
            std::string line = window.shown.statusLine.c_str();
            if (r.why)
                EXPECT_EQ(line.rfind(std::string(b.notDone) + r.why, 0), 0u) << line;
            else
                EXPECT_EQ(line, "");
            EXPECT_EQ(services.requests.size(), *r.server ? 1u : 0u);
            if (b.which == kVisitWebsite) EXPECT_EQ(services.pages.size(), r.why ? 0u : 1u);
        }
    }
    EXPECT_TRUE(services.messages.empty()) << "no alert over the sheet";
}

TEST_F(OptionsSheet, TheErrorReportFormSendsAndCancels) {
    webServerBase = "http://127.0.0.1:9/"; // without one nothing is sent
    contactEmail = "old@example.org";
    sheet->openErrorReportForm();
    EXPECT_TRUE(window.formVisible);
    EXPECT_EQ(std::string(window.shown.email.c_str()), "old@example.org");
    // An empty description sends the plain keyword; the crash folder goes after the report.
    std::filesystem::create_directories(data.path() + "crash");
    window.shown.email = "me@example.org";
    window.formVisible = true;
    sheet->click_sendErrorReport();
    EXPECT_FALSE(window.formVisible);
    EXPECT_EQ(services.requests.back(), "inquiry/errorreport_mac.php?type=ERRREPORT&keyword=& type=2");
    EXPECT_EQ(std::string(contactEmail.c_str()), "me@example.org");
    EXPECT_FALSE(pathExists(data.path() + "crash"));
    EXPECT_NE(readWholeFile(data.file("registry.txt")).find("me@example.org"), std::string::npos);
    // Cancelling sends nothing.
    size_t sent = services.requests.size();
    sheet->openErrorReportForm();
    sheet->reportForm.cancel();
    EXPECT_FALSE(window.formVisible);
    EXPECT_EQ(services.requests.size(), sent);
}

TEST_F(OptionsSheet, TheErrorReportReachesTheServer) {
    CtestHttpServer server;
    std::string keyword, description, contact, type;
    server.server.Get("/inquiry/errorreport_mac.php",
                      [&](httplib::Request const& req, httplib::Response& res) {
                          type = req.get_param_value("type");
                          keyword = req.get_param_value("keyword");
                          description = req.get_param_value("description");
                          contact = req.get_param_value("contact");
                          res.set_content("SCRIPT :float reportReceived 1", "text/plain");
                      });
    webServerBase = server.base().c_str();
    installWebRequests();
    services.realRequests = true;
    sheet->openErrorReportForm();
    window.shown.email = "me@example.org";
    window.shown.description = "the fish stopped";
    sheet->click_sendErrorReport();
    EXPECT_EQ(type, "ERRREPORT");
    EXPECT_EQ(keyword, "D");
    EXPECT_EQ(description, "the fish stopped");
    EXPECT_EQ(contact, "me@example.org");
    EXPECT_NE(globalVariablesDir->findVariable("reportReceived"), nullptr) << "the reply ran";
    EXPECT_EQ(exitSaver, 0);
}

} // namespace
