#include "framework/seams.h"

#include "framework/text.h"

#include <atomic>
#include <ctime>
#include <iostream>
#include <mutex>

namespace quorlin {

namespace {

class DefaultMessageBoxes : public IMessageBoxes {
public:
    int Show(std::uintptr_t, const std::wstring& text, const std::wstring& caption, unsigned) override {
        static std::mutex m;
        std::lock_guard<std::mutex> lock(m);
        std::cerr << "[" << ToUtf8(caption) << "] " << ToUtf8(text) << std::endl;
        return 0;
    }
};

class DefaultShell : public IShell {
public:
    std::intptr_t Execute(std::uintptr_t, const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*,
                          int) override {
        return 2;
    }
    bool ExecuteInvokeIdList(std::uintptr_t, const wchar_t*, const wchar_t*, int) override { return false; }
    unsigned RunCommandLine(const std::wstring&, int) override { return 2; }
};

class DefaultSound : public ISound {
public:
    void PlayResource(int, unsigned) override {}
};

class SystemClock : public IClock {
public:
    LocalTime Now() override {
        std::time_t t = std::time(nullptr);
        std::tm tmv{};
#ifdef _WIN32
        localtime_s(&tmv, &t);
#else
        localtime_r(&t, &tmv);
#endif
        return LocalTime{tmv.tm_hour, tmv.tm_min, tmv.tm_sec};
    }
};

DefaultMessageBoxes g_defaultMessageBoxes;
DefaultShell g_defaultShell;
DefaultSound g_defaultSound;
SystemClock g_systemClock;

std::atomic<IMessageBoxes*> g_messageBoxes{nullptr};
std::atomic<IShell*> g_shell{nullptr};
std::atomic<ISound*> g_sound{nullptr};
std::atomic<IClock*> g_clock{nullptr};

template <class T>
T* Swap(std::atomic<T*>& slot, T* impl) {
    return slot.exchange(impl);
}

}  // namespace

IMessageBoxes& MessageBoxes() {
    IMessageBoxes* p = g_messageBoxes.load();
    return p ? *p : g_defaultMessageBoxes;
}
IShell& Shell() {
    IShell* p = g_shell.load();
    return p ? *p : g_defaultShell;
}
ISound& Sound() {
    ISound* p = g_sound.load();
    return p ? *p : g_defaultSound;
}
IClock& Clock() {
    IClock* p = g_clock.load();
    return p ? *p : g_systemClock;
}

IMessageBoxes* SetMessageBoxes(IMessageBoxes* impl) { return Swap(g_messageBoxes, impl); }
IShell* SetShell(IShell* impl) { return Swap(g_shell, impl); }
ISound* SetSound(ISound* impl) { return Swap(g_sound, impl); }
IClock* SetClock(IClock* impl) { return Swap(g_clock, impl); }

}  // namespace quorlin
