// "--export FILE" and "--import FILE" of the real quorlin.exe, started as a process on
// copies of the built application directory with real bts.db files.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/command_line_win.h"
#include "framework/text.h"
#include "support/temp_dir.h"

namespace quorlin::testing {
namespace {

struct Outcome {
    DWORD code = STILL_ACTIVE;
    std::string out, err;
};

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring built = BuiltAppDir();
        ASSERT_FALSE(built.empty()) << "QUORLIN_APPDIR is not set";
        for (TempDir* d : {&a, &b}) {
            std::filesystem::copy_file(std::filesystem::path(built) / L"quorlin.exe", d->Path() / L"quorlin.exe");
            d->MakeDatabase();
        }
        wchar_t profile[MAX_PATH] = {};
        ::SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile);
        profileDir = profile;
    }

    // Runs quorlin.exe of `dir` with the arguments, standard output and error to files;
    // pumps this thread's messages meanwhile.
    Outcome Run(const TempDir& dir, const std::wstring& args) {
        Outcome o;
        SECURITY_ATTRIBUTES sa{sizeof(sa), nullptr, TRUE};
        const std::wstring outFile = dir.WPath() + L"\\out.txt", errFile = dir.WPath() + L"\\err.txt";
        HANDLE out = ::CreateFileW(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
        HANDLE err = ::CreateFileW(errFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = out;
        si.hStdError = err;
        PROCESS_INFORMATION pi{};
        const std::wstring exe = dir.WPath() + L"\\quorlin.exe";
        std::wstring cmd = L"\"" + exe + L"\" " + args;
        const BOOL started =
            ::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, dir.WPath().c_str(), &si, &pi);
        ::CloseHandle(out);
        ::CloseHandle(err);
        if (!started) return o;
        for (int waited = 0; waited < 30000; waited += 10) {
            if (::MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, 10, QS_ALLINPUT) == WAIT_OBJECT_0) break;
            MSG m;
            while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&m);
        }
        if (::WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 99);
        ::GetExitCodeProcess(pi.hProcess, &o.code);
        ::CloseHandle(pi.hProcess);
        ::CloseHandle(pi.hThread);
        MSG m;
        while (::PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&m);
        o.out = ReadAll(outFile);
        o.err = ReadAll(errFile);
        return o;
    }

    static std::string Rows(const TempDir& dir) {
        return QueryText(dir.File("bts.db"),
                         "select iType, Title, PathName, ifnull(Para, '<null>') from tb_Btns where ID <> 2 order by sort");
    }
    static void Exec(const TempDir& dir, const std::string& sql) {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(dir.File("bts.db").u8string().c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_close(db);
    }
    std::wstring Quoted(const std::filesystem::path& p) { return L"\"" + p.wstring() + L"\""; }

    TempDir a, b;
    std::wstring profileDir;
};

TEST_F(CommandLineTest, ExportThenImportIntoAFreshStoreReproducesTheRing) {
    const std::string underProfile = ToUtf8(profileDir) + "\\Desktop\\编辑器.exe";
    Exec(a, "insert into tb_Btns (iType, Title, PathName, Para, sort) values "
            "(0, '编辑器', '" + underProfile + "', '-n', 7), (2, 'Docs', 'D:\\docs', null, 5), "
            "(4, 'web', 'https://example.com/', null, 9), (3, '回收站', '::{645FF040-5081-101B-9F08-00AA002F954E}', null, 6)");
    const std::filesystem::path file = a.Path() / L"按钮 1.json";
    const Outcome e = Run(a, L"--export " + Quoted(file));
    EXPECT_EQ(e.code, 0u) << e.err;
    EXPECT_NE(e.out.find("已导出 5 个按钮"), std::string::npos) << e.out;
    EXPECT_NE(e.out.find("Exported 5 buttons"), std::string::npos);
    const std::string json = ReadAll(file.wstring());
    EXPECT_NE(json.find("%USERPROFILE%\\\\Desktop\\\\编辑器.exe"), std::string::npos) << json;
    EXPECT_EQ(json.find(ToUtf8(profileDir)), std::string::npos);

    const Outcome i = Run(b, L"--import " + Quoted(file));
    EXPECT_EQ(i.code, 0u) << i.err;
    EXPECT_NE(i.out.find("导入 4 个按钮"), std::string::npos) << i.out;
    EXPECT_NE(i.out.find("跳过第 1 项"), std::string::npos) << i.out;  // row 1 is in every bts.db
    EXPECT_EQ(Rows(b), Rows(a));
    EXPECT_FALSE(std::filesystem::exists(b.File("setting.ini")));  // no panel was started
}

TEST_F(CommandLineTest, BadInputExitsNonZeroWithAMessageAndChangesNothing) {
    const std::string before = Rows(b);
    a.WriteFile("not.json", "{ this is not json");
    a.WriteFile("v2.json", R"({"format":"quorlin-buttons","version":2,"buttons":[]})");
    a.WriteFile("nopath.json", R"({"format":"quorlin-buttons","version":1,"buttons":[{"title":"x","kind":0}]})");
    a.WriteFile("disguised.json", R"({"format":"quorlin-buttons","version":1,"buttons":[{"title":"我的电脑","kind":3,"path":"C:\\Windows\\System32\\cmd.exe","parameter":"/c start \\\\host\\s\\x.exe"}]})");
    a.WriteFile("deep.json", R"({"format":"quorlin-buttons","version":)" + std::string(20000, '[') + std::string(20000, ']') + "}");
    struct Case {
        std::wstring args;
        DWORD code;
        std::string says;
    } cases[] = {
        {L"--import " + Quoted(a.File("missing.json")), 2, "无法读取文件"},
        {L"--import " + Quoted(a.File("not.json")), 2, "不是有效的 JSON"},
        {L"--import " + Quoted(a.File("v2.json")), 2, "版本 2 不受支持"},
        {L"--import " + Quoted(a.File("nopath.json")), 2, "第 1 项缺少路径"},
        {L"--import " + Quoted(a.File("disguised.json")), 2, "第 1 项“我的电脑”被拒绝"},
        {L"--import " + Quoted(a.File("deep.json")), 2, "嵌套超过 32 层"},
        {L"--import", 1, "用法"},
        {L"--export " + Quoted(a.File("no folder") / "x.json"), 2, "无法写入文件"},
    };
    for (const Case& c : cases) {
        const Outcome o = Run(b, c.args);
        EXPECT_EQ(o.code, c.code) << ToUtf8(c.args);
        EXPECT_NE(o.err.find(c.says), std::string::npos) << ToUtf8(c.args) << ": " << o.err;
        EXPECT_TRUE(o.out.empty());
    }
    EXPECT_EQ(Rows(b), before);
    // A store that cannot be opened: exit 3 and the program's own words, no message box.
    std::filesystem::remove(b.File("bts.db"));
    const Outcome o = Run(b, L"--export " + Quoted(a.File("x.json")));
    EXPECT_EQ(o.code, 3u);
    EXPECT_NE(o.err.find("打开数据失败！"), std::string::npos) << o.err;
    EXPECT_FALSE(std::filesystem::exists(b.File("bts.db")));
}

LRESULT CALLBACK CountingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    static const UINT reload = ::RegisterWindowMessageW(kReloadMessageName);
    if (m == reload) {
        auto* n = reinterpret_cast<int*>(::GetWindowLongPtrW(w, GWLP_USERDATA));
        if (n) ++*n;
        return 0;
    }
    return ::DefWindowProcW(w, m, wp, lp);
}

TEST_F(CommandLineTest, ImportThatAddsButtonsAsksTheRunningPanelToReload) {
    // A stand-in for the running panel, marked as the panel marks itself.
    WNDCLASSW wc{};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"quorlin-reload-test";
    ::RegisterClassW(&wc);
    HWND panel = ::CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                   wc.hInstance, nullptr);
    ASSERT_NE(panel, nullptr);
    int reloads = 0;
    ::SetWindowLongPtrW(panel, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&reloads));
    ::SetPropW(panel, L"qiv_zembrick", reinterpret_cast<HANDLE>(1));

    a.WriteFile("one.json", R"({"format":"quorlin-buttons","version":1,"buttons":[{"title":"n","path":"D:\\n.txt","kind":0}]})");
    EXPECT_EQ(Run(b, L"--import " + Quoted(a.File("one.json"))).code, 0u);
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(Run(b, L"--import " + Quoted(a.File("one.json"))).code, 0u);  // nothing new: no reload
    EXPECT_EQ(reloads, 1);
    ::RemovePropW(panel, L"qiv_zembrick");
    ::DestroyWindow(panel);
}

}  // namespace
}  // namespace quorlin::testing
