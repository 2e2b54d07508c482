// The programs of the Start menu, for typing to find what is not on the ring. It owns the
// index of the user's and all users' Programs folders (read on a thread of its own, started
// after the first frame, and read again whenever those folders change), the thread itself
// and the list beside the panel that shows the best programs for the typed filter, in the
// tooltip bubble's colours, with the one the keyboard selected.
// Handed: the panel's window (the index arrives by WM_PROGRAMS_READY posted to it) and the
// panel's ways to tell what is on the ring (the File buttons' paths and every title), that
// a new index came (the list is shown again for the filter typed) and how often and lately
// a program was opened (ranks equal matches).
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "framework/window_win.h"
#include "panel/program_index.h"

// Posted by the index's thread: a new index of the Programs folders is ready.
constexpr UINT WM_PROGRAMS_READY = WM_APP + 6;

class ProgramSearch {
public:
    // What is on the ring: paths of its File buttons and titles of all its buttons.
    struct OnRing {
        std::vector<std::wstring> paths;
        std::vector<std::wstring> titles;
    };
    ProgramSearch(const quorlin::fw::WindowBase& window, std::function<OnRing()> onRing,
                  std::function<void()> indexChanged, std::function<int()> dpi,
                  quorlin::ProgramIndex::UsageOf usageOf = nullptr);
    ~ProgramSearch() { Stop(); }
    ProgramSearch(const ProgramSearch&) = delete;
    ProgramSearch& operator=(const ProgramSearch&) = delete;

    // Starts the thread that reads the Programs folders and watches them (once).
    void Start();
    // Ends the thread and the list's window. The thread is woken and joined; one held up by
    // a slow drive is left to end by itself rather than hold up the panel's closing.
    void Stop();
    LRESULT OnProgramsReady(WPARAM, LPARAM, bool&);
    // True once a first index has arrived.
    bool Ready() const { return ready_; }

    // Shows the best programs for `filter` that are not on the ring beside the panel, none
    // selected (an empty filter or no match hides the list); the number shown.
    int Show(const std::wstring& filter);
    void Hide();
    // Selects the row `row` (-1: none) and draws the list again.
    void Select(int row);
    int Selected() const { return selected_; }
    const quorlin::ProgramEntry* Row(int row) const;
    // The row as the list shows it ("name — folder"; "" for none) and, when asked, where it
    // is on the screen.
    std::wstring RowText(int row, RECT* screen = nullptr) const;
    // Opens the program of the row as a button would open its shortcut; true when started.
    bool Open(int row) const;
    HWND ListWindow() const { return list_; }

private:
    // What the thread shares with the panel; it outlives whichever of the two goes first.
    struct Shared {
        Shared();
        ~Shared();
        HANDLE stopEvent = nullptr;  // set: stop
        HANDLE doneEvent = nullptr;  // set by the thread as it ends
        std::atomic<bool> stopping{false};
        std::mutex mutex;
        HWND panel = nullptr;  // under mutex; null once the panel stopped the thread
        std::optional<quorlin::ProgramIndex> pending;  // under mutex
    };
    static void Run(std::shared_ptr<Shared> shared, std::vector<std::wstring> roots);
    void Paint(HDC dc);
    // The shell's small icon of a shortcut, kept until the next index (null when it has none).
    HICON IconOf(const std::wstring& path);
    void DropIcons();
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    const quorlin::fw::WindowBase& window_;
    std::function<OnRing()> onRing_;
    std::function<void()> indexChanged_;
    std::function<int()> dpi_;  // the panel's (its size included)
    quorlin::ProgramIndex::UsageOf usageOf_;
    std::thread thread_;
    std::shared_ptr<Shared> shared_;
    quorlin::ProgramIndex index_;
    bool ready_ = false;

    HWND list_ = nullptr;
    HFONT font_ = nullptr;  // the bubble's face, at fontDpi_
    int fontDpi_ = 0;
    int rowHeight_ = 22;
    std::unordered_map<std::wstring, HICON> icons_;
    std::vector<std::size_t> rows_;  // entries of index_ shown, best first
    int selected_ = -1;
};
