#include "update/version_logic.h"

#include <cmath>

#include <cstdint>

#include "framework/text.h"
#include "framework/texts.h"

namespace quorlin {

namespace {

constexpr std::int64_t kInt32Min = -2147483647LL - 1;
constexpr std::int64_t kInt32Max = 2147483647LL;

// Length in UTF-16 units on every platform (wchar_t is UTF-32 on Linux).
std::size_t Utf16Length(const std::wstring& text) {
    std::size_t n = 0;
    for (wchar_t c : text) n += (static_cast<std::uint32_t>(c) >> 16) != 0 ? 2 : 1;  // never true where wchar_t is 16-bit
    return n;
}

// Truncates toward zero like a cast, but saturates instead of being undefined out of range.
std::int32_t TruncateToInt32(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 2147483648.0) return static_cast<std::int32_t>(kInt32Max);
    if (v <= -2147483649.0) return static_cast<std::int32_t>(kInt32Min);
    return static_cast<std::int32_t>(v);
}

bool IsAsciiSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

}  // namespace

std::vector<std::wstring> SplitTerminated(const std::wstring& text, wchar_t sep) {
    std::vector<std::wstring> pieces;
    std::size_t start = 0;
    for (std::size_t at = text.find(sep); at != std::wstring::npos; at = text.find(sep, start)) {
        pieces.push_back(text.substr(start, at - start));
        start = at + 1;
    }
    return pieces;
}

std::int32_t WideToInt32(const std::wstring& text) {
    std::size_t i = 0;
    while (i < text.size() && IsAsciiSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-')) {
        negative = text[i] == L'-';
        ++i;
    }
    // Accumulate the magnitude and stop growing once it is past the int32 range.
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        if (magnitude <= kInt32Max + 1) magnitude = magnitude * 10 + (text[i] - L'0');
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > kInt32Max) return static_cast<std::int32_t>(kInt32Max);
    if (value < kInt32Min) return static_cast<std::int32_t>(kInt32Min);
    return static_cast<std::int32_t>(value);
}

std::int32_t VersionToNumber(const std::wstring& text) {
    // The appended separator makes the last component count as a terminated piece.
    const std::vector<std::wstring> parts = SplitTerminated(text + L".", L'.');
    const std::size_t count = parts.size();
    std::int32_t value = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int32_t component = WideToInt32(parts[count - 1 - i]);
        // A zero component adds nothing; skipping it also avoids 0 * infinity for huge i.
        if (component == 0) continue;
        const double sum = static_cast<double>(component) * std::pow(10.0, static_cast<double>(i)) + value;
        value = TruncateToInt32(sum);
    }
    return value;
}

std::wstring FormatVersion(unsigned a, unsigned b, unsigned c, unsigned d) {
    // Written in full even above 999: a cut-down component would report a wrong version.
    return IntToText(a) + L"." + IntToText(b) + L"." + IntToText(c) + L"." + IntToText(d);
}

std::wstring FormatFileVersion(std::uint32_t fileVersionMS, std::uint32_t fileVersionLS) {
    return FormatVersion(fileVersionMS >> 16, fileVersionMS & 0xFFFF, fileVersionLS >> 16, fileVersionLS & 0xFFFF);
}

std::wstring BuildVersionQuery(const std::wstring& endpoint, const std::wstring& running) {
    return endpoint + L"?version=" + running;
}

bool IsPlainVersion(const std::wstring& text) {
    if (text.empty() || text.size() > 32 || text.front() == L'.' || text.back() == L'.') return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c == L'.' ? text[i - 1] == L'.' : (c < L'0' || c > L'9')) return false;
    }
    return true;
}

VersionReport AnalyseVersionReply(const std::wstring& reply, const std::wstring& running) {
    VersionReport report;
    report.message = Text(IDS_VERSION_FAILED);
    if (reply.empty() || Utf16Length(reply) > kMaxReplyUnits) return report;
    const std::vector<std::wstring> fields = SplitTerminated(reply, L'|');
    // Anything but a plain version is no answer: the server's text never reaches the user.
    if (fields.empty() || !IsPlainVersion(fields[0])) return report;
    if (VersionToNumber(fields[0]) <= VersionToNumber(running)) {
        report.outcome = VersionOutcome::UpToDate;
        report.message = Text(IDS_VERSION_UP_TO_DATE);
        return report;
    }
    // The fields after the version (release notes) are the server's words: never shown.
    report.outcome = VersionOutcome::Newer;
    report.version = fields[0];
    report.message = FillIn(Text(IDS_VERSION_NEWER), {fields[0]});
    return report;
}

bool ShowsVersionMessage(VersionOutcome outcome, bool interactive) {
    return interactive || outcome == VersionOutcome::Newer;
}

bool AsksNow(const VersionReport& report, bool interactive, const std::wstring& lastAsked, bool busy) {
    if (interactive) return true;
    return ShowsVersionMessage(report.outcome, false) && report.version != lastAsked && !busy;
}

void ReplyAccumulator::Feed(const char* data, std::size_t size) {
    // Decode in slices so that one huge chunk cannot grow the text far past the limit.
    constexpr std::size_t kSlice = 1024;
    for (std::size_t i = 0; i < size && !TooLong(); ++i) {
        const char byte = data[i];
        if (skippingLine_) {
            if (byte == '\n') skippingLine_ = false;
            continue;
        }
        if (byte == '\r') continue;
        if (byte == '\0') {
            // The old reader handed each line on as a zero-terminated string: the rest is lost.
            Decode(true);
            skippingLine_ = true;
            continue;
        }
        pending_.push_back(byte);
        if (pending_.size() >= kSlice) Decode(false);
    }
    if (!TooLong()) Decode(false);
}

void ReplyAccumulator::Finish() {
    if (!TooLong()) Decode(true);
}

void ReplyAccumulator::Decode(bool final) {
    std::size_t hold = 0;
    if (!final) {
        // Keep back a trailing sequence that the next chunk may complete. Splitting the bytes
        // just before a non-continuation byte never changes how the text decodes.
        const std::size_t n = pending_.size();
        for (std::size_t back = 1; back <= 3 && back <= n; ++back) {
            const auto b = static_cast<unsigned char>(pending_[n - back]);
            if ((b & 0xC0) == 0x80) continue;
            std::size_t len = 1;
            if ((b & 0xE0) == 0xC0) len = 2;
            else if ((b & 0xF0) == 0xE0) len = 3;
            else if ((b & 0xF8) == 0xF0) len = 4;
            if (len > back) hold = back;
            break;
        }
    }
    if (pending_.size() == hold) return;
    const std::wstring piece = FromUtf8(pending_.substr(0, pending_.size() - hold));
    pending_.erase(0, pending_.size() - hold);
    text_ += piece;
    units_ += Utf16Length(piece);
}

}  // namespace quorlin
