#include "update/version_check_win.h"

#include <objbase.h>
#include <shellapi.h>
#include <wininet.h>

#include <atomic>
#include <condition_variable>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "app/app_paths.h"
#include "app/settings_win.h"
#include "framework/late_library_win.h"
#include "framework/seams.h"
#include "framework/texts.h"
#include "framework/text.h"
#include "framework/window_win.h"
#include "res/resource.h"
#include "update/browser_command.h"
#include "update/browser_win.h"
#include "update/version_logic.h"

// WinINet and the version block reader are loaded by the first version check.
namespace late {
QUORLIN_LATE_PROC(L"wininet.dll", InternetCloseHandle)
QUORLIN_LATE_PROC(L"wininet.dll", InternetSetOptionW)
QUORLIN_LATE_PROC(L"wininet.dll", InternetCrackUrlW)
QUORLIN_LATE_PROC(L"wininet.dll", InternetConnectW)
QUORLIN_LATE_PROC(L"wininet.dll", HttpOpenRequestW)
QUORLIN_LATE_PROC(L"wininet.dll", HttpSendRequestW)
QUORLIN_LATE_PROC(L"wininet.dll", HttpQueryInfoW)
QUORLIN_LATE_PROC(L"wininet.dll", InternetOpenW)
QUORLIN_LATE_PROC(L"wininet.dll", InternetQueryDataAvailable)
QUORLIN_LATE_PROC(L"wininet.dll", InternetReadFile)
QUORLIN_LATE_PROC(L"version.dll", GetFileVersionInfoSizeW)
QUORLIN_LATE_PROC(L"version.dll", GetFileVersionInfoW)
QUORLIN_LATE_PROC(L"version.dll", VerQueryValueW)
}  // namespace late

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr wchar_t kEndpointKey[] = L"UpdateEndpoint";

// A string resource of the program, "" when it is missing.
std::wstring LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero length LoadStringW hands out a pointer to the resource itself.
    const int length = ::LoadStringW(quorlin::fw::ResourceModule(), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

class InternetHandle {
public:
    explicit InternetHandle(HINTERNET h = nullptr) : h_(h) {}
    ~InternetHandle() { reset(nullptr); }
    void reset(HINTERNET h) {
        if (h_) late::InternetCloseHandle(h_);
        h_ = h;
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;
    HINTERNET get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }

private:
    HINTERNET h_;
};

// Sets WinINet's connect, send and receive timeouts on a handle.
void SetNetworkTimeouts(HINTERNET handle) {
    DWORD timeout = kVersionNetworkTimeoutMs;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        late::InternetSetOptionW(handle, option, &timeout, sizeof(timeout));
}

// Opens an https address for reading its body; null on failure and for every other address.
// The request handle is made and sent here, so that the timeouts can be set on the request
// itself (not every WinINet hands the session's timeouts on to a request made for it).
// WinINet checks the server's certificate (no flag here waives a check). A redirect is not
// followed, as it could lead to plain HTTP: its reply counts as no answer.
HINTERNET OpenAddress(HINTERNET session, const std::wstring& address, InternetHandle& connection) {
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_DONT_CACHE | INTERNET_FLAG_TRANSFER_ASCII |
                        INTERNET_FLAG_SECURE | INTERNET_FLAG_NO_AUTO_REDIRECT;
    const DWORD_PTR context = 1;
    URL_COMPONENTSW parts{};
    parts.dwStructSize = sizeof(parts);
    // Non-zero lengths with no buffers: the parts are handed back as pointers into address.
    parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUserNameLength = parts.dwPasswordLength =
        parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
    if (!late::InternetCrackUrlW(address.c_str(), static_cast<DWORD>(address.size()), 0, &parts)) return nullptr;
    if (parts.nScheme != INTERNET_SCHEME_HTTPS || !quorlin::IsHttpsAddress(address)) return nullptr;

    auto part = [](const wchar_t* text, DWORD length) {
        return text ? std::wstring(text, length) : std::wstring();
    };
    const std::wstring host = part(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring user = part(parts.lpszUserName, parts.dwUserNameLength);
    const std::wstring password = part(parts.lpszPassword, parts.dwPasswordLength);
    std::wstring object = part(parts.lpszUrlPath, parts.dwUrlPathLength) +
                          part(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (object.empty()) object = L"/";

    connection.reset(late::InternetConnectW(session, host.c_str(), parts.nPort, user.empty() ? nullptr : user.c_str(),
                                        password.empty() ? nullptr : password.c_str(), INTERNET_SERVICE_HTTP, 0,
                                        context));
    if (!connection) return nullptr;
    HINTERNET request = late::HttpOpenRequestW(connection.get(), L"GET", object.c_str(), nullptr, nullptr, nullptr,
                                           flags, context);
    if (!request) return nullptr;
    SetNetworkTimeouts(request);
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!late::HttpSendRequestW(request, nullptr, 0, nullptr, 0) ||
        !late::HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ||
        (status >= 300 && status < 400)) {
        late::InternetCloseHandle(request);
        return nullptr;
    }
    return request;
}

// The request itself, blocking: each network step is bounded by the WinINet timeouts, and
// the body is read only while the deadline has not passed and the reply can still be valid.
std::wstring FetchBlocking(const std::wstring& address, SteadyClock::time_point deadline) {
    InternetHandle session(late::InternetOpenW(quorlin::AppNameOfModulePath(quorlin::ModulePath(nullptr)).c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr,
                                           nullptr, INTERNET_FLAG_DONT_CACHE));
    if (!session) return std::wstring();
    SetNetworkTimeouts(session.get());
    InternetHandle connection;  // (closed after the request made on it)
    InternetHandle file(OpenAddress(session.get(), address, connection));
    if (!file) return std::wstring();

    quorlin::ReplyAccumulator reply;
    char buffer[1024];
    while (!reply.TooLong()) {
        // A body still arriving at the deadline is a server that trickles: no valid reply.
        if (SteadyClock::now() >= deadline) return std::wstring();
        // Wait for some data (or the end), then take what is there: a read of a whole buffer
        // would wait until the buffer is full, however slowly the bytes come.
        DWORD available = 0;
        if (!late::InternetQueryDataAvailable(file.get(), &available, 0, 0)) return std::wstring();
        if (available == 0) break;  // end of the body
        DWORD got = 0;
        if (!late::InternetReadFile(file.get(), buffer, available < sizeof(buffer) ? available : sizeof(buffer), &got))
            return std::wstring();
        if (got == 0) break;
        reply.Feed(buffer, got);
    }
    // Once too long the text is left as it is: longer than any reply, it is refused as one.
    reply.Finish();
    return reply.Text();
}

// Hand-over between the thread that runs a request and the one waiting for it. Shared
// ownership, so that a request given up on may go on to its end without anybody waiting.
struct PendingReply {
    std::mutex mutex;
    std::condition_variable arrived;
    bool done = false;
    std::wstring text;
};

std::atomic<unsigned> g_questionsHeld{0};

// The check itself, on whatever thread runs it, with everything it needs passed in:
// settingsFile (setting.ini, "" for none) is where the version asked about is remembered,
// lastAsked what it held when the check started.
void RunCheck(bool interactive, const std::wstring& endpoint, const std::wstring& settingsFile,
              const std::wstring& lastAsked) {
    using namespace quorlin;
    const std::wstring running = GetFileVersionString(::GetModuleHandleW(nullptr));
    const std::wstring home = LoadResourceString(IDS_HOME_PAGE);
    // An address that is not https gets no request at all: the check fails.
    const std::wstring reply = FetchReplyText(BuildVersionQuery(endpoint, running));

    const VersionReport report = AnalyseVersionReply(reply, running);
    const bool offer = report.outcome == VersionOutcome::Newer;
    // Asked only when a question would be shown: a full-screen program or a presentation holds it.
    const bool busy = !interactive && offer && report.version != lastAsked && UserBusy();
    if (busy) ++g_questionsHeld;
    if (!AsksNow(report, interactive, lastAsked, busy)) return;
    // Remembered before the box, which may stay open until the program ends.
    if (offer && !settingsFile.empty()) IniSettings(settingsFile).WriteString(kKeyUpdateAsked, report.version);
    // Task-modal, without an owner: not system-modal, so other programs stay usable, and the
    // panel (on another thread) goes on working meanwhile.
    const int answer = MessageBoxes().Show(0, report.message, Text(IDS_VERSION_CAPTION),
                                           kMbTaskModal | (offer ? kMbYesNo : kMbOk));
    // The home page is opened over HTTPS only; its result is not examined.
    if (offer && answer == kIdYes && IsHttpsAddress(home)) OpenInDefaultBrowser(home);
}

// The version the user was last asked about, as setting.ini holds it.
std::wstring LastAsked(const std::wstring& settingsFile) {
    return settingsFile.empty() ? std::wstring() : quorlin::IniSettings(settingsFile).ReadString(quorlin::kKeyUpdateAsked);
}

}  // namespace

std::wstring GetFileVersionString(HMODULE module) {
    const std::wstring path = quorlin::ModulePath(module);
    if (path.empty()) return std::wstring();
    DWORD ignored = 0;
    const DWORD size = late::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0) return std::wstring();
    std::vector<BYTE> block(size);
    if (!late::GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return std::wstring();
    VS_FIXEDFILEINFO* info = nullptr;
    UINT length = 0;
    if (!late::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
        length < sizeof(VS_FIXEDFILEINFO))
        return std::wstring();
    return quorlin::FormatFileVersion(info->dwFileVersionMS, info->dwFileVersionLS);
}

std::wstring UpdateEndpoint(const std::wstring& settingsFile) {
    if (!settingsFile.empty()) {
        const std::wstring configured = quorlin::Trim(quorlin::IniSettings(settingsFile).ReadString(kEndpointKey));
        if (!configured.empty()) return configured;
    }
    return LoadResourceString(IDS_UPDATE_ENDPOINT);
}

std::wstring FetchReplyText(const std::wstring& address) { return FetchReplyText(address, kVersionReplyDeadline); }

std::wstring FetchReplyText(const std::wstring& address, std::chrono::milliseconds limit) {
    // WinINet's own timeouts bound each step, but not a server that keeps sending a byte now
    // and then, nor one that stalls inside its headers. So the request runs on a thread of
    // its own, and this one waits for it no longer than the deadline. A request given up on
    // finishes by itself at its next timeout and only touches the shared record.
    const SteadyClock::time_point deadline = SteadyClock::now() + limit;
    auto pending = std::make_shared<PendingReply>();
    try {
        std::thread([pending, address, deadline] {
            std::wstring text = FetchBlocking(address, deadline);
            std::lock_guard<std::mutex> lock(pending->mutex);
            pending->text = std::move(text);
            pending->done = true;
            pending->arrived.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return FetchBlocking(address, deadline);  // no thread to spare: the WinINet timeouts still hold
    }
    std::unique_lock<std::mutex> lock(pending->mutex);
    if (!pending->arrived.wait_until(lock, deadline, [&] { return pending->done; })) return std::wstring();
    return pending->text;
}

unsigned CheckVersion(bool interactive, const std::wstring& settingsFile) {
    RunCheck(interactive, UpdateEndpoint(settingsFile), settingsFile, LastAsked(settingsFile));
    return 0;
}

unsigned QuestionsHeld() { return g_questionsHeld.load(); }

void StartVersionCheck(bool interactive, const std::wstring& settingsFile) {
    // Everything the worker needs from the application is read here and handed over by value.
    std::wstring endpoint = UpdateEndpoint(settingsFile);
    std::wstring lastAsked = LastAsked(settingsFile);
    try {
        std::thread([interactive, endpoint = std::move(endpoint), settingsFile, lastAsked = std::move(lastAsked)] {
            // The shell may be asked to open the home page from this thread.
            const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
            RunCheck(interactive, endpoint, settingsFile, lastAsked);
            if (SUCCEEDED(com)) ::CoUninitialize();
        }).detach();
    } catch (const std::system_error&) {
        // No thread could be started: the check is skipped, as a failed check would be.
    }
}
