// Whole runs of the program against hostile web servers on this machine: nothing a reply
// sets going reaches outside the data folder or ends the later starts, and a stalled
// server holds a run for a few seconds at most, a stop request for well under one.
#include "hostFixture.h"    // before the X headers, whose None clashes with the test framework's
#include "testHttpServer.h" // and whose Success clashes with the server's

#include <X11/Xlib.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "app/hostLoop.h"
#include "app/velmoraView.h"
#include "host/hostServices.h"
#include "host/httpConnection.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "world/velmoraFunctions.h"

namespace {

using Clock = std::chrono::steady_clock;

// The bytes as a script's binary block.
std::string block(std::string const& bytes) {
    std::string text("\"\0", 2);
    for (int shift = 24; shift >= 0; shift -= 8)
        text += static_cast<char>((bytes.size() >> shift) & 0xFF);
    return text + bytes + "\"";
}

// An update package writing one file, announcing a size shortBy bytes under its own.
std::string package(std::string const& path, std::string const& bytes, int shortBy) {
    std::string body = "file__" + path + "\n" + std::to_string(bytes.size()) + "\n" + bytes + "exit0_";
    char head[32];
    std::snprintf(head, sizeof head, "prgssz%08d\n", static_cast<int>(body.size() + 15) - shortBy);
    return head + body;
}

// A reply of exactly size bytes, its script first, sent in chunks with no length announced.
void serveChunked(httplib::Server& server, char const* path, std::string script, size_t size) {
    script.resize(size, '\n');
    server.Get(path, [script](httplib::Request const&, httplib::Response& res) {
        res.set_chunked_content_provider("text/plain", [script](size_t offset, httplib::DataSink& sink) {
            if (offset < script.size())
                sink.write(script.data() + offset, std::min<size_t>(65536, script.size() - offset));
            if (offset + 65536 >= script.size()) sink.done();
            return true;
        });
    });
}

class HostileServer : public HostFixture {
  protected:
    void SetUp() override {
        HostFixture::SetUp();
        makeFolders(true);
        std::filesystem::copy(data.path(), pristine.path(), std::filesystem::copy_options::recursive);
        writeWholeFile(outside.file("victim.txt"), "keep");
        savedStopAsked = programStopAsked;
    }
    void TearDown() override {
        unsetenv("VELMORA_SERVER_URL");
        signal(SIGTERM, SIG_DFL);
        signal(SIGINT, SIG_DFL);
        programStopAsked = savedStopAsked;
        HostFixture::TearDown();
    }
    // Each case begins from the same data folder.
    void freshDataFolder() {
        for (auto const& entry : std::filesystem::directory_iterator(data.path()))
            std::filesystem::remove_all(entry.path());
        std::filesystem::copy(pristine.path(), data.path(), std::filesystem::copy_options::recursive);
    }
    // One start of the program, as a new process would begin it.
    int start(std::vector<std::string> args) {
        closeStdout(); // each start opens its logs in the data folder anew
        if (masterOut.is_open()) masterOut.close();
        resetExitState();
        scriptError = 0;
        showInPreview = 0;
        pleaseQuitSystemPreferences = 0;
        stopSignalled = 0;
        return runProgram(args);
    }

    TempDir pristine, outside;
    bool (*savedStopAsked)() = nullptr;
};

// Each try, from the first start's "msg.txt" (run at the tenth frame) on: the victim outside
// stays, nothing is written outside, and the file a case's road makes inside is there or not.
TEST_F(HostileServer, NothingFromTheNetworkEscapesTheDataFolder) {
    REQUIRE_OFFSCREEN();
    CtestHttpServer server, stranger;
    std::string escape = ":mfile \"" + outside.file("escaped.txt") + "\" \"x\"\n";
    std::string tank = ":addScript tanks/wabi_sabi/wabi_sabi.tank {\n\t:float emptyTank 1\n\t" + escape +
                       "\t:mfile \"[APD]tankRan.txt\" \"y\"\n\t:rotater cameraRotate {\n\t\t:set main 7\n"
                       "\t\t:array cam 7 \"wide\" 0 0.1 6.4 0 -0.04 -1 48 1 0\n\t}\n}\n";
    server.serve("/plant.php",
                 "SCRIPT :mfile \"[APD]msg.txt\" " + block(escape + ":mfile \"[APD]ranAgain.txt\" \"y\"\n"));
    server.serve("/plantTank.php",
                 "SCRIPT :mfile \"[APD]Resources/tanks/wabi_sabi/wabi_sabi.tank\" " + block(tank));
    server.serve("/plantBroken.php", "SCRIPT :mfile \"[APD]msg.txt\" " + block("junk :a\n"));
    std::string away = " \"" + outside.file("escaped.txt") + "\"";
    server.serve("/move.php",
                 "SCRIPT :mfile \"[APD]moved.txt\" \"x\"\n:renameFile \"[APD]moved.txt\"" + away);
    server.serve("/saveVar.php",
                 "SCRIPT :float leak 1\n:saveVar leak" + away + " 0 1\n:saveVar leak [APD]kept.txt 0 1");
    server.serve("/exit0.php", "SCRIPT :exit0");
    server.serve("/exitErr.php", "SCRIPT :exiterr \"the reply failed\"");
    server.server.Get("/hop.php", [&stranger](httplib::Request const&, httplib::Response& res) {
        res.set_redirect(stranger.url("stranger.php"));
    });
    stranger.serve("/stranger.php", "SCRIPT :mfile \"[APD]stranger.txt\" \"x\"");
    server.server.Get("/hopHome.php", [&server](httplib::Request const&, httplib::Response& res) {
        res.set_redirect(server.url("home.php"));
    });
    server.serve("/home.php", "SCRIPT :mfile \"[APD]home.txt\" \"x\"");
    for (char const* name : {"Short", "Honest", "Linked"}) {
        std::string reply =
            "SCRIPT :download \"" + server.url((std::string("pkg") + name).c_str()) + "\" VL_update.vli";
        server.serve(std::string("/check") + name + ".php", reply);
    }
    server.serve("/pkgShort", package("[APD]pkg.txt", "x", 1));
    server.serve("/pkgHonest", package("[APD]pkg.txt", "x", 0));
    server.serve("/pkgLinked", package("[APD]linked.txt", "evil", 0));
    server.serve("/hardLink.php", "SCRIPT :mfile \"[APD]hl.txt\" \"evil\"");
    serveChunked(server.server, "/overCap.php", "SCRIPT :mfile \"[APD]big.txt\" \"x\"\n", kMaxReplyBytes + 1);
    serveChunked(server.server, "/atCap.php", "SCRIPT :mfile \"[APD]big.txt\" \"x\"\n", kMaxReplyBytes);
    setenv("VELMORA_SERVER_URL", server.base().c_str(), 1);

    struct {
        char const* request; // what the first start's msg.txt asks the server
        int starts;
        char const* link; // a link in the data folder to the victim, or null
        char const* inside;
        bool made;
        char const* logged;    // what the logs say of it, or null
        bool hardLink = false; // the link is a second name of the victim
    } cases[] = {
        // The planted msg.txt runs, confined; so does the planted tank script.
        {"plant.php?", 2, nullptr, "ranAgain.txt", true, "refused outside data folder"},
        {"plantTank.php?", 2, nullptr, "tankRan.txt", true, "refused outside data folder"},
        {"plantBroken.php?", 2, nullptr, "msg.txt.damaged", true, "set aside"}, // the start goes on
        // Neither a move nor a saved variable leaves the data folder.
        {"move.php?", 1, nullptr, "moved.txt", true, "refused outside data folder"},
        {"saveVar.php?", 1, nullptr, "kept.txt", true, "refused outside data folder"},
        // A reply that fails is no fault of the "msg.txt" that asked for it.
        {"exit0.php?", 2, nullptr, "msg.txt.damaged", false, "exit0 refused for a downloaded script"},
        {"exitErr.php?", 2, nullptr, "msg.txt.damaged", false, "reply script failed: the reply failed"},
        // Another server's reply never runs; the server's own redirect is followed.
        {"hop.php?", 1, nullptr, "stranger.txt", false, "A redirect to another server was refused."},
        {"hopHome.php?", 1, nullptr, "home.txt", true, nullptr},
        {"checkShort.php?", 1, nullptr, "pkg.txt", false, "larger than its announced size"},
        {"checkHonest.php?", 1, nullptr, "pkg.txt", true, nullptr},
        {"checkLinked.php?", 1, "linked.txt.vlitemp", "linked.txt", false, "Couldn't create file"},
        {"hardLink.php?", 1, "hl.txt", "hl.txt", true, "written as a new file", true},
        {"checkLinked.php?", 1, "linked.txt.vlitemp", "linked.txt", true, "written as a new file", true},
        {"overCap.php?", 1, nullptr, "big.txt", false, "The reply was larger than allowed."},
        {"atCap.php?", 1, nullptr, "big.txt", true, nullptr},
    };
    for (auto const& c : cases) {
        freshDataFolder();
        writeWholeFile(data.file("msg.txt"), std::string(":httpRequestAndRun \"") + c.request + "\"\n");
        if (c.link && c.hardLink)
            std::filesystem::create_hard_link(outside.file("victim.txt"), data.file(c.link));
        else if (c.link)
            std::filesystem::create_symlink(outside.file("victim.txt"), data.file(c.link));
        int status = 0;
        // Enough frames for a download from this machine, however busy it is.
        for (int i = 0; i < c.starts; i++)
            status = start({"--headless", "400x16", "--frames", "2000"});
        EXPECT_EQ(status, 0) << c.request << ": " << exitMsg;
        EXPECT_EQ(pathExists(data.file(c.inside)), c.made) << c.request;
        EXPECT_EQ(readWholeFile(outside.file("victim.txt")), "keep") << c.request;
        EXPECT_FALSE(pathExists(outside.file("escaped.txt"))) << c.request;
        if (c.logged) EXPECT_NE(logs().find(c.logged), std::string::npos) << c.request;
        std::filesystem::remove(outside.file("escaped.txt"));
        writeWholeFile(outside.file("victim.txt"), "keep");
    }

    // What one reply plants in the resource copy costs one start at most, whatever the file:
    // a script of the copy that writes ":exit0" into the settings and ends the process, or a
    // material that reads but makes no shaders. The installed resources, each start the
    // program's own process: the start that plants, then three more, of which the first may
    // end and the others draw the tank.
    std::string interface =
        readWholeFile(std::string(VELMORA_GENERATED_RESOURCE_DIR) + "species/gui_panel/interface.gui");
    std::string once = ":mfile \"[APD]msg.txt\" \"\"\n"; // the reply comes once
    std::string endsTenFramesIn =
        block(interface + "\n:mkdir std_scripts {\n:addScript tenFramesIn {\n:mfile "
                          "\"[APD]settings.txt\" \":exit0\"\n:exit0\n}\n}\n");
    server.serve("/plantInterface.php", "SCRIPT :mfile \"[APD]Resources/species/gui_panel/interface.gui\" " +
                                            endsTenFramesIn + "\n" + once);
    // Into the installed file, where the data folder is the install folder.
    server.serve("/plantInstalled.php",
                 "SCRIPT :mfile \"[APD]species/gui_panel/interface.gui\" " + endsTenFramesIn +
                     "\n:deleteFile \"[APD]Resources/species/gui_panel/interface.gui\"\n" + once);
    server.serve("/plantMaterial.php",
                 "SCRIPT :mfile \"[APD]Resources/species/sea_grass/materials/leaf.mat\" " +
                     block(readWholeFile(VELMORA_TEST_INPUT_DIR "robustness/material-1.bin")) + "\n" + once);
    useStagedResources();
    struct {
        char const* request;
        char const* aside; // what the plant leaves set aside or kept
        char const* logged;
        bool overInstall = false; // the data folder is the install folder (and stays as installed)
    } const plants[] = {
        {"plantInterface.php?", "settings.txt.damaged", "exit0 refused for a file of the data folder"},
        {"plantMaterial.php?", "Resources.edited/species/sea_grass/materials/leaf.mat", "stopped the start"},
        {"plantInstalled.php?", "species/gui_panel/interface.gui", "is the install folder", true},
    };
    for (auto const& plant : plants) {
        SCOPED_TRACE(plant.request);
        std::filesystem::current_path(savedCwd); // not the copy a start worked in, which goes
        for (auto const& entry : std::filesystem::directory_iterator(data.path()))
            std::filesystem::remove_all(entry.path());
        if (plant.overInstall) {
            std::filesystem::copy(VELMORA_GENERATED_RESOURCE_DIR, data.path(),
                                  std::filesystem::copy_options::recursive);
            setenv("VELMORA_INSTALL_DIR", data.path().c_str(), 1);
        }
        writeWholeFile(data.file("msg.txt"), std::string(":httpRequestAndRun \"") + plant.request + "\"\n");
        std::string logged;
        for (int run = 0; run < 4; run++) {
            std::string shot = outside.file("shot.png");
            std::filesystem::remove(shot);
            int status = std::system((VELMORA_PROGRAM " --headless 400x225 --frames 30 --screenshot '" +
                                      shot + "' >/dev/null 2>'" + outside.file("said.txt") + "'")
                                         .c_str());
            logged += logs() + readWholeFile(outside.file("said.txt"));
            if (run < 2) continue; // the start that plants, and the one that may end
            EXPECT_EQ(status, 0) << "start " << run;
            EXPECT_EQ(pictureShown(readPng(shot)), "the tank") << "start " << run;
        }
        EXPECT_TRUE(pathExists(data.file(plant.aside)));
        EXPECT_NE(logged.find(plant.logged), std::string::npos);
        EXPECT_FALSE(pathExists(data.file("isRunning.txt")));
        if (plant.overInstall) EXPECT_EQ(readWholeFile(data.file(plant.aside)), interface);
        useStagedResources();
    }
}

// A server that takes the connection and never answers, or drips its reply two bytes a
// second, at start-up (the diagnostics) and at the tenth frame ("msg.txt"): alone it holds
// the run a few seconds per request; a stop asked for while a request waits ends the run at
// once.
TEST_F(HostileServer, AStalledServerNeverHoldsTheRun) {
    REQUIRE_OFFSCREEN();
    installStopSignals();
    unsigned long window = 0;
    auto destroyWindow = [&window] {
        Display* display = XOpenDisplay(nullptr);
        XDestroyWindow(display, window);
        XCloseDisplay(display);
    };
    struct {
        char const* name;
        std::function<void()> stop; // done when the request is waiting, or null
        bool inWindow;
        double seconds; // the longest the run may take (after the stop, when there is one)
        int dripMs;     // the server sends a byte this often; 0 none
    } cases[] = {
        {"no stop", nullptr, false, 15.0, 0},
        {"dripping", nullptr, false, 15.0, 500},
        {"SIGTERM", [] { kill(getpid(), SIGTERM); }, false, 2.0, 0},
        {"window destroyed", destroyWindow, true, 2.0, 0},
    };
    for (auto const& c : cases) {
        if (c.inWindow && !std::getenv("DISPLAY")) continue; // no X server: nothing to destroy
        freshDataFolder();
        writeWholeFile(data.file("msg.txt"), ":httpRequestAndRun \"stall.php?\"\n");
        std::atomic<int64_t> stoppedAt{0};
        CsilentServer server(
            [&] {
                stoppedAt = Clock::now().time_since_epoch().count();
                if (c.stop) c.stop();
            },
            c.dripMs);
        setenv("VELMORA_SERVER_URL", server.base().c_str(), 1);
        // A run the stop does not end ends after its frames, too late.
        std::vector<std::string> args = {"--headless", "400x16", "--frames", c.stop ? "3000" : "30"};
        std::unique_ptr<ScopedDisplayLock> lock;
        Display* display = nullptr;
        if (c.inWindow) {
            lock = std::make_unique<ScopedDisplayLock>();
            display = XOpenDisplay(nullptr);
            window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 400, 16, 0, 0, 0);
            XSelectInput(display, window, StructureNotifyMask);
            XMapWindow(display, window);
            for (XEvent e{}; e.type != MapNotify;)
                XNextEvent(display, &e);
            args = {"-window-id", std::to_string(window), "--frames", "600"};
        }
        auto began = Clock::now();
        int status = start(args);
        auto ended = Clock::now();
        if (display) XCloseDisplay(display);
        ASSERT_NE(stoppedAt, 0) << c.name << ": no request reached the server";
        auto from = c.stop ? Clock::time_point(Clock::duration(stoppedAt)) : began;
        EXPECT_LT(std::chrono::duration<double>(ended - from).count(), c.seconds) << c.name;
        EXPECT_EQ(status, 0) << c.name << ": " << exitMsg;
    }
}

} // namespace
