#include "tests/support/scenario/UserSession.h"

#include "tests/support/scenario/ScreenPixels.h"

#include <X11/Xlib.h>

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <sstream>
#include <thread>

#ifndef KELVARA_PROGRAM
#error "KELVARA_PROGRAM names the program under test"
#endif

namespace kelvara::test {

namespace {

// Windows of the program come and go while this side walks the window
// tree or reads pixels; an X error about a window that just went away must
// not end the test program (Xlib's default handler exits).
int IgnoreXError(Display*, XErrorEvent*)
{
    return 0;
}
const bool kXErrorsIgnored = (XSetErrorHandler(IgnoreXError), true);

// The camera list's first row on the maximised window: it shows a name (or
// the wireless entry) once the list has been built.
constexpr ScreenRect kFirstCameraRow{1610, 104, 290, 18};

bool Run(const std::string& command)
{
    return std::system((command + " > /dev/null 2>&1").c_str()) == 0;
}

std::string Quote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

Window FindNamed(Display* display, Window parent, const std::string& title,
    const std::set<unsigned long>& except, int depth)
{
    Window rootReturn, parentReturn;
    Window* children = nullptr;
    unsigned count = 0;
    if (depth > 3 || !XQueryTree(display, parent, &rootReturn, &parentReturn, &children, &count))
        return 0;
    Window found = 0;
    // Topmost first: a newer copy's window lies above an older one.
    for (unsigned i = count; i-- > 0 && found == 0;) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            XWindowAttributes attrs;
            if (title == name && except.count(children[i]) == 0
                && XGetWindowAttributes(display, children[i], &attrs) && attrs.map_state == IsViewable)
                found = children[i];
            XFree(name);
        }
        if (found == 0)
            found = FindNamed(display, children[i], title, except, depth + 1);
    }
    if (children)
        XFree(children);
    return found;
}

long StatusField(pid_t pid, const std::string& field)
{
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.compare(0, field.size() + 1, field + ":") == 0) {
            std::istringstream value(line.substr(field.size() + 1));
            long kb = -1;
            value >> kb;
            return kb;
        }
    }
    return -1;
}

}  // namespace

UserSession::UserSession(const Options& options)
    : m_options(options)
{
    ChildProcess::EnvironmentChanges env = options.extra;
    env["HOME"] = options.home;
    env["XDG_RUNTIME_DIR"] = options.home;
    env["PWD"] = options.home;
    // Xvfb resets itself whenever its last client disconnects, and refuses
    // connections meanwhile; the many short connections of this helper
    // would otherwise race the program's first one. One connection stays
    // open for the life of the test program.
    static Display* const keeper = XOpenDisplay(nullptr);
    (void)keeper;
    env["XDG_CONFIG_HOME"] = std::nullopt;
    env["XDG_DOCUMENTS_DIR"] = std::nullopt;
    env["LANGUAGE"] = std::nullopt;
    env["LC_ALL"] = std::nullopt;
    env["LC_MESSAGES"] = std::nullopt;
    env["LANG"] = options.language.empty() ? std::optional<std::string>("C") : options.language;
    env["KELVARA_VIRTUAL_CAMERAS"]
        = options.virtualCameras.empty() ? std::nullopt : std::optional<std::string>(options.virtualCameras);
    if (env.count("KELVARA_YWUSB_CAMERAS") == 0)
        env["KELVARA_YWUSB_CAMERAS"] = "0";
    // The toolkit's own file chooser, whatever desktop dialogs are installed.
    if (env.count("KELVARA_BUILTIN_CHOOSER") == 0)
        env["KELVARA_BUILTIN_CHOOSER"] = "1";
    // The program starts in the home folder, as from a desktop launcher.
    char previous[4096];
    const bool havePrevious = getcwd(previous, sizeof(previous)) != nullptr;
    if (chdir(options.home.c_str()) == 0) {
        m_process = std::make_unique<ChildProcess>(
            KELVARA_PROGRAM, std::vector<std::string>{}, env, options.outputPrefix);
        if (havePrevious && chdir(previous) != 0)
            m_process.reset();
    }
}

UserSession::~UserSession() = default;

bool UserSession::WaitReady(int timeoutMs)
{
    if (!m_process || !m_process->Started())
        return false;
    return WaitUntil(
        [this] {
            if (!Running())
                return false;
            if (m_main == 0)
                m_main = FindWindow("Kelvara", m_options.otherWindows);
            if (m_main == 0)
                return false;
            Display* display = XOpenDisplay(nullptr);
            if (display == nullptr)
                return false;
            XWindowAttributes attrs{};
            const bool maximised = XGetWindowAttributes(display, m_main, &attrs)
                && attrs.width == DisplayWidth(display, DefaultScreen(display));
            XCloseDisplay(display);
            return maximised && ScreenPixels::Grab(kFirstCameraRow).CountBrighterThan(120) > 20;
        },
        timeoutMs);
}

bool UserSession::Running() const
{
    if (!m_process || !m_process->Started() || kill(m_process->Pid(), 0) != 0)
        return false;
    // A program that has ended but is not yet waited for is a zombie ("Z").
    std::ifstream stat("/proc/" + std::to_string(m_process->Pid()) + "/stat");
    std::string pid, name, state;
    stat >> pid >> name >> state;
    return state != "Z";
}

int UserSession::WaitExit(int timeoutMs)
{
    return m_process ? m_process->WaitExit(timeoutMs) : ChildProcess::kSignalled;
}

std::string UserSession::Output() const
{
    return m_process ? m_process->Stdout() + m_process->Stderr() : std::string();
}

void UserSession::AskToClose() const
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr || m_main == 0) {
        if (display)
            XCloseDisplay(display);
        return;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = m_main;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, m_main, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
}

void UserSession::Click(int x, int y)
{
    Run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.15 click 1 sleep 0.1");
}

void UserSession::Drag(int fromX, int fromY, int toX, int toY)
{
    std::string steps;
    for (int i = 1; i <= 4; ++i)
        steps += " mousemove " + std::to_string(fromX + (toX - fromX) * i / 4) + " "
            + std::to_string(fromY + (toY - fromY) * i / 4) + " sleep 0.1";
    Run("xdotool mousemove " + std::to_string(fromX) + " " + std::to_string(fromY) + " sleep 0.15 mousedown 1"
        + " sleep 0.15" + steps + " mouseup 1 sleep 0.15");
}

void UserSession::MoveTo(int x, int y)
{
    Run("xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.4");
}

void UserSession::Key(const std::string& keys)
{
    Run("xdotool key --delay 60 " + keys + " sleep 0.1");
}

void UserSession::Type(const std::string& text)
{
    // `type` takes every remaining argument as text: nothing may follow it.
    Run("xdotool type --delay 40 " + Quote(text));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

bool UserSession::WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (condition())
            return true;
        if (std::chrono::steady_clock::now() >= end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

unsigned long UserSession::FindWindow(const std::string& title, const std::set<unsigned long>& except)
{
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return 0;
    Window found = FindNamed(display, DefaultRootWindow(display), title, except, 0);
    XCloseDisplay(display);
    return found;
}

ScreenRect UserSession::WindowRect(unsigned long window)
{
    ScreenRect rect;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return rect;
    XWindowAttributes attrs{};
    Window child = 0;
    if (XGetWindowAttributes(display, window, &attrs))
        XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &rect.x, &rect.y, &child);
    rect.width = attrs.width;
    rect.height = attrs.height;
    XCloseDisplay(display);
    return rect;
}

long UserSession::ResidentKb(pid_t pid)
{
    return StatusField(pid, "VmRSS");
}

long UserSession::PeakResidentKb(pid_t pid)
{
    return StatusField(pid, "VmHWM");
}

int UserSession::OpenFiles(pid_t pid)
{
    DIR* dir = opendir(("/proc/" + std::to_string(pid) + "/fd").c_str());
    if (dir == nullptr)
        return -1;
    int count = 0;
    while (dirent* entry = readdir(dir))
        count += entry->d_name[0] != '.' ? 1 : 0;
    closedir(dir);
    return count;
}

}  // namespace kelvara::test
