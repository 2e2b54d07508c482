// Recording stand-ins for the seams: they answer questions as scripted and remember
// what the program showed, opened and played. Shared by the native and the Wine tests.
#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "framework/seams.h"

namespace quorlin::testing {

struct ShownMessage {
    std::uintptr_t owner;
    std::wstring text;
    std::wstring caption;
    unsigned flags;
};

class RecordingMessageBoxes : public IMessageBoxes {
public:
    RecordingMessageBoxes() { previous_ = SetMessageBoxes(this); }
    ~RecordingMessageBoxes() override { SetMessageBoxes(previous_); }

    // Answers given in order; when none is queued a question gets kIdNo and a notice kIdOk.
    void QueueAnswer(int answer) {
        std::lock_guard<std::mutex> lock(m_);
        answers_.push_back(answer);
    }
    int Show(std::uintptr_t owner, const std::wstring& text, const std::wstring& caption,
             unsigned flags) override {
        std::lock_guard<std::mutex> lock(m_);
        shown_.push_back({owner, text, caption, flags});
        if (!answers_.empty()) {
            int a = answers_.front();
            answers_.pop_front();
            return a;
        }
        return (flags & 0xF) == kMbYesNo ? kIdNo : kIdOk;
    }
    std::vector<ShownMessage> Shown() const {
        std::lock_guard<std::mutex> lock(m_);
        return shown_;
    }
    size_t Count() const {
        std::lock_guard<std::mutex> lock(m_);
        return shown_.size();
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_);
        shown_.clear();
        answers_.clear();
    }

private:
    mutable std::mutex m_;
    std::vector<ShownMessage> shown_;
    std::deque<int> answers_;
    IMessageBoxes* previous_ = nullptr;
};

struct ShellCall {
    std::uintptr_t owner;
    bool hasVerb;
    std::wstring verb;
    std::wstring file;
    bool hasParams;
    std::wstring params;
    int show;
    bool invokeIdList;
};

class RecordingShell : public IShell {
public:
    RecordingShell() { previous_ = SetShell(this); }
    ~RecordingShell() override { SetShell(previous_); }

    std::intptr_t result = 42;        // what Execute answers (> 32 is success)
    unsigned commandLineResult = 33;  // what RunCommandLine answers

    std::intptr_t Execute(std::uintptr_t owner, const wchar_t* verb, const wchar_t* file, const wchar_t* params,
                          const wchar_t*, int show) override {
        std::lock_guard<std::mutex> lock(m_);
        calls_.push_back({owner, verb != nullptr, verb ? verb : L"", file ? file : L"", params != nullptr,
                          params ? params : L"", show, false});
        return result;
    }
    bool ExecuteInvokeIdList(std::uintptr_t owner, const wchar_t* verb, const wchar_t* file, int show) override {
        std::lock_guard<std::mutex> lock(m_);
        calls_.push_back({owner, verb != nullptr, verb ? verb : L"", file ? file : L"", false, L"", show, true});
        return true;
    }
    unsigned RunCommandLine(const std::wstring& commandLine, int) override {
        std::lock_guard<std::mutex> lock(m_);
        commandLines_.push_back(commandLine);
        return commandLineResult;
    }
    std::vector<ShellCall> Calls() const {
        std::lock_guard<std::mutex> lock(m_);
        return calls_;
    }
    std::vector<std::wstring> CommandLines() const {
        std::lock_guard<std::mutex> lock(m_);
        return commandLines_;
    }

private:
    mutable std::mutex m_;
    std::vector<ShellCall> calls_;
    std::vector<std::wstring> commandLines_;
    IShell* previous_ = nullptr;
};

class RecordingSound : public ISound {
public:
    RecordingSound() { previous_ = SetSound(this); }
    ~RecordingSound() override { SetSound(previous_); }
    void PlayResource(int resourceId, unsigned flags) override {
        std::lock_guard<std::mutex> lock(m_);
        played_.push_back(resourceId);
        flags_ = flags;
    }
    std::vector<int> Played() const {
        std::lock_guard<std::mutex> lock(m_);
        return played_;
    }
    unsigned LastFlags() const {
        std::lock_guard<std::mutex> lock(m_);
        return flags_;
    }
    void Clear() {
        std::lock_guard<std::mutex> lock(m_);
        played_.clear();
    }

private:
    mutable std::mutex m_;
    std::vector<int> played_;
    unsigned flags_ = 0;
    ISound* previous_ = nullptr;
};

class FixedClock : public IClock {
public:
    explicit FixedClock(LocalTime t = {}) : time(t) { previous_ = SetClock(this); }
    ~FixedClock() override { SetClock(previous_); }
    LocalTime Now() override { return time; }
    LocalTime time;

private:
    IClock* previous_ = nullptr;
};

}  // namespace quorlin::testing
