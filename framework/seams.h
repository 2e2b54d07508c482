// The few outside effects that tests must be able to answer or observe without a
// person at the screen: message boxes, shell execution, sounds and the wall clock.
// Each has one real implementation (installed by the program at start) and the tests
// install recording fakes. Portable: owner windows travel as integers.
#pragma once
#include <cstdint>
#include <string>

namespace quorlin {

// Message-box flags and answers, with the values Windows gives them.
enum : unsigned {
    kMbOk = 0x0,
    kMbYesNo = 0x4,
    kMbSystemModal = 0x1000,
    kMbTaskModal = 0x2000,
};
enum : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdYes = 6,
    kIdNo = 7,
};

class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    // Shows a modal box and returns the button chosen (kIdOk, kIdYes, kIdNo, ...).
    // May be called from the version-check worker thread.
    virtual int Show(std::uintptr_t owner, const std::wstring& text, const std::wstring& caption,
                     unsigned flags) = 0;
};

class IShell {
public:
    virtual ~IShell() = default;
    // ShellExecuteW; a null pointer stands for a null argument. Returns the shell's value.
    virtual std::intptr_t Execute(std::uintptr_t owner, const wchar_t* verb, const wchar_t* file,
                                  const wchar_t* params, const wchar_t* dir, int show) = 0;
    // ShellExecuteExW with SEE_MASK_INVOKEIDLIST (the properties sheet). Returns success.
    virtual bool ExecuteInvokeIdList(std::uintptr_t owner, const wchar_t* verb, const wchar_t* file,
                                     int show) = 0;
    // Starts the program a command line names (CreateProcessW, so that no character of it is
    // lost to the ANSI code page). Returns what WinExec would: > 31 is success, else an error.
    virtual unsigned RunCommandLine(const std::wstring& commandLine, int show) = 0;
};

class ISound {
public:
    virtual ~ISound() = default;
    // PlaySoundW of a WAVE resource of the program, asynchronously.
    virtual void PlayResource(int resourceId, unsigned flags) = 0;
};

struct LocalTime {
    int hour = 0;    // 0-23
    int minute = 0;  // 0-59
    int second = 0;  // 0-59
};

class IClock {
public:
    virtual ~IClock() = default;
    virtual LocalTime Now() = 0;
};

// Accessors. Before anything is installed, message boxes answer 0 (no button) after
// writing the text to stderr, the shell reports failure (2, "file not found"), sounds
// are silent and the clock reads the real local time.
IMessageBoxes& MessageBoxes();
IShell& Shell();
ISound& Sound();
IClock& Clock();

// Installs an implementation; nullptr restores the default. Returns the previous one.
IMessageBoxes* SetMessageBoxes(IMessageBoxes* impl);
IShell* SetShell(IShell* impl);
ISound* SetSound(ISound* impl);
IClock* SetClock(IClock* impl);

}  // namespace quorlin
