#include "app/command_line.h"

#include <cwctype>

#include "framework/seams.h"
#include "framework/user_texts.h"
#include "panel/drop_rules.h"
#include "store/db_session.h"

namespace quorlin {

namespace {

std::wstring Lower(std::wstring s) {
    for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
    return s;
}

// While a command runs, what the store would show in a box becomes a line of the result.
class CollectedBoxes : public IMessageBoxes {
public:
    explicit CollectedBoxes(std::vector<std::wstring>& lines) : lines_(lines) { previous_ = SetMessageBoxes(this); }
    ~CollectedBoxes() override { SetMessageBoxes(previous_); }
    int Show(std::uintptr_t, const std::wstring& text, const std::wstring&, unsigned flags) override {
        lines_.push_back(text);
        return (flags & 0xF) == kMbYesNo ? kIdNo : kIdOk;
    }

private:
    std::vector<std::wstring>& lines_;
    IMessageBoxes* previous_ = nullptr;
};

}  // namespace

CommandLineAction ParseCommandLine(const std::vector<std::wstring>& args) {
    CommandLineAction a;
    if (args.empty()) return a;
    const std::wstring sw = Lower(args[0]);
    if (sw == L"--settings") {
        a.kind = args.size() == 1 ? CommandLineAction::Kind::Settings : CommandLineAction::Kind::Usage;
        return a;
    }
    if (sw != L"--export" && sw != L"--import") return a;
    if (args.size() != 2 || args[1].empty()) {
        a.kind = CommandLineAction::Kind::Usage;
        return a;
    }
    a.kind = sw == L"--export" ? CommandLineAction::Kind::Export : CommandLineAction::Kind::Import;
    a.file = args[1];
    return a;
}

TransferResult RunCommandLineAction(const CommandLineAction& action, const std::wstring& dataDir,
                                    const std::wstring& profileDir, const DateTime& now) {
    TransferResult r;
    if (action.kind == CommandLineAction::Kind::None || action.kind == CommandLineAction::Kind::Settings) return r;
    if (action.kind == CommandLineAction::Kind::Usage) {
        r.exitCode = kExitUsage;
        r.lines.push_back(Text(TextId::CliUsage));
        return r;
    }
    DbSession store;
    std::vector<std::wstring> shown;
    bool opened;
    {
        CollectedBoxes boxes(shown);
        opened = store.OpenDatabase(dataDir, L"bts.db", L"");
    }
    if (!opened) {
        r.exitCode = 3;
        r.lines.push_back(Text(TextId::CliStoreFailed));
        if (!store.LastError().empty()) r.lines.push_back(store.LastError());
        return r;
    }
    r = action.kind == CommandLineAction::Kind::Export
            ? ExportToFile(store, action.file, profileDir)
            : ImportFromFile(store, action.file, profileDir, kMaxButtons, now);
    store.Close();
    return r;
}

}  // namespace quorlin
