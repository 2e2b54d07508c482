// Version text, reply parsing and the decision of the version check; no network or window code.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace quorlin {

// Replies longer than this many UTF-16 units are refused (an error page, not a version reply).
constexpr std::size_t kMaxReplyUnits = 500;

// Pieces of `text` that end with `sep`, separators removed; text after the last one is dropped.
std::vector<std::wstring> SplitTerminated(const std::wstring& text, wchar_t sep);

// _wtol-like: skips ASCII white space, optional sign, decimal digits; clamps to the int32 range.
std::int32_t WideToInt32(const std::wstring& text);

// Dotted version weighed 1, 10, 100 ... from the right (2.0.0.8 -> 2008); sums clamp to int32.
std::int32_t VersionToNumber(const std::wstring& text);

// "a.b.c.d" in decimal; components above 999 are written in full.
std::wstring FormatVersion(unsigned a, unsigned b, unsigned c, unsigned d);

// "a.b.c.d" from VS_FIXEDFILEINFO's dwFileVersionMS / dwFileVersionLS.
std::wstring FormatFileVersion(std::uint32_t fileVersionMS, std::uint32_t fileVersionLS);

// The request address: endpoint + "?version=" + running (running may be empty).
std::wstring BuildVersionQuery(const std::wstring& endpoint, const std::wstring& running);

enum class VersionOutcome { Failure, UpToDate, Newer };

// What the check concludes and the text of its message box (caption Text(IDS_VERSION_CAPTION);
// OK for Failure and UpToDate, Yes/No for Newer, where Yes opens the home page). No text of
// the server's is in the message but the version, and only when IsPlainVersion.
struct VersionReport {
    VersionOutcome outcome = VersionOutcome::Failure;
    std::wstring message;
    std::wstring version;  // the newer version (Newer only)
};

// Digits and single dots, a digit first and last, 32 characters at most ("2.0.0.9", "3").
bool IsPlainVersion(const std::wstring& text);

// Decides on a reply body (already without CRs) against the running version text. A reply
// whose first field is not IsPlainVersion is no answer (Failure).
VersionReport AnalyseVersionReply(const std::wstring& reply, const std::wstring& running);

// True when the outcome gets a message box: a newer version always, the rest only on request.
bool ShowsVersionMessage(VersionOutcome outcome, bool interactive);

// Whether a check shows its box now. A requested check (interactive) shows every outcome. An
// automatic one asks only about a newer version other than lastAsked (the one the user was last
// asked about), and not while the user must not be interrupted (busy: a full-screen program or
// a presentation); such a question is held, not remembered, and asked by a later check.
bool AsksNow(const VersionReport& report, bool interactive, const std::wstring& lastAsked, bool busy);

// Collects the reply body from raw byte chunks as they arrive from the network: drops every CR
// byte, decodes UTF-8 (a sequence split across chunks decodes as if the body came in one piece;
// malformed bytes become U+FFFD), and treats a zero byte as the end of its line, whose remaining
// bytes up to and including the line feed are dropped, as the old line reader did.
class ReplyAccumulator {
public:
    // Appends a chunk; once TooLong() further chunks are ignored.
    void Feed(const char* data, std::size_t size);
    // Ends the body: a UTF-8 sequence cut off at the very end becomes U+FFFD.
    void Finish();
    // True as soon as the text exceeds kMaxReplyUnits UTF-16 units: stop reading then.
    bool TooLong() const { return units_ > kMaxReplyUnits; }
    // The text decoded so far (complete after Finish).
    const std::wstring& Text() const { return text_; }

private:
    void Decode(bool final);

    std::string pending_;  // bytes not yet decoded: at most an unfinished UTF-8 sequence
    std::wstring text_;
    std::size_t units_ = 0;
    bool skippingLine_ = false;
};

}  // namespace quorlin
