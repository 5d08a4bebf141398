// The application and single-document frame stand-ins: command targets with enable/check
// updates, the main window with its menu bar, accelerators and status bar, the document with its
// title, and the application object that starts them.
#pragma once

#include "platform/base/types.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tnv {

class Settings;

// The framework's command identifiers.
constexpr UINT ID_FILE_NEW = 57600;
constexpr UINT ID_FILE_OPEN = 57601;
constexpr UINT ID_FILE_CLOSE = 57602;
constexpr UINT ID_FILE_SAVE = 57603;
constexpr UINT ID_FILE_SAVE_AS = 57604;
constexpr UINT ID_FILE_PAGE_SETUP = 57605;
constexpr UINT ID_FILE_PRINT_SETUP = 57606;
constexpr UINT ID_FILE_PRINT = 57607;
constexpr UINT ID_FILE_PRINT_DIRECT = 57608;
constexpr UINT ID_FILE_PRINT_PREVIEW = 57609;
constexpr UINT ID_EDIT_CLEAR = 57632;
constexpr UINT ID_EDIT_CLEAR_ALL = 57633;
constexpr UINT ID_EDIT_COPY = 57634;
constexpr UINT ID_EDIT_CUT = 57635;
constexpr UINT ID_EDIT_PASTE = 57637;
constexpr UINT ID_EDIT_SELECT_ALL = 57642;
constexpr UINT ID_EDIT_UNDO = 57643;
constexpr UINT ID_APP_ABOUT = 57664;
constexpr UINT ID_APP_EXIT = 57665;
constexpr UINT ID_NEXT_PANE = 57680;
constexpr UINT ID_PREV_PANE = 57681;
constexpr UINT ID_VIEW_STATUS_BAR = 59393;
constexpr UINT AFX_IDW_STATUS_BAR = 59393;
constexpr UINT AFX_IDS_APP_TITLE = 57344;
constexpr UINT AFX_IDS_IDLEMESSAGE = 57345;
constexpr UINT ID_INDICATOR_CAPS = 59137;
constexpr UINT ID_INDICATOR_NUM = 59138;
constexpr UINT ID_INDICATOR_SCRL = 59139;
constexpr UINT ID_SEPARATOR = 0;

// Accelerator flags, as in a Windows accelerator table (keys are always virtual-key codes).
constexpr UINT FVIRTKEY = 0x01;
constexpr UINT FSHIFT = 0x04;
constexpr UINT FCONTROL = 0x08;
constexpr UINT FALT = 0x10;

// The enable and check state of one command, filled in by the update handlers.
class CCmdUI {
public:
    explicit CCmdUI(UINT id) : id_(id) {}
    UINT id() const { return id_; }
    void Enable(bool on = true) {
        enabled_ = on != false;
        enableChanged_ = true;
    }
    void SetCheck(int check = 1) {
        checked_ = check != 0;
        checkChanged_ = true;
    }
    bool enabled() const { return enabled_; }
    bool checked() const { return checked_; }
    bool enableChanged() const { return enableChanged_; }
    bool checkChanged() const { return checkChanged_; }

private:
    UINT id_;
    bool enabled_ = true;
    bool checked_ = false;
    bool enableChanged_ = false;
    bool checkChanged_ = false;
};

// Something that handles commands: a view, a document, a frame, the application.
class CCmdTarget {
public:
    virtual ~CCmdTarget() = default;
    // Runs the command; true when this target has a handler for it.
    virtual bool OnCmdMsg(UINT id) {
        (void)id;
        return false;
    }
    // True when this target has a handler for the command (it is then enabled by default).
    virtual bool HasCommand(UINT id) const {
        (void)id;
        return false;
    }
    // Fills `ui`; true when this target has an update handler for the command.
    virtual bool OnUpdateCmdUI(CCmdUI& ui) {
        (void)ui;
        return false;
    }
};

struct MenuItemDesc {
    UINT id = ID_SEPARATOR; // ID_SEPARATOR: a separator line
    std::string text;       // "&Open...\tCtrl+O"
};

struct MenuDesc {
    std::string title;
    std::vector<MenuItemDesc> items;
};

struct AccelDesc {
    UINT flags = FVIRTKEY; // FSHIFT, FCONTROL, FALT must match the held modifiers exactly
    UINT key = 0;          // virtual-key code
    UINT command = 0;
};

// What a frame is built from: the menu, the accelerators, the string table (prompts are the text
// before the first "\n") and the status-bar panes (ID_SEPARATOR: the message pane).
struct FrameResources {
    std::vector<MenuDesc> menu;
    std::vector<AccelDesc> accelerators;
    std::map<UINT, std::string> strings;
    std::vector<UINT> indicators = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                                    ID_INDICATOR_SCRL};
    std::string iconPath;                 // an image file; empty for none
    const char* const* iconXpm = nullptr; // or a built-in picture in XPM form

    // The framework's own part, which a program's resources start from: the accelerators of
    // New, Open, Save, Print, Undo, the clipboard and the panes, the prompts of the framework's
    // commands, the idle text and the key indicators.
    static FrameResources Standard();
};

// The text of string `id` up to its first "\n"; empty when there is none.
std::string PromptText(const FrameResources& resources, UINT id);

class CDocument;
class CWnd;

// The main window: menu bar, accelerators, a client area for the view, the status bar.
class CFrameWnd : public CCmdTarget {
public:
    CFrameWnd();
    ~CFrameWnd() override;
    CFrameWnd(const CFrameWnd&) = delete;
    CFrameWnd& operator=(const CFrameWnd&) = delete;

    // Builds the window from its resources, then calls OnCreate; false when that fails.
    bool LoadFrame(const FrameResources& resources);
    // After the window exists: create the parts of the frame (the status bar). False ends the
    // creation.
    virtual bool OnCreate();
    bool CreateStatusBar();

    // The command route after the frame itself: view first, then document, then application.
    void SetRoute(CCmdTarget* view, CCmdTarget* document, CCmdTarget* application);

    // Routes a command as a menu choice or an accelerator does: the update handlers are asked
    // first and a disabled command does nothing. True when a handler ran.
    bool SendCommand(UINT id);
    // The enable/check state of a command as the route answers it. A command that no target
    // handles or updates is disabled.
    CCmdUI QueryCommand(UINT id);
    // Asks the updates of every item of menu `index` (as when the menu opens).
    void UpdateMenu(int index);

    // Menu items as they show now (after the last update).
    bool IsMenuItemEnabled(UINT id) const;
    bool IsMenuItemChecked(UINT id) const;
    std::string MenuItemText(UINT id) const;
    // The item under the mouse in an open menu: its prompt goes to the message pane; 0 ends the
    // menu and restores the text that was there.
    void HighlightMenuItem(UINT id);

    // A key press through the accelerator table; true when it matched an accelerator (whether
    // or not a handler ran). Modifiers are FSHIFT | FCONTROL | FALT.
    bool TranslateAccelerator(UINT virtualKey, UINT modifiers);

    void SetWindowText(const std::string& title);
    std::string GetWindowText() const;
    void SetMessageText(const std::string& text);
    std::string GetMessageText() const;
    // The text an indicator pane shows now ("CAP" when Caps Lock is on, else empty).
    std::string GetPaneText(int pane) const;
    bool HasStatusBar() const;
    bool IsStatusBarVisible() const;
    void ShowStatusBar(bool show);

    void ShowWindow();
    bool IsWindowVisible() const;
    // Resizes the outer window so that the client area has the given size.
    void SetClientSize(int width, int height);
    // The client area (between menu bar and status bar), in pixels.
    Size GetClientSize() const;

    // The close request of the close box, Alt+F4 or a posted WM_CLOSE: OnClose decides.
    void PostClose();
    // Closes now if OnClose agrees; true when the window is gone.
    bool Close();
    bool IsClosed() const { return closed_; }
    // True lets the window close.
    virtual bool OnClose() { return true; }

    // Renders the window (title strip, menu bar, client and status bar) to a PNG file.
    bool SaveScreenshot(const std::string& path, std::string* error = nullptr) const;

    // CCmdTarget: the frame's own commands (the status bar toggle).
    bool OnCmdMsg(UINT id) override;
    bool HasCommand(UINT id) const override;
    bool OnUpdateCmdUI(CCmdUI& ui) override;

    const FrameResources& resources() const { return resources_; }

    // The platform's window behind the frame (a QMainWindow).
    void* nativeWindow() const;
    // Puts a window into the client area as the frame's view (AFX_IDW_PANE_FIRST); the view is
    // resized with the frame.
    bool CreateView(CWnd* view);

private:
    struct Impl;
    friend struct Impl;
    bool dispatch(UINT id);
    std::unique_ptr<Impl> d_;
    FrameResources resources_;
    CCmdTarget* view_ = nullptr;
    CCmdTarget* document_ = nullptr;
    CCmdTarget* application_ = nullptr;
    bool closed_ = false;
};

// A document of the single-document kind: a title and the framework's new/open steps.
class CDocument : public CCmdTarget {
public:
    ~CDocument() override = default;
    virtual bool OnNewDocument();
    // The framework opens the file for reading and fails when it cannot.
    virtual bool OnOpenDocument(const std::string& path);
    void SetTitle(const std::string& title) { title_ = title; }
    const std::string& GetTitle() const { return title_; }
    void SetPathName(const std::string& path) { pathName_ = path; }
    const std::string& GetPathName() const { return pathName_; }

private:
    std::string title_;
    std::string pathName_;
};

// The application: its title, settings and the frame it starts; the end of the command route.
class CWinApp : public CCmdTarget {
public:
    CWinApp();
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The start of the program; false ends it before any window shows.
    virtual bool InitInstance() = 0;
    // After the event loop, or after a failed InitInstance, while the platform still runs:
    // windows are released here. Returns the exit status.
    virtual int ExitInstance() { return 0; }

    // Settings under `key`, with a recent-file list of `recentSize` entries.
    void SetRegistryKey(const std::string& key);
    void LoadStdProfileSettings(int recentSize);
    Settings* settings() const { return settings_.get(); }
    void AddToRecentFileList(const std::string& path);
    // Use a settings file of its own instead of the desktop's store (tests).
    void SetSettingsFile(const std::string& iniFile) { settingsFile_ = iniFile; }

    void SetAppName(const std::string& name) { appName_ = name; }
    const std::string& appName() const { return appName_; }
    // The program's desktop entry, which its windows name as theirs (SetDesktopIdentity).
    void SetDesktopId(const std::string& id) { desktopId_ = id; }
    const std::string& desktopId() const { return desktopId_; }

    CFrameWnd* mainWnd() const { return mainWnd_; }
    void setMainWnd(CFrameWnd* frame) { mainWnd_ = frame; }

    // The running application (one per process).
    static CWinApp* current();

private:
    std::string registryKey_;
    std::string appName_;
    std::string desktopId_;
    std::string settingsFile_;
    std::unique_ptr<Settings> settings_;
    bool settingsFailureTold_ = false;
    CFrameWnd* mainWnd_ = nullptr;
};

// The frame title for a document: "<document title> - <application title>".
std::string FrameTitleFor(const std::string& documentTitle, const std::string& appTitle);

// Text shown for a document without a name.
constexpr const char* kUntitled = "Untitled";

struct RunOptions {
    std::string screenshotPath; // render the main window here after start-up and exit
    int width = 0;              // client size for the screenshot (0: the window's own)
    int height = 0;
    // Work done without anyone watching (a PDF, say) in place of the event loop: the window
    // starts off screen, messages go to the terminal, and this gives the exit status.
    std::function<int(CWinApp& app)> batch;
};

// Creates the platform's application (WndApp), installs the real message boxes and file dialog,
// runs app.InitInstance and then the event loop until the main window is closed. Returns the exit
// status: 1 when InitInstance failed or a screenshot could not be written.
int RunApplication(CWinApp& app, int& argc, char** argv, const RunOptions& options);

} // namespace tnv
