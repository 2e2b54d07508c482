// Fuzzes the version check's text handling: the reply body collected from network chunks
// (ReplyAccumulator), the split into "|"-terminated fields, the dotted version numbers and
// the decision on a reply.
//
// Input (fuzz_support.h): flags, then two texts: the reply body's raw bytes and the running
// version. Flag bits 1-3 choose the chunk sizes in which the body arrives. With UTF-8 input
// the reply analysed is what the accumulator collected, as in the program; with 16-bit
// input it is the units themselves.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/texts.h"
#include "fuzz/fuzz_support.h"
#include "update/version_logic.h"

using namespace quorlin;
using namespace quorlin::fuzz;

namespace {

std::wstring CheckAccumulator(const std::string& body, std::uint8_t flags) {
    ReplyAccumulator whole;
    whole.Feed(body.data(), body.size());
    whole.Finish();

    // The same body in small chunks, sizes cycling through 1 .. 1 + (flags >> 1 & 7).
    ReplyAccumulator pieces;
    const std::size_t maxChunk = 1 + ((flags >> 1) & 7);
    std::size_t at = 0, k = 0;
    while (at < body.size()) {
        const std::size_t n = std::min(body.size() - at, 1 + (k++ % maxChunk));
        pieces.Feed(body.data() + at, n);
        at += n;
    }
    pieces.Finish();

    for (const ReplyAccumulator* a : {&whole, &pieces}) {
        const std::wstring& t = a->Text();
        FUZZ_CHECK(t.find(L'\r') == std::wstring::npos);
        FUZZ_CHECK(t.find(L'\0') == std::wstring::npos);
        // Reading stops soon after the limit, however much arrives.
        FUZZ_CHECK(Utf16Units(t) <= kMaxReplyUnits + 2048);
        FUZZ_CHECK(a->TooLong() == (Utf16Units(t) > kMaxReplyUnits));
    }
    if (whole.TooLong() || pieces.TooLong()) return whole.Text();
    // Chunk boundaries never change the text.
    FUZZ_CHECK(whole.Text() == pieces.Text());
    // Without a zero byte the text is the body without its CRs, decoded.
    if (body.find('\0') == std::string::npos) {
        std::string noCr;
        for (char c : body)
            if (c != '\r') noCr += c;
        FUZZ_CHECK(whole.Text() == FromUtf8(noCr));
    }
    return whole.Text();
}

void CheckSplit(const std::wstring& text, wchar_t sep) {
    const std::vector<std::wstring> pieces = SplitTerminated(text, sep);
    FUZZ_CHECK(pieces.size() == static_cast<std::size_t>(std::count(text.begin(), text.end(), sep)));
    std::wstring joined;
    for (const auto& p : pieces) {
        FUZZ_CHECK(p.find(sep) == std::wstring::npos);
        joined += p;
        joined += sep;
    }
    // The pieces with their separators are the text up to its last separator.
    const std::size_t last = text.rfind(sep);
    FUZZ_CHECK(joined == (last == std::wstring::npos ? std::wstring() : text.substr(0, last + 1)));
}

void CheckAnalysis(const std::wstring& reply, const std::wstring& running) {
    const VersionReport r = AnalyseVersionReply(reply, running);
    FUZZ_CHECK(!r.message.empty());
    const std::vector<std::wstring> fields = SplitTerminated(reply, L'|');
    if (reply.empty() || Utf16Units(reply) > kMaxReplyUnits || fields.empty() || !IsPlainVersion(fields[0])) {
        FUZZ_CHECK(r.outcome == VersionOutcome::Failure);
        FUZZ_CHECK(r.message == Text(IDS_VERSION_FAILED));
        return;
    }
    const bool newer = VersionToNumber(fields[0]) > VersionToNumber(running);
    FUZZ_CHECK(r.outcome == (newer ? VersionOutcome::Newer : VersionOutcome::UpToDate));
    if (newer) {
        // The offer names the new version and nothing else of the server's.
        FUZZ_CHECK(r.message == FillIn(Text(IDS_VERSION_NEWER), {fields[0]}));
    } else {
        FUZZ_CHECK(r.message == Text(IDS_VERSION_UP_TO_DATE));
    }
    FUZZ_CHECK(ShowsVersionMessage(r.outcome, false) == newer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const TwoParts in = SplitInput(data, size);
    const std::wstring collected = CheckAccumulator(in.first, in.flags);

    const std::wstring reply = (in.flags & 1) ? Wide(in.first, in.flags) : collected;
    const std::wstring running = Wide(in.second, in.flags);
    CheckSplit(reply, L'|');
    CheckSplit(running, L'.');
    (void)WideToInt32(reply);
    (void)VersionToNumber(running);
    CheckAnalysis(reply, running);

    // Four small components always weigh 1000, 100, 10 and 1.
    if (size >= 4) {
        const unsigned a = data[size - 1] % 10, b = data[size - 2] % 10, c = data[size - 3] % 10, d = data[size - 4] % 10;
        FUZZ_CHECK(VersionToNumber(FormatVersion(a, b, c, d)) == static_cast<std::int32_t>(a * 1000 + b * 100 + c * 10 + d));
    }
    return 0;
}
