// The built program as a user meets it, under a virtual X server: a program
// folder with the shipped language file and an empty database, game pages
// copied by another program one after another, the rows they leave in the
// database, and the program closed from its menu with its log written.
//
// The other program is this test executable started once more as a clipboard
// owner on the same X server. The test is skipped when no X server can be
// started; the X tools it drives are installed by the test command.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/gui/Forms.h"
#include "platform/gui/Platform.h"
#include "text/uHtmlClipbrd.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

// Waits are generous: they only keep a broken program from hanging the run.
constexpr auto kWait = std::chrono::seconds(60);

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string Crlf(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// A child process with its own environment additions; killed when still
// running at the end.
class Child {
public:
    Child() = default;
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() { Stop(); }

    // KeepFd stays open in the child (for Xvfb's display number).
    bool Start(const std::vector<std::string>& Args, const std::map<std::string, std::string>& Env,
               const std::string& OutputFile, int KeepFd = -1) {
        std::vector<char*> argv;
        for (const std::string& a : Args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        pid_ = fork();
        if (pid_ < 0) return false;
        if (pid_ == 0) {
            setpgid(0, 0);
            for (const auto& [k, v] : Env) setenv(k.c_str(), v.c_str(), 1);
            int out = open(OutputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (out >= 0) {
                dup2(out, 1);
                dup2(out, 2);
            }
            for (int fd = 3; fd < 256; ++fd)
                if (fd != KeepFd) close(fd);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        return true;
    }

    bool Running() {
        if (pid_ <= 0) return false;
        int status;
        pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == 0) return true;
        if (r == pid_) status_ = status;
        pid_ = -1;
        return false;
    }

    // The exit status once ended within the wait, else -1.
    int Wait(std::chrono::seconds Limit) {
        const auto end = Clock::now() + Limit;
        while (Running() && Clock::now() < end) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (Running()) return -1;
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : 128 + WTERMSIG(status_);
    }

    void Stop() {
        if (!Running()) return;
        kill(pid_, SIGTERM);
        if (Wait(std::chrono::seconds(5)) < 0) {
            kill(pid_, SIGKILL);
            Wait(std::chrono::seconds(5));
        }
    }

private:
    pid_t pid_ = -1;
    int status_ = 0;
};

bool OnPath(const std::string& tool) {
    const char* path = getenv("PATH");
    std::stringstream dirs(path ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':'))
        if (!dir.empty() && access((dir + "/" + tool).c_str(), X_OK) == 0) return true;
    return false;
}

// The output of a short command, or "" when it fails.
std::string Capture(const std::vector<std::string>& Args, const std::map<std::string, std::string>& Env,
                    const std::string& Scratch) {
    Child c;
    if (!c.Start(Args, Env, Scratch) || c.Wait(std::chrono::seconds(20)) != 0) return "";
    std::string out = ReadFile(Scratch);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

// The first column of the first row, or "" while the file cannot be read.
std::string Query(const std::string& File, const std::string& Sql) {
    sqlite3* db = nullptr;
    std::string result;
    if (sqlite3_open_v2(File.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, Sql.c_str(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW &&
            sqlite3_column_text(st, 0))
            result = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
        sqlite3_finalize(st);
    }
    sqlite3_close(db);
    return result;
}

std::string WaitForQuery(const std::string& File, const std::string& Sql, const std::string& Expected) {
    const auto end = Clock::now() + kWait;
    std::string got;
    while (Clock::now() < end) {
        got = Query(File, Sql);
        if (got == Expected) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return got;
}

// An X server of our own on a free display; empty when none could be started.
class VirtualDisplay {
public:
    std::string Start(const std::string& Log) {
        if (!OnPath("Xvfb")) return "";
        int fds[2];
        if (pipe(fds) != 0) return "";
        const bool started = server_.Start({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x900x24",
                                            "-nolisten", "tcp"},
                                           {}, Log, fds[1]);
        close(fds[1]);
        std::string number;
        if (started) {
            pollfd p{fds[0], POLLIN, 0};
            char c;
            while (poll(&p, 1, 20000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') number += c;
        }
        close(fds[0]);
        if (number.empty()) server_.Stop();
        return number.empty() ? "" : ":" + number;
    }

private:
    Child server_;
};

std::string SelfPath() { return fs::read_symlink("/proc/self/exe").string(); }

// The three pages as the game shows them, in their HTML and text forms.
struct Copy {
    std::string Html, Text;
};

const Copy kSolarSystem{
    "<meta charset=\"utf-8\"><table id=\"galaxytable\">\n"
    "<tr><td colspan=\"8\">Solar system 1:234</td></tr>\n"
    "<tr><td>Pos</td><td>Planet</td><td>Name</td><td>Moon</td><td>Debris</td><td>Player</td><td>Alliance</td>"
    "<td>Action</td></tr>\n"
    "<tr>\n<th><a href=\"#\">5</a></th>\n<th><img src=\"p.gif\"></th>\n<th>Homeworld</th>\n<th></th>\n<th></th>\n"
    "<th><a title=\"Player Bravo ranked 42.\"><span class='status_inactive'>Bravo</span></a></th>\n"
    "<th><a title=\"Alliance ABC ranked 5 with 10 members\">ABC</a></th>\n<th>-</th>\n</tr>\n"
    "<tr>\n<th><a href=\"#\">6</a></th>\n<th><img src=\"p.gif\"></th>\n<th>Outpost</th>\n<th></th>\n<th></th>\n"
    "<th><a title=\"Player Charlie ranked 77.\"><span>Charlie</span></a></th>\n<th></th>\n<th>-</th>\n</tr>\n"
    "</table>",
    "Solar system 1:234\nPos\tPlanet\tName\tMoon\tDebris\tPlayer\tAlliance\tAction\n"
    "5\t \tHomeworld\t\t\tBravo (i)\tABC\t\n6\t \tOutpost\t\t\tCharlie\t\t\n"};

const Copy kSpyReport{
    "<meta charset=\"utf-8\"><table><tr><td>Intel on Homeworld [1:234:5] time 07-23 14:05:09</td></tr>"
    "<tr><td>Metal:</td><td>12000</td><td>Crystal:</td><td>8000</td></tr></table>",
    "Intel on Homeworld [1:234:5] time 07-23 14:05:09\nMetal: 12000\tCrystal: 8000\n"
    "Deuterium: 3000\tEnergy: 150\nFleet\nLight Fighter 50\nResearch\nWeapon Technology 7\n"
    "Counter-espionage chance: 12%"};

const Copy kCombatReport{
    "<meta charset=\"utf-8\"><p>The following fleets clashed at 07-24 10:00:00:</p>",
    "The following fleets clashed at 07-24 10:00:00:\nAttacker Alpha (1:100:5)\n"
    "Weapon: 100% Shields: 90% Armour: 110%\nDefender Bravo (1:234:5)\nWeapon: 80% Shields: 70% Armour: 60%\n"
    "Attacker wins. Loot: 1000 metal, 2000 crystal, 500 deuterium.\nAttacker losses: 3000 units\n"
    "Defender losses: 15000 units\nDebris field: 4500 metal and 3000 crystal."};

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tesk-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        program = root + "/program";
        fs::create_directories(program);
        fs::create_directories(root + "/home");
    }
    void TearDown() override {
        if (!getenv("TESK_E2E_KEEP")) fs::remove_all(root);
    }

    std::map<std::string, std::string> XEnv() const {
        return {{"DISPLAY", display}, {"QT_QPA_PLATFORM", "xcb"}, {"HOME", root + "/home"},
                {"XDG_CONFIG_HOME", root + "/home/.config"}, {"XDG_DATA_HOME", root + "/home/.local/share"}};
    }
    std::string Tool(const std::vector<std::string>& Args) { return Capture(Args, XEnv(), root + "/tool.out"); }

    // The first visible window whose name matches, or "".
    std::string FindWindow(Child& Program, const std::string& Name) {
        std::string window;
        for (auto end = Clock::now() + kWait; window.empty() && Clock::now() < end && Program.Running();)
            window = Tool({"xdotool", "search", "--onlyvisible", "--name", Name});
        return window.substr(0, window.find('\n'));
    }
    void Click(const std::string& Window, int X, int Y) {
        const std::string geometry = Tool({"xdotool", "getwindowgeometry", "--shell", Window});
        int x0 = 0, y0 = 0;
        std::stringstream lines(geometry);
        for (std::string l; std::getline(lines, l);) {
            if (l.rfind("X=", 0) == 0) x0 = std::atoi(l.c_str() + 2);
            if (l.rfind("Y=", 0) == 0) y0 = std::atoi(l.c_str() + 2);
        }
        Tool({"xdotool", "mousemove", std::to_string(x0 + X), std::to_string(y0 + Y), "click", "1"});
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    // A display of our own, and the program folder filled from the build.
    bool Prepare() {
        const fs::path bin = fs::path(SelfPath()).parent_path().parent_path() / "bin";
        EXPECT_TRUE(fs::exists(bin / "tesk")) << "the program is built beside the tests: " << bin;
        EXPECT_TRUE(OnPath("xdotool")) << "xdotool is installed by the test command";
        if (!fs::exists(bin / "tesk") || !OnPath("xdotool")) return false;
        display = x_.Start(root + "/xvfb.log");
        if (display.empty()) return false;
        // The server names its display once it listens; a client is let in
        // before the program starts, so that a server that went away shows here.
        bool answers = false;
        for (auto end = Clock::now() + kWait; !answers && Clock::now() < end;) {
            answers = !Tool({"xdotool", "getdisplaygeometry"}).empty();
            if (!answers) std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        EXPECT_TRUE(answers) << "the X server on " << display << " takes no client; its log:\n"
                             << ReadFile(root + "/xvfb.log");
        if (!answers) return false;
        for (const char* f : {"tesk", "English.lng", "Tesk.mdb"}) fs::copy_file(bin / f, fs::path(program) / f);
        return true;
    }
    VirtualDisplay x_;

    // Another program owns the clipboard with both forms of Page.
    void CopyToClipboard(Child& Owner, const Copy& Page, const std::string& Name) {
        const std::string html = root + "/" + Name + ".html", text = root + "/" + Name + ".txt";
        WriteFile(html, Page.Html);
        WriteFile(text, Crlf(Page.Text));
        auto env = XEnv();
        env["TESK_E2E_COPY_HTML"] = html;
        env["TESK_E2E_COPY_TEXT"] = text;
        ASSERT_TRUE(Owner.Start({SelfPath(), "--gtest_filter=ClipboardOwner.ServesOneCopy"}, env,
                                root + "/" + Name + ".owner.log"));
    }

    std::string root, program, display;
};

// Started by the end-to-end test only.
TEST(ClipboardOwner, ServesOneCopy) {
    const char* html = getenv("TESK_E2E_COPY_HTML");
    const char* text = getenv("TESK_E2E_COPY_TEXT");
    if (!html || !text) GTEST_SKIP() << "the end-to-end test starts this as its clipboard owner";
    PlatformUseNativeServices();
    THtmlClipboard clipboard;
    clipboard.Open();
    clipboard.SetAsHTML(ReadFile(html));
    clipboard.SetAsText(ReadFile(text));
    clipboard.Close();
    // The copy lives as long as its owner answers the X server; the test
    // ends this process once the copy has been read.
    const auto end = Clock::now() + 2 * kWait;
    while (Clock::now() < end) {
        Application->ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

TEST_F(EndToEnd, CopiedGamePagesReachTheDatabaseAndTheMenuClosesTheProgram) {
    if (!Prepare()) {
        if (!HasFailure()) GTEST_SKIP() << "no X server could be started (Xvfb missing or failing)";
        return;
    }
    const std::string db = program + "/Tesk.mdb";
    ASSERT_EQ(Query(db, "SELECT count(*) FROM tblPlanet"), "0");
    WriteFile(program + "/Tesk.ini",
              Crlf("[General]\nActiveLanguage=English\nWatchClipboard=1\n[DBGroup]\n_User=Alpha\n"));

    Child tesk;
    ASSERT_TRUE(tesk.Start({program + "/tesk"}, XEnv(), root + "/tesk.out"));
    const std::string window = FindWindow(tesk, "^Tesk v");
    ASSERT_FALSE(window.empty()) << "no main window; output:\n"
                                 << ReadFile(root + "/tesk.out") << "\nX server's log:\n" << ReadFile(root + "/xvfb.log");

    // Each copy replaces the one before; its owner stays until its page is in.
    {
        Child owner;
        CopyToClipboard(owner, kSolarSystem, "solar");
        EXPECT_EQ(WaitForQuery(db,
                               "SELECT group_concat(p.PlanetID||p.PlanetName||pl.Name, ' ') FROM tblPlanet p "
                               "JOIN tblPlayer pl ON pl.ID=p.PlayerID WHERE p.GalaxyID=1 AND p.SolarsystemID=234",
                               "5HomeworldBravo 6OutpostCharlie"),
                  "5HomeworldBravo 6OutpostCharlie");
        EXPECT_EQ(Query(db, "SELECT Name||Ranking||'/'||Members FROM tblAlliance"), "ABC5/10");
    }
    {
        Child owner;
        CopyToClipboard(owner, kSpyReport, "spy");
        EXPECT_EQ(WaitForQuery(db, "SELECT Metal||'/'||LightFighter FROM tblPlanet WHERE PlanetID=5", "12000/50"),
                  "12000/50");
    }
    {
        Child owner;
        CopyToClipboard(owner, kCombatReport, "combat");
        EXPECT_EQ(WaitForQuery(db, "SELECT BattleResult||MetalRaided FROM tblCombat", "Won1000"), "Won1000");
        EXPECT_EQ(WaitForQuery(db, "SELECT Metal FROM tblPlanet WHERE PlanetID=5", "11000"), "11000");
    }
    if (const char* shot = getenv("TESK_E2E_SCREENSHOT")) Tool({"import", "-window", "root", shot});

    // Closing from the menu: a click on "Menu", then its last item, "Exit".
    Click(window, 20, 10);
    Tool({"xdotool", "key", "Up", "Return"});
    EXPECT_EQ(tesk.Wait(kWait), 0) << ReadFile(root + "/tesk.out");

    const std::string log = ReadFile(program + "/Tesk.log");
    for (const char* line : {" - Message: Solar system 1:234 processed successfully",
                             " - Message: Spy report on 1:234:5 processed successfully",
                             " - Message: Combat report on 1:234:5 processed successfully"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\nlog:\n" << log;
    EXPECT_EQ(log.find("Error"), std::string::npos) << log;
    const std::string ini = ReadFile(program + "/Tesk.ini");
    EXPECT_NE(ini.find("ActiveLanguage=English"), std::string::npos) << ini;
}

// A fresh program folder: the language is chosen with the mouse from the
// chooser's drop-down list, then the main window opens and keeps the choice.
TEST_F(EndToEnd, TheFirstStartAsksForTheLanguageWithTheMouse) {
    if (!Prepare()) {
        if (!HasFailure()) GTEST_SKIP() << "no X server could be started (Xvfb missing or failing)";
        return;
    }
    Child tesk;
    ASSERT_TRUE(tesk.Start({program + "/tesk"}, XEnv(), root + "/tesk.out"));
    const std::string chooser = FindWindow(tesk, "^Select your language$");
    ASSERT_FALSE(chooser.empty()) << ReadFile(root + "/tesk.out");
    // The drop-down opens over the box with its only entry where the box is.
    Click(chooser, 200, 26);
    Click(chooser, 60, 28);
    Click(chooser, 163, 72);
    const std::string window = FindWindow(tesk, "^Tesk v");
    ASSERT_FALSE(window.empty()) << "no main window after the chooser";
    EXPECT_NE(Tool({"xdotool", "getwindowname", window}).find("(English)"), std::string::npos);
    Click(window, 20, 10);
    Tool({"xdotool", "key", "Up", "Return"});
    EXPECT_EQ(tesk.Wait(kWait), 0) << ReadFile(root + "/tesk.out");
    EXPECT_NE(ReadFile(program + "/Tesk.ini").find("ActiveLanguage=English"), std::string::npos);
}

}  // namespace
